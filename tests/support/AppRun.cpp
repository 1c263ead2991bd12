// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Long enough for a loaded machine to start and end the program.
constexpr int processLimitMs = 30000;

QSet<QByteArray> unixSocketInodes(qint64 pid)
{
    QSet<QByteArray> inodes;
    QFile table(u"/proc/%1/net/unix"_s.arg(pid));
    if (table.open(QIODevice::ReadOnly))
        for (const QByteArray &line : table.readAll().split('\n'))
            inodes.insert(line.simplified().split(' ').value(6));
    return inodes;
}

} // namespace

AppRun::AppRun(const QStringList &environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_LOGGING_RULES"_s, u"io.github.quillmoth.Quillmoth.shell.info=true"_s);
    for (const QString &entry : environment) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq < 0)
            env.remove(entry);
        else
            env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    m_process.setProcessEnvironment(env);
    m_process.setReadChannel(QProcess::StandardError);
    m_process.start(QStringLiteral(QUILLMOTH_APP_BINARY), {});
    m_process.waitForStarted(processLimitMs);
}

AppRun::~AppRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(processLimitMs);
    }
}

QString AppRun::log()
{
    m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
    return m_log;
}

bool AppRun::logs(const QString &text, int limitMs)
{
    return QTest::qWaitFor([&] { return log().contains(text); }, limitMs);
}

int AppRun::terminate()
{
    if (running())
        m_process.terminate();
    return waitForEnd();
}

int AppRun::waitForEnd()
{
    if (running() && !m_process.waitForFinished(processLimitMs))
        return -1;
    log();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

qint64 AppRun::residentKiB() const
{
    QFile status(u"/proc/%1/status"_s.arg(pid()));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).simplified().split(' ').first().toLongLong();
    return -1;
}

int AppRun::openDescriptors() const
{
    return int(QDir(u"/proc/%1/fd"_s.arg(pid()))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

int AppRun::nonLocalSockets() const
{
    const QSet<QByteArray> local = unixSocketInodes(pid());
    const QDir fds(u"/proc/%1/fd"_s.arg(pid()));
    int count = 0;
    for (const QString &fd :
        fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        // The link reads "socket:[inode]" for a socket.
        const QByteArray target = QFile::encodeName(QFileInfo(fds.filePath(fd)).symLinkTarget());
        const qsizetype open = target.indexOf("socket:[");
        if (open >= 0 && !local.contains(target.mid(open + 8).chopped(1)))
            ++count;
    }
    return count;
}
