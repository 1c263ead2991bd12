// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/SettingsFile.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <optional>

enum class FolderFilterMode { all, exclude, include };

namespace FolderFilterModes {
inline constexpr FolderFilterMode allCases[]
    = { FolderFilterMode::all, FolderFilterMode::exclude, FolderFilterMode::include };
QString rawValue(FolderFilterMode mode);
std::optional<FolderFilterMode> fromRawValue(const QString &raw);
} // namespace FolderFilterModes

// The persisted include/exclude folder filter. The application's start makes the one the panel
// uses; every assignment is written through to the settings file at once, and a change made to
// the file from outside (another instance, a hand edit) is taken over, not written over.
class FolderFilter : public QObject
{
    Q_OBJECT
public:
    // Reads both keys from `settings`; writes nothing. Tests build their own instances.
    explicit FolderFilter(SettingsFile &settings);
    ~FolderFilter() override;

    FolderFilterMode mode() const { return m_mode; }
    const QStringList &folders() const { return m_folders; }
    void setMode(FolderFilterMode mode);
    // False, with nothing changed, when the settings file cannot hold that many folders.
    bool setFolders(const QStringList &folders);
    void remove(const QString &path);
    // Assignments made while the batch lives are written to the settings file once, at its end.
    SettingsFile::Batch batch() { return SettingsFile::Batch(m_settings); }

    bool allows(const QUrl &url) const;
    // Whether `url` lies inside `folder`, by whole standardised path components.
    static bool contains(const QString &folder, const QUrl &url);

Q_SIGNALS:
    void aboutToChange();
    void changed();

private:
    void followFile();
    void standardizeFolders();

    SettingsFile &m_settings;
    FolderFilterMode m_mode = FolderFilterMode::all;
    QStringList m_folders;
    QList<QStringList> m_components; // of each folder, standardised
};
