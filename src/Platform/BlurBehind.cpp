// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/BlurBehind.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cmath>
#include <vector>

namespace {

xcb_connection_t *x11Connection()
{
    if (!qApp)
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *connection, const QByteArray &name, bool onlyIfExists)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection,
        xcb_intern_atom(connection, onlyIfExists, uint16_t(name.size()), name.constData()),
        nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

int defaultScreenNumber()
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

} // namespace

bool BlurBehind::compositorRunning()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return true;
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(defaultScreenNumber());
    const xcb_atom_t selection = atom(connection, name, false);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    free(reply);
    return owned;
}

void BlurBehind::request(QWindow *window, const QRegion &region)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window || !window->handle())
        return;
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t property = atom(connection, "_KDE_NET_WM_BLUR_BEHIND_REGION", false);
    if (property == XCB_ATOM_NONE)
        return;
    if (region.isEmpty()) {
        xcb_delete_property(connection, id, property);
        xcb_flush(connection);
        return;
    }
    // The property is in native pixels: x, y, width, height per rectangle.
    const qreal ratio = window->devicePixelRatio();
    std::vector<uint32_t> data;
    for (const QRect &r : region) {
        data.push_back(uint32_t(std::lround(r.x() * ratio)));
        data.push_back(uint32_t(std::lround(r.y() * ratio)));
        data.push_back(uint32_t(std::lround(r.width() * ratio)));
        data.push_back(uint32_t(std::lround(r.height() * ratio)));
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_CARDINAL, 32,
        uint32_t(data.size()), data.data());
    xcb_flush(connection);
}
