// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppDelegate.h"

#include "FinderFollower.h"
#include "Model/FolderFilter.h"
#include "Model/PanelWidth.h"
#include "Model/Settings.h"
#include "Platform/ColorScheme.h"
#include "Platform/CompositorWatcher.h"
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
    , m_folderFilter(std::make_unique<FolderFilter>(Settings::open()))
    , m_colorScheme(std::make_unique<ColorSchemeMonitor>())
    , m_compositor(std::make_unique<CompositorWatcher>())
    , m_workspace(Workspace::system())
    , m_store(std::make_unique<RecentFilesStore>())
    , m_follower(std::make_unique<FinderFollower>())
{
}

AppDelegate::~AppDelegate() = default;

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

std::unique_ptr<SidebarPanel> AppDelegate::makePanel()
{
    const QRect frame = panelFrame();
    auto panel = std::make_unique<SidebarPanel>(frame);
    auto *view
        = new SidebarView(*m_store, *m_folderFilter, *m_workspace, *m_colorScheme, *m_compositor);
    panel->setContentView(view);
    // Whatever size the content asked for, the panel ends at the computed frame.
    panel->setGeometry(frame);
    // The weak hold: the connections end with the panel.
    const auto storeWidth = [](int width) { PanelWidth::store(*Settings::open(), width); };
    connect(panel.get(), &SidebarPanel::resizeEnded, panel.get(), storeWidth);
    connect(view, &SidebarView::widthChosen, panel.get(), storeWidth);
    return panel;
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_panel.reset();
    m_panel = makePanel();
    m_follower->attach(m_panel.get());
    m_follower->ownActivation();
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
