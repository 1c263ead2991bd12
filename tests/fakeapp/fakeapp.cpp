// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A tiny X client whose identity the tests choose: it maps one window carrying only the
// properties it is told to set, prints the window id and stays until killed.
//   --class INSTANCE,CLASS   WM_CLASS
//   --gtk-id ID              _GTK_APPLICATION_ID
//   --pid N                  _NET_WM_PID (default: none)
//   --dock-top N             a dock along the top edge with a strut of N pixels
//   --type desktop           _NET_WM_WINDOW_TYPE_DESKTOP, covering the screen (the desktop's
//                            icons and background, as a file manager draws them)
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static xcb_connection_t *c;

static xcb_atom_t atom(const char *name)
{
    xcb_intern_atom_reply_t *r
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
}

static void set(
    xcb_window_t w, xcb_atom_t property, xcb_atom_t type, int format, const void *data, uint32_t n)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, format, n, data);
}

int main(int argc, char **argv)
{
    std::string wmClass, gtkId, type;
    long pid = -1;
    int dockTop = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string k = argv[i], v = argv[i + 1];
        if (k == "--class")
            wmClass = v;
        else if (k == "--gtk-id")
            gtkId = v;
        else if (k == "--type")
            type = v;
        else if (k == "--pid")
            pid = std::atol(v.c_str());
        else if (k == "--dock-top")
            dockTop = std::atoi(v.c_str());
    }
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[]
        = { s->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE };
    const bool desktop = type == "desktop", atOrigin = dockTop || desktop;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, s->root, atOrigin ? 0 : 400, atOrigin ? 0 : 300,
        atOrigin ? s->width_in_pixels : 300,
        desktop       ? s->height_in_pixels
            : dockTop ? dockTop
                      : 200,
        0, XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
        values);
    set(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, "fake", 4);
    if (!wmClass.empty()) {
        // "instance,class" becomes "instance\0class\0".
        std::replace(wmClass.begin(), wmClass.end(), ',', '\0');
        set(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass.c_str(), wmClass.size() + 1);
    }
    if (!gtkId.empty())
        set(w, atom("_GTK_APPLICATION_ID"), atom("UTF8_STRING"), 8, gtkId.data(), gtkId.size());
    if (pid >= 0) {
        const uint32_t p = uint32_t(pid);
        set(w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, &p, 1);
    }
    // WM_HINTS: input = true, so the window manager gives it the keyboard.
    const uint32_t hints[9] = { 1, 1, 0, 0, 0, 0, 0, 0, 0 };
    set(w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, hints, 9);
    if (atOrigin) {
        const xcb_atom_t kind
            = atom(desktop ? "_NET_WM_WINDOW_TYPE_DESKTOP" : "_NET_WM_WINDOW_TYPE_DOCK");
        set(w, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, &kind, 1);
    }
    if (dockTop) {
        const uint32_t strut[12]
            = { 0, 0, uint32_t(dockTop), 0, 0, 0, 0, 0, 0, uint32_t(s->width_in_pixels) - 1, 0, 0 };
        set(w, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, strut, 12);
    }
    xcb_map_window(c, w);
    xcb_flush(c);
    std::printf("window %u\n", w);
    std::fflush(stdout);
    while (xcb_generic_event_t *e = xcb_wait_for_event(c))
        free(e);
    return 0;
}
