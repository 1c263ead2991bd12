// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRegion>

class QWindow;

// Asks the compositor to blur what lies behind a top-level window (KWin's
// _KDE_NET_WM_BLUR_BEHIND_REGION on X11). Whether anything honours the request is
// CompositorWatcher's to tell.
namespace BlurBehind {
// The property a window sets to ask for blur, and that KWin sets on the root window while its
// blur effect runs.
inline constexpr char propertyName[] = "_KDE_NET_WM_BLUR_BEHIND_REGION";
// Sets (or, with an empty region, removes) the blur-behind region of `window`'s native window,
// in the window's device-independent coordinates. Does nothing off X11 or before the window exists.
void request(QWindow *window, const QRegion &region);
} // namespace BlurBehind
