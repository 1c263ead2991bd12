// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A pointer for headless wlroots compositors, which have no input devices: reads one command a
// line from standard input and plays it through a virtual pointer, which stays while input is
// open (so that clients bind it once, at their start). Commands: "move X Y" (output pixels),
// "press", "release" (the left button). Usage: quillmoth-vpointer OUTPUT_WIDTH OUTPUT_HEIGHT

#include "wayland-wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr uint32_t leftButton = 0x110; // BTN_LEFT

struct Globals
{
    wl_seat *seat = nullptr;
    zwlr_virtual_pointer_manager_v1 *manager = nullptr;
};

void global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *g = static_cast<Globals *>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
        g->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g->manager = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void globalRemove(void *, wl_registry *, uint32_t)
{
}

uint32_t now()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool play(
    zwlr_virtual_pointer_v1 *pointer, const std::string &line, uint32_t width, uint32_t height)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "move") {
        uint32_t x = 0, y = 0;
        if (!(in >> x >> y))
            return false;
        zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), x, y, width, height);
    } else if (command == "press" || command == "release") {
        zwlr_virtual_pointer_v1_button(pointer, now(), leftButton,
            command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED
                               : WL_POINTER_BUTTON_STATE_RELEASED);
    } else {
        return false;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_WIDTH OUTPUT_HEIGHT\n", argv[0]);
        return 2;
    }
    const auto width = uint32_t(std::strtoul(argv[1], nullptr, 10));
    const auto height = uint32_t(std::strtoul(argv[2], nullptr, 10));
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "vpointer: no Wayland display\n");
        return 1;
    }
    Globals globals;
    static const wl_registry_listener listener { &global, &globalRemove };
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager) {
        std::fprintf(stderr, "vpointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    zwlr_virtual_pointer_v1 *pointer
        = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        if (!play(pointer, line, width, height))
            std::fprintf(stderr, "vpointer: cannot play \"%s\"\n", line.c_str());
        if (wl_display_roundtrip(display) < 0)
            return 1;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
