// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/ActiveApplicationSource.h"

#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

// The application shell's log: why the panel cannot follow the active application.
Q_DECLARE_LOGGING_CATEGORY(lcShell)

// Shows the panel only while the file manager (the desktop included) or Quillmoth itself is the
// active application, and keeps it above normal windows. It learns the active application from
// the one source the session offers. The application's start makes the one follower.
class FinderFollower : public QObject
{
    Q_OBJECT
public:
    explicit FinderFollower(
        std::unique_ptr<ActiveApplicationSource> source, QObject *parent = nullptr);

    // Follows `panel` from now on (held weakly) and decides its visibility once.
    void attach(QWidget *panel);
    // Quillmoth itself became the active application (it activated itself at start-up).
    void ownActivation();

    FinderFollower(const FinderFollower &) = delete;
    FinderFollower &operator=(const FinderFollower &) = delete;

private:
    // Decides on a later turn of the event loop, never inside the event delivery.
    void decideLater(const std::optional<WindowApplication> &front);
    void apply(const std::optional<WindowApplication> &front);
    void reportObservability();

    QPointer<QWidget> m_window;
    std::unique_ptr<ActiveApplicationSource> m_observer;
};
