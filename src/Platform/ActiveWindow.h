// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/ActiveApplicationSource.h"

#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <optional>

struct xcb_connection_t;

// The desktop's active window on X11 (EWMH _NET_ACTIVE_WINDOW on Qt's own xcb connection) and
// the application it belongs to. Change events arrive through a native event filter; nothing
// polls. Where activation cannot be observed (not X11, no EWMH window manager, or one that does
// not maintain _NET_ACTIVE_WINDOW) `observable()` is false and `unobservableReason()` says why.
// A window manager that starts or is replaced later is picked up from the root window's
// _NET_SUPPORTING_WM_CHECK and _NET_SUPPORTED changes. A None that lasts, the root window and a
// desktop-type window are the desktop; a None shorter than `passingMomentMs` is no change.
class ActiveWindow : public ActiveApplicationSource, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit ActiveWindow(QObject *parent = nullptr);
    ~ActiveWindow() override;

    bool observable() const override { return m_observable; }
    QString unobservableReason() const override { return m_reason; }
    std::optional<WindowApplication> current() const override;

    // The application a given window belongs to; empty when the window does not exist.
    static std::optional<WindowApplication> applicationOf(
        xcb_connection_t *connection, quint32 window);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void checkSupport();
    void activeWindowChanged();
    // The active window's id: 0 for None or no property, empty when the property is unreadable.
    std::optional<quint32> activeWindowId() const;

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_activeAtom = 0;
    quint32 m_supportedAtom = 0;
    quint32 m_checkAtom = 0;
    bool m_observable = false;
    QString m_reason;
    // Runs while _NET_ACTIVE_WINDOW is None and the moment may still be a passing one.
    QTimer m_noneTimer;
};
