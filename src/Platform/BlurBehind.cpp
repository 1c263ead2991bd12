// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/BlurBehind.h"

#include "Platform/Xcb.h"

#include <QWindow>

#include <cmath>
#include <vector>

void BlurBehind::request(QWindow *window, const QRegion &region)
{
    xcb_connection_t *connection = Xcb::connection();
    if (!connection || !window || !window->handle())
        return;
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t property = Xcb::atom(propertyName);
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
