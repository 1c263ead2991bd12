// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>

class RecentFilesStore;
class SidebarPanel;
class Workspace;

// Holds the one panel for the life of the process and answers the application's lifecycle.
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

    SidebarPanel *panel() const { return m_panel; }

    // The area the panel stands in: the primary screen's available area, or a fixed fallback
    // when there is no screen.
    static QRect visibleFrame();
    static QRect panelFrame();

private:
    SidebarPanel *makePanel();

    // What the panel's view shows and acts through; made once, outliving every panel.
    std::unique_ptr<RecentFilesStore> m_store;
    std::shared_ptr<Workspace> m_workspace;
    SidebarPanel *m_panel = nullptr;
};
