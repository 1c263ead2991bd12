// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/GnomeShellExtension.h"

#include "Platform/InstalledGSettings.h"
#include "Platform/PlatformLog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include <gio/gio.h>

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
        const bool isKnown = !reply.isError() && reply.value();
        if (!isKnown)
            listForNextLogin();
        Q_EMIT enableFinished(isKnown);
    });
}

namespace {
// The list under `key` with `id` added or taken out; whether it now says so.
bool setListed(GSettings *settings, const char *key, const QByteArray &id, bool listed)
{
    gchar **now = g_settings_get_strv(settings, key);
    bool done = g_strv_contains(now, id.constData()) == listed;
    if (!done) {
        GStrvBuilder *builder = g_strv_builder_new();
        for (gchar **entry = now; *entry; ++entry) {
            if (id != *entry)
                g_strv_builder_add(builder, *entry);
        }
        if (listed)
            g_strv_builder_add(builder, id.constData());
        gchar **next = g_strv_builder_end(builder);
        done = g_settings_set_strv(settings, key, next);
        g_strfreev(next);
        g_strv_builder_unref(builder);
    }
    g_strfreev(now);
    return done;
}
} // namespace

bool GnomeShellExtension::listForNextLogin()
{
    GSettings *settings
        = installedGSettings("org.gnome.shell", { "enabled-extensions", "disabled-extensions" });
    if (!settings)
        return false;
    const QByteArray id = uuid().toUtf8();
    // The shell's own enabling does both: the disabled list wins over the enabled one.
    const bool listed = setListed(settings, "disabled-extensions", id, false)
        && setListed(settings, "enabled-extensions", id, true);
    g_settings_sync();
    g_object_unref(settings);
    return listed;
}
