// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// One run of the real program in the current environment (use TempHome first), for tests,
// benchmarks and tools alike. `environment` adds "NAME=value" entries and removes "NAME" ones.
// Its log (stderr) is kept; the shell's info lines are on unless the environment says otherwise.
class AppRun
{
public:
    explicit AppRun(const QStringList &environment = {});
    ~AppRun();
    AppRun(const AppRun &) = delete;
    AppRun &operator=(const AppRun &) = delete;

    qint64 pid() const { return m_process.processId(); }
    QProcess &process() { return m_process; }
    bool running() const { return m_process.state() == QProcess::Running; }
    QString log();
    // Waits until its log holds `text`.
    bool logs(const QString &text, int limitMs);
    // Waits for it to end by itself, or sends SIGTERM first; the exit code, or -1 when it
    // crashed or did not end.
    int waitForEnd();
    int terminate();

    // Resident memory in KiB and open descriptors, from /proc.
    qint64 residentKiB() const;
    int openDescriptors() const;
    // How many of its open sockets are not local (unix) ones.
    int nonLocalSockets() const;

private:
    QProcess m_process;
    QString m_log;
};
