// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppDelegate.h"

#include "FinderFollower.h"
#include "Model/FolderFilter.h"
#include "Model/PanelWidth.h"
#include "Model/Settings.h"
#include "Platform/ColorScheme.h"
#include "Platform/Workspace.h"
#include "Platform/X11Window.h"
#include "SidebarPanel.h"
#include "Store/RecentFilesStore.h"
#include "Views/SidebarView.h"

#include <QApplication>
#include <QScreen>

#include <cmath>

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
{
}

AppDelegate::~AppDelegate()
{
    // The panel's view uses the store: the panel goes first.
    delete m_panel;
}

QRect AppDelegate::visibleFrame()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || screen->availableGeometry().isEmpty())
        return QRect(0, 0, 1440, 900);
    return screen->availableGeometry();
}

QRect AppDelegate::panelFrame()
{
    const QRect area = visibleFrame();
    const double width = PanelWidth::stored(*Settings::open());
    return QRect(area.x(), area.y(), int(std::lround(width)), area.height());
}

SidebarPanel *AppDelegate::makePanel()
{
    const QRect frame = panelFrame();
    auto *panel = new SidebarPanel(frame);
    auto *view = new SidebarView(
        *m_store, FolderFilter::shared(), *m_workspace, ColorSchemeMonitor::shared());
    panel->setContentView(view);
    // Whatever size the content asked for, the panel ends at the computed frame.
    panel->setGeometry(frame);
    // The weak hold: the connections end with the panel.
    const auto storeWidth = [](int width) { PanelWidth::store(*Settings::open(), width); };
    connect(panel, &SidebarPanel::resizeEnded, panel, storeWidth);
    connect(view, &SidebarView::widthChosen, panel, storeWidth);
    return panel;
}

void AppDelegate::applicationDidFinishLaunching()
{
    delete m_panel;
    m_panel = nullptr;
    if (!m_store)
        m_store = std::make_unique<RecentFilesStore>();
    if (!m_workspace)
        m_workspace = Workspace::system();
    m_panel = makePanel();
    FinderFollower &follower = FinderFollower::shared();
    follower.attach(m_panel);
    follower.ownActivation();
}

bool AppDelegate::hasVisibleWindows()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows)
        if (w->isVisible())
            return true;
    return false;
}

void AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (hasVisibleWindows || !m_panel)
        return;
    m_panel->show();
    m_panel->raise();
    X11Window::keepAbove(m_panel->windowHandle());
}
