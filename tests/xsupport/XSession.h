// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "AppRun.h"

#include <QByteArray>
#include <QProcess>
#include <QRect>
#include <QStringList>

#include <optional>

struct xcb_connection_t;

// Long enough for a window manager on a loaded 2-core machine.
constexpr int xWaitMs = 15000;

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
    // The first window (depth first from the root) with this WM_NAME and _NET_WM_PID.
    quint32 findWindow(qint64 pid, const QByteArray &title) const;
    // The program's panel, once it exists and is viewable; 0 when it does not come.
    quint32 shownPanel(AppRun &app) const;
    QRect geometry(quint32 window) const; // in root coordinates
    bool viewable(quint32 window) const;
    bool waitViewable(quint32 window, bool viewable = true) const;
    bool acceptsInput(quint32 window) const; // WM_HINTS input
    bool hasState(quint32 window, const char *state) const;
    quint32 activeWindow() const;

    // Asks as a pager does (EWMH source indication 2) until the window manager reports the
    // window active.
    bool activate(quint32 window) const;
    void requestClose(quint32 window) const;
    void setProperty(
        quint32 window, const char *property, quint32 type, const QList<quint32> &values) const;
    void setRootProperty(const char *property, quint32 type, const QList<quint32> &values) const
    {
        setProperty(m_root, property, type, values);
    }
    void deleteRootProperty(const char *property) const;
    // A new window that takes no input and is never mapped (a selection owner, a check window).
    quint32 inputOnlyWindow() const;
    void destroy(quint32 window) const;
    // Creates and at once destroys a window; its id then names nothing.
    quint32 vanishedWindow() const;

private:
    void sendToRoot(quint32 window, const char *type, quint32 data0, quint32 data1) const;

    xcb_connection_t *m_c = nullptr;
    quint32 m_root = 0;
};

// A small X client with a chosen identity (tests/fakeapp).
class FakeApp
{
public:
    explicit FakeApp(const QStringList &arguments, const QByteArray &display = {});
    ~FakeApp();
    quint32 window() const { return m_window; }

private:
    QProcess m_process;
    quint32 m_window = 0;
};

// Runs xdotool with `arguments` to its end; whether it succeeded.
bool xdotool(const QStringList &arguments);
