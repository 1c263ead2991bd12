// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/Workspace.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

Workspace::~Workspace() = default;

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

void SystemWorkspace::activateFileViewerSelecting(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    auto fallBack = [urls] {
        QList<QUrl> opened;
        for (const QUrl &url : urls) {
            const QUrl folder = parentFolder(url);
            if (!opened.contains(folder)) {
                opened.append(folder);
                QDesktopServices::openUrl(folder);
            }
        }
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        fallBack();
        return;
    }
    QStringList uris;
    for (const QUrl &url : urls)
        uris << QString::fromUtf8(url.toEncoded());
    QDBusMessage call
        = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    // Asynchronous: an activatable file manager may take a while to start.
    auto *watcher
        = new QDBusPendingCallWatcher(bus.asyncCall(call, 10000), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, fallBack] {
        watcher->deleteLater();
        if (watcher->isError())
            fallBack();
    });
}
