// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FolderFilter.h"

#include "Model/FileUrl.h"
#include "Model/RecentItem.h"
#include "Model/Settings.h"

namespace {
const QString modeKey = QStringLiteral("folderFilterMode");
const QString pathsKey = QStringLiteral("folderFilterPaths");
} // namespace

QString FolderFilterModes::rawValue(FolderFilterMode mode)
{
    switch (mode) {
    case FolderFilterMode::exclude:
        return QStringLiteral("exclude");
    case FolderFilterMode::include:
        return QStringLiteral("include");
    case FolderFilterMode::all:
        break;
    }
    return QStringLiteral("all");
}

std::optional<FolderFilterMode> FolderFilterModes::fromRawValue(const QString &raw)
{
    for (FolderFilterMode mode : allCases)
        if (rawValue(mode) == raw)
            return mode;
    return std::nullopt;
}

FolderFilter::FolderFilter(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings))
{
    const QVariant mode = m_settings->value(modeKey);
    if (mode.typeId() == QMetaType::QString)
        m_mode = FolderFilterModes::fromRawValue(mode.toString()).value_or(FolderFilterMode::all);

    // Anything but a list of strings is not a list of paths, except one text: the INI notation
    // cannot tell a list of one folder from a plain text, and that is how Qt's format writes one.
    const QVariant paths = m_settings->value(pathsKey);
    if (paths.typeId() == QMetaType::QString) {
        if (!paths.toString().isEmpty())
            m_folders = QStringList { paths.toString() };
    } else if (paths.typeId() == QMetaType::QStringList) {
        m_folders = paths.toStringList();
    } else if (paths.typeId() == QMetaType::QVariantList) {
        const QVariantList list = paths.toList();
        bool allStrings = true;
        QStringList folders;
        for (const QVariant &entry : list) {
            allStrings = allStrings && entry.typeId() == QMetaType::QString;
            folders << entry.toString();
        }
        if (allStrings)
            m_folders = folders;
    }
}

FolderFilter::~FolderFilter() = default;

void FolderFilter::setMode(FolderFilterMode mode)
{
    Q_EMIT aboutToChange();
    m_mode = mode;
    m_settings->setValue(modeKey, FolderFilterModes::rawValue(mode));
    m_settings->sync();
    Q_EMIT changed();
}

void FolderFilter::setFolders(const QStringList &folders)
{
    Q_EMIT aboutToChange();
    m_folders = folders;
    m_settings->setValue(pathsKey, folders);
    m_settings->sync();
    Q_EMIT changed();
}

void FolderFilter::remove(const QString &path)
{
    QStringList kept;
    for (const QString &folder : std::as_const(m_folders))
        if (folder != path)
            kept << folder;
    setFolders(kept);
}

bool FolderFilter::contains(const QString &folder, const QUrl &url)
{
    const QStringList item = standardizedComponents(url.toLocalFile());
    const QStringList container = standardizedComponents(fileUrl(folder).toLocalFile());
    // An empty folder string names no folder; it must not swallow every item.
    if (container.isEmpty() || item.size() < container.size())
        return false;
    for (qsizetype i = 0; i < container.size(); ++i)
        if (item.at(i) != container.at(i))
            return false;
    return true;
}

bool FolderFilter::allows(const QUrl &url) const
{
    if (m_folders.isEmpty() || m_mode == FolderFilterMode::all)
        return true;
    for (const QString &folder : m_folders)
        if (contains(folder, url))
            return m_mode == FolderFilterMode::include;
    return m_mode == FolderFilterMode::exclude;
}
