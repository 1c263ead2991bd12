// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/WlrForeignToplevel.h"

#include "Platform/WaylandClient.h"

#include "wayland-wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <wayland-client.h>

#include <algorithm>

namespace {

// Version 3 is the newest this code knows; nothing it uses needs more than version 1.
constexpr uint32_t newestVersion = 3;

// The app id as text: Wayland strings are UTF-8, but a client may send anything.
QString text(const char *s)
{
    return s ? QString::fromUtf8(s) : QString();
}

} // namespace

// One toplevel as last reported complete (`done`), and what is arriving for the next `done`.
struct WlrForeignToplevel::Toplevel
{
    WlrForeignToplevel *owner = nullptr;
    zwlr_foreign_toplevel_handle_v1 *handle = nullptr;
    QString appId;
    bool activated = false;
    QString pendingAppId;
    bool pendingActivated = false;
};

namespace {

void ignoreTitle(void *, zwlr_foreign_toplevel_handle_v1 *, const char *)
{
}
void ignoreOutput(void *, zwlr_foreign_toplevel_handle_v1 *, wl_output *)
{
}
void ignoreParent(void *, zwlr_foreign_toplevel_handle_v1 *, zwlr_foreign_toplevel_handle_v1 *)
{
}

void takeAppId(void *data, zwlr_foreign_toplevel_handle_v1 *, const char *appId)
{
    static_cast<WlrForeignToplevel::Toplevel *>(data)->pendingAppId = text(appId);
}

void takeState(void *data, zwlr_foreign_toplevel_handle_v1 *, wl_array *states)
{
    bool activated = false;
    const auto *begin = static_cast<const uint32_t *>(states->data);
    const auto *end = begin + states->size / sizeof(uint32_t);
    activated
        = std::find(begin, end, uint32_t(ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)) != end;
    static_cast<WlrForeignToplevel::Toplevel *>(data)->pendingActivated = activated;
}

} // namespace

std::unique_ptr<WlrForeignToplevel> WlrForeignToplevel::make(QString &whyNot, QObject *parent)
{
    auto client
        = WaylandClient::bind(zwlr_foreign_toplevel_manager_v1_interface, newestVersion, whyNot);
    if (!client)
        return nullptr;
    std::unique_ptr<WlrForeignToplevel> source(new WlrForeignToplevel(std::move(client), parent));
    if (!source->start(whyNot))
        return nullptr;
    return source;
}

WlrForeignToplevel::WlrForeignToplevel(std::unique_ptr<WaylandClient> client, QObject *parent)
    : ActiveApplicationSource(parent)
    , m_client(std::move(client))
    , m_manager(static_cast<zwlr_foreign_toplevel_manager_v1 *>(m_client->global()))
{
    connect(m_client.get(), &WaylandClient::dispatched, this, &WlrForeignToplevel::afterEvents);
    connect(m_client.get(), &WaylandClient::lost, this, &WlrForeignToplevel::lose);
}

WlrForeignToplevel::~WlrForeignToplevel()
{
    releaseToplevels();
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
}

// Receives the toplevels that exist already (one round trip, at start only); from then on the
// socket drives it.
bool WlrForeignToplevel::start(QString &whyNot)
{
    static const zwlr_foreign_toplevel_manager_v1_listener managerListener { &managerToplevel,
        &managerFinished };
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &managerListener, this);
    if (!m_client->roundtrip()) {
        whyNot = QStringLiteral("the Wayland connection failed at start");
        return false;
    }
    m_changed = false; // the state at start is asked for, not announced
    m_client->startReading();
    return true;
}

void WlrForeignToplevel::afterEvents()
{
    if (m_changed) {
        m_changed = false;
        announceChange();
    }
}

// One announcement per batch of events, and only for a newly active toplevel: a compositor
// deactivates one toplevel and activates the next in separate `done`s, and a moment with nothing
// active changes nothing.
void WlrForeignToplevel::announceChange()
{
    if (!m_active)
        return;
    m_lastAppId = m_active->appId;
    Q_EMIT activeApplicationChanged();
}

void WlrForeignToplevel::lose(const QString &reason)
{
    releaseToplevels();
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    m_manager = nullptr;
    m_reason = reason + QStringLiteral(", so the active application cannot be observed");
    Q_EMIT observabilityChanged();
}

void WlrForeignToplevel::releaseToplevels()
{
    for (const auto &t : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(t->handle);
    m_toplevels.clear();
    m_active = nullptr;
}

std::optional<WindowApplication> WlrForeignToplevel::current() const
{
    if (!observable())
        return std::nullopt;
    WindowApplication app;
    // When no toplevel has the keyboard (a bare workspace, a layer surface, or the moment after
    // the panel itself is unmapped) the last application stands: judging that moment as the
    // desktop would show the panel again at once on a compositor that focuses it when it maps.
    if (!m_active && !m_lastAppId) {
        app.isDesktop = true;
        return app;
    }
    app.applicationId = m_active ? m_active->appId : *m_lastAppId;
    // No pid in this protocol: Quillmoth's own windows are known by its app id (native) or its
    // WM_CLASS class (XWayland).
    if (!app.applicationId.isEmpty()
        && (app.applicationId == QGuiApplication::desktopFileName()
            || app.applicationId == QCoreApplication::applicationName()))
        app.pid = QCoreApplication::applicationPid();
    return app;
}

void WlrForeignToplevel::managerToplevel(
    void *data, zwlr_foreign_toplevel_manager_v1 *, zwlr_foreign_toplevel_handle_v1 *handle)
{
    static const zwlr_foreign_toplevel_handle_v1_listener handleListener { &ignoreTitle, &takeAppId,
        &ignoreOutput, &ignoreOutput, &takeState, &handleDone, &handleClosed, &ignoreParent };
    auto *self = static_cast<WlrForeignToplevel *>(data);
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->owner = self;
    toplevel->handle = handle;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &handleListener, toplevel.get());
    self->m_toplevels.push_back(std::move(toplevel));
}

void WlrForeignToplevel::managerFinished(void *data, zwlr_foreign_toplevel_manager_v1 *)
{
    auto *self = static_cast<WlrForeignToplevel *>(data);
    self->lose(QStringLiteral("the Wayland compositor stopped reporting toplevels"));
}

void WlrForeignToplevel::handleDone(void *data, zwlr_foreign_toplevel_handle_v1 *)
{
    auto *t = static_cast<Toplevel *>(data);
    WlrForeignToplevel *self = t->owner;
    const bool appIdChanged = t->appId != t->pendingAppId;
    t->appId = t->pendingAppId;
    t->activated = t->pendingActivated;
    if (t->activated && (self->m_active != t || appIdChanged)) {
        self->m_active = t;
        self->m_changed = true;
    } else if (!t->activated && self->m_active == t) {
        self->m_active = nullptr;
        self->m_changed = true;
    }
}

void WlrForeignToplevel::handleClosed(void *data, zwlr_foreign_toplevel_handle_v1 *)
{
    auto *t = static_cast<Toplevel *>(data);
    WlrForeignToplevel *self = t->owner;
    if (self->m_active == t) {
        self->m_active = nullptr;
        self->m_changed = true;
    }
    zwlr_foreign_toplevel_handle_v1_destroy(t->handle);
    std::erase_if(self->m_toplevels, [t](const auto &p) { return p.get() == t; });
}
