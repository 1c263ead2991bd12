// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/SettingsFile.h"

#include "Model/SettingsFormat.h"
#include "Model/SettingsLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

namespace {

// Watcher events come in bursts (a temporary file, a rename, a lock): one read for each burst.
constexpr int reloadDelayMs = 100;

struct Loaded
{
    SettingsFormat::Reading reading;
    bool exists = false;
};

// Only a regular file is read (a FIFO would block, a device never end), and never more than
// the format's limit.
Loaded load(const QString &path)
{
    Loaded loaded;
    const QFileInfo info(path);
    loaded.exists = info.exists() || info.isSymLink();
    if (!loaded.exists)
        return loaded;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        loaded.reading.isWhole = false;
        return loaded;
    }
    const QByteArray text = file.read(SettingsFormat::maximumBytes + 1);
    loaded.reading = SettingsFormat::read(text.left(SettingsFormat::maximumBytes));
    loaded.reading.isWhole = loaded.reading.isWhole && text.size() <= SettingsFormat::maximumBytes
        && file.error() == QFileDevice::NoError;
    return loaded;
}

} // namespace

SettingsFile::SettingsFile(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
{
    m_seen = stamp();
    const Loaded loaded = load(m_path);
    m_values = loaded.reading.values;
    m_seenWhole = !loaded.exists || loaded.reading.isWhole;
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &SettingsFile::write);
    m_reload.setSingleShot(true);
    m_reload.setInterval(reloadDelayMs);
    connect(&m_reload, &QTimer::timeout, this, &SettingsFile::reload);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_reload, qOverload<>(&QTimer::start));
    connect(
        &m_watcher, &QFileSystemWatcher::directoryChanged, &m_reload, qOverload<>(&QTimer::start));
    watch();
}

SettingsFile::~SettingsFile()
{
    if (m_pending.isEmpty())
        return;
    write();
    if (!m_pending.isEmpty())
        qCWarning(lcSettings, "The last settings change could not be saved before the end.");
}

bool SettingsFile::setValue(const QString &key, const QVariant &value)
{
    QVariantMap next = m_values;
    next.insert(key, value);
    std::optional<QByteArray> text = SettingsFormat::written(next);
    if (!text) {
        report(m_sizeReported,
            QStringLiteral("A setting was not changed: the settings file would exceed what it "
                           "can hold (%1 entries in a list, %2 MiB).")
                .arg(SettingsFormat::maximumListSize)
                .arg(SettingsFormat::maximumBytes / (1024 * 1024)));
        return false;
    }
    m_sizeReported = false;
    m_values = next;
    m_text = std::move(*text);
    m_pending.insert(key, value);
    write();
    return true;
}

SettingsFile::Batch::Batch(SettingsFile &file)
    : m_file(file)
{
    ++m_file.m_batches;
}

SettingsFile::Batch::~Batch()
{
    if (--m_file.m_batches == 0)
        m_file.write();
}

void SettingsFile::write()
{
    if (m_batches > 0)
        return;
    m_retry.stop();
    if (m_pending.isEmpty())
        return;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // A lock from another host (a shared home) counts as stale after QLockFile's 30 s; one of
    // this host's counts as stale as soon as its process is gone.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMs)) {
        report(m_lockReported,
            lock.error() == QLockFile::LockFailedError
                ? QStringLiteral("The settings file is locked by another process; the change "
                                 "is kept and saved once the lock clears.")
                : QStringLiteral("The settings file's lock cannot be made; the change is kept "
                                 "and tried again."));
        m_retry.start(lockRetryMs);
        return;
    }
    m_lockReported = false;
    if (writeLocked() == Outcome::retryLater)
        m_retry.start(writeRetryMs);
}

SettingsFile::Outcome SettingsFile::writeLocked()
{
    QVariantMap merged = m_values;
    std::optional<QByteArray> text = m_text;
    if (stamp() != m_seen || !m_seenWhole || m_text.isEmpty()) {
        // Changed since this object last saw it: only the keys set here change.
        const Loaded current = load(m_path);
        if (current.exists && !current.reading.isWhole && !keepUnreadFile())
            return Outcome::retryLater;
        merged = current.reading.values;
        for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
            merged.insert(it.key(), it.value());
        text = SettingsFormat::written(merged);
    }
    if (!text) {
        report(m_sizeReported,
            QStringLiteral("The settings cannot be saved: with the file's other values they "
                           "exceed what it can hold."));
        return Outcome::retryLater;
    }
    if (!replaceFile(*text))
        return Outcome::retryLater;
    m_values = merged;
    m_text = *text;
    m_pending.clear();
    m_seen = stamp();
    m_seenWhole = true;
    m_writeReported = false;
    watch();
    return Outcome::written;
}

// Sets aside a file that holds more than was read, so that nothing in it is lost to the write.
bool SettingsFile::keepUnreadFile()
{
    const QString backup = m_path + QStringLiteral(".bak");
    QFile::remove(backup);
    if (!QFile::rename(m_path, backup)) {
        report(m_writeReported,
            QStringLiteral("The settings file could not be read whole and cannot be set aside; "
                           "it is left as it is and the change is not saved."));
        return false;
    }
    qCWarning(lcSettings,
        "The settings file could not be read whole; it is kept beside the new one as %s.",
        qPrintable(QFileInfo(backup).fileName()));
    return true;
}

bool SettingsFile::replaceFile(const QByteArray &text)
{
    QSaveFile file(m_path);
    const bool saved
        = file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
    if (!saved) {
        // Qt's messages may name the file; the log says what failed, not where.
        QString reason = file.errorString();
        reason.replace(m_path, QStringLiteral("the file"));
        report(m_writeReported,
            QStringLiteral("The settings could not be saved (%1); the file keeps its previous "
                           "contents, and the change is tried again later.")
                .arg(reason));
    }
    return saved;
}

void SettingsFile::reload()
{
    watch();
    const Stamp now = stamp();
    if (now == m_seen)
        return;
    m_seen = now;
    const Loaded loaded = load(m_path);
    m_seenWhole = !loaded.exists || loaded.reading.isWhole;
    QVariantMap values = loaded.reading.values;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        values.insert(it.key(), it.value());
    if (values == m_values)
        return;
    m_values = values;
    m_text = SettingsFormat::written(m_values).value_or(QByteArray());
    Q_EMIT changedOutside();
}

// Writers replace the file by rename, which ends a watch on the file itself: the folder is
// watched too (or, until it exists, the nearest folder above it), and the file's watch renewed
// after each change.
void SettingsFile::watch()
{
    QDir folder = QFileInfo(m_path).absoluteDir();
    while (!folder.exists() && !folder.isRoot())
        folder.setPath(QFileInfo(folder.absolutePath()).absolutePath());
    if (!m_watcher.directories().contains(folder.absolutePath()))
        m_watcher.addPath(folder.absolutePath());
    if (QFileInfo::exists(m_path)) {
        m_watcher.removePath(m_path);
        m_watcher.addPath(m_path);
    }
}

SettingsFile::Stamp SettingsFile::stamp() const
{
    const QFileInfo info(m_path);
    if (!info.exists())
        return {};
    return { info.size(), info.lastModified(), info.metadataChangeTime() };
}

void SettingsFile::report(bool &reported, const QString &message)
{
    if (!reported)
        qCWarning(lcSettings, "%s", qPrintable(message));
    reported = true;
}
