// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>

// The one way into X11: Qt's own connection, its default root window, atoms interned once, and
// replies that free themselves. Everything answers "nothing" (nullptr, XCB_WINDOW_NONE,
// XCB_ATOM_NONE, empty) where the display is not X11, so callers need no platform check.
namespace Xcb {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
// An xcb reply (or error), freed when it goes out of scope.
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Qt's connection to the X server; nullptr when the application does not run on X11.
xcb_connection_t *connection();
// The screen Qt opened, as in DISPLAY's ":0.N" (0 when DISPLAY names none).
int screenNumber();
// That screen's root window; XCB_WINDOW_NONE off X11.
xcb_window_t root();

// The atom of `name`, asked of the server the first time only; XCB_ATOM_NONE off X11.
xcb_atom_t atom(const QByteArray &name);

// Adds `mask` to the events this client selects on `window`, keeping what Qt already selected.
void addEventMask(xcb_window_t window, uint32_t mask);

// Has XFixes report every change of `selection`'s owner, an owner that exits without giving it
// up included; the type of those events, or nothing without X11 or XFixes.
std::optional<quint8> watchSelectionOwner(xcb_atom_t selection);

// A window's property, or empty when the window or the property is missing. Errors (a window
// destroyed meanwhile) are dropped. `longLength` counts 32-bit units.
Reply<xcb_get_property_reply_t> property(xcb_connection_t *c, xcb_window_t window,
    xcb_atom_t property, xcb_atom_t type, uint32_t longLength = 1024);
// The first 32-bit value of a property, as for CARDINAL or WINDOW properties.
std::optional<quint32> cardinal(
    xcb_connection_t *c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type);
// An 8-bit property's bytes; empty for anything else.
QByteArray bytes(const xcb_get_property_reply_t *reply);

// The type of an event that Qt hands to a native event filter, the same whether the server or
// another client sent it; empty when the event is not an xcb one.
std::optional<quint8> eventType(const QByteArray &nativeType, const void *message);

} // namespace Xcb
