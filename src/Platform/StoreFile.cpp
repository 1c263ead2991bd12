// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/StoreFile.h"

#include "Platform/SystemCalls.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Only a name that is not there means "missing": a folder the user cannot read keeps the
// last good list, as an unreadable store does.
StoreFile::Status statusOf(int error)
{
    return error == ENOENT || error == ENOTDIR ? StoreFile::Status::missing
                                               : StoreFile::Status::unreadable;
}

bool readAll(int fd, qint64 size, QByteArray &bytes)
{
    // A buffer that is shared or too small would be copied to resize it: a new one costs less.
    if (!bytes.isDetached() || bytes.capacity() < size + 1)
        bytes = QByteArray();
    // One byte more than announced: a file that grows meanwhile is read again at its next change.
    bytes.resize(size + 1);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return done <= StoreFile::maxBytes;
}

} // namespace

StoreFile::Contents StoreFile::read(const QString &path, QByteArray reuse)
{
    Contents contents;
    contents.bytes = std::move(reuse);
    // Non-blocking: opening a FIFO for reading would otherwise wait for a writer.
    const int fd
        = SystemCalls::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        contents.status = statusOf(errno);
        return contents;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0)
        contents.status = Status::unreadable;
    else if (!S_ISREG(info.st_mode))
        contents.status = Status::notRegular;
    else if (info.st_size > maxBytes)
        contents.status = Status::tooLarge;
    else
        contents.status
            = readAll(fd, qint64(info.st_size), contents.bytes) ? Status::ok : Status::unreadable;
    ::close(fd);
    if (contents.status != Status::ok)
        contents.bytes.clear();
    return contents;
}
