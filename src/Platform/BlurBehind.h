// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRegion>

class QWindow;

// Asks the compositor to blur what lies behind a top-level window (KWin's
// _KDE_NET_WM_BLUR_BEHIND_REGION on X11) and tells whether any compositor runs at all.
namespace BlurBehind {
// Whether translucent windows are composited: on X11, whether the _NET_WM_CM_S<screen> selection
// has an owner; Wayland sessions are always composited; anything else (offscreen) is not.
bool compositorRunning();
// Sets (or, with an empty region, removes) the blur-behind region of `window`'s native window,
// in the window's device-independent coordinates. Does nothing off X11 or before the window exists.
void request(QWindow *window, const QRegion &region);
} // namespace BlurBehind
