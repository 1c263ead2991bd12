// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QString>

// The real program, started for a test in the current environment (use TempHome first).
class AppProcess
{
public:
    explicit AppProcess(const QString &binary);
    ~AppProcess();
    bool start();
    qint64 pid() const { return m_process.processId(); }
    QProcess &process() { return m_process; }
    // Resident memory in KiB and open descriptors, from /proc.
    qint64 residentKiB() const;
    int openDescriptors() const;
    // Socket kinds open in the process: "unix", "tcp", "tcp6", "udp", "udp6", "raw", "other".
    QStringList socketKinds() const;

private:
    QProcess m_process;
};
