// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/SandboxStores.h"

#include "Platform/InotifyEvents.h"
#include "Platform/PlatformLog.h"
#include "Platform/SystemCalls.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Folders on the way that come and go: never writes, so that a busy folder (the home itself,
// while the apps' folder does not exist) does not wake the program.
constexpr uint32_t wayMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF
    | IN_MOVE_SELF | IN_ONLYDIR;
// The store's own folder, which the app also fills with its other data: a write in place counts
// once its writer closes the file, so that an app busy with its own files wakes the program
// once per file it saves, not once per write.
constexpr uint32_t storeMask = wayMask | IN_CLOSE_WRITE;
constexpr uint32_t selfGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;
constexpr uint32_t entryCame = IN_CREATE | IN_MOVED_TO;
constexpr uint32_t entryCameOrWent = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

// A root's key cannot be a folder's path: paths never start with a line break.
QString rootKey(int index)
{
    return QLatin1Char('\n') + QString::number(index);
}
// The watch on an app's own folder, for a link on the way to its store (Snap's "current",
// pointed at the new revision on every refresh).
QString anchorKey(const QString &folder)
{
    return folder + QLatin1Char('\n');
}

// The nearest folder that exists on the way from `from` up to `floor`.
QString nearestExisting(QString from, const QString &floor)
{
    while (from.size() > floor.size() && !QFileInfo(from).isDir())
        from = QFileInfo(from).absolutePath();
    return from;
}

// The first component of `path` below `dir`.
QString nextComponent(const QString &dir, const QString &path)
{
    return path.mid(dir.size() + 1).section(QLatin1Char('/'), 0, 0);
}

// Identity, size and times: a rename, a rewrite and a write in place each change one.
QByteArray signature(const QString &path)
{
    struct stat info;
    if (SystemCalls::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QByteArrayLiteral("gone");
    return QByteArray::number(qulonglong(info.st_dev)) + ' ' + QByteArray::number(info.st_ino) + ' '
        + QByteArray::number(qlonglong(info.st_size)) + ' '
        + QByteArray::number(qlonglong(info.st_mtim.tv_sec)) + '.'
        + QByteArray::number(qlonglong(info.st_mtim.tv_nsec)) + ' '
        + QByteArray::number(qlonglong(info.st_ctim.tv_nsec));
}

} // namespace

QList<SandboxStores::Root> SandboxStores::homeRoots(const QString &home)
{
    return {
        { home + QStringLiteral("/.var/app"), QStringLiteral("data/recently-used.xbel") },
        { home + QStringLiteral("/snap"),
            QStringLiteral("current/.local/share/recently-used.xbel") },
    };
}

SandboxStores::SandboxStores(QString home, QList<Root> roots, QObject *parent)
    : QObject(parent)
    , m_home(std::move(home))
    , m_roots(std::move(roots))
    , m_rootWatched(m_roots.size(), false)
{
    m_poll.setInterval(pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &SandboxStores::poll);
    if (m_roots.isEmpty())
        return;
    m_fd = SystemCalls::inotifyInit(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        startPolling(errno);
    } else {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SandboxStores::readEvents);
    }
    for (int i = 0; i < m_roots.size(); ++i)
        watchRoot(i);
    listRoots();
}

SandboxStores::~SandboxStores()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QStringList SandboxStores::stores() const
{
    QStringList stores;
    for (const App &app : m_apps)
        if (app.present)
            stores << app.store;
    std::sort(stores.begin(), stores.end());
    return stores;
}

void SandboxStores::listRoots()
{
    // One listing per root, whatever the number of apps: no look inside an app but its store's.
    QSet<QString> seen;
    bool listChanged = false;
    for (const Root &root : std::as_const(m_roots)) {
        QDirIterator it(root.folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        while (it.hasNext()) {
            const QString folder = it.next();
            seen.insert(folder);
            if (m_apps.contains(folder))
                continue;
            App &app = m_apps[folder];
            app.folder = folder;
            app.store = folder + QLatin1Char('/') + root.storeWithin;
            watchApp(app);
            listChanged = refresh(app) || listChanged;
        }
    }
    for (auto it = m_apps.begin(); it != m_apps.end();) {
        if (seen.contains(it.key())) {
            ++it;
            continue;
        }
        dropWatches(it.key());
        dropWatches(anchorKey(it.key()));
        listChanged = listChanged || it->present;
        it = m_apps.erase(it);
    }
    warnAboutPolling();
    if (listChanged)
        Q_EMIT storesChanged();
}

void SandboxStores::watchRoot(int index)
{
    // A folder on the way made while the watch was being moved down is watched too.
    const QString folder = m_roots.at(index).folder;
    QString dir;
    while (dir != nearestExisting(folder, QStringLiteral("/"))) {
        dropWatches(rootKey(index));
        dir = nearestExisting(folder, QStringLiteral("/"));
        m_rootWatched[index] = addWatch(rootKey(index), dir, wayMask);
    }
}

void SandboxStores::watchApp(App &app)
{
    dropWatches(anchorKey(app.folder));
    const QString storeDir = QFileInfo(app.store).absolutePath();
    QString dir;
    while (dir != nearestExisting(storeDir, app.folder)) {
        dropWatches(app.folder);
        dir = nearestExisting(storeDir, app.folder);
        app.watched = addWatch(app.folder, dir, dir == storeDir ? storeMask : wayMask);
    }
    const QString first = app.folder + QLatin1Char('/') + nextComponent(app.folder, app.store);
    if (app.watched && dir != app.folder && QFileInfo(first).isSymLink())
        app.watched = addWatch(anchorKey(app.folder), app.folder, wayMask);
    if (!app.watched)
        app.lastSeen = signature(app.store);
}

bool SandboxStores::addWatch(const QString &key, const QString &dir, uint32_t mask)
{
    if (m_fd < 0)
        return false;
    // One folder watched for two reasons (both roots waiting in the home) shares one watch.
    Watch &watch = m_watchOfDir[dir];
    if (watch.wd < 0 || (mask & ~watch.mask)) {
        const QByteArray native = QFile::encodeName(dir);
        const int wd = SystemCalls::inotifyAddWatch(m_fd, native.constData(), mask | IN_MASK_ADD);
        if (wd < 0) {
            if (watch.wd < 0)
                m_watchOfDir.remove(dir);
            // Past the watch limit; a folder that went meanwhile is the listing's business.
            if (errno == ENOSPC || errno == ENOMEM)
                startPolling(errno);
            return false;
        }
        watch.wd = wd;
        watch.mask |= mask;
    }
    m_watchOf.insert(key, watch.wd);
    m_dirOf.insert(key, dir);
    m_keysOfWatch[watch.wd].insert(key);
    return true;
}

void SandboxStores::dropWatches(const QString &key)
{
    const auto found = m_watchOf.constFind(key);
    if (found == m_watchOf.cend())
        return;
    const int wd = *found;
    m_watchOf.erase(found);
    const QString dir = m_dirOf.take(key);
    QSet<QString> &keys = m_keysOfWatch[wd];
    keys.remove(key);
    if (keys.isEmpty()) {
        inotify_rm_watch(m_fd, wd);
        m_keysOfWatch.remove(wd);
        m_watchOfDir.remove(dir);
    }
}

bool SandboxStores::isAllowed(const QString &store) const
{
    // A link may lead to another user's file or a device; only the home (and the app folders,
    // wherever the user moved them) is the user's own.
    const QString real = QFileInfo(store).canonicalFilePath();
    QStringList allowed { m_home };
    for (const Root &root : m_roots)
        allowed << root.folder;
    return std::any_of(allowed.cbegin(), allowed.cend(), [&](const QString &folder) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        return !canonical.isEmpty() && real.startsWith(canonical + QLatin1Char('/'));
    });
}

bool SandboxStores::refresh(App &app)
{
    bool present = QFileInfo::exists(app.store);
    if (present && !isAllowed(app.store)) {
        present = false;
        if (!std::exchange(m_hasWarnedOutside, true))
            qCWarning(lcPlatform,
                "A sandboxed app's recently-used store leads outside the home; it is not read");
    }
    return std::exchange(app.present, present) != present;
}

void SandboxStores::appEvent(
    const QString &key, const QString &name, uint32_t mask, bool &listChanged)
{
    const bool isAnchor = key.endsWith(QLatin1Char('\n'));
    const auto found = m_apps.find(isAnchor ? key.chopped(1) : key);
    if (found == m_apps.end())
        return;
    App &app = *found;
    const QString dir = m_dirOf.value(key);
    const QString storeDir = QFileInfo(app.store).absolutePath();
    bool relevant = false;
    bool rewatch = (mask & selfGone) != 0;
    if (isAnchor) {
        rewatch = rewatch || name == nextComponent(app.folder, app.store);
    } else if (dir == storeDir) {
        relevant = name == QFileInfo(app.store).fileName();
    } else {
        rewatch = rewatch || ((mask & entryCame) && name == nextComponent(dir, app.store));
    }
    if (rewatch)
        watchApp(app);
    if (!relevant && !rewatch)
        return;
    if (refresh(app))
        listChanged = true;
    else if (app.present)
        Q_EMIT storeChanged(app.store, rewatch || (mask & IN_MOVED_TO));
}

bool SandboxStores::rootEvent(const QString &key, const QString &name, uint32_t mask)
{
    const int index = key.mid(1).toInt();
    const QString &folder = m_roots.at(index).folder;
    const QString dir = m_dirOf.value(key);
    // A folder on the way to the root appeared: move the watch down.
    const bool moveDown = dir != folder && (mask & entryCame) && name == nextComponent(dir, folder);
    if ((mask & selfGone) || moveDown)
        watchRoot(index);
    return (mask & selfGone) || moveDown || (dir == folder && (mask & entryCameOrWent));
}

void SandboxStores::overflowed()
{
    // Events were lost: every store may have changed.
    for (const App &app : std::as_const(m_apps))
        if (app.present)
            Q_EMIT storeChanged(app.store, true);
}

void SandboxStores::readEvents()
{
    bool relist = false;
    bool listChanged = false;
    InotifyEvents::readAll(m_fd, [&](const inotify_event &event) {
        if (event.mask & IN_Q_OVERFLOW) {
            overflowed();
            relist = true;
            return;
        }
        const QString name = event.len ? QFile::decodeName(event.name) : QString();
        const QSet<QString> keys = m_keysOfWatch.value(event.wd);
        for (const QString &key : keys) {
            if (key.startsWith(QLatin1Char('\n')))
                relist = rootEvent(key, name, event.mask) || relist;
            else
                appEvent(key, name, event.mask, listChanged);
        }
    });
    if (relist)
        listRoots();
    if (listChanged)
        Q_EMIT storesChanged();
}

void SandboxStores::startPolling(int error)
{
    if (!m_poll.isActive())
        m_pollError = error;
    m_poll.start();
    warnAboutPolling();
}

void SandboxStores::warnAboutPolling()
{
    // Without any sandboxed app there is nothing to lose, and nothing to say.
    if (!m_poll.isActive() || m_apps.isEmpty() || std::exchange(m_hasWarnedPolling, true))
        return;
    qCWarning(lcPlatform,
        "Cannot watch every sandboxed app's recently-used store (%s); the rest are checked "
        "every %d s instead",
        std::strerror(m_pollError), pollIntervalMs / 1000);
}

void SandboxStores::poll()
{
    if (std::find(m_rootWatched.cbegin(), m_rootWatched.cend(), false) != m_rootWatched.cend())
        listRoots();
    bool listChanged = false;
    for (App &app : m_apps) {
        if (app.watched)
            continue;
        const QByteArray seen = signature(app.store);
        if (seen == std::exchange(app.lastSeen, seen))
            continue;
        if (refresh(app))
            listChanged = true;
        else if (app.present)
            Q_EMIT storeChanged(app.store, true);
    }
    if (listChanged)
        Q_EMIT storesChanged();
}
