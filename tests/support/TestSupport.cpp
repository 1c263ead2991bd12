// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutex>
#include <QSaveFile>
#include <QUrl>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

// What a temporary home points into itself, in the order of its folders below.
static constexpr const char *homeVariables[]
    = { "HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME" };

TempHome::TempHome()
{
    QDir().mkpath(dataHome());
    QDir().mkpath(configHome());
    const QString folders[] = { path(), dataHome(), configHome(), cacheHome() };
    for (int i = 0; i < 4; ++i) {
        m_old << qgetenv(homeVariables[i]);
        qputenv(homeVariables[i], QFile::encodeName(folders[i]));
    }
}

TempHome::~TempHome()
{
    for (int i = 0; i < 4; ++i)
        qputenv(homeVariables[i], m_old.at(i));
}

QString TempHome::touch(const QString &relative, const QByteArray &content) const
{
    const QString file = path() + QLatin1Char('/') + relative;
    writeFile(file, content);
    return file;
}

QString TempHome::mkdir(const QString &relative) const
{
    const QString dir = path() + QLatin1Char('/') + relative;
    QDir().mkpath(dir);
    return dir;
}

void TempHome::folderHandler(const QString &desktopId, const QByteArray &keys, bool asDefault) const
{
    writeFile(dataHome() + u"/applications/"_s + desktopId + u".desktop"_s,
        "[Desktop Entry]\nType=Application\nMimeType=inode/directory;\n" + keys);
    if (asDefault)
        writeFile(configHome() + u"/mimeapps.list"_s,
            "[Default Applications]\ninode/directory=" + desktopId.toUtf8() + ".desktop\n");
}

QString TempHome::isolatedDataDirs() const
{
    const QString dirs = mkdir(u"system-share"_s);
    QFile::link(u"/usr/share/mime"_s, dirs + u"/mime"_s);
    return u"XDG_DATA_DIRS="_s + dirs;
}

RecentItem recentItem(const QString &path, const QDateTime &date, bool folder, const QString &name)
{
    const QUrl url = QUrl::fromLocalFile(path);
    return RecentItem(url, url, name.isNull() ? QFileInfo(path).fileName() : name,
        RecentItem::breadcrumb(url), date, folder);
}

QStringList sectionLabels(const QList<DayGroup> &groups)
{
    QStringList labels;
    for (const DayGroup &group : groups)
        labels << group.label;
    return labels;
}

QStringList itemNames(const QList<DayGroup> &groups)
{
    QStringList names;
    for (const DayGroup &group : groups)
        for (const RecentItem &item : group.items)
            names << item.name();
    return names;
}

QString fileUri(const QString &path)
{
    return QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded());
}

XbelEntry usedAt(const QString &path, const QDateTime &when)
{
    XbelEntry e;
    e.href = fileUri(path);
    e.visited = e.modified = e.added = when;
    return e;
}

static QString isoTime(const QDateTime &time)
{
    return time.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzz000Z"_s);
}

static QString escape(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), u"&apos;"_s);
}

QByteArray xbelDocument(const QList<XbelEntry> &entries)
{
    QString out = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<xbel version=\"1.0\"\n"
        "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
        "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n>");
    for (const XbelEntry &e : entries) {
        out += u"\n  <bookmark href=\"%1\""_s.arg(escape(e.href));
        if (e.added)
            out += u" added=\"%1\""_s.arg(isoTime(*e.added));
        if (e.modified)
            out += u" modified=\"%1\""_s.arg(isoTime(*e.modified));
        if (e.visited)
            out += u" visited=\"%1\""_s.arg(isoTime(*e.visited));
        out += u">\n"_s;
        if (e.title)
            out += u"    <title>%1</title>\n"_s.arg(escape(*e.title));
        out += QStringLiteral("    <info>\n      <metadata owner=\"http://freedesktop.org\">\n"
                              "        <mime:mime-type type=\"application/octet-stream\"/>\n");
        if (!e.applications.isEmpty()) {
            out += u"        <bookmark:applications>\n"_s;
            for (const auto &app : e.applications)
                out += QStringLiteral(
                    "          <bookmark:application name=\"%1\" exec=\"&apos;%1 %u&apos;\" "
                    "modified=\"%2\" count=\"1\"/>\n")
                           .arg(escape(app.first), isoTime(app.second));
            out += u"        </bookmark:applications>\n"_s;
        }
        out += u"      </metadata>\n    </info>\n  </bookmark>"_s;
    }
    out += u"\n</xbel>"_s;
    return out.toUtf8();
}

QByteArray xbelOf(const QStringList &paths, const QDateTime &newest)
{
    QList<XbelEntry> entries;
    for (const QString &path : paths)
        entries << usedAt(path, newest.addSecs(-entries.size()));
    return xbelDocument(entries);
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAtomically(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
    file.commit();
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    // The signal a write past the limit raises would end the test; the write then only fails.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_previous = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        qFatal("cannot limit the file size");
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_previous);
    setrlimit(RLIMIT_FSIZE, &limit);
}

namespace {
QMutex captureMutex;
QStringList captured;
QByteArray capturedCategory;
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    QMutexLocker lock(&captureMutex);
    if (type != QtDebugMsg && context.category && capturedCategory == context.category)
        return captured.append(message);
    lock.unlock();
    if (previousHandler)
        previousHandler(type, context, message);
}
} // namespace

LogCapture::LogCapture(const char *category)
{
    QMutexLocker lock(&captureMutex);
    captured.clear();
    capturedCategory = category;
    QLoggingCategory::setFilterRules(QString::fromUtf8(category) + u".info=true"_s);
    previousHandler = qInstallMessageHandler(&capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previousHandler);
    QLoggingCategory::setFilterRules(QString());
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&captureMutex);
    return captured;
}

Program::Program(const QStringList &command)
{
    // The helpers' own chatter (servers, portals, terminals) would bury the test's output.
    setStandardErrorFile(QProcess::nullDevice());
    // env replaces itself with the program, whose pid is then the process's.
    start(u"env"_s, command);
}

Program::~Program()
{
    terminate();
    waitForFinished();
}
