// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/Workspace.h"

#include "Platform/FileManagerBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {
// A file manager started by D-Bus activation may take a few seconds on a cold start.
constexpr int showItemsTimeoutMs = 10000;
} // namespace

Workspace::~Workspace() = default;

QString Workspace::fileManagerName() const
{
    return {};
}

std::shared_ptr<Workspace> Workspace::system()
{
    static const std::shared_ptr<Workspace> workspace = std::make_shared<SystemWorkspace>();
    return workspace;
}

void SystemWorkspace::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

QUrl SystemWorkspace::parentFolder(const QUrl &url)
{
    if (!url.isLocalFile())
        return url;
    const QString path = QDir::cleanPath(url.toLocalFile());
    if (path == QLatin1String("/"))
        return url;
    return QUrl::fromLocalFile(QFileInfo(path).absolutePath());
}

QString SystemWorkspace::fileManagerName() const
{
    const std::optional<FileManager> manager = FileManagerIdentity::current();
    return manager ? manager->name : QString();
}

void SystemWorkspace::openFolders(
    const std::optional<FileManager> &manager, const QList<QUrl> &urls)
{
    QList<QUrl> opened;
    for (const QUrl &url : urls) {
        const QUrl folder = parentFolder(url);
        if (opened.contains(folder))
            continue;
        opened.append(folder);
        if (!manager || !FileManagerIdentity::openFolder(*manager, folder))
            QDesktopServices::openUrl(folder);
    }
}

void SystemWorkspace::activateFileViewerSelecting(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    // ShowItems only when it reaches the user's own file manager: asking the bus otherwise
    // starts whichever file manager installed the service, and that one comes to the front.
    const std::optional<FileManager> manager = FileManagerIdentity::current();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!manager || !FileManagerBus::leadsTo(*manager, bus)) {
        openFolders(manager, urls);
        return;
    }
    QStringList uris;
    for (const QUrl &url : urls)
        uris << QString::fromUtf8(url.toEncoded());
    QDBusMessage call = QDBusMessage::createMethodCall(FileManagerBus::serviceName(),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    // Asynchronous: an activatable file manager may take a while to start.
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call, showItemsTimeoutMs), QCoreApplication::instance());
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, manager, urls] {
            watcher->deleteLater();
            if (watcher->isError())
                openFolders(manager, urls);
        });
}
