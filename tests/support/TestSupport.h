// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Model/DayGroup.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// A private home for one test: HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_CACHE_HOME point into
// a temporary folder for the object's lifetime.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString dataHome() const { return m_dir.path() + QStringLiteral("/.local/share"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/.config"); }
    QString cacheHome() const { return m_dir.path() + QStringLiteral("/.cache"); }
    QString storePath() const { return dataHome() + QStringLiteral("/recently-used.xbel"); }
    // Creates a file (and its folders) under the home; returns its absolute path.
    QString touch(const QString &relative, const QByteArray &content = "x") const;
    QString mkdir(const QString &relative) const;
    // A desktop entry of a program that opens folders, among the home's applications; with
    // `asDefault`, the user's default for folders too, as other programs read it from the file.
    void folderHandler(
        const QString &desktopId, const QByteArray &keys, bool asDefault = false) const;
    // "XDG_DATA_DIRS=" a folder of the home's own that holds only the MIME database: a program
    // run with it sees none of the system's applications.
    QString isolatedDataDirs() const;

private:
    QTemporaryDir m_dir;
    QList<QByteArray> m_old; // the variables' values before
};

// An item for a local path, under its file name unless told otherwise.
RecentItem recentItem(const QString &path, const QDateTime &date, bool folder = false,
    const QString &name = QString());
// The sections' labels, and the names of their items in order.
QStringList sectionLabels(const QList<DayGroup> &groups);
QStringList itemNames(const QList<DayGroup> &groups);

// One entry of a generated recently-used store.
struct XbelEntry
{
    QString href; // full URI; use fileUri() for local paths
    std::optional<QDateTime> visited;
    std::optional<QDateTime> modified;
    std::optional<QDateTime> added;
    std::optional<QString> title;
    QList<QPair<QString, QDateTime>> applications; // name, modified
};

QString fileUri(const QString &path);
// A local file last used, modified and added at `when`.
XbelEntry usedAt(const QString &path, const QDateTime &when);
// The store as GTK writes it.
QByteArray xbelDocument(const QList<XbelEntry> &entries);
// A store of local paths, the first used at `newest`, each of the others a second earlier.
QByteArray xbelOf(const QStringList &paths, const QDateTime &newest);
// Writes atomically (temporary file, then rename), as desktop writers do.
void writeAtomically(const QString &path, const QByteArray &content);
// Writes in place, making the folders on the way.
void writeFile(const QString &path, const QByteArray &content);
// The whole file; empty when it cannot be read.
QByteArray readFile(const QString &path);

// While alive, no file this process writes may grow past `bytes` (RLIMIT_FSIZE): writes beyond
// fail as on a full disk, for any user and without a mount.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 m_previous = -1;
};

// Captures the info and warning lines of one logging category while alive, and turns its info
// lines on, as a user would with QT_LOGGING_RULES.
class LogCapture
{
public:
    explicit LogCapture(const char *category);
    ~LogCapture();
    QStringList lines() const;
};

// A program a test runs while the object lives (a desktop's client, a server): `command` is any
// "NAME=value" entries for its environment, then the program and its arguments.
class Program : public QProcess
{
public:
    explicit Program(const QStringList &command);
    ~Program() override;
};

// Whether `source` (an ActiveApplicationSource) reports a window of `client` as the active one
// within `limitMs`.
template <typename Source>
bool becomesActive(const Source &source, const QProcess &client, int limitMs)
{
    return QTest::qWaitFor(
        [&] {
            const auto app = source.current();
            return app && app->pid == client.processId();
        },
        limitMs);
}
