// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Chooses Qt's platform plugin (QT_QPA_PLATFORM) from the session, before the application object
// exists, from one look at what the Wayland compositor offers. Where it offers the layer shell
// (wlroots, KWin) the program is a native Wayland client and the panel a layer surface (Qt is
// told to leave bypass-hinted windows without a shell role). Elsewhere (GNOME, weston, plain X11)
// the panel places itself as an X11 window, natively or through XWayland, so X11 wins wherever
// DISPLAY is set; with no display at all the program runs without a screen instead of aborting.
// A QT_QPA_PLATFORM the user set stays. Returns why there is no screen, or nullptr when there is
// one.
const char *choosePlatformForDisplay();
