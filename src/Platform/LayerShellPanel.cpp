// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/LayerShellPanel.h"

#include "Platform/PlatformLog.h"

#include "qwayland-wlr-layer-shell-unstable-v1.h"

#include <QGuiApplication>
#include <QWaylandClientExtensionTemplate>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <functional>

namespace {

// Nothing here needs more than version 1; version 3 brings the shell's own destructor.
constexpr int newestVersion = 4;
constexpr int shellDestroySince = 3;
constexpr const char *surfaceNamespace = "quillmoth";

wl_surface *surfaceOf(QWindow &window)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<wl_surface *>(native->nativeResourceForWindow("surface", &window))
                  : nullptr;
}

wl_display *qtDisplay()
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<wl_display *>(native->nativeResourceForIntegration("wl_display"))
                  : nullptr;
}

} // namespace

// The compositor's layer-shell global, bound on Qt's own connection.
class LayerShell : public QWaylandClientExtensionTemplate<LayerShell>,
                   public QtWayland::zwlr_layer_shell_v1
{
public:
    LayerShell()
        : QWaylandClientExtensionTemplate<LayerShell>(newestVersion)
    {
        // Binds now, from the globals Qt already knows, rather than on a later turn.
        initialize();
    }
    ~LayerShell() override
    {
        if (isInitialized() && QtWayland::zwlr_layer_shell_v1::version() >= shellDestroySince)
            destroy();
    }
};

// One mapping of the panel: acknowledges each size the compositor asks for and passes it on.
class LayerSurface : public QtWayland::zwlr_layer_surface_v1
{
public:
    explicit LayerSurface(::zwlr_layer_surface_v1 *object)
        : QtWayland::zwlr_layer_surface_v1(object)
    {
    }
    ~LayerSurface() override { destroy(); }

    std::function<void(QSize)> onConfigure;
    std::function<void()> onClosed;

protected:
    void zwlr_layer_surface_v1_configure(uint32_t serial, uint32_t width, uint32_t height) override
    {
        ack_configure(serial);
        onConfigure(QSize(int(width), int(height)));
    }
    void zwlr_layer_surface_v1_closed() override { onClosed(); }
};

std::unique_ptr<LayerShellPanel> LayerShellPanel::make(QObject *parent)
{
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        return nullptr;
    auto shell = std::make_unique<LayerShell>();
    if (!shell->isActive()) {
        qCWarning(lcPlatform,
            "The Wayland compositor offers no zwlr_layer_shell_v1: the panel "
            "is an ordinary window");
        return nullptr;
    }
    return std::unique_ptr<LayerShellPanel>(new LayerShellPanel(std::move(shell), parent));
}

LayerShellPanel::LayerShellPanel(std::unique_ptr<LayerShell> shell, QObject *parent)
    : QObject(parent)
    , m_shell(std::move(shell))
{
}

LayerShellPanel::~LayerShellPanel()
{
    unmap();
}

void LayerShellPanel::map(QWindow &window, int width)
{
    unmap();
    wl_surface *surface = surfaceOf(window);
    if (!surface) {
        qCWarning(lcPlatform, "The panel's window has no Wayland surface; it stays unmapped");
        return;
    }
    m_window = &window;
    m_width = width;
    m_surface = std::make_unique<LayerSurface>(m_shell->get_layer_surface(surface, nullptr,
        QtWayland::zwlr_layer_shell_v1::layer_top, QString::fromLatin1(surfaceNamespace)));
    m_surface->onConfigure = [this](QSize size) {
        qCDebug(lcPlatform, "layer surface configured %d x %d", size.width(), size.height());
        Q_EMIT configured(size);
    };
    m_surface->onClosed = [this] { Q_EMIT closed(); };
    m_surface->set_anchor(QtWayland::zwlr_layer_surface_v1::anchor_top
        | QtWayland::zwlr_layer_surface_v1::anchor_bottom
        | QtWayland::zwlr_layer_surface_v1::anchor_left);
    m_surface->set_size(uint32_t(width), 0);
    // Zero: no space reserved, and moved clear of docks that reserve theirs.
    m_surface->set_exclusive_zone(0);
    // Shown, it leaves the keyboard where it is.
    m_keyboardWanted = false;
    m_surface->set_keyboard_interactivity(
        QtWayland::zwlr_layer_surface_v1::keyboard_interactivity_none);
    // The first commit carries no buffer and asks for the compositor's size, which must be
    // acknowledged before the surface shows one; Qt draws the window on its next turn, so the
    // answer is awaited here.
    commit();
    if (wl_display *display = qtDisplay())
        wl_display_roundtrip(display);
}

void LayerShellPanel::unmap()
{
    m_surface.reset();
    m_window = nullptr;
}

void LayerShellPanel::setWidth(int width)
{
    if (width == m_width || !m_surface)
        return;
    m_width = width;
    m_surface->set_size(uint32_t(width), 0);
    commit();
}

void LayerShellPanel::setKeyboardWanted(bool wanted)
{
    m_keyboardWanted = wanted;
    if (!m_surface)
        return;
    using Surface = QtWayland::zwlr_layer_surface_v1;
    m_surface->set_keyboard_interactivity(
        wanted ? Surface::keyboard_interactivity_exclusive : Surface::keyboard_interactivity_none);
    commit();
}

void LayerShellPanel::pointerLeft()
{
    if (m_keyboardWanted)
        setKeyboardWanted(false);
}

void LayerShellPanel::commit()
{
    if (m_window)
        if (wl_surface *surface = surfaceOf(*m_window))
            wl_surface_commit(surface);
}
