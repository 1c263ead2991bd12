// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppDelegate.h"

#include "FinderFollower.h"
#include "Model/FolderFilter.h"
#include "Model/PanelWidth.h"
#include "Model/Settings.h"
#include "Platform/ColorScheme.h"
#include "Platform/CompositorWatcher.h"
#include "Platform/DesktopIconTheme.h"
#include "Platform/GnomeShellExtension.h"
#include "Platform/Workspace.h"
#include "Platform/X11Window.h"
#include "SidebarPanel.h"
#include "Store/RecentFilesStore.h"
#include "Views/SidebarView.h"

#include <QApplication>
#include <QScreen>
#include <qpa/qplatformscreen.h>

#include <cmath>

namespace {

// The screen's available area in logical pixels, shrunk to whole device pixels inside the
// device's area. Qt rounds each logical edge on its own, so at a fractional scale the logical
// area can reach a device pixel past the screen (1000 px at 1.5: 667 logical, 1001 device).
QRect insideDevicePixels(const QScreen &screen)
{
    const QPlatformScreen *native = screen.handle();
    const qreal scale = screen.devicePixelRatio();
    if (!native || scale <= 0)
        return screen.availableGeometry();
    const QRect device = native->availableGeometry();
    const QPoint deviceOrigin = native->geometry().topLeft();
    const QPoint origin = screen.geometry().topLeft();
    const auto first = [scale](int deviceEdge) { return int(std::ceil(deviceEdge / scale)); };
    const auto last = [scale](int deviceEdge) { return int(std::floor(deviceEdge / scale)); };
    const int x = first(device.left() - deviceOrigin.x());
    const int y = first(device.top() - deviceOrigin.y());
    const int right = last(device.left() + device.width() - deviceOrigin.x());
    int bottom = last(device.top() + device.height() - deviceOrigin.y());
    // Qt places the window's top and sizes it with separate roundings; keep their sum inside.
    if (qRound(y * scale) + qRound((bottom - y) * scale) > device.bottom() + 1 - deviceOrigin.y())
        --bottom;
    return QRect(origin.x() + x, origin.y() + y, right - x, bottom - y);
}

} // namespace

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , m_settings(Settings::open())
    , m_folderFilter(std::make_unique<FolderFilter>(*m_settings))
    , m_colorScheme(std::make_unique<ColorSchemeMonitor>())
    , m_compositor(std::make_unique<CompositorWatcher>())
    , m_iconTheme(std::make_unique<DesktopIconTheme>())
    , m_workspace(Workspace::system())
    , m_store(std::make_unique<RecentFilesStore>())
    // Only Wayland sessions hide other windows' focus; X11 never needs the extension.
    , m_gnomeExtension(qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
              ? nullptr
              : std::make_unique<GnomeShellExtension>())
    , m_follower(
          std::make_unique<FinderFollower>(ActiveApplicationSource::make(m_gnomeExtension.get())))
{
}

AppDelegate::~AppDelegate() = default;

QRect AppDelegate::visibleFrame()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || screen->availableGeometry().isEmpty())
        return QRect(0, 0, 1440, 900);
    return insideDevicePixels(*screen);
}

QRect AppDelegate::panelFrame() const
{
    const QRect area = visibleFrame();
    const double width = PanelWidth::stored(*m_settings);
    return QRect(area.x(), area.y(), int(std::lround(width)), area.height());
}

std::unique_ptr<SidebarPanel> AppDelegate::makePanel()
{
    const QRect frame = panelFrame();
    auto panel = std::make_unique<SidebarPanel>(frame);
    auto *view = new SidebarView(*m_store, *m_folderFilter, *m_workspace, *m_colorScheme,
        *m_compositor, m_gnomeExtension.get());
    panel->setContentView(view);
    // Whatever size the content asked for, the panel ends at the computed frame.
    panel->setGeometry(frame);
    // The weak hold: the connections end with the panel.
    const auto storeWidth = [this](int width) { PanelWidth::store(*m_settings, width); };
    connect(panel.get(), &SidebarPanel::resizeEnded, panel.get(), storeWidth);
    connect(view, &SidebarView::widthChosen, panel.get(), storeWidth);
    connect(m_iconTheme.get(), &DesktopIconTheme::changed, view, qOverload<>(&QWidget::update));
    return panel;
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_panel.reset();
    m_panel = makePanel();
    followWorkArea();
    m_follower->attach(m_panel.get());
    m_follower->ownActivation();
}

void AppDelegate::followWorkArea()
{
    const auto watch = [this](QScreen *screen) {
        if (m_watchedScreen)
            disconnect(m_watchedScreen, nullptr, this, nullptr);
        m_watchedScreen = screen;
        if (!screen)
            return;
        // A dock that comes or goes changes the available area; a new mode or scale, the whole.
        connect(screen, &QScreen::availableGeometryChanged, this, &AppDelegate::placePanel);
        connect(screen, &QScreen::geometryChanged, this, &AppDelegate::placePanel);
    };
    watch(QGuiApplication::primaryScreen());
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this, watch](QScreen *screen) {
        watch(screen);
        placePanel();
    });
}

void AppDelegate::placePanel()
{
    if (m_panel)
        m_panel->setFrame(panelFrame());
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
    X11Window::bringToFront(m_panel->windowHandle());
}
