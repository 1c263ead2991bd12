// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QWindow;

// Small window-manager requests that Qt does not make or repeat on its own. Each does nothing
// where the display is not X11.
namespace X11Window {
// Puts the (mapped) window in front, asks again for the panel states (`setPanelStates`) and asks
// the window manager not to mark it as demanding attention. On X11 the restack is asked as a
// pager asks: KWin refuses a raise that an application asks for while another has the focus, and
// marks the window as demanding attention. Elsewhere the platform's own raise.
void bringToFront(QWindow *window);
// Gives the (mapped) window the keyboard, asked as a pager asks: KWin takes the click that
// prompted it for an activation already done, and ignores an application's own request after
// it. Elsewhere the platform's own activation.
void activate(QWindow *window);
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
