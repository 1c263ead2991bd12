// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/X11Window.h"

#include "Platform/Xcb.h"

#include <QList>
#include <QWindow>

namespace {

// KWin keeps its window switcher's list apart from the taskbar's and reads its own state for it.
const char *const panelStates[] = { "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_STICKY",
    "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_KDE_NET_WM_STATE_SKIP_SWITCHER" };
// _NET_WM_DESKTOP's value for "on every workspace".
constexpr quint32 allDesktops = 0xFFFFFFFF;
constexpr quint32 netWmStateRemove = 0;
constexpr quint32 netWmStateAdd = 1;
// Source indication: a normal application, a pager or similar tool (EWMH).
constexpr quint32 sourceApplication = 1;
constexpr quint32 sourcePager = 2;
// _NET_RESTACK_WINDOW's detail: above its sibling, or above all without one.
constexpr quint32 stackAbove = 0;

void sendToRoot(xcb_window_t window, const QByteArray &type, quint32 data0, quint32 data1,
    quint32 data2, quint32 data3)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Xcb::atom(type);
    event.data.data32[0] = data0;
    event.data.data32[1] = data1;
    event.data.data32[2] = data2;
    event.data.data32[3] = data3;
    xcb_send_event(Xcb::connection(), 0, Xcb::root(),
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&event));
}

xcb_window_t x11Window(QWindow *window)
{
    if (!Xcb::connection() || !window || !window->handle() || Xcb::root() == XCB_WINDOW_NONE)
        return XCB_WINDOW_NONE;
    return xcb_window_t(window->winId());
}

// Adds the panel states to what the unmapped window's _NET_WM_STATE already holds (Qt writes its
// own there at map and keeps what it finds).
void writeStates(xcb_connection_t *c, xcb_window_t window)
{
    const xcb_atom_t stateAtom = Xcb::atom("_NET_WM_STATE");
    QList<xcb_atom_t> states;
    if (const auto reply = Xcb::property(c, window, stateAtom, XCB_ATOM_ATOM);
        reply && reply->format == 32) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        states = QList<xcb_atom_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
    }
    for (const char *name : panelStates)
        if (const xcb_atom_t state = Xcb::atom(name); !states.contains(state))
            states.append(state);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, stateAtom, XCB_ATOM_ATOM, 32,
        uint32_t(states.size()), states.constData());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Xcb::atom("_NET_WM_DESKTOP"),
        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
}

} // namespace

void X11Window::bringToFront(QWindow *window)
{
    if (!window || !window->isVisible())
        return;
    const xcb_window_t id = x11Window(window);
    if (id == XCB_WINDOW_NONE) {
        window->raise();
        return;
    }
    sendToRoot(id, "_NET_RESTACK_WINDOW", sourcePager, XCB_WINDOW_NONE, stackAbove, 0);
    // Asked again once mapped: KWin puts a utility window on its group's workspace whatever the
    // property said at the map.
    setPanelStates(window);
    // KWin marks every window it maps without activating it as demanding attention, unless it is
    // a dock or the like; the panel never asks for the user's attention.
    sendToRoot(id, "_NET_WM_STATE", netWmStateRemove, Xcb::atom("_NET_WM_STATE_DEMANDS_ATTENTION"),
        0, sourceApplication);
    xcb_flush(Xcb::connection());
}

void X11Window::activate(QWindow *window)
{
    if (!window || !window->isVisible())
        return;
    const xcb_window_t id = x11Window(window);
    if (id == XCB_WINDOW_NONE) {
        window->requestActivate();
        return;
    }
    sendToRoot(id, "_NET_ACTIVE_WINDOW", sourcePager, XCB_CURRENT_TIME, 0, 0);
    xcb_flush(Xcb::connection());
}

void X11Window::setPanelStates(QWindow *window)
{
    const xcb_window_t id = x11Window(window);
    if (id == XCB_WINDOW_NONE)
        return;
    xcb_connection_t *c = Xcb::connection();
    if (!window->isVisible()) {
        writeStates(c, id);
    } else {
        // One message changes at most two states.
        for (size_t i = 0; i < std::size(panelStates); i += 2)
            sendToRoot(id, "_NET_WM_STATE", netWmStateAdd, Xcb::atom(panelStates[i]),
                i + 1 < std::size(panelStates) ? Xcb::atom(panelStates[i + 1]) : 0,
                sourceApplication);
        sendToRoot(id, "_NET_WM_DESKTOP", allDesktops, sourceApplication, 0, 0);
    }
    xcb_flush(c);
}

bool X11Window::managerIgnoresPlacement()
{
    xcb_connection_t *c = Xcb::connection();
    if (!c)
        return false;
    // EWMH: the manager names itself on the window that the root's check property points to.
    const auto check
        = Xcb::cardinal(c, Xcb::root(), Xcb::atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check)
        return false;
    const auto name = Xcb::property(c, *check, Xcb::atom("_NET_WM_NAME"), Xcb::atom("UTF8_STRING"));
    return name && Xcb::bytes(name.get()) == "Weston WM";
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
