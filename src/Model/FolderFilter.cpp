// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FolderFilter.h"

#include "Model/FileUrl.h"
#include "Model/RecentItem.h"
#include "Model/SettingsFile.h"

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

namespace {

FolderFilterMode storedMode(const SettingsFile &settings)
{
    const QVariant mode = settings.value(modeKey);
    if (mode.typeId() != QMetaType::QString)
        return FolderFilterMode::all;
    return FolderFilterModes::fromRawValue(mode.toString()).value_or(FolderFilterMode::all);
}

// Anything but a list of strings is not a list of paths, except one text: the INI notation
// cannot tell a list of one folder from a plain text, and that is how Qt's format writes one.
QStringList storedFolders(const SettingsFile &settings)
{
    const QVariant paths = settings.value(pathsKey);
    if (paths.typeId() == QMetaType::QString)
        return paths.toString().isEmpty() ? QStringList() : QStringList { paths.toString() };
    if (paths.typeId() == QMetaType::QStringList)
        return paths.toStringList();
    return {};
}

} // namespace

FolderFilter::FolderFilter(SettingsFile &settings)
    : m_settings(settings)
    , m_mode(storedMode(settings))
    , m_folders(storedFolders(settings))
{
    standardizeFolders();
    connect(&m_settings, &SettingsFile::changedOutside, this, &FolderFilter::followFile);
}

FolderFilter::~FolderFilter() = default;

void FolderFilter::followFile()
{
    const FolderFilterMode mode = storedMode(m_settings);
    QStringList folders = storedFolders(m_settings);
    if (mode == m_mode && folders == m_folders)
        return;
    Q_EMIT aboutToChange();
    m_mode = mode;
    m_folders = std::move(folders);
    standardizeFolders();
    Q_EMIT changed();
}

void FolderFilter::setMode(FolderFilterMode mode)
{
    Q_EMIT aboutToChange();
    m_mode = mode;
    m_settings.setValue(modeKey, FolderFilterModes::rawValue(mode));
    Q_EMIT changed();
}

bool FolderFilter::setFolders(const QStringList &folders)
{
    if (!m_settings.setValue(pathsKey, folders))
        return false;
    Q_EMIT aboutToChange();
    m_folders = folders;
    standardizeFolders();
    Q_EMIT changed();
    return true;
}

void FolderFilter::remove(const QString &path)
{
    QStringList kept;
    for (const QString &folder : std::as_const(m_folders))
        if (folder != path)
            kept << folder;
    setFolders(kept);
}

namespace {

QStringList folderComponents(const QString &folder)
{
    return standardizedComponents(fileUrl(folder).toLocalFile());
}

bool startsWith(const QStringList &item, const QStringList &container)
{
    // An empty folder string names no folder; it must not swallow every item.
    if (container.isEmpty() || item.size() < container.size())
        return false;
    for (qsizetype i = 0; i < container.size(); ++i)
        if (item.at(i) != container.at(i))
            return false;
    return true;
}

} // namespace

bool FolderFilter::contains(const QString &folder, const QUrl &url)
{
    return startsWith(standardizedComponents(url.toLocalFile()), folderComponents(folder));
}

// The folders are standardised once per change, not once per item and folder.
void FolderFilter::standardizeFolders()
{
    m_components.clear();
    m_components.reserve(m_folders.size());
    for (const QString &folder : std::as_const(m_folders))
        m_components << folderComponents(folder);
}

bool FolderFilter::allows(const QUrl &url) const
{
    if (m_folders.isEmpty() || m_mode == FolderFilterMode::all)
        return true;
    const QStringList item = standardizedComponents(url.toLocalFile());
    for (const QStringList &folder : m_components)
        if (startsWith(item, folder))
            return m_mode == FolderFilterMode::include;
    return m_mode == FolderFilterMode::exclude;
}
