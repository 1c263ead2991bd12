// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/HiddenLocations.h"

#include "Model/FileUrl.h"
#include "Model/HomeFolder.h"

namespace {

bool isInside(const QString &path, const QString &folder)
{
    if (!path.startsWith(folder))
        return false;
    return path.size() == folder.size() || folder == QLatin1String("/")
        || path.at(folder.size()) == QLatin1Char('/');
}

} // namespace

HiddenLocations HiddenLocations::current()
{
    // Unset ones are left out: their defaults (~/.config, ~/.cache, ~/.local/share and
    // ~/.local/state) lie in dot-folders already.
    QStringList xdgHomes;
    for (const char *name :
        { "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME" })
        xdgHomes << qEnvironmentVariable(name);
    return HiddenLocations(HomeFolder::path(), xdgHomes);
}

HiddenLocations::HiddenLocations(const QString &home, const QStringList &xdgHomes)
    : m_home(standardizedPath(home))
{
    for (const QString &folder : xdgHomes) {
        // Relative values are invalid by the XDG rules and ignored. One that holds the home
        // itself would hide every document: a broken setting, not a wish to see nothing.
        const QString clean = standardizedPath(folder);
        if (clean.startsWith(QLatin1Char('/')) && !isInside(m_home, clean))
            m_xdgHomes << clean;
    }
}

bool HiddenLocations::hides(const QString &path) const
{
    for (const QString &folder : m_xdgHomes)
        if (isInside(path, folder))
            return true;
    // A name that begins with "." is one that follows a "/" in a standardised absolute path.
    // Only below the home when the path is in it: a home that itself lies in a dot-folder still
    // shows its documents.
    const bool inHome = m_home.size() > 1 && isInside(path, m_home);
    return path.indexOf(QLatin1String("/."), inHome ? m_home.size() : 0) >= 0;
}
