// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QWindow;

// Small window-manager requests that Qt does not make or repeat on its own. Each does nothing
// where the display is not X11.
namespace X11Window {
// Asks the window manager to keep the (mapped) window above normal windows (_NET_WM_STATE_ABOVE).
void keepAbove(QWindow *window);
// Makes the window a panel to the window manager: above normal windows, on every workspace, out
// of taskbars, pagers and window switchers. Written as properties while the window is unmapped
// (the window manager reads them when it maps the window) and asked for by messages once mapped.
void setPanelStates(QWindow *window);
// Whether the window manager places every new window itself and refuses to move it, so that a
// window that must stand at a screen edge has to bypass it: Weston's (XWayland on weston), which
// cascades new windows whatever their type or position hints.
bool managerIgnoresPlacement();
// Whether any pointer button is held down right now, anywhere on the display.
bool pointerButtonDown();
} // namespace X11Window
