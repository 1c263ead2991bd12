// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

class QDBusServiceWatcher;

// The program's own GNOME Shell extension, which publishes the focused application on the
// session bus (GNOME on Wayland tells ordinary clients nothing about other windows). Says
// whether it runs right now, follows it coming and going, and asks the shell to turn it on.
class GnomeShellExtension : public QObject
{
    Q_OBJECT
public:
    explicit GnomeShellExtension(QObject *parent = nullptr);

    static QString uuid();
    // The name the extension owns on the session bus while it runs.
    static QString busName();
    static QString objectPath();
    static QString interfaceName();
    // A GNOME session on Wayland, where nothing but the extension shows other windows' focus.
    static bool isNeededHere();

    bool isActive() const { return m_isActive; }
    // Asks the shell to turn the extension on; `enableFinished` says whether the shell knew it.
    // One it does not know yet is listed among the extensions GNOME turns on at the next login.
    void enable();
    // Lists the extension in GNOME's enabled-extensions setting (once); whether it is listed.
    static bool listForNextLogin();

Q_SIGNALS:
    void activeChanged(bool isActive);
    // `isKnown` is false when this shell has not seen the extension's files yet (GNOME on
    // Wayland reads newly installed extensions only at login).
    void enableFinished(bool isKnown);

private:
    QDBusServiceWatcher *m_watcher;
    bool m_isActive = false;
};
