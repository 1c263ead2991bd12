// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QuillmothApp.h"

#include "AppDelegate.h"
#include "FinderFollower.h"
#include "Platform/DisplayDetection.h"
#include "Platform/QuitOnSignals.h"
#include "Platform/SingleInstance.h"

#include <QApplication>

int QuillmothApp::run(int argc, char **argv)
{
    const char *headless = choosePlatformForDisplay();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoth"));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLMOTH_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    if (headless)
        qCWarning(lcShell, "%s", headless);

    SingleInstance instance;
    if (instance.claim() == SingleInstance::Role::Secondary)
        return 0;

    quitOnSignals(&app);
    // The session's own save requests have nothing to save: every setting is written at once.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [](QSessionManager &) {});
    QObject::connect(&app, &QGuiApplication::saveStateRequest, &app, [](QSessionManager &) {});

    AppDelegate delegate;
    QObject::connect(&instance, &SingleInstance::reopenRequested, &delegate,
        [&delegate] { delegate.applicationShouldHandleReopen(AppDelegate::hasVisibleWindows()); });
    // Launching has finished once the event loop runs.
    QMetaObject::invokeMethod(
        &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); }, Qt::QueuedConnection);
    return app.exec();
}
