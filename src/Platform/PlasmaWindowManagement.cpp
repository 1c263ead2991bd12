// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/PlasmaWindowManagement.h"

#include "wayland-plasma-window-management-client-protocol.h"

#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// The newest version whose events this code has listeners for.
constexpr uint32_t newestVersion = 16;
constexpr const char *managerInterface = "org_kde_plasma_window_management";

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
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        whyNot = QStringLiteral("the Wayland display cannot be reached (%1)")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return nullptr;
    }
    std::unique_ptr<PlasmaWindowManagement> source(new PlasmaWindowManagement(display, parent));
    if (!source->bind(whyNot))
        return nullptr;
    return source;
}

PlasmaWindowManagement::PlasmaWindowManagement(wl_display *display, QObject *parent)
    : ActiveApplicationSource(parent)
    , m_display(display)
{
}

PlasmaWindowManagement::~PlasmaWindowManagement()
{
    for (const auto &w : m_windows)
        org_kde_plasma_window_destroy(w->handle);
    if (m_manager)
        org_kde_plasma_window_management_destroy(m_manager);
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

// Learns the globals, binds the manager and receives the windows that exist already (round
// trips at start only); from then on the socket drives it.
bool PlasmaWindowManagement::bind(QString &whyNot)
{
    static const wl_registry_listener registryListener { &registryGlobal, &registryGlobalRemove };
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &registryListener, this);
    if (wl_display_roundtrip(m_display) < 0) {
        whyNot = QStringLiteral("the Wayland connection failed at start");
        return false;
    }
    if (!m_managerName) {
        whyNot = QStringLiteral("the Wayland compositor does not offer %1 to this program")
                     .arg(QLatin1String(managerInterface));
        return false;
    }
    static const org_kde_plasma_window_management_listener managerListener {
        [](void *, org_kde_plasma_window_management *, uint32_t) {},
        &managerWindow,
        [](void *, org_kde_plasma_window_management *, wl_array *) {},
        [](void *, org_kde_plasma_window_management *, const char *) {},
        &managerWindowWithUuid,
    };
    m_version = std::min(m_version, newestVersion);
    m_manager = static_cast<org_kde_plasma_window_management *>(wl_registry_bind(
        m_registry, m_managerName, &org_kde_plasma_window_management_interface, m_version));
    org_kde_plasma_window_management_add_listener(m_manager, &managerListener, this);
    // The windows, then their states.
    for (int i = 0; i < 2; ++i) {
        if (wl_display_roundtrip(m_display) < 0) {
            whyNot = QStringLiteral("the Wayland connection failed at start");
            return false;
        }
    }
    m_changed = false; // the state at start is asked for, not announced
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PlasmaWindowManagement::readEvents);
    return true;
}

void PlasmaWindowManagement::readEvents()
{
    if (wl_display_dispatch(m_display) < 0) {
        const int error = wl_display_get_error(m_display);
        lose(QStringLiteral("the Wayland connection closed (%1)")
                 .arg(QString::fromLocal8Bit(std::strerror(error ? error : errno))));
        return;
    }
    wl_display_flush(m_display);
    if (m_changed) {
        m_changed = false;
        Q_EMIT activeApplicationChanged();
    }
}

void PlasmaWindowManagement::lose(const QString &reason)
{
    if (m_notifier)
        m_notifier->setEnabled(false);
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

void PlasmaWindowManagement::registryGlobal(
    void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
{
    auto *self = static_cast<PlasmaWindowManagement *>(data);
    if (std::strcmp(interface, managerInterface) == 0 && !self->m_managerName) {
        self->m_managerName = name;
        self->m_version = version;
    }
}

void PlasmaWindowManagement::registryGlobalRemove(void *data, wl_registry *, uint32_t name)
{
    auto *self = static_cast<PlasmaWindowManagement *>(data);
    if (name == self->m_managerName && self->m_manager)
        self->lose(QStringLiteral("the Wayland compositor withdrew %1")
                       .arg(QLatin1String(managerInterface)));
}

// Announced by number up to version 12, by uuid from version 13; each window is announced once,
// in the form its version uses.
void PlasmaWindowManagement::managerWindow(
    void *data, org_kde_plasma_window_management *manager, uint32_t id)
{
    auto *self = static_cast<PlasmaWindowManagement *>(data);
    if (self->m_version < ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION)
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
