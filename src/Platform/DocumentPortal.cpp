// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/DocumentPortal.h"

#include "Platform/PlatformLog.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Documents");
const QString objectPath = QStringLiteral("/org/freedesktop/portal/documents");
const QString interface = QStringLiteral("org.freedesktop.portal.Documents");
// The portal's answers for a document id it has never issued (1.16 says the id is invalid).
const QStringList definiteErrors { QStringLiteral("org.freedesktop.portal.Error.NotFound"),
    QStringLiteral("org.freedesktop.portal.Error.InvalidArgument") };

// The portal's paths are byte strings with GLib's closing NUL.
QByteArray withoutNul(QByteArray bytes)
{
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return bytes;
}

} // namespace

DocumentPortal::DocumentPortal(QObject *parent)
    : QObject(parent)
{
}

void DocumentPortal::lookUp(const QSet<QString> &documentIds)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_hasAskedMount && bus.isConnected())
        askMountPoint();
    for (const QString &id : documentIds) {
        if (m_paths.hosts.contains(id) || m_asking.contains(id) || m_failed.contains(id))
            continue;
        if (!bus.isConnected()) {
            answered(id, std::nullopt, true);
            continue;
        }
        m_asking.insert(id);
        const QDBusMessage call
            = QDBusMessage::createMethodCall(service, objectPath, interface, QStringLiteral("Info"))
            << id;
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, id, watcher] {
            watcher->deleteLater();
            m_asking.remove(id);
            const QDBusPendingReply<QByteArray> reply = *watcher;
            if (reply.isValid())
                answered(id, withoutNul(reply.value()), false);
            else
                answered(id, std::nullopt, !definiteErrors.contains(reply.error().name()));
        });
    }
}

void DocumentPortal::forgetFailures()
{
    for (const QString &id : std::as_const(m_failed))
        m_paths.hosts.remove(id);
    m_failed.clear();
}

void DocumentPortal::askMountPoint()
{
    // Where the portal shows its files on the host, when that is not the usual place.
    m_hasAskedMount = true;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        service, objectPath, interface, QStringLiteral("GetMountPoint"));
    auto *watcher
        = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QByteArray> reply = *watcher;
        if (!reply.isValid())
            return;
        const QString mount = QFile::decodeName(withoutNul(reply.value())) + QLatin1Char('/');
        if (mount.size() > 1 && !m_paths.mounts.contains(mount)) {
            m_paths.mounts << mount;
            Q_EMIT learned();
        }
    });
}

void DocumentPortal::answered(const QString &id, std::optional<QByteArray> host, bool failed)
{
    if (failed) {
        m_failed.insert(id);
        if (!std::exchange(m_hasWarned, true))
            qCWarning(lcPlatform,
                "The document portal cannot be asked; files that sandboxed apps opened through "
                "it are left out");
    }
    if (host && host->isEmpty())
        host.reset();
    m_paths.hosts.insert(id, host);
    Q_EMIT learned();
}
