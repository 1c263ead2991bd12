// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/X11Window.h"

#include "Platform/Xcb.h"

#include <QWindow>

void X11Window::keepAbove(QWindow *window)
{
    xcb_connection_t *c = Xcb::connection();
    if (!c || !window || !window->handle() || !window->isVisible())
        return;
    const xcb_window_t root = Xcb::root();
    if (root == XCB_WINDOW_NONE)
        return;
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = Xcb::atom("_NET_WM_STATE");
    event.data.data32[0] = 1; // _NET_WM_STATE_ADD
    event.data.data32[1] = Xcb::atom("_NET_WM_STATE_ABOVE");
    event.data.data32[2] = 0;
    event.data.data32[3] = 1; // source: a normal application
    xcb_send_event(c, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

bool X11Window::pointerButtonDown()
{
    xcb_connection_t *c = Xcb::connection();
    if (!c)
        return false;
    const Xcb::Reply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, Xcb::root()), nullptr));
    return reply && (reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3));
}
