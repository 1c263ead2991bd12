// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Realistic recently-used stores for benchmarks: a private home (the tests' TempHome) with real
// files for the entries inside the seven-day window, and a store as GTK writes it.
#include "TestSupport.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <memory>

struct StoreFixture
{
    std::unique_ptr<TempHome> home;
    QString storePath;
    int inWindow = 0;
    QList<XbelEntry> entries; // as written
    int firstInWindow = -1; // an entry whose file exists

    // `entries` bookmarks; `windowShare` of them used within the last seven days (real files),
    // the rest older (their files need not exist).
    static StoreFixture make(int entries, double windowShare = 0.25)
    {
        StoreFixture f;
        f.home = std::make_unique<TempHome>();
        f.storePath = f.home->storePath();
        static const char *const folders[]
            = { "Documents", "Documents/Work/2026", "Downloads", "Pictures/Holiday",
                  "Projects/quill/src", "Music/Albums", "Desktop", "Documents/Taxes" };
        static const char *const extensions[]
            = { "pdf", "txt", "odt", "png", "jpg", "cpp", "md", "xlsx" };
        for (const char *folder : folders)
            f.home->mkdir(QLatin1String(folder));
        QRandomGenerator random(42);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QList<XbelEntry> list;
        for (int i = 0; i < entries; ++i) {
            const bool recent = random.generateDouble() < windowShare;
            const qint64 ageSeconds = recent ? qint64(random.bounded(7 * 86400 - 3600))
                                             : qint64(8 * 86400 + random.bounded(365 * 86400));
            const QString relative = QLatin1String(folders[i % 8])
                + QStringLiteral("/file %1 report.").arg(i) + QLatin1String(extensions[i % 7]);
            const QString path
                = recent ? f.home->touch(relative) : f.home->path() + QLatin1Char('/') + relative;
            f.inWindow += recent;
            if (recent && f.firstInWindow < 0)
                f.firstInWindow = i;
            XbelEntry entry = usedAt(path, now.addSecs(-ageSeconds));
            entry.added = entry.visited->addDays(-3);
            entry.applications << qMakePair(QStringLiteral("org.gnome.TextEditor"), *entry.visited);
            list << entry;
        }
        writeAtomically(f.storePath, xbelDocument(list));
        f.entries = std::move(list);
        return f;
    }
};

// The benchmarks' main: a Qt application of type App, then Google Benchmark.
template <typename App> int runBenchmarks(int argc, char **argv)
{
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
