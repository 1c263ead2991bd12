// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/WaylandClient.h"

#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

std::unique_ptr<WaylandClient> WaylandClient::bind(
    const wl_interface &interface, uint32_t newestVersion, QString &whyNot)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        whyNot = QStringLiteral("the Wayland display cannot be reached (%1)")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return nullptr;
    }
    std::unique_ptr<WaylandClient> client(new WaylandClient(display));
    client->m_interfaceName = interface.name;
    static const wl_registry_listener registryListener { &registryGlobal, &registryGlobalRemove };
    client->m_registry = wl_display_get_registry(display);
    wl_registry_add_listener(client->m_registry, &registryListener, client.get());
    if (!client->roundtrip()) {
        whyNot = QStringLiteral("the Wayland connection failed at start");
        return nullptr;
    }
    if (!client->m_name) {
        whyNot = QStringLiteral("the Wayland compositor does not offer %1 to this program")
                     .arg(QLatin1String(interface.name));
        return nullptr;
    }
    client->m_version = std::min(client->m_version, newestVersion);
    client->m_global
        = wl_registry_bind(client->m_registry, client->m_name, &interface, client->m_version);
    return client;
}

WaylandClient::WaylandClient(wl_display *display)
    : m_display(display)
{
}

// The users destroy their own objects, the global among them, before this goes.
WaylandClient::~WaylandClient()
{
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

bool WaylandClient::roundtrip()
{
    return wl_display_roundtrip(m_display) >= 0;
}

void WaylandClient::startReading()
{
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WaylandClient::readEvents);
}

void WaylandClient::readEvents()
{
    // The socket is readable, so this reads without waiting, then runs the listeners.
    if (wl_display_dispatch(m_display) < 0) {
        const int error = wl_display_get_error(m_display);
        m_notifier->setEnabled(false);
        Q_EMIT lost(QStringLiteral("the Wayland connection closed (%1)")
                        .arg(QString::fromLocal8Bit(std::strerror(error ? error : errno))));
        return;
    }
    wl_display_flush(m_display); // what the listeners asked for meanwhile
    Q_EMIT dispatched();
}

void WaylandClient::registryGlobal(
    void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
{
    auto *self = static_cast<WaylandClient *>(data);
    if (!self->m_name && std::strcmp(interface, self->m_interfaceName) == 0) {
        self->m_name = name;
        self->m_version = version;
    }
}

void WaylandClient::registryGlobalRemove(void *data, wl_registry *, uint32_t name)
{
    auto *self = static_cast<WaylandClient *>(data);
    if (name != self->m_name || !self->m_global)
        return;
    if (self->m_notifier)
        self->m_notifier->setEnabled(false);
    Q_EMIT self->lost(QStringLiteral("the Wayland compositor withdrew %1")
                          .arg(QLatin1String(self->m_interfaceName)));
}
