// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <memory>

class QLocalServer;
class QLockFile;

// One Quillmoth per session. The first process owns the application id on the session bus
// (object /io/github/quillmoth/Quillmoth, method Reopen); a later one asks it to reopen and
// ends; an owner that does not answer is a hung instance, and the launch ends all the same.
// Without a session bus the same happens over a local socket guarded by a lock file, so that
// two processes started together cannot both win: in XDG_RUNTIME_DIR, else in Qt's fallback
// runtime folder, else in the config folder. Only when no lock can be made at all does a
// launch start without knowing, and it says so.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role { Primary, Secondary };

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the session's instance, or (Secondary) has asked the running one to reopen.
    Role claim();

    static QString busName();
    static QString objectPath();
    static QString socketPath(const QString &folder);

Q_SIGNALS:
    // Another launch asked this instance to reopen.
    void reopenRequested();

private:
    bool claimOnBus(Role &role);
    Role claimOnSocket();
    void listen(const QString &path);
    Role reopenOverSocket(const QString &path);

    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
