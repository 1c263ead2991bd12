// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Platform/ActiveApplicationSource.h"

#include <memory>
#include <optional>
#include <vector>

class WaylandClient;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

// The active application on wlroots compositors (sway, labwc, Wayfire, Hyprland, river): the
// toplevel in the `activated` state, from zwlr_foreign_toplevel_manager_v1 on a Wayland
// connection of its own (WaylandClient). The protocol gives no pid: the application
// is its app id. When the compositor withdraws the protocol or the connection dies, the source
// becomes unobservable and says why. A moment with no activated toplevel leaves the last
// application standing; before any toplevel was active, it is the desktop.
class WlrForeignToplevel : public ActiveApplicationSource
{
    Q_OBJECT
public:
    // The source, when the compositor offers the protocol; otherwise empty and `whyNot` says why.
    static std::unique_ptr<WlrForeignToplevel> make(QString &whyNot, QObject *parent = nullptr);
    ~WlrForeignToplevel() override;

    bool observable() const override { return m_manager != nullptr; }
    QString unobservableReason() const override { return m_reason; }
    std::optional<WindowApplication> current() const override;

    struct Toplevel;

private:
    WlrForeignToplevel(std::unique_ptr<WaylandClient> client, QObject *parent);
    bool start(QString &whyNot);
    void afterEvents();
    void lose(const QString &reason);
    void releaseToplevels();
    void announceChange();

    static void managerToplevel(
        void *data, zwlr_foreign_toplevel_manager_v1 *, zwlr_foreign_toplevel_handle_v1 *handle);
    static void managerFinished(void *data, zwlr_foreign_toplevel_manager_v1 *);
    static void handleDone(void *data, zwlr_foreign_toplevel_handle_v1 *);
    static void handleClosed(void *data, zwlr_foreign_toplevel_handle_v1 *);

    std::unique_ptr<WaylandClient> m_client;
    zwlr_foreign_toplevel_manager_v1 *m_manager = nullptr;
    std::vector<std::unique_ptr<Toplevel>> m_toplevels;
    const Toplevel *m_active = nullptr;
    bool m_changed = false;
    QString m_reason;
    // Runs while no toplevel is activated and the moment may still be a passing one.
    // The app id of the toplevel that last had the keyboard.
    std::optional<QString> m_lastAppId;
};
