// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/SingleInstance.h"

#include "Platform/PlatformLog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
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

// A running instance answers at once; one that does not within this is hung, not absent.
constexpr int callTimeoutMs = 1000;
// How long a later launch tries to reach the running instance over the socket before it ends.
constexpr int socketReachMs = 2000;

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Quillmoth");
}

// Folders for the lock and socket, best first: the session's runtime folder, Qt's fallback for
// it, and the program's own config folder when neither can be used.
QStringList coordinationFolders()
{
    QStringList folders;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        folders << runtime;
    const QString fallback = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!fallback.isEmpty() && !folders.contains(fallback))
        folders << fallback;
    if (QDir().mkpath(configFolder()))
        folders << configFolder();
    return folders;
}

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

QString SingleInstance::socketPath(const QString &folder)
{
    return folder + QLatin1Char('/') + busName() + QStringLiteral(".socket");
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
        // Only an owner that went away between the two steps lets this launch take the name.
        if (answer.type() == QDBusMessage::ErrorMessage
            && answer.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")) {
            QThread::msleep(50);
            continue;
        }
        if (answer.type() != QDBusMessage::ReplyMessage)
            qCWarning(lcPlatform, "The running instance did not answer (%s); this launch ends.",
                qPrintable(answer.errorName()));
        role = Role::Secondary;
        return true;
    }
    bus.unregisterObject(objectPath());
    delete service;
    // A bus that refuses the name or never answers: the socket decides instead.
    return false;
}

SingleInstance::Role SingleInstance::claimOnSocket()
{
    for (const QString &folder : coordinationFolders()) {
        auto lock = std::make_unique<QLockFile>(
            folder + QLatin1Char('/') + busName() + QStringLiteral(".lock"));
        lock->setStaleLockTime(0); // stale only when its process is gone
        if (lock->tryLock(0)) {
            if (folder == configFolder())
                qCWarning(lcPlatform,
                    "No session bus and no usable runtime folder: a lock in "
                    "the config folder keeps this instance the only one.");
            m_lock = std::move(lock);
            listen(socketPath(folder));
            return Role::Primary;
        }
        if (lock->error() == QLockFile::LockFailedError)
            return reopenOverSocket(socketPath(folder));
    }
    qCWarning(lcPlatform,
        "Neither the session bus nor a lock file can be used: another "
        "instance cannot be recognised, so this one starts.");
    return Role::Primary;
}

void SingleInstance::listen(const QString &path)
{
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
    if (!m_server->listen(path))
        qCWarning(lcPlatform, "Later launches cannot reach this instance: %s",
            qPrintable(m_server->errorString()));
}

// The lock's owner runs, perhaps still setting up its socket: asked for a moment, then this
// launch ends either way.
SingleInstance::Role SingleInstance::reopenOverSocket(const QString &path)
{
    const QDeadlineTimer deadline(socketReachMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(250)) {
            socket.write("reopen\n");
            socket.waitForBytesWritten(callTimeoutMs);
            socket.waitForReadyRead(callTimeoutMs);
            return Role::Secondary;
        }
        QThread::msleep(50);
    }
    return Role::Secondary;
}

#include "SingleInstance.moc"
