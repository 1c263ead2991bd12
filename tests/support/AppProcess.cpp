// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppProcess.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <unistd.h>

AppProcess::AppProcess(const QString &binary)
{
    m_process.setProgram(binary);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

AppProcess::~AppProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

bool AppProcess::start()
{
    m_process.start();
    return m_process.waitForStarted(5000);
}

qint64 AppProcess::residentKiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

int AppProcess::openDescriptors() const
{
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid()))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                   .size());
}

static QSet<QString> inodesIn(const QString &table, int column)
{
    QSet<QString> inodes;
    QFile file(table);
    if (!file.open(QIODevice::ReadOnly))
        return inodes;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        if (fields.size() > column)
            inodes.insert(QString::fromLatin1(fields[column]));
    }
    return inodes;
}

QStringList AppProcess::socketKinds() const
{
    const QString net = QStringLiteral("/proc/%1/net/").arg(pid());
    const QList<QPair<QString, QSet<QString>>> tables
        = { { QStringLiteral("tcp"), inodesIn(net + "tcp", 9) },
              { QStringLiteral("tcp6"), inodesIn(net + "tcp6", 9) },
              { QStringLiteral("udp"), inodesIn(net + "udp", 9) },
              { QStringLiteral("udp6"), inodesIn(net + "udp6", 9) },
              { QStringLiteral("raw"), inodesIn(net + "raw", 9) },
              { QStringLiteral("unix"), inodesIn(net + "unix", 6) } };
    QStringList kinds;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid()));
    static const QRegularExpression socket(QStringLiteral("^socket:\\[(\\d+)\\]$"));
    for (const QString &fd :
        fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        // The link text itself ("socket:[123]"), not a resolved path.
        const QByteArray link = QFile::encodeName(fds.filePath(fd));
        char buffer[256];
        const ssize_t length = ::readlink(link.constData(), buffer, sizeof buffer - 1);
        if (length <= 0)
            continue;
        const QRegularExpressionMatch match = socket.match(QString::fromLatin1(buffer, length));
        if (!match.hasMatch())
            continue;
        QString kind = QStringLiteral("other");
        for (const auto &table : tables)
            if (table.second.contains(match.captured(1)))
                kind = table.first;
        kinds << kind;
    }
    return kinds;
}
