// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/GnomeShellExtension.h"

#include "Platform/PlatformLog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

GnomeShellExtension::GnomeShellExtension(QObject *parent)
    : QObject(parent)
    , m_watcher(new QDBusServiceWatcher(
          busName(), QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange, this))
{
    auto bus = QDBusConnection::sessionBus();
    m_isActive = bus.isConnected() && bus.interface()->isServiceRegistered(busName());
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString &, const QString &, const QString &newOwner) {
            if (m_isActive == !newOwner.isEmpty())
                return;
            m_isActive = !newOwner.isEmpty();
            Q_EMIT activeChanged(m_isActive);
        });
}

QString GnomeShellExtension::uuid()
{
    return QStringLiteral("quillmoth@quillmoth.github.io");
}

QString GnomeShellExtension::busName()
{
    return QStringLiteral("io.github.quillmoth.Quillmoth.Focus");
}

QString GnomeShellExtension::objectPath()
{
    return QStringLiteral("/io/github/quillmoth/Quillmoth/Focus");
}

QString GnomeShellExtension::interfaceName()
{
    return busName();
}

bool GnomeShellExtension::isNeededHere()
{
    const auto desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    return desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive)
        && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void GnomeShellExtension::enable()
{
    auto message = QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Shell"),
        QStringLiteral("/org/gnome/Shell"), QStringLiteral("org.gnome.Shell.Extensions"),
        QStringLiteral("EnableExtension"));
    message.setArguments({ uuid() });
    auto *watcher
        = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<bool> reply = *w;
        if (reply.isError())
            qCWarning(lcPlatform).noquote()
                << "GNOME Shell did not enable the extension:" << reply.error().message();
        Q_EMIT enableFinished(!reply.isError() && reply.value());
    });
}
