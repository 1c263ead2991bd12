// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

// The program's settings file, read once and written through on every change. A write replaces
// the file whole (a temporary file renamed over it) or not at all, and never waits long on
// another writer's lock: a change that cannot be written yet is kept and written from the event
// loop once the lock clears or there is room again. A write changes only the keys this object
// set, over what the file holds at that moment, and the object follows the file when someone
// else changes it. A file that could not be read whole is kept beside the new one (".bak").
class SettingsFile : public QObject
{
    Q_OBJECT
public:
    explicit SettingsFile(const QString &path, QObject *parent = nullptr);
    // Makes one last short attempt at a write still waiting.
    ~SettingsFile() override;

    const QString &path() const { return m_path; }
    QVariant value(const QString &key) const { return m_values.value(key); }
    // Keeps `value` and writes the file. False, with nothing changed, when the file could not
    // hold it (more than the reader accepts); a write that only has to wait still counts.
    bool setValue(const QString &key, const QVariant &value);
    bool isWritePending() const { return !m_pending.isEmpty(); }

    // Changes made while a batch lives are written once, when the last batch ends: each one
    // still counts as stored, the file is replaced once.
    class Batch
    {
    public:
        explicit Batch(SettingsFile &file);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        SettingsFile &m_file;
    };

    // How long a write may wait for another writer's lock before it is tried again later.
    static constexpr int lockWaitMs = 50;
    static constexpr int lockRetryMs = 1000;
    // After a failed write (a full disk): often enough to save soon after room is made.
    static constexpr int writeRetryMs = 5000;

Q_SIGNALS:
    // The file was changed from outside and now holds other values.
    void changedOutside();

private:
    struct Stamp
    {
        qint64 size = -1;
        QDateTime modified, changed;
        bool operator==(const Stamp &) const = default;
    };
    enum class Outcome { written, retryLater };

    void write();
    Outcome writeLocked();
    bool keepUnreadFile();
    bool replaceFile(const QByteArray &text);
    void reload();
    void watch();
    Stamp stamp() const;
    void report(bool &reported, const QString &message);

    QString m_path;
    QVariantMap m_values; // as the file holds them, with the pending changes applied
    QByteArray m_text; // m_values in the file's notation
    QVariantMap m_pending;
    Stamp m_seen; // the file as last read or written here
    bool m_seenWhole = true; // and whether everything in it was read
    QTimer m_retry;
    QTimer m_reload;
    QFileSystemWatcher m_watcher;
    int m_batches = 0;
    bool m_lockReported = false, m_writeReported = false, m_sizeReported = false;
};
