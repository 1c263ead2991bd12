// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "XSession.h"

#include <QElapsedTimer>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// How often an activation is asked for again while the window manager has not acted on it.
constexpr int activateRetryMs = 500;

// An xcb reply, freed with its owner.
template <typename T> std::unique_ptr<T, void (*)(void *)> owned(T *reply)
{
    return { reply, std::free };
}

auto property(xcb_connection_t *c, quint32 window, quint32 property, quint32 type, quint32 length)
{
    return owned(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, length), nullptr));
}

// A property's 32-bit values; none when it is missing or of another format.
QList<quint32> values32(
    xcb_connection_t *c, quint32 window, quint32 name, quint32 type, quint32 length)
{
    const auto r = property(c, window, name, type, length);
    if (!r || r->format != 32)
        return {};
    const auto *v = static_cast<const quint32 *>(xcb_get_property_value(r.get()));
    return QList<quint32>(v, v + xcb_get_property_value_length(r.get()) / 4);
}

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
    const auto r
        = owned(xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, strlen(name), name), nullptr));
    return r ? r->atom : 0;
}

std::optional<quint32> XConnection::cardinal(quint32 window, const char *name, quint32 type) const
{
    const QList<quint32> values = values32(m_c, window, atom(name), type, 1);
    return values.isEmpty() ? std::nullopt : std::optional(values.first());
}

quint32 XConnection::findWindow(qint64 pid, const QByteArray &title) const
{
    QList<quint32> pending { m_root };
    while (!pending.isEmpty()) {
        const quint32 w = pending.takeFirst();
        const auto name = property(m_c, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 1024);
        const QByteArray text = name && name->format == 8
            ? QByteArray(static_cast<const char *>(xcb_get_property_value(name.get())),
                xcb_get_property_value_length(name.get()))
            : QByteArray();
        if (w != m_root && text == title
            && cardinal(w, "_NET_WM_PID", XCB_ATOM_CARDINAL) == quint32(pid))
            return w;
        if (const auto tree = owned(xcb_query_tree_reply(m_c, xcb_query_tree(m_c, w), nullptr)))
            pending << QList<quint32>(xcb_query_tree_children(tree.get()),
                xcb_query_tree_children(tree.get()) + xcb_query_tree_children_length(tree.get()));
    }
    return 0;
}

quint32 XConnection::shownPanel(AppRun &app) const
{
    quint32 window = 0;
    const bool found = QTest::qWaitFor(
        [&] { return app.running() && (window = findWindow(app.pid(), "Quillmoth")) != 0; },
        xWaitMs);
    return found && waitViewable(window) ? window : 0;
}

QRect XConnection::geometry(quint32 window) const
{
    const auto g = owned(xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, window), nullptr));
    const auto t = owned(xcb_translate_coordinates_reply(
        m_c, xcb_translate_coordinates(m_c, window, m_root, 0, 0), nullptr));
    return g && t ? QRect(t->dst_x, t->dst_y, g->width, g->height) : QRect();
}

bool XConnection::viewable(quint32 window) const
{
    const auto a = owned(
        xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window), nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool XConnection::waitViewable(quint32 window, bool isViewable) const
{
    return QTest::qWaitFor([&] { return viewable(window) == isViewable; }, xWaitMs);
}

bool XConnection::acceptsInput(quint32 window) const
{
    // Without hints the window manager gives input.
    const QList<quint32> hints = values32(m_c, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 9);
    return hints.size() < 2 || !(hints[0] & 1) || hints[1] != 0;
}

bool XConnection::hasState(quint32 window, const char *state) const
{
    return values32(m_c, window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 64).contains(atom(state));
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

void XConnection::setProperty(
    quint32 window, const char *name, quint32 type, const QList<quint32> &values) const
{
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, window, atom(name), type, 32, values.size(),
        values.constData());
    xcb_flush(m_c);
}

void XConnection::deleteRootProperty(const char *name) const
{
    xcb_delete_property(m_c, m_root, atom(name));
    xcb_flush(m_c);
}

quint32 XConnection::inputOnlyWindow() const
{
    const xcb_window_t w = xcb_generate_id(m_c);
    xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    return w;
}

void XConnection::destroy(quint32 window) const
{
    xcb_destroy_window(m_c, window);
    // A round trip: the server has acted on it when this returns.
    owned(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
}

quint32 XConnection::vanishedWindow() const
{
    const quint32 w = inputOnlyWindow();
    destroy(w);
    return w;
}

FakeApp::FakeApp(const QStringList &arguments, const QByteArray &display)
{
    const QByteArray name = display.isEmpty() ? qgetenv("DISPLAY") : display;
    m_process.start(u"env"_s,
        QStringList {
            u"DISPLAY="_s + QString::fromLatin1(name), QStringLiteral(QUILLMOTH_FAKEAPP_BINARY) }
            + arguments);
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
