// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "XSession.h"

#include <QElapsedTimer>
#include <QTest>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

template <typename T> struct Freed
{
    T *p;
    ~Freed() { std::free(p); }
    T *operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

// How often an activation is asked for again while the window manager has not acted on it.
constexpr int activateRetryMs = 500;

} // namespace

XConnection::XConnection(const QByteArray &display)
{
    m_c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    if (xcb_connection_has_error(m_c))
        return;
    if (const xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data)
        m_root = s->root;
}

XConnection::~XConnection()
{
    if (m_c)
        xcb_disconnect(m_c);
}

bool XConnection::ok() const
{
    return m_c && !xcb_connection_has_error(m_c) && m_root;
}

quint32 XConnection::atom(const char *name) const
{
    Freed<xcb_intern_atom_reply_t> r { xcb_intern_atom_reply(
        m_c, xcb_intern_atom(m_c, 0, strlen(name), name), nullptr) };
    return r ? r->atom : 0;
}

std::optional<quint32> XConnection::cardinal(
    quint32 window, const char *property, quint32 type) const
{
    Freed<xcb_get_property_reply_t> r { xcb_get_property_reply(
        m_c, xcb_get_property(m_c, 0, window, atom(property), type, 0, 1), nullptr) };
    if (!r || r->format != 32 || xcb_get_property_value_length(r.p) < 4)
        return std::nullopt;
    return *static_cast<quint32 *>(xcb_get_property_value(r.p));
}

QByteArray XConnection::text(quint32 window, quint32 property) const
{
    Freed<xcb_get_property_reply_t> r { xcb_get_property_reply(m_c,
        xcb_get_property(m_c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr) };
    if (!r || r->format != 8)
        return {};
    return QByteArray(
        static_cast<const char *>(xcb_get_property_value(r.p)), xcb_get_property_value_length(r.p));
}

quint32 XConnection::findWindow(qint64 pid, const QByteArray &title) const
{
    QList<quint32> pending { m_root };
    while (!pending.isEmpty()) {
        const quint32 w = pending.takeFirst();
        if (w != m_root && text(w, XCB_ATOM_WM_NAME) == title
            && cardinal(w, "_NET_WM_PID", XCB_ATOM_CARDINAL) == quint32(pid))
            return w;
        Freed<xcb_query_tree_reply_t> tree { xcb_query_tree_reply(
            m_c, xcb_query_tree(m_c, w), nullptr) };
        if (!tree)
            continue;
        const xcb_window_t *children = xcb_query_tree_children(tree.p);
        for (int i = 0; i < xcb_query_tree_children_length(tree.p); ++i)
            pending << children[i];
    }
    return 0;
}

quint32 XConnection::shownPanel(AppRun &app) const
{
    quint32 window = 0;
    QTest::qWaitFor(
        [&] { return app.running() && (window = findWindow(app.pid(), "Quillmoth")) != 0; },
        xWaitMs);
    return window && waitViewable(window) ? window : 0;
}

QRect XConnection::geometry(quint32 window) const
{
    Freed<xcb_get_geometry_reply_t> g { xcb_get_geometry_reply(
        m_c, xcb_get_geometry(m_c, window), nullptr) };
    Freed<xcb_translate_coordinates_reply_t> t { xcb_translate_coordinates_reply(
        m_c, xcb_translate_coordinates(m_c, window, m_root, 0, 0), nullptr) };
    if (!g || !t)
        return {};
    return QRect(t->dst_x, t->dst_y, g->width, g->height);
}

bool XConnection::viewable(quint32 window) const
{
    Freed<xcb_get_window_attributes_reply_t> a { xcb_get_window_attributes_reply(
        m_c, xcb_get_window_attributes(m_c, window), nullptr) };
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool XConnection::waitViewable(quint32 window, bool isViewable) const
{
    return QTest::qWaitFor([&] { return viewable(window) == isViewable; }, xWaitMs);
}

bool XConnection::acceptsInput(quint32 window) const
{
    Freed<xcb_get_property_reply_t> r { xcb_get_property_reply(m_c,
        xcb_get_property(m_c, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9), nullptr) };
    if (!r || r->format != 32 || xcb_get_property_value_length(r.p) < 8)
        return true; // no hints: the window manager gives input
    const auto *v = static_cast<quint32 *>(xcb_get_property_value(r.p));
    return !(v[0] & 1) || v[1] != 0;
}

bool XConnection::hasState(quint32 window, const char *state) const
{
    Freed<xcb_get_property_reply_t> r { xcb_get_property_reply(m_c,
        xcb_get_property(m_c, 0, window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64), nullptr) };
    if (!r || r->format != 32)
        return false;
    const auto *v = static_cast<quint32 *>(xcb_get_property_value(r.p));
    const int count = xcb_get_property_value_length(r.p) / 4;
    return std::find(v, v + count, atom(state)) != v + count;
}

quint32 XConnection::activeWindow() const
{
    return cardinal(m_root, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW).value_or(0);
}

bool XConnection::activate(quint32 window) const
{
    QElapsedTimer clock;
    clock.start();
    while (!QTest::qWaitFor([&] { return activeWindow() == window; }, activateRetryMs)) {
        if (clock.hasExpired(xWaitMs))
            return false;
        sendToRoot(window, "_NET_ACTIVE_WINDOW", 2, 0);
    }
    return true;
}

void XConnection::sendToRoot(quint32 window, const char *type, quint32 data0, quint32 data1) const
{
    xcb_client_message_event_t e {};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = window;
    e.type = atom(type);
    e.data.data32[0] = data0;
    e.data.data32[1] = data1;
    xcb_send_event(m_c, 0, m_root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&e));
    xcb_flush(m_c);
}

void XConnection::requestClose(quint32 window) const
{
    sendToRoot(window, "_NET_CLOSE_WINDOW", 0, 2);
}

void XConnection::setRootProperty(
    const char *property, quint32 type, const QList<quint32> &values) const
{
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, atom(property), type, 32, values.size(),
        values.constData());
    xcb_flush(m_c);
}

void XConnection::deleteRootProperty(const char *property) const
{
    xcb_delete_property(m_c, m_root, atom(property));
    xcb_flush(m_c);
}

quint32 XConnection::vanishedWindow() const
{
    const xcb_window_t w = xcb_generate_id(m_c);
    xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 10, 10, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_destroy_window(m_c, w);
    Freed<xcb_get_input_focus_reply_t> sync { xcb_get_input_focus_reply(
        m_c, xcb_get_input_focus(m_c), nullptr) };
    return w;
}

FakeApp::FakeApp(const QStringList &arguments, const QByteArray &display)
{
    if (!display.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, QString::fromLatin1(display));
        m_process.setProcessEnvironment(env);
    }
    m_process.start(QStringLiteral(QUILLMOTH_FAKEAPP_BINARY), arguments);
    if (m_process.waitForStarted(xWaitMs) && m_process.waitForReadyRead(xWaitMs)) {
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith("window "))
            m_window = line.mid(7).toUInt();
    }
}

FakeApp::~FakeApp()
{
    m_process.kill();
    m_process.waitForFinished(xWaitMs);
}

bool xdotool(const QStringList &arguments)
{
    QProcess p;
    p.start(u"xdotool"_s, arguments);
    if (p.waitForFinished(xWaitMs))
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    p.kill();
    p.waitForFinished();
    return false;
}
