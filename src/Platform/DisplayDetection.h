// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Chooses Qt's platform plugin (QT_QPA_PLATFORM) from the session, before the application object
// exists. The panel needs to place itself on the screen and see the active window, which only X11
// offers (natively or through XWayland), so X11 wins wherever DISPLAY is set; with no display at
// all the program runs without a screen instead of aborting. A QT_QPA_PLATFORM the user set stays.
// Returns why there is no screen, or nullptr when there is one.
const char *choosePlatformForDisplay();
