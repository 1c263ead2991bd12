// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/WlrForeignToplevel.h"

#include "wayland-wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Version 3 is the newest this code knows; nothing it uses needs more than version 1.
constexpr uint32_t newestVersion = 3;
constexpr const char *managerInterface = "zwlr_foreign_toplevel_manager_v1";

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
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        whyNot = QStringLiteral("the Wayland display cannot be reached (%1)")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return nullptr;
    }
    std::unique_ptr<WlrForeignToplevel> source(new WlrForeignToplevel(display, parent));
    if (!source->bind(whyNot))
        return nullptr;
    return source;
}

WlrForeignToplevel::WlrForeignToplevel(wl_display *display, QObject *parent)
    : ActiveApplicationSource(parent)
    , m_display(display)
{
}

WlrForeignToplevel::~WlrForeignToplevel()
{
    releaseToplevels();
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

// Learns the globals (one round trip, at start only), binds the manager and receives the
// toplevels that exist already (a second round trip); from then on the socket drives it.
bool WlrForeignToplevel::bind(QString &whyNot)
{
    static const wl_registry_listener registryListener { &registryGlobal, &registryGlobalRemove };
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &registryListener, this);
    if (wl_display_roundtrip(m_display) < 0) {
        whyNot = QStringLiteral("the Wayland connection failed at start");
        return false;
    }
    if (!m_managerName) {
        whyNot = QStringLiteral("the Wayland compositor does not offer %1 (the wlroots "
                                "foreign-toplevel protocol)")
                     .arg(QLatin1String(managerInterface));
        return false;
    }
    static const zwlr_foreign_toplevel_manager_v1_listener managerListener { &managerToplevel,
        &managerFinished };
    m_manager = static_cast<zwlr_foreign_toplevel_manager_v1 *>(
        wl_registry_bind(m_registry, m_managerName, &zwlr_foreign_toplevel_manager_v1_interface,
            std::min(m_offeredVersion, newestVersion)));
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &managerListener, this);
    if (wl_display_roundtrip(m_display) < 0) {
        whyNot = QStringLiteral("the Wayland connection failed at start");
        return false;
    }
    m_changed = false; // the state at start is asked for, not announced

    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WlrForeignToplevel::readEvents);
    return true;
}

void WlrForeignToplevel::readEvents()
{
    // The socket is readable, so this reads without waiting, then runs the listeners.
    if (wl_display_dispatch(m_display) < 0) {
        const int error = wl_display_get_error(m_display);
        lose(QStringLiteral("the Wayland connection closed (%1)")
                 .arg(QString::fromLocal8Bit(std::strerror(error ? error : errno))));
        return;
    }
    wl_display_flush(m_display); // the handles destroyed meanwhile
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
    if (m_notifier)
        m_notifier->setEnabled(false);
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

void WlrForeignToplevel::registryGlobal(
    void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
{
    auto *self = static_cast<WlrForeignToplevel *>(data);
    if (std::strcmp(interface, managerInterface) == 0 && !self->m_managerName) {
        self->m_managerName = name;
        self->m_offeredVersion = version;
    }
}

void WlrForeignToplevel::registryGlobalRemove(void *data, wl_registry *, uint32_t name)
{
    auto *self = static_cast<WlrForeignToplevel *>(data);
    if (name != self->m_managerName || !self->m_manager)
        return;
    self->lose(
        QStringLiteral("the Wayland compositor withdrew %1").arg(QLatin1String(managerInterface)));
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
