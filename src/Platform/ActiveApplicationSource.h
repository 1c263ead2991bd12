// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// What the desktop tells about the application a window belongs to.
struct WindowApplication
{
    QString applicationId; // the desktop or application id: _GTK_APPLICATION_ID, a Wayland app id
    QString classInstance; // WM_CLASS, first string
    QString className; // WM_CLASS, second string
    std::optional<qint64> pid; // only when the window runs on this machine
    // The desktop itself (the root window, a desktop-type window, or no window for a while),
    // which belongs to the file manager.
    bool isDesktop = false;

    // The non-empty names above, in that order.
    QStringList identifiers() const;
};

class GnomeShellExtension;

// One way of seeing which application is active on this session: EWMH on X11, the wlroots
// foreign-toplevel protocol, KDE's window management or a KWin script, a GNOME Shell extension.
// Exactly one is chosen at start (`make`) from what the session offers. Where activation cannot
// be observed `observable()` is false and `unobservableReason()` says why, once, for the log.
class ActiveApplicationSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool observable() const = 0;
    virtual QString unobservableReason() const = 0;
    // The application active right now; empty when no window is active, when it cannot be read
    // (for example it vanished meanwhile) or when activation is not observable.
    virtual std::optional<WindowApplication> current() const = 0;

    // How long a moment without an active window is only a window manager or compositor passing
    // between two windows (X11 reads None for a few milliseconds while it switches windows or
    // workspaces). A moment that lasts longer is the bare desktop; shorter is no change at all.
    static constexpr int passingMomentMs = 150;

    // The source this session offers, chosen once. On GNOME it listens to `gnomeExtension`
    // (made only for Wayland sessions), which outlives it.
    static std::unique_ptr<ActiveApplicationSource> make(
        GnomeShellExtension *gnomeExtension, QObject *parent = nullptr);

Q_SIGNALS:
    // The active application may have changed: ask `current()`.
    void activeApplicationChanged();
    // `observable()` changed (a window manager, compositor protocol, script or extension came or
    // went).
    void observabilityChanged();
};
