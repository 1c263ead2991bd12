// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QuillmothApp.h"

#include "AppDelegate.h"
#include "FinderFollower.h"
#include "Platform/SingleInstance.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM (the session ending) and SIGINT end the event loop like "Quit Quillmoth" does.
void quitOnSignals(QObject *parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

// The panel needs to place itself on the screen and see the active window, which only X11
// offers (natively or through XWayland); with no display at all the program runs without a
// screen instead of aborting.
const char *noDisplayReason()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return nullptr;
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return nullptr;
    }
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return "no display (neither DISPLAY nor WAYLAND_DISPLAY is set); running without a screen";
}

} // namespace

int QuillmothApp::run(int argc, char **argv)
{
    const char *headless = noDisplayReason();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoth"));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLMOTH_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    if (headless)
        qCInfo(lcShell, "%s", headless);

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
