// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/ActiveApplicationSource.h"

#include <QDBusContext>
#include <QTemporaryFile>

class QDBusServiceWatcher;

// The active application on KWin (Plasma on Wayland), told by a small KWin script that this
// source loads over D-Bus and that calls back on every activation. The script calls this
// process's unique bus name, and only calls from KWin's own connection are believed, so no
// other program can pose as KWin or take the callback. The script is loaded again when KWin
// restarts and unloaded when the source goes, so none is ever left behind in KWin.
class KWinScriptSource : public ActiveApplicationSource, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.quillmoth.Quillmoth.KWinFollower")
public:
    // A source when the session bus has KWin; nullptr otherwise.
    static std::unique_ptr<ActiveApplicationSource> tryMake(QObject *parent = nullptr);
    ~KWinScriptSource() override;

    bool observable() const override { return m_isObservable; }
    QString unobservableReason() const override { return m_reason; }
    std::optional<WindowApplication> current() const override { return m_current; }

    // The name the script runs under in KWin, unique to this process.
    QString scriptName() const { return m_scriptName; }

public Q_SLOTS:
    // The script's callback. Empty strings and pid "0" when no window is active, which leaves
    // the last application standing.
    Q_SCRIPTABLE void Activated(const QString &resourceClass, const QString &resourceName,
        const QString &desktopFileName, const QString &pid, bool isDesktop);

private:
    explicit KWinScriptSource(QObject *parent);
    bool writeScript();
    void load();
    void onKWinOwnerChanged(const QString &newOwner);
    void setObservable(bool observable, const QString &reason);

    QTemporaryFile m_script;
    QString m_scriptName;
    QString m_kwinOwner;
    QDBusServiceWatcher *m_watcher = nullptr;
    int m_loadAttempt = 0;
    bool m_isObservable = false;
    QString m_reason;
    std::optional<WindowApplication> m_current;
};
