// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The whole program (the build's own), started as a user starts it, on the current X display
// (run through tests/with-x when there is none): cold start to the first painted panel with a
// 10,000-entry store, resident memory once the list is in, and wake-ups while nothing changes.
#include "AppRun.h"
#include "StoreFixture.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QThread>

namespace {

struct Started
{
    std::unique_ptr<AppRun> run;
    qint64 launchedMs = 0;
    qint64 firstPaintMs = -1;
    qint64 listMs = -1; // arrival of the store's first "gathered" line
};

// Starts the program and waits until it has painted and published its first list.
Started start()
{
    Started s;
    s.launchedMs = QDateTime::currentMSecsSinceEpoch();
    s.run = std::make_unique<AppRun>(QStringList {
        QStringLiteral("QT_LOGGING_RULES=io.github.quillmoth.Quillmoth.shell.debug=true\n"
                       "io.github.quillmoth.Quillmoth.store.info=true") });
    static const QRegularExpression paint(QStringLiteral("first paint at (\\d+) ms"));
    while ((s.firstPaintMs < 0 || s.listMs < 0) && s.run->process().waitForReadyRead(10000)) {
        const QString log = s.run->log();
        if (s.firstPaintMs < 0)
            if (const auto m = paint.match(log); m.hasMatch())
                s.firstPaintMs = m.captured(1).toLongLong();
        if (s.listMs < 0 && log.contains(QLatin1String("gathered "))
            && !log.contains(QLatin1String("gathered 0 raw")))
            s.listMs = QDateTime::currentMSecsSinceEpoch();
    }
    return s;
}

// Context switches per thread, by thread id.
QMap<QString, long long> switchesPerThread(qint64 pid)
{
    QMap<QString, long long> result;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &id : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(id) + QStringLiteral("/status"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        long long n = 0;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:")
                || line.startsWith("nonvoluntary_ctxt_switches:"))
                n += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        result.insert(id, n);
    }
    return result;
}

void BM_ColdStartToFirstPaint(benchmark::State &state)
{
    const StoreFixture fixture = StoreFixture::make(int(state.range(0)));
    double rssMb = 0, listMs = 0;
    for (auto _ : state) {
        Started s = start();
        if (s.firstPaintMs < 0) {
            state.SkipWithError("the panel was never painted (is there an X display?)");
            s.run->terminate();
            break;
        }
        state.SetIterationTime(double(s.firstPaintMs - s.launchedMs) / 1000.0);
        listMs += double(s.listMs - s.launchedMs);
        state.PauseTiming();
        QThread::msleep(300);
        rssMb += double(s.run->residentKiB()) / 1024.0;
        s.run->terminate();
        state.ResumeTiming();
    }
    state.counters["list_ms"] = benchmark::Counter(listMs, benchmark::Counter::kAvgIterations);
    state.counters["rss_MB"] = benchmark::Counter(rssMb, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ColdStartToFirstPaint)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Context switches of all threads over an idle stretch (QUILLMOTH_IDLE_SECONDS, default 60).
void BM_IdleWakeups(benchmark::State &state)
{
    const StoreFixture fixture = StoreFixture::make(10000);
    const int seconds = qEnvironmentVariableIsSet("QUILLMOTH_IDLE_SECONDS")
        ? qEnvironmentVariableIntValue("QUILLMOTH_IDLE_SECONDS")
        : 60;
    for (auto _ : state) {
        Started s = start();
        QThread::sleep(3); // start-up work, including the store's folder priming, is over
        const qint64 pid = s.run->pid();
        const auto before = switchesPerThread(pid);
        QThread::sleep(seconds);
        const auto after = switchesPerThread(pid);
        // A thread that ended meanwhile woke at least once to do so; a new one counts in full.
        long long wakeups = 0, ended = 0;
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (after.contains(it.key()))
                wakeups += after.value(it.key()) - it.value();
            else
                ++ended, ++wakeups;
        }
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            if (!before.contains(it.key()))
                wakeups += it.value();
        state.counters["wakeups_per_minute"] = double(wakeups) * 60.0 / seconds;
        state.counters["threads_ended"] = double(ended);
        state.counters["rss_MB"] = double(s.run->residentKiB()) / 1024.0;
        s.run->terminate();
    }
}
BENCHMARK(BM_IdleWakeups)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
