// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/ActiveApplicationSource.h"

#include <memory>
#include <optional>
#include <vector>

class WaylandClient;
struct org_kde_plasma_window;
struct org_kde_plasma_window_management;

// The active application on KDE Plasma on Wayland: the window in the `active` state, from
// org_kde_plasma_window_management on a Wayland connection of its own (WaylandClient). KWin
// offers the protocol only to programs whose installed desktop entry asks for it
// (X-KDE-Wayland-Interfaces), so a program run from a build folder does without it. A moment
// with no active window leaves the last application standing.
class PlasmaWindowManagement : public ActiveApplicationSource
{
    Q_OBJECT
public:
    // The source, when the compositor offers the protocol to this program; otherwise empty and
    // `whyNot` says why.
    static std::unique_ptr<PlasmaWindowManagement> make(QString &whyNot, QObject *parent = nullptr);
    ~PlasmaWindowManagement() override;

    bool observable() const override { return m_manager != nullptr; }
    QString unobservableReason() const override { return m_reason; }
    std::optional<WindowApplication> current() const override;

    struct Window;

private:
    PlasmaWindowManagement(std::unique_ptr<WaylandClient> client, QObject *parent);
    bool start(QString &whyNot);
    void afterEvents();
    void lose(const QString &reason);
    void track(org_kde_plasma_window *handle);
    void forget(Window *window);
    void noteActive(const Window &window);

    static void managerWindow(void *data, org_kde_plasma_window_management *, uint32_t id);
    static void managerWindowWithUuid(
        void *data, org_kde_plasma_window_management *, uint32_t id, const char *uuid);
    static void windowState(void *data, org_kde_plasma_window *, uint32_t flags);
    static void windowUnmapped(void *data, org_kde_plasma_window *);

    std::unique_ptr<WaylandClient> m_client;
    org_kde_plasma_window_management *m_manager = nullptr;
    std::vector<std::unique_ptr<Window>> m_windows;
    // The application of the window that last became active.
    std::optional<WindowApplication> m_last;
    bool m_changed = false;
    QString m_reason;
};
