// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/ActiveApplicationSource.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

struct xcb_connection_t;

// The desktop's active window (EWMH _NET_ACTIVE_WINDOW on Qt's own xcb connection) and the
// application it belongs to. Change events arrive through a native event filter; nothing polls.
// Where activation cannot be observed (not X11, no EWMH window manager, or one that does not
// maintain _NET_ACTIVE_WINDOW) `observable()` is false and `unobservableReason()` says why.
// A window manager that starts or is replaced later is picked up from the root window's
// _NET_SUPPORTING_WM_CHECK and _NET_SUPPORTED changes.
class ActiveWindow : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit ActiveWindow(QObject *parent = nullptr);
    ~ActiveWindow() override;

    bool observable() const { return m_observable; }
    QString unobservableReason() const { return m_reason; }

    // The application of the window active right now; empty when no window is active, when it
    // cannot be read (for example it vanished meanwhile) or when activation is not observable.
    std::optional<WindowApplication> current() const;

    // The application a given window belongs to; empty when the window does not exist.
    static std::optional<WindowApplication> applicationOf(
        xcb_connection_t *connection, quint32 window);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    // _NET_ACTIVE_WINDOW changed on the root window.
    void activeWindowChanged();
    // `observable()` changed (a window manager came or went).
    void observabilityChanged();

private:
    void checkSupport();

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_activeAtom = 0;
    quint32 m_supportedAtom = 0;
    quint32 m_checkAtom = 0;
    bool m_observable = false;
    QString m_reason;
};
