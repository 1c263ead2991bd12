// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Waits on a live store, for the tests that link the whole program (the kit itself needs Qt Core
// alone, so these stay in a header).
#include "Store/RecentFilesStore.h"

#include <QTest>

// The names of the items the store lists, in order.
inline QStringList itemNames(const RecentFilesStore &store)
{
    QStringList names;
    for (const RecentItem &item : store.items())
        names << item.name();
    return names;
}

// Waits until the store lists exactly these names.
inline bool lists(const RecentFilesStore &store, const QStringList &names, int limitMs = 10000)
{
    return QTest::qWaitFor([&] { return itemNames(store) == names; }, limitMs);
}
