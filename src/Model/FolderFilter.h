// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QSettings>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

enum class FolderFilterMode { all, exclude, include };

namespace FolderFilterModes {
inline constexpr FolderFilterMode allCases[]
    = { FolderFilterMode::all, FolderFilterMode::exclude, FolderFilterMode::include };
QString rawValue(FolderFilterMode mode);
std::optional<FolderFilterMode> fromRawValue(const QString &raw);
} // namespace FolderFilterModes

// The persisted include/exclude folder filter. The application's start makes the one the panel
// uses; every assignment is written through to the settings file at once.
class FolderFilter : public QObject
{
    Q_OBJECT
public:
    // Reads both keys once from `settings`; writes nothing. Tests build their own instances.
    explicit FolderFilter(std::unique_ptr<QSettings> settings);
    ~FolderFilter() override;

    FolderFilterMode mode() const { return m_mode; }
    const QStringList &folders() const { return m_folders; }
    void setMode(FolderFilterMode mode);
    void setFolders(const QStringList &folders);
    void remove(const QString &path);

    bool allows(const QUrl &url) const;
    // Whether `url` lies inside `folder`, by whole standardised path components.
    static bool contains(const QString &folder, const QUrl &url);

Q_SIGNALS:
    void aboutToChange();
    void changed();

private:
    std::unique_ptr<QSettings> m_settings;
    FolderFilterMode m_mode = FolderFilterMode::all;
    QStringList m_folders;
};
