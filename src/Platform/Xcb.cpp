// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/Xcb.h"

#include <QGuiApplication>
#include <QHash>
#include <QMutex>

#include <xcb/xfixes.h>

xcb_connection_t *Xcb::connection()
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    auto *x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

int Xcb::screenNumber()
{
    // Qt does not expose the screen number; DISPLAY's ":0.N" does.
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    const qsizetype colon = display.lastIndexOf(':');
    if (dot > colon && colon >= 0) {
        bool ok = false;
        const int n = display.mid(dot + 1).toInt(&ok);
        if (ok)
            return n;
    }
    return 0;
}

xcb_window_t Xcb::root()
{
    xcb_connection_t *c = connection();
    if (!c)
        return XCB_WINDOW_NONE;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    const xcb_screen_t *first = it.data;
    for (int i = screenNumber(); i > 0 && it.rem > 1; --i)
        xcb_screen_next(&it);
    const xcb_screen_t *screen = it.rem > 0 ? it.data : first;
    return screen ? screen->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_atom_t Xcb::atom(const QByteArray &name)
{
    xcb_connection_t *c = connection();
    if (!c)
        return XCB_ATOM_NONE;
    // Atoms live as long as the server; a new connection (a new application object in tests)
    // may be to another server, so the cache belongs to one connection.
    static QMutex mutex;
    static xcb_connection_t *cachedFor = nullptr;
    static QHash<QByteArray, xcb_atom_t> cache;
    QMutexLocker lock(&mutex);
    if (cachedFor != c) {
        cache.clear();
        cachedFor = c;
    }
    if (const auto it = cache.constFind(name); it != cache.constEnd())
        return *it;
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr));
    if (!reply)
        return XCB_ATOM_NONE; // not cached: a failed request may succeed later
    cache.insert(name, reply->atom);
    return reply->atom;
}

void Xcb::addEventMask(xcb_window_t window, uint32_t mask)
{
    xcb_connection_t *c = connection();
    if (!c || window == XCB_WINDOW_NONE)
        return;
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    const uint32_t all = (attributes ? attributes->your_event_mask : 0) | mask;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &all);
    xcb_flush(c);
}

std::optional<quint8> Xcb::watchSelectionOwner(xcb_atom_t selection)
{
    xcb_connection_t *c = connection();
    const xcb_query_extension_reply_t *xfixes
        = c ? xcb_get_extension_data(c, &xcb_xfixes_id) : nullptr;
    if (!xfixes || !xfixes->present)
        return std::nullopt;
    // The version must be agreed before any other XFixes request.
    const Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(c,
        xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    if (!version || version->major_version < 1)
        return std::nullopt;
    xcb_xfixes_select_selection_input(c, root(), selection,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
    return quint8(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
}

Xcb::Reply<xcb_get_property_reply_t> Xcb::property(xcb_connection_t *c, xcb_window_t window,
    xcb_atom_t property, xcb_atom_t type, uint32_t longLength)
{
    if (!c || window == XCB_WINDOW_NONE || property == XCB_ATOM_NONE)
        return {};
    xcb_generic_error_t *error = nullptr;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, longLength), &error));
    std::free(error);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return {};
    return reply;
}

std::optional<quint32> Xcb::cardinal(
    xcb_connection_t *c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const auto reply = Xcb::property(c, window, property, type, 1);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
}

QByteArray Xcb::bytes(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 8)
        return {};
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
        xcb_get_property_value_length(reply));
}

std::optional<quint8> Xcb::eventType(const QByteArray &nativeType, const void *message)
{
    // The high bit only says that another client sent the event (SendEvent).
    constexpr quint8 sentBySendEvent = 0x80;
    if (nativeType != "xcb_generic_event_t")
        return std::nullopt;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    return quint8(event->response_type & ~sentBySendEvent);
}
