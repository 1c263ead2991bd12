// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Waits on a live store, and the system calls its tests replace put back, for the tests that link
// the whole program (the kit itself needs Qt Core alone, so these stay in a header).
#include "FaultInjection.h"
#include "Platform/SystemCalls.h"
#include "Store/RecentFilesStore.h"

#include <QScopeGuard>
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

// Every system call back to the real one, and the faults' defaults, when a test ends, however it
// ends.
inline auto restoringSystemCalls()
{
    return qScopeGuard([] {
        FaultInjection::reset();
        SystemCalls::setStat(nullptr);
        SystemCalls::setOpen(nullptr);
        SystemCalls::setInotifyInit(nullptr);
        SystemCalls::setInotifyAddWatch(nullptr);
    });
}
