// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/PlasmaWindowManagement.h"

#include "Platform/WaylandClient.h"

#include "wayland-plasma-window-management-client-protocol.h"

#include <wayland-client.h>

namespace {

// The newest version whose events this code has listeners for.
constexpr uint32_t newestVersion = 16;

QString text(const char *s)
{
    return s ? QString::fromUtf8(s) : QString();
}

template <typename... Args> void ignore(void *, org_kde_plasma_window *, Args...)
{
}

} // namespace

// One window as reported so far.
struct PlasmaWindowManagement::Window
{
    PlasmaWindowManagement *owner = nullptr;
    org_kde_plasma_window *handle = nullptr;
    WindowApplication app;
    bool active = false;
};

using Window = PlasmaWindowManagement::Window;

std::unique_ptr<PlasmaWindowManagement> PlasmaWindowManagement::make(
    QString &whyNot, QObject *parent)
{
    auto client
        = WaylandClient::bind(org_kde_plasma_window_management_interface, newestVersion, whyNot);
    if (!client)
        return nullptr;
    std::unique_ptr<PlasmaWindowManagement> source(
        new PlasmaWindowManagement(std::move(client), parent));
    if (!source->start(whyNot))
        return nullptr;
    return source;
}

PlasmaWindowManagement::PlasmaWindowManagement(
    std::unique_ptr<WaylandClient> client, QObject *parent)
    : ActiveApplicationSource(parent)
    , m_client(std::move(client))
    , m_manager(static_cast<org_kde_plasma_window_management *>(m_client->global()))
{
    connect(m_client.get(), &WaylandClient::dispatched, this, &PlasmaWindowManagement::afterEvents);
    connect(m_client.get(), &WaylandClient::lost, this, &PlasmaWindowManagement::lose);
}

PlasmaWindowManagement::~PlasmaWindowManagement()
{
    for (const auto &w : m_windows)
        org_kde_plasma_window_destroy(w->handle);
    if (m_manager)
        org_kde_plasma_window_management_destroy(m_manager);
}

// Receives the windows that exist already, then their states (round trips at start only); from
// then on the socket drives it.
bool PlasmaWindowManagement::start(QString &whyNot)
{
    static const org_kde_plasma_window_management_listener managerListener {
        [](void *, org_kde_plasma_window_management *, uint32_t) {},
        &managerWindow,
        [](void *, org_kde_plasma_window_management *, wl_array *) {},
        [](void *, org_kde_plasma_window_management *, const char *) {},
        &managerWindowWithUuid,
    };
    org_kde_plasma_window_management_add_listener(m_manager, &managerListener, this);
    if (!m_client->roundtrip() || !m_client->roundtrip()) {
        whyNot = QStringLiteral("the Wayland connection failed at start");
        return false;
    }
    m_changed = false; // the state at start is asked for, not announced
    m_client->startReading();
    return true;
}

void PlasmaWindowManagement::afterEvents()
{
    if (m_changed) {
        m_changed = false;
        Q_EMIT activeApplicationChanged();
    }
}

void PlasmaWindowManagement::lose(const QString &reason)
{
    for (const auto &w : m_windows)
        org_kde_plasma_window_destroy(w->handle);
    m_windows.clear();
    if (m_manager)
        org_kde_plasma_window_management_destroy(m_manager);
    m_manager = nullptr;
    m_last.reset();
    m_reason = reason + QStringLiteral(", so the active application cannot be observed");
    Q_EMIT observabilityChanged();
}

std::optional<WindowApplication> PlasmaWindowManagement::current() const
{
    if (!observable())
        return std::nullopt;
    if (m_last)
        return m_last;
    // Nothing was active since the start: a bare desktop.
    WindowApplication desktop;
    desktop.isDesktop = true;
    return desktop;
}

void PlasmaWindowManagement::noteActive(const Window &window)
{
    if (m_last && m_last->applicationId == window.app.applicationId
        && m_last->classInstance == window.app.classInstance && m_last->pid == window.app.pid)
        return;
    m_last = window.app;
    m_changed = true;
}

void PlasmaWindowManagement::track(org_kde_plasma_window *handle)
{
    static const org_kde_plasma_window_listener windowListener {
        &ignore<const char *>, // title
        [](void *data, org_kde_plasma_window *, const char *appId) {
            auto *w = static_cast<Window *>(data);
            w->app.applicationId = text(appId);
            if (w->active)
                w->owner->noteActive(*w);
        },
        &windowState,
        &ignore<int32_t>, // virtual desktop
        &ignore<const char *>, // themed icon name
        &windowUnmapped,
        &ignore<>, // initial state
        &ignore<org_kde_plasma_window *>, // parent
        &ignore<int32_t, int32_t, uint32_t, uint32_t>, // geometry
        &ignore<>, // icon
        [](void *data, org_kde_plasma_window *, uint32_t pid) {
            auto *w = static_cast<Window *>(data);
            w->app.pid = pid > 0 ? std::optional<qint64>(pid) : std::nullopt;
            if (w->active)
                w->owner->noteActive(*w);
        },
        &ignore<const char *>, // virtual desktop entered
        &ignore<const char *>, // virtual desktop left
        &ignore<const char *, const char *>, // application menu
        &ignore<const char *>, // activity entered
        &ignore<const char *>, // activity left
        [](void *data, org_kde_plasma_window *, const char *name) {
            auto *w = static_cast<Window *>(data);
            w->app.classInstance = text(name);
            if (w->active)
                w->owner->noteActive(*w);
        },
    };
    auto window = std::make_unique<Window>();
    window->owner = this;
    window->handle = handle;
    org_kde_plasma_window_add_listener(handle, &windowListener, window.get());
    m_windows.push_back(std::move(window));
}

void PlasmaWindowManagement::forget(Window *window)
{
    org_kde_plasma_window_destroy(window->handle);
    std::erase_if(m_windows, [window](const auto &p) { return p.get() == window; });
}

// Announced by number up to version 12, by uuid from version 13; each window is announced once,
// in the form its version uses.
void PlasmaWindowManagement::managerWindow(
    void *data, org_kde_plasma_window_management *manager, uint32_t id)
{
    auto *self = static_cast<PlasmaWindowManagement *>(data);
    if (self->m_client->version() < ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION)
        self->track(org_kde_plasma_window_management_get_window(manager, id));
}

void PlasmaWindowManagement::managerWindowWithUuid(
    void *data, org_kde_plasma_window_management *manager, uint32_t, const char *uuid)
{
    auto *self = static_cast<PlasmaWindowManagement *>(data);
    self->track(org_kde_plasma_window_management_get_window_by_uuid(manager, uuid));
}

void PlasmaWindowManagement::windowState(void *data, org_kde_plasma_window *, uint32_t flags)
{
    auto *w = static_cast<Window *>(data);
    w->active = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
    if (w->active)
        w->owner->noteActive(*w);
}

void PlasmaWindowManagement::windowUnmapped(void *data, org_kde_plasma_window *)
{
    auto *w = static_cast<Window *>(data);
    w->owner->forget(w);
}
