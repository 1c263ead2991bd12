// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/GnomeShellSource.h"

#include "Platform/GnomeShellExtension.h"
#include "Platform/PlatformLog.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

std::unique_ptr<ActiveApplicationSource> GnomeShellSource::tryMake(
    GnomeShellExtension &extension, QObject *parent)
{
    if (!extension.isActive() && !GnomeShellExtension::isNeededHere())
        return nullptr;
    std::unique_ptr<GnomeShellSource> source(new GnomeShellSource(extension, parent));
    if (!extension.isActive())
        qCWarning(lcPlatform).noquote()
            << "Activation is not observable:" << source->unobservableReason();
    return source;
}

GnomeShellSource::GnomeShellSource(GnomeShellExtension &extension, QObject *parent)
    : ActiveApplicationSource(parent)
    , m_extension(extension)
{
    // Bound to the name, so only signals from whoever owns it now arrive.
    QDBusConnection::sessionBus().connect(GnomeShellExtension::busName(),
        GnomeShellExtension::objectPath(), GnomeShellExtension::interfaceName(),
        QStringLiteral("FocusChanged"), this, SLOT(onFocusChanged(QString, QString, uint)));
    connect(&m_extension, &GnomeShellExtension::activeChanged, this,
        &GnomeShellSource::onActiveChanged);
    if (m_extension.isActive())
        askCurrent();
}

bool GnomeShellSource::observable() const
{
    return m_extension.isActive();
}

QString GnomeShellSource::unobservableReason() const
{
    if (m_extension.isActive())
        return {};
    return tr("The GNOME Shell extension %1 is not running").arg(GnomeShellExtension::uuid());
}

std::optional<WindowApplication> GnomeShellSource::fromShell(
    const QString &appId, const QString &wmClass, uint pid)
{
    if (appId.isEmpty() && wmClass.isEmpty())
        return std::nullopt;
    WindowApplication app;
    static const QString suffix = QStringLiteral(".desktop");
    app.applicationId = appId.endsWith(suffix) ? appId.chopped(suffix.size()) : appId;
    app.className = wmClass;
    if (pid > 0)
        app.pid = pid;
    return app;
}

void GnomeShellSource::onActiveChanged(bool isActive)
{
    if (isActive) {
        qCInfo(lcPlatform) << "Following activation through the GNOME Shell extension";
        askCurrent();
    } else {
        qCWarning(lcPlatform).noquote() << "Activation is not observable:" << unobservableReason();
        setCurrent(std::nullopt);
    }
    Q_EMIT observabilityChanged();
}

void GnomeShellSource::askCurrent()
{
    const auto message = QDBusMessage::createMethodCall(GnomeShellExtension::busName(),
        GnomeShellExtension::objectPath(), GnomeShellExtension::interfaceName(),
        QStringLiteral("Current"));
    auto *watcher
        = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QString, QString, uint> reply = *w;
        if (reply.isError())
            return; // the extension went meanwhile; its owner change says so
        setCurrent(fromShell(reply.argumentAt<0>(), reply.argumentAt<1>(), reply.argumentAt<2>()));
    });
}

void GnomeShellSource::onFocusChanged(const QString &appId, const QString &wmClass, uint pid)
{
    setCurrent(fromShell(appId, wmClass, pid));
}

void GnomeShellSource::setCurrent(const std::optional<WindowApplication> &now)
{
    m_current = now;
    Q_EMIT activeApplicationChanged();
}
