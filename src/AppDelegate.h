// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>

class ColorSchemeMonitor;
class CompositorWatcher;
class DesktopIconTheme;
class FinderFollower;
class FolderFilter;
class GnomeShellExtension;
class QScreen;
class RecentFilesStore;
class SettingsFile;
class SidebarPanel;
class Workspace;

// Makes and owns every long-lived object of the program (the settings file, the folder filter, the
// store, the colour-scheme, compositor and icon-theme watchers, the workspace, the GNOME Shell
// extension's watcher, the follower and the one panel) and hands them down by reference; answers
// the application's lifecycle. Members are destroyed in the reverse order of their declaration, so
// the panel goes before everything it uses.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // Makes the panel, hands it to the file-manager follower and activates the program.
    void applicationDidFinishLaunching();
    // Another launch asked for the program: the panel comes to the front when nothing of the
    // program is on screen; otherwise nothing changes.
    void applicationShouldHandleReopen(bool hasVisibleWindows);
    // Whether any window of the program is on screen.
    static bool hasVisibleWindows();

    SidebarPanel *panel() const { return m_panel.get(); }

    // The area the panel stands in: the primary screen's available area, or a fixed fallback
    // when there is no screen.
    static QRect visibleFrame();
    QRect panelFrame() const;

private:
    std::unique_ptr<SidebarPanel> makePanel();
    // Places the panel again whenever the primary screen, its geometry or its work area changes.
    void followWorkArea();
    void placePanel();

    std::unique_ptr<SettingsFile> m_settings;
    std::unique_ptr<FolderFilter> m_folderFilter;
    std::unique_ptr<ColorSchemeMonitor> m_colorScheme;
    std::unique_ptr<CompositorWatcher> m_compositor;
    std::unique_ptr<DesktopIconTheme> m_iconTheme;
    std::shared_ptr<Workspace> m_workspace;
    std::unique_ptr<RecentFilesStore> m_store;
    // Both the follower and the panel's hint listen to the one extension.
    std::unique_ptr<GnomeShellExtension> m_gnomeExtension;
    std::unique_ptr<FinderFollower> m_follower;
    std::unique_ptr<SidebarPanel> m_panel;
    QPointer<QScreen> m_watchedScreen;
};
