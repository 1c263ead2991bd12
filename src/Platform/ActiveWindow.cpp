// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/ActiveWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSysInfo>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t intern(xcb_connection_t *c, const char *name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The property's value, or empty when the window or the property is missing. Errors (a window
// destroyed meanwhile) come back through the reply call and are simply dropped.
Reply<xcb_get_property_reply_t> readProperty(xcb_connection_t *c, xcb_window_t window,
    xcb_atom_t atom, xcb_atom_t type, uint32_t longLength = 1024)
{
    if (window == XCB_WINDOW_NONE || atom == XCB_ATOM_NONE)
        return {};
    xcb_generic_error_t *error = nullptr;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom, type, 0, longLength), &error));
    std::free(error);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return {};
    return reply;
}

std::optional<quint32> cardinal(
    xcb_connection_t *c, xcb_window_t window, xcb_atom_t atom, xcb_atom_t type)
{
    const auto reply = readProperty(c, window, atom, type, 1);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
}

QByteArray bytes(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 8)
        return {};
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
        xcb_get_property_value_length(reply));
}

struct Atoms
{
    xcb_atom_t gtkApplicationId, utf8String, netWmPid, clientMachine;
};

const Atoms &atoms(xcb_connection_t *c)
{
    // Interned once per process on Qt's one connection.
    static const Atoms a { intern(c, "_GTK_APPLICATION_ID"), intern(c, "UTF8_STRING"),
        intern(c, "_NET_WM_PID"), intern(c, "WM_CLIENT_MACHINE") };
    return a;
}

} // namespace

QStringList WindowApplication::identifiers() const
{
    QStringList ids;
    for (const QString &s : { applicationId, classInstance, className })
        if (!s.isEmpty())
            ids << s;
    return ids;
}

ActiveWindow::ActiveWindow(QObject *parent)
    : QObject(parent)
{
    auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        m_reason = QStringLiteral("the display is not an X11 display (platform \"%1\"), so the "
                                  "active application cannot be observed")
                       .arg(QGuiApplication::platformName());
        return;
    }
    m_connection = x11->connection();
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(setup).data;
    if (!screen) {
        m_reason = QStringLiteral("the X display has no screen");
        m_connection = nullptr;
        return;
    }
    m_root = screen->root;
    m_activeAtom = intern(m_connection, "_NET_ACTIVE_WINDOW");
    m_supportedAtom = intern(m_connection, "_NET_SUPPORTED");
    m_checkAtom = intern(m_connection, "_NET_SUPPORTING_WM_CHECK");
    atoms(m_connection);

    // Qt has its own interest in the root window: add to it rather than replace it.
    Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, m_root), nullptr));
    const uint32_t mask
        = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);

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
    const auto check = cardinal(m_connection, m_root, m_checkAtom, XCB_ATOM_WINDOW);
    const auto self
        = check ? cardinal(m_connection, *check, m_checkAtom, XCB_ATOM_WINDOW) : std::nullopt;
    if (!check || !self || *self != *check) {
        reason = QStringLiteral("no EWMH window manager runs (no _NET_SUPPORTING_WM_CHECK), so "
                                "the active application cannot be observed");
    } else {
        const auto supported
            = readProperty(m_connection, m_root, m_supportedAtom, XCB_ATOM_ATOM, 4096);
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
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
    if (notify->window != m_root)
        return false;
    if (notify->atom == m_activeAtom) {
        if (m_observable)
            Q_EMIT activeWindowChanged();
    } else if (notify->atom == m_checkAtom || notify->atom == m_supportedAtom) {
        checkSupport();
    }
    return false; // Qt keeps its own view of the root window's properties
}

std::optional<WindowApplication> ActiveWindow::current() const
{
    if (!m_connection || !m_observable)
        return std::nullopt;
    const auto window = cardinal(m_connection, m_root, m_activeAtom, XCB_ATOM_WINDOW);
    if (!window || *window == XCB_WINDOW_NONE)
        return std::nullopt;
    return applicationOf(m_connection, *window);
}

std::optional<WindowApplication> ActiveWindow::applicationOf(xcb_connection_t *c, quint32 window)
{
    if (!c || window == XCB_WINDOW_NONE)
        return std::nullopt;
    const Atoms &a = atoms(c);
    // All four requests go out before the first reply is awaited: one round trip.
    const auto gtkCookie = xcb_get_property(c, 0, window, a.gtkApplicationId, a.utf8String, 0, 256);
    const auto classCookie
        = xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    const auto pidCookie = xcb_get_property(c, 0, window, a.netWmPid, XCB_ATOM_CARDINAL, 0, 1);
    const auto machineCookie
        = xcb_get_property(c, 0, window, a.clientMachine, XCB_ATOM_STRING, 0, 256);
    auto take = [c](xcb_get_property_cookie_t cookie, bool &gone) {
        xcb_generic_error_t *error = nullptr;
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, &error));
        if (error && error->error_code == XCB_WINDOW)
            gone = true;
        std::free(error);
        if (reply && reply->type == XCB_ATOM_NONE)
            reply.reset();
        return reply;
    };
    bool gone = false;
    const auto gtk = take(gtkCookie, gone);
    const auto wmClass = take(classCookie, gone);
    const auto pid = take(pidCookie, gone);
    const auto machine = take(machineCookie, gone);
    if (gone)
        return std::nullopt;

    WindowApplication app;
    app.applicationId = QString::fromUtf8(bytes(gtk.get()));
    const QList<QByteArray> parts = bytes(wmClass.get()).split('\0');
    if (!parts.isEmpty())
        app.classInstance = QString::fromLocal8Bit(parts.value(0));
    if (parts.size() > 1)
        app.className = QString::fromLocal8Bit(parts.value(1));
    // A process id means something only on the machine it was given on.
    QByteArray host = bytes(machine.get());
    if (int nul = host.indexOf('\0'); nul >= 0)
        host.truncate(nul);
    const bool local
        = host.isEmpty() || QString::fromLocal8Bit(host) == QSysInfo::machineHostName();
    if (local && pid && pid->format == 32 && xcb_get_property_value_length(pid.get()) >= 4)
        app.pid = *static_cast<const quint32 *>(xcb_get_property_value(pid.get()));
    return app;
}
