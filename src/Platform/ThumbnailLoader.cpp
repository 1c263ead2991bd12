// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/ThumbnailLoader.h"

#include "Platform/Thumbnail.h"

#include <QDateTime>
#include <QFileInfo>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {
// Paths remembered at most; past it, everything is looked up afresh.
constexpr qsizetype maxKnown = 4096;
constexpr qint64 freshForMs = 60 * 1000;
} // namespace

// What the worker and the loader share; the worker holds it as long as it runs, so it outlives
// a loader that is gone.
struct ThumbnailLoader::Shared
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<QString> pending;
    ThumbnailLoader *loader = nullptr; // null once the loader is gone
    QString cacheHome;
};

ThumbnailLoader::ThumbnailLoader(QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->loader = this;
    m_shared->cacheHome = Thumbnail::cacheHome();
    std::thread([shared = m_shared] {
        std::unique_lock lock(shared->mutex);
        while (shared->loader) {
            if (shared->pending.empty()) {
                shared->wake.wait(lock);
                continue;
            }
            const QString path = shared->pending.front();
            shared->pending.pop_front();
            lock.unlock();
            const qint64 modified = QFileInfo(path).lastModified().toSecsSinceEpoch();
            const QImage image = Thumbnail::cached(path, modified, shared->cacheHome);
            lock.lock();
            if (shared->loader)
                QMetaObject::invokeMethod(
                    shared->loader,
                    [loader = shared->loader, path, image] { loader->take(path, image); },
                    Qt::QueuedConnection);
        }
    }).detach();
}

ThumbnailLoader::~ThumbnailLoader()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->loader = nullptr;
    m_shared->pending.clear();
    m_shared->wake.notify_one();
}

QImage ThumbnailLoader::thumbnail(const QString &path)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    auto known = m_known.find(path);
    if (known != m_known.end() && now - known->askedAtMs < freshForMs)
        return known->image;
    if (known == m_known.end()) {
        if (m_known.size() >= maxKnown)
            m_known.clear();
        known = m_known.insert(path, Known { QImage(), now });
    }
    known->askedAtMs = now;
    const std::lock_guard lock(m_shared->mutex);
    m_shared->pending.push_back(path);
    m_shared->wake.notify_one();
    return known->image;
}

void ThumbnailLoader::take(const QString &path, const QImage &image)
{
    const auto known = m_known.find(path);
    if (known == m_known.end() || known->image.cacheKey() == image.cacheKey()
        || (known->image.isNull() && image.isNull()))
        return;
    known->image = image;
    Q_EMIT changed();
}
