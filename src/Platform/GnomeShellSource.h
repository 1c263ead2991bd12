// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/ActiveApplicationSource.h"

class GnomeShellExtension;

// The active application on GNOME Shell, told by the program's own shell extension
// (GnomeShellExtension) through its FocusChanged signal. Observable exactly while the extension
// runs; it follows the extension being turned off or the shell restarting, and back.
class GnomeShellSource : public ActiveApplicationSource
{
    Q_OBJECT
public:
    // A source when `extension` runs, or on GNOME on Wayland, where it is the only way and the
    // source waits for it; nullptr otherwise. `extension` outlives the source.
    static std::unique_ptr<ActiveApplicationSource> tryMake(
        GnomeShellExtension &extension, QObject *parent = nullptr);

    bool observable() const override;
    QString unobservableReason() const override;
    std::optional<WindowApplication> current() const override { return m_current; }

    // What the extension reports, as this interface names it: the application id without
    // ".desktop", WM_CLASS as the class name, no pid for 0.
    static std::optional<WindowApplication> fromShell(
        const QString &appId, const QString &wmClass, uint pid);

private Q_SLOTS:
    void onFocusChanged(const QString &appId, const QString &wmClass, uint pid);

private:
    GnomeShellSource(GnomeShellExtension &extension, QObject *parent);
    void onActiveChanged(bool isActive);
    void askCurrent();
    void setCurrent(const std::optional<WindowApplication> &now);

    GnomeShellExtension &m_extension;
    std::optional<WindowApplication> m_current;
};
