// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;
struct wl_display;
struct wl_interface;
struct wl_registry;

// A Wayland connection of the program's own (Qt's may be XWayland, or busy with the panel),
// bound to one global that the compositor offers. Events are read when the socket is readable,
// on the main thread; nothing polls. Says why when the global is missing, and once when the
// compositor withdraws it or the connection dies.
class WaylandClient : public QObject
{
    Q_OBJECT
public:
    // A connection with `interface`'s global bound at `newestVersion` at most; otherwise empty
    // and `whyNot` says why.
    static std::unique_ptr<WaylandClient> bind(
        const wl_interface &interface, uint32_t newestVersion, QString &whyNot);
    ~WaylandClient() override;

    // The bound global's proxy, to be cast to its interface's type.
    void *global() const { return m_global; }
    uint32_t version() const { return m_version; }
    // Waits for the compositor to answer everything asked so far (at start only).
    bool roundtrip();
    // From now on the socket drives the connection.
    void startReading();

Q_SIGNALS:
    // A batch of events was read and handed to the listeners.
    void dispatched();
    // The global was withdrawn or the connection died; nothing more comes.
    void lost(const QString &reason);

private:
    explicit WaylandClient(wl_display *display);
    void readEvents();

    static void registryGlobal(
        void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version);
    static void registryGlobalRemove(void *data, wl_registry *, uint32_t name);

    wl_display *m_display;
    wl_registry *m_registry = nullptr;
    const char *m_interfaceName = nullptr;
    uint32_t m_name = 0;
    uint32_t m_version = 0;
    void *m_global = nullptr;
    QSocketNotifier *m_notifier = nullptr;
};
