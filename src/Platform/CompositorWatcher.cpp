// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/CompositorWatcher.h"

#include "Platform/BlurBehind.h"
#include "Platform/PlatformLog.h"
#include "Platform/Xcb.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xfixes.h>

namespace {

// The XFixes extension's data, or nullptr when the server lacks it. Its version must be agreed
// before any other XFixes request.
const xcb_query_extension_reply_t *xfixesOf(xcb_connection_t *c)
{
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return nullptr;
    const Xcb::Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(c,
        xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    return version && version->major_version >= 1 ? xfixes : nullptr;
}

} // namespace

CompositorWatcher::CompositorWatcher(QObject *parent)
    : QObject(parent)
{
    m_connection = Xcb::connection();
    m_root = Xcb::root();
    if (!m_connection || m_root == XCB_WINDOW_NONE) {
        m_connection = nullptr;
        m_compositing = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        return;
    }
    m_selection = Xcb::atom("_NET_WM_CM_S" + QByteArray::number(Xcb::screenNumber()));
    m_blurAtom = Xcb::atom(BlurBehind::propertyName);
    watch();
    refresh();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CompositorWatcher::~CompositorWatcher()
{
    if (m_connection && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void CompositorWatcher::watch()
{
    Xcb::addEventMask(m_root, XCB_EVENT_MASK_PROPERTY_CHANGE);
    const xcb_query_extension_reply_t *xfixes = xfixesOf(m_connection);
    if (!xfixes) {
        qCWarning(lcPlatform,
            "The X server has no XFixes extension, so a compositor that "
            "starts or stops later goes unnoticed");
        return;
    }
    // A compositor that exits without giving the selection up is noticed too.
    xcb_xfixes_select_selection_input(m_connection, m_root, m_selection,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(m_connection);
    m_selectionNotify = quint8(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
}

void CompositorWatcher::refresh()
{
    // Both requests go out before the first reply is awaited: one round trip.
    const auto ownerCookie = xcb_get_selection_owner(m_connection, m_selection);
    const auto blurCookie
        = xcb_get_property(m_connection, 0, m_root, m_blurAtom, XCB_ATOM_ANY, 0, 0);
    const Xcb::Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(m_connection, ownerCookie, nullptr));
    const Xcb::Reply<xcb_get_property_reply_t> blur(
        xcb_get_property_reply(m_connection, blurCookie, nullptr));
    const bool compositing = owner && owner->owner != XCB_WINDOW_NONE;
    const bool blurring = compositing && blur && blur->type != XCB_ATOM_NONE;
    if (compositing == m_compositing && blurring == m_blurring)
        return;
    m_compositing = compositing;
    m_blurring = blurring;
    Q_EMIT changed();
}

bool CompositorWatcher::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    const std::optional<quint8> type = Xcb::eventType(eventType, message);
    if (!type)
        return false;
    if (m_selectionNotify && *type == m_selectionNotify) {
        const auto *notify = static_cast<const xcb_xfixes_selection_notify_event_t *>(message);
        if (notify->selection == m_selection)
            refresh();
    } else if (*type == XCB_PROPERTY_NOTIFY) {
        const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
        if (notify->window == m_root && notify->atom == m_blurAtom)
            refresh();
    }
    return false; // Qt follows the same selection and properties for its own purposes
}
