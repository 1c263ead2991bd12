// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/CompositorWatcher.h"

#include "Platform/BlurBehind.h"
#include "Platform/PlatformLog.h"
#include "Platform/Xcb.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xfixes.h>

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
    const std::optional<quint8> selectionNotify = Xcb::watchSelectionOwner(m_selection);
    if (!selectionNotify) {
        qCWarning(lcPlatform,
            "The X server has no XFixes extension, so a compositor that "
            "starts or stops later goes unnoticed");
        return;
    }
    m_selectionNotify = *selectionNotify;
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
