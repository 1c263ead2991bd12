// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/QuitOnSignals.h"

#include "Platform/PlatformLog.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

// How long the clean quit may take before the process ends regardless: a thread stuck on a
// dead network mount, or a main thread that never returns to its event loop, must not keep a
// session from ending.
constexpr unsigned quitGraceSeconds = 3;

void endNow(int)
{
    _exit(128 + SIGTERM);
}

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
    ::alarm(quitGraceSeconds);
}

} // namespace

void quitOnSignals(QObject *parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        qCWarning(lcPlatform,
            "Cannot watch for SIGTERM and SIGINT (%s); they end the program "
            "without its usual clean-up",
            std::strerror(errno));
        return;
    }
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
    struct sigaction backstop = {};
    backstop.sa_handler = endNow;
    sigemptyset(&backstop.sa_mask);
    ::sigaction(SIGALRM, &backstop, nullptr);
}
