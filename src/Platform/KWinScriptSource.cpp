// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/KWinScriptSource.h"

#include "Platform/PlatformLog.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QTimer>

namespace {
const QString kwinService = QStringLiteral("org.kde.KWin");
const QString scriptingPath = QStringLiteral("/Scripting");
const QString scriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
const QString callbackPath = QStringLiteral("/io/github/quillmoth/Quillmoth/KWinFollower");
const QString callbackInterface = QStringLiteral("io.github.quillmoth.Quillmoth.KWinFollower");
// Unloading runs in the destructor, often while the program quits: a hung KWin must not hold
// the quit up for D-Bus's default 25 s.
constexpr int unloadTimeoutMs = 2000;
// A KWin that has just taken its bus name may not have its scripting object yet: loading is asked
// again for a while before it counts as refused.
constexpr int loadRetryMs = 250;
constexpr int loadAttempts = 40;

// KWin 6 renamed clientActivated/activeClient to windowActivated/activeWindow; the script takes
// whichever this KWin has. A null window (nothing active) is reported as empty strings.
const char *const scriptTemplate = R"js(
(function () {
    var service = "%1", path = "%2", iface = "%3";
    function report(c) {
        if (c == null) {
            callDBus(service, path, iface, "Activated", "", "", "", "0", false);
            return;
        }
        callDBus(service, path, iface, "Activated", String(c.resourceClass || ""),
                 String(c.resourceName || ""), String(c.desktopFileName || ""),
                 String(c.pid || 0), Boolean(c.desktopWindow));
    }
    var activated = workspace.windowActivated || workspace.clientActivated;
    activated.connect(report);
    report(workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient);
})();
)js";

QDBusMessage scriptingCall(const QString &method, const QVariantList &arguments)
{
    auto message
        = QDBusMessage::createMethodCall(kwinService, scriptingPath, scriptingInterface, method);
    message.setArguments(arguments);
    return message;
}

QString nextScriptName()
{
    static int serial = 0;
    return QStringLiteral("quillmoth-follower-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++serial);
}
} // namespace

std::unique_ptr<ActiveApplicationSource> KWinScriptSource::tryMake(QObject *parent)
{
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kwinService))
        return nullptr;
    std::unique_ptr<KWinScriptSource> source(new KWinScriptSource(parent));
    if (!source->writeScript())
        return nullptr;
    source->load();
    return source;
}

KWinScriptSource::KWinScriptSource(QObject *parent)
    : ActiveApplicationSource(parent)
    , m_scriptName(nextScriptName())
    , m_reason(tr("The KWin script has not started yet"))
{
    auto bus = QDBusConnection::sessionBus();
    m_kwinOwner = bus.interface()->serviceOwner(kwinService);
    m_watcher
        = new QDBusServiceWatcher(kwinService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString &, const QString &, const QString &newOwner) {
            onKWinOwnerChanged(newOwner);
        });
}

KWinScriptSource::~KWinScriptSource()
{
    auto bus = QDBusConnection::sessionBus();
    bus.unregisterObject(callbackPath);
    if (!m_kwinOwner.isEmpty())
        bus.call(scriptingCall(QStringLiteral("unloadScript"), { m_scriptName }), QDBus::Block,
            unloadTimeoutMs);
}

bool KWinScriptSource::writeScript()
{
    auto bus = QDBusConnection::sessionBus();
    // Registered before the script can run, so its first call finds the object.
    if (!bus.registerObject(callbackPath, this, QDBusConnection::ExportScriptableSlots)) {
        qCWarning(lcPlatform) << "Cannot follow KWin: the callback object cannot be registered";
        return false;
    }
    // KWin reads the file when the script starts, and again after a KWin restart: it lives as
    // long as the source. QTemporaryFile makes it readable by this user only.
    const QString text
        = QString::fromUtf8(scriptTemplate).arg(bus.baseService(), callbackPath, callbackInterface);
    if (!m_script.open() || m_script.write(text.toUtf8()) < 0 || !m_script.flush()) {
        qCWarning(lcPlatform) << "Cannot follow KWin: the script cannot be written";
        return false;
    }
    return true;
}

void KWinScriptSource::load()
{
    auto bus = QDBusConnection::sessionBus();
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(
            scriptingCall(QStringLiteral("loadScript"), { m_script.fileName(), m_scriptName })),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, owner = m_kwinOwner](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            if (owner != m_kwinOwner)
                return; // asked of a KWin that has gone; its successor is asked anew
            const QDBusPendingReply<int> reply = *w;
            if (reply.isError() || reply.value() < 0) {
                if (++m_loadAttempt < loadAttempts && !m_kwinOwner.isEmpty())
                    QTimer::singleShot(loadRetryMs, this, &KWinScriptSource::load);
                else
                    setObservable(false, tr("KWin refused the activation script"));
                return;
            }
            auto *started = new QDBusPendingCallWatcher(
                QDBusConnection::sessionBus().asyncCall(scriptingCall(QStringLiteral("start"), {})),
                this);
            connect(started, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher *s) {
                    s->deleteLater();
                    if (s->isError())
                        setObservable(false, tr("KWin did not start the activation script"));
                    else
                        setObservable(true, {});
                });
        });
}

void KWinScriptSource::onKWinOwnerChanged(const QString &newOwner)
{
    m_kwinOwner = newOwner;
    if (m_current) {
        m_current.reset();
        Q_EMIT activeApplicationChanged();
    }
    if (newOwner.isEmpty()) {
        setObservable(false, tr("KWin left the session bus"));
        return;
    }
    // A new KWin knows nothing of the old one's scripts.
    m_loadAttempt = 0;
    load();
}

void KWinScriptSource::Activated(const QString &resourceClass, const QString &resourceName,
    const QString &desktopFileName, const QString &pid, bool isDesktop)
{
    if (!calledFromDBus() || message().service() != m_kwinOwner || m_kwinOwner.isEmpty())
        return;
    if (resourceClass.isEmpty() && resourceName.isEmpty() && desktopFileName.isEmpty()
        && !isDesktop) {
        // No window is active: KWin passing between two, or the panel's own layer surface taking
        // the keyboard. The last application stands; before any, it is the bare desktop.
        if (m_current)
            return;
        WindowApplication desktop;
        desktop.isDesktop = true;
        m_current = desktop;
        Q_EMIT activeApplicationChanged();
        return;
    }
    WindowApplication app;
    app.applicationId = desktopFileName;
    app.classInstance = resourceName;
    app.className = resourceClass;
    app.isDesktop = isDesktop;
    bool ok = false;
    const qint64 number = pid.toLongLong(&ok);
    if (ok && number > 0)
        app.pid = number;
    m_current = app;
    Q_EMIT activeApplicationChanged();
}

void KWinScriptSource::setObservable(bool observable, const QString &reason)
{
    if (observable == m_isObservable && reason == m_reason)
        return;
    const bool changed = observable != m_isObservable;
    m_isObservable = observable;
    m_reason = reason;
    if (!observable)
        qCWarning(lcPlatform).noquote() << "Activation is not observable:" << reason;
    else
        qCInfo(lcPlatform) << "Following activation through a KWin script";
    if (changed)
        Q_EMIT observabilityChanged();
}
