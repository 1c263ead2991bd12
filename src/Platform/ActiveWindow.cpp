// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/ActiveWindow.h"

#include "Platform/Xcb.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSysInfo>

#include <algorithm>

using Xcb::Reply;

namespace {

// A window of type _NET_WM_WINDOW_TYPE_DESKTOP draws the desktop (its icons, its background).
bool hasDesktopType(const xcb_get_property_reply_t *types)
{
    if (!types || types->format != 32)
        return false;
    const auto *list = static_cast<const xcb_atom_t *>(xcb_get_property_value(types));
    const int n = xcb_get_property_value_length(types) / 4;
    const xcb_atom_t desktop = Xcb::atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    return std::find(list, list + n, desktop) != list + n;
}

} // namespace

ActiveWindow::ActiveWindow(QObject *parent)
    : ActiveApplicationSource(parent)
{
    m_noneTimer.setSingleShot(true);
    m_noneTimer.setInterval(passingMomentMs);
    connect(&m_noneTimer, &QTimer::timeout, this, [this] {
        if (m_observable && activeWindowId() == 0u)
            Q_EMIT activeApplicationChanged();
    });
    m_connection = Xcb::connection();
    if (!m_connection) {
        m_reason = QStringLiteral("the display is not an X11 display (platform \"%1\"), so the "
                                  "active application cannot be observed")
                       .arg(QGuiApplication::platformName());
        return;
    }
    m_root = Xcb::root();
    if (m_root == XCB_WINDOW_NONE) {
        m_reason = QStringLiteral("the X display has no screen");
        m_connection = nullptr;
        return;
    }
    m_activeAtom = Xcb::atom("_NET_ACTIVE_WINDOW");
    m_supportedAtom = Xcb::atom("_NET_SUPPORTED");
    m_checkAtom = Xcb::atom("_NET_SUPPORTING_WM_CHECK");
    Xcb::addEventMask(m_root, XCB_EVENT_MASK_PROPERTY_CHANGE);

    checkSupport();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

ActiveWindow::~ActiveWindow()
{
    if (m_connection && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void ActiveWindow::checkSupport()
{
    bool ok = false;
    QString reason;
    // EWMH: the check window names itself in the same property; a stale value left behind by a
    // window manager that has exited points to a window that no longer exists.
    const auto check = Xcb::cardinal(m_connection, m_root, m_checkAtom, XCB_ATOM_WINDOW);
    const auto self
        = check ? Xcb::cardinal(m_connection, *check, m_checkAtom, XCB_ATOM_WINDOW) : std::nullopt;
    if (!check || !self || *self != *check) {
        reason = QStringLiteral("no EWMH window manager runs (no _NET_SUPPORTING_WM_CHECK), so "
                                "the active application cannot be observed");
    } else {
        const auto supported
            = Xcb::property(m_connection, m_root, m_supportedAtom, XCB_ATOM_ATOM, 4096);
        if (supported && supported->format == 32) {
            const auto *list
                = static_cast<const xcb_atom_t *>(xcb_get_property_value(supported.get()));
            const int n = xcb_get_property_value_length(supported.get()) / 4;
            for (int i = 0; i < n && !ok; ++i)
                ok = list[i] == m_activeAtom;
        }
        if (!ok)
            reason = QStringLiteral("the window manager does not support _NET_ACTIVE_WINDOW, so "
                                    "the active application cannot be observed");
    }
    if (ok == m_observable && reason == m_reason)
        return;
    m_observable = ok;
    m_reason = reason;
    Q_EMIT observabilityChanged();
}

bool ActiveWindow::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (Xcb::eventType(eventType, message) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
    if (notify->window != m_root)
        return false;
    if (notify->atom == m_activeAtom) {
        if (m_observable)
            activeWindowChanged();
    } else if (notify->atom == m_checkAtom || notify->atom == m_supportedAtom) {
        checkSupport();
    }
    return false; // Qt keeps its own view of the root window's properties
}

void ActiveWindow::activeWindowChanged()
{
    // Window managers pass through None while they switch windows or workspaces: only a None
    // that is still there a moment later is news (the desktop).
    if (activeWindowId() == 0u) {
        if (!m_noneTimer.isActive())
            m_noneTimer.start();
        return;
    }
    m_noneTimer.stop();
    Q_EMIT activeApplicationChanged();
}

std::optional<quint32> ActiveWindow::activeWindowId() const
{
    const auto reply = Xcb::property(m_connection, m_root, m_activeAtom, XCB_ATOM_WINDOW, 1);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return 0u; // no active window at all
    if (reply->type != XCB_ATOM_WINDOW || reply->format != 32
        || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
}

std::optional<WindowApplication> ActiveWindow::current() const
{
    if (!m_connection || !m_observable)
        return std::nullopt;
    const auto window = activeWindowId();
    if (!window)
        return std::nullopt;
    if (*window == XCB_WINDOW_NONE || *window == m_root) {
        WindowApplication desktop;
        desktop.isDesktop = true;
        return desktop;
    }
    return applicationOf(m_connection, *window);
}

std::optional<WindowApplication> ActiveWindow::applicationOf(xcb_connection_t *c, quint32 window)
{
    if (!c || window == XCB_WINDOW_NONE)
        return std::nullopt;
    // All five requests go out before the first reply is awaited: one round trip.
    const auto gtkCookie = xcb_get_property(
        c, 0, window, Xcb::atom("_GTK_APPLICATION_ID"), Xcb::atom("UTF8_STRING"), 0, 256);
    const auto classCookie
        = xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    const auto pidCookie
        = xcb_get_property(c, 0, window, Xcb::atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1);
    const auto machineCookie
        = xcb_get_property(c, 0, window, Xcb::atom("WM_CLIENT_MACHINE"), XCB_ATOM_STRING, 0, 256);
    const auto typeCookie
        = xcb_get_property(c, 0, window, Xcb::atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 0, 32);
    auto take = [c](xcb_get_property_cookie_t cookie, bool &gone) {
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, &error));
        const Reply<xcb_generic_error_t> failure(error);
        if (failure && failure->error_code == XCB_WINDOW)
            gone = true;
        if (reply && reply->type == XCB_ATOM_NONE)
            reply.reset();
        return reply;
    };
    bool gone = false;
    const auto gtk = take(gtkCookie, gone);
    const auto wmClass = take(classCookie, gone);
    const auto pid = take(pidCookie, gone);
    const auto machine = take(machineCookie, gone);
    const auto types = take(typeCookie, gone);
    if (gone)
        return std::nullopt;

    WindowApplication app;
    app.isDesktop = hasDesktopType(types.get());
    app.applicationId = QString::fromUtf8(Xcb::bytes(gtk.get()));
    const QList<QByteArray> parts = Xcb::bytes(wmClass.get()).split('\0');
    if (!parts.isEmpty())
        app.classInstance = QString::fromLocal8Bit(parts.value(0));
    if (parts.size() > 1)
        app.className = QString::fromLocal8Bit(parts.value(1));
    // A process id means something only on the machine it was given on.
    QByteArray host = Xcb::bytes(machine.get());
    if (int nul = host.indexOf('\0'); nul >= 0)
        host.truncate(nul);
    const bool local
        = host.isEmpty() || QString::fromLocal8Bit(host) == QSysInfo::machineHostName();
    if (local && pid && pid->format == 32 && xcb_get_property_value_length(pid.get()) >= 4)
        app.pid = *static_cast<const quint32 *>(xcb_get_property_value(pid.get()));
    return app;
}
