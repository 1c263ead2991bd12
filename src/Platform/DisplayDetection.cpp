// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/DisplayDetection.h"

#include <QByteArray>

#include <wayland-client.h>

#include <cstring>

namespace {

constexpr const char *layerShellInterface = "zwlr_layer_shell_v1";

void noteGlobal(void *data, wl_registry *, uint32_t, const char *interface, uint32_t)
{
    if (std::strcmp(interface, layerShellInterface) == 0)
        *static_cast<bool *>(data) = true;
}

void ignoreRemoval(void *, wl_registry *, uint32_t)
{
}

// One connection and one round trip: whether the compositor offers the layer shell.
bool compositorOffersLayerShell()
{
    // A socket handed over by the compositor connects once, and that once is Qt's.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        return false;
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return false;
    bool offered = false;
    static const wl_registry_listener listener { &noteGlobal, &ignoreRemoval };
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    if (wl_display_roundtrip(display) < 0)
        offered = false;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered;
}

} // namespace

const char *choosePlatformForDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return nullptr;
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland && compositorOffersLayerShell()) {
        qputenv("QT_QPA_PLATFORM", "wayland");
        qputenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT", "1");
        return nullptr;
    }
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return nullptr;
    }
    if (wayland)
        return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return "no display (neither DISPLAY nor WAYLAND_DISPLAY is set); running without a screen";
}
