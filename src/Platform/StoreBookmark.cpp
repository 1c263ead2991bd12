// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/StoreBookmark.h"

std::optional<qint64> StoreBookmark::lastUsed() const
{
    std::optional<qint64> newest;
    auto consider = [&newest](std::optional<qint64> t) {
        if (t && (!newest || *t > *newest))
            newest = t;
    };
    consider(visited);
    consider(modified);
    for (const Application &app : applications)
        consider(app.stamp);
    return newest;
}
