// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

struct xcb_connection_t;

// The tests' own look at an X display (a connection of their own, not the program's).
class XConnection
{
public:
    explicit XConnection(const QByteArray &display = {});
    ~XConnection();
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;

    bool ok() const;
    xcb_connection_t *connection() const { return m_c; }
    quint32 root() const { return m_root; }
    quint32 atom(const char *name) const;

    std::optional<quint32> cardinal(quint32 window, const char *property, quint32 type) const;
    QByteArray text(quint32 window, quint32 property) const;
    QList<quint32> atoms(quint32 window, const char *property) const;

    // The first window (depth first from the root) with this WM_NAME and _NET_WM_PID.
    quint32 findWindow(qint64 pid, const QByteArray &title) const;
    QRect geometry(quint32 window) const; // in root coordinates
    bool viewable(quint32 window) const;
    bool acceptsInput(quint32 window) const; // WM_HINTS input
    bool hasState(quint32 window, const char *state) const;
    quint32 activeWindow() const;

    // A pager's request to activate the window (EWMH source indication 2).
    void requestActivate(quint32 window) const;
    // A pager's request to close the window (_NET_CLOSE_WINDOW).
    void requestClose(quint32 window) const;
    void setRootProperty(const char *property, quint32 type, const QList<quint32> &values) const;
    void deleteRootProperty(const char *property) const;
    // Creates and at once destroys a window; its id then names nothing.
    quint32 vanishedWindow() const;

private:
    xcb_connection_t *m_c = nullptr;
    quint32 m_root = 0;
};

// One run of the real program in the current environment (plus `extra`).
class AppRun
{
public:
    explicit AppRun(const QStringList &extraEnvironment = {});
    ~AppRun();
    qint64 pid() const { return m_process.processId(); }
    QProcess &process() { return m_process; }
    // Waits until its panel window exists; 0 when it does not come.
    quint32 waitForPanel(const XConnection &x, int timeoutMs = 10000);
    bool running() const { return m_process.state() == QProcess::Running; }
    QString log();
    // SIGTERM and wait; the exit code, or -1 when it crashed or did not end.
    int terminate();

private:
    QProcess m_process;
    QString m_log;
};

// A small X client with a chosen identity (tests/fakeapp).
class FakeApp
{
public:
    explicit FakeApp(const QStringList &arguments, const QStringList &extraEnvironment = {});
    ~FakeApp();
    quint32 window() const { return m_window; }

private:
    QProcess m_process;
    quint32 m_window = 0;
};

// Runs `program` with `arguments` and waits; its exit code, or -1.
int runToEnd(const QString &program, const QStringList &arguments, int timeoutMs = 10000);
