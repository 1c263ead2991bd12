// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

struct xcb_connection_t;

// Whether a compositing manager runs and whether it blurs what lies behind translucent windows,
// asked of the X server at start and again only when either changes, so that painting never
// waits for the server. A compositor announces itself by owning the _NET_WM_CM_S<screen>
// selection (followed through XFixes); KWin's blur effect by a root window property named like
// the blur request. Off X11 the answers are fixed: a Wayland session composites but nothing here
// asks it to blur; anything else (offscreen) does neither.
class CompositorWatcher : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit CompositorWatcher(QObject *parent = nullptr);
    ~CompositorWatcher() override;

    bool isCompositing() const { return m_compositing; }
    // Compositing, and the compositor honours blur-behind requests.
    bool isBlurring() const { return m_blurring; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    // `isCompositing()` or `isBlurring()` changed.
    void changed();

private:
    void watch();
    void refresh();

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_selection = 0; // _NET_WM_CM_S<screen>
    quint32 m_blurAtom = 0;
    quint8 m_selectionNotify = 0; // XFixes' selection-notify event code; 0 without XFixes
    bool m_compositing = false;
    bool m_blurring = false;
};
