// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {

// The object the bus exports: one method, Reopen.
class ReopenService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", QUILLMOTH_APP_ID)
public:
    explicit ReopenService(SingleInstance *owner)
        : QObject(owner)
        , m_owner(owner)
    {
    }

public Q_SLOTS:
    Q_SCRIPTABLE void Reopen() { Q_EMIT m_owner->reopenRequested(); }

private:
    SingleInstance *m_owner;
};

constexpr int callTimeoutMs = 5000;

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{
}
SingleInstance::~SingleInstance() = default;

QString SingleInstance::busName()
{
    return QStringLiteral(QUILLMOTH_APP_ID);
}

QString SingleInstance::objectPath()
{
    return QLatin1Char('/') + busName().replace(QLatin1Char('.'), QLatin1Char('/'));
}

QString SingleInstance::socketPath()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir + QLatin1Char('/') + busName() + QStringLiteral(".socket");
}

SingleInstance::Role SingleInstance::claim()
{
    Role role = Role::Primary;
    if (claimOnBus(role))
        return role;
    return claimOnSocket();
}

bool SingleInstance::claimOnBus(Role &role)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    // The object first, so that a call arriving right after the name is ours finds it.
    auto *service = new ReopenService(this);
    if (!bus.registerObject(
            objectPath(), busName(), service, QDBusConnection::ExportScriptableSlots)) {
        delete service;
        return false;
    }
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply
            = bus.interface()->registerService(busName(),
                QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid())
            break;
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            role = Role::Primary;
            return true;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            busName(), objectPath(), busName(), QStringLiteral("Reopen"));
        const QDBusMessage answer = bus.call(call, QDBus::Block, callTimeoutMs);
        if (answer.type() == QDBusMessage::ReplyMessage) {
            role = Role::Secondary;
            return true;
        }
        // The owner went away between the two steps: try to take the name again.
        QThread::msleep(50);
    }
    bus.unregisterObject(objectPath());
    delete service;
    // A bus that refuses the name or never answers: the socket decides instead.
    return false;
}

SingleInstance::Role SingleInstance::claimOnSocket()
{
    const QString path = socketPath();
    m_lock = std::make_unique<QLockFile>(path.chopped(7) + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0); // stale only when its process is gone
    if (m_lock->tryLock(0)) {
        QLocalServer::removeServer(path); // left behind by a process that died
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *peer = m_server->nextPendingConnection()) {
                connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
                connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                    while (peer->canReadLine()) {
                        if (peer->readLine().trimmed() == "reopen") {
                            peer->write("ok\n");
                            peer->flush();
                            Q_EMIT reopenRequested();
                        }
                    }
                });
            }
        });
        m_server->listen(path);
        return Role::Primary;
    }
    m_lock.reset();
    // The running instance may still be setting up its socket: try for a little while.
    for (int attempt = 0; attempt < 40; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(250)) {
            socket.write("reopen\n");
            socket.waitForBytesWritten(1000);
            socket.waitForReadyRead(callTimeoutMs);
            return Role::Secondary;
        }
        QThread::msleep(50);
    }
    return Role::Secondary;
}

#include "SingleInstance.moc"
