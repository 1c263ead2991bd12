// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/X11Window.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootOf(xcb_connection_t *c)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    return screen ? screen->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_atom_t intern(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

void X11Window::keepAbove(QWindow *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle() || !window->isVisible())
        return;
    static const xcb_atom_t state = intern(c, "_NET_WM_STATE");
    static const xcb_atom_t above = intern(c, "_NET_WM_STATE_ABOVE");
    const xcb_window_t root = rootOf(c);
    if (root == XCB_WINDOW_NONE)
        return;
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = state;
    event.data.data32[0] = 1; // _NET_WM_STATE_ADD
    event.data.data32[1] = above;
    event.data.data32[2] = 0;
    event.data.data32[3] = 1; // source: a normal application
    xcb_send_event(c, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

bool X11Window::pointerButtonDown()
{
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    const xcb_window_t root = rootOf(c);
    xcb_query_pointer_reply_t *reply
        = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    const bool down
        = reply && (reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3));
    std::free(reply);
    return down;
}
