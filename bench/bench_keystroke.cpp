// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One keystroke in the search field with 10,000 items: groups recomputed, the list rebuilt and
// its visible rows repainted (offscreen).
#include "Model/FolderFilter.h"
#include "Model/Settings.h"
#include "Platform/Workspace.h"
#include "Store/RecentFilesStore.h"
#include "StoreFixture.h"
#include "Views/RecentList.h"
#include "Views/SidebarView.h"

#include "Platform/ColorScheme.h"
#include "Platform/CompositorWatcher.h"
#include <QApplication>

#include <QElapsedTimer>
#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace {

RecentFilesStore &store()
{
    static StoreFixture fixture = StoreFixture::make(10000, 1.0);
    static RecentFilesStore instance(new MetadataQuery(fixture.storePath));
    return instance;
}

SidebarView *view()
{
    static const auto settings = Settings::open();
    static FolderFilter filter(*settings);
    static const std::shared_ptr<Workspace> workspace = Workspace::system();
    static SidebarView *instance = [] {
        static ColorSchemeMonitor colorScheme;
        static CompositorWatcher compositor;
        auto *v = new SidebarView(store(), filter, *workspace, colorScheme, compositor);
        v->resize(262, 900);
        v->show();
        QElapsedTimer clock;
        clock.start();
        while ((store().isLoading() || store().items().size() < 10000) && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return v;
    }();
    return instance;
}

void Keystroke(benchmark::State &state, const char *text)
{
    SidebarView *v = view();
    const QString typed = QString::fromLatin1(text);
    int i = 0;
    for (auto _ : state) {
        // Alternate between the text and one letter less, as typing and erasing do.
        v->searchField()->setText(i++ % 2 ? typed : typed.chopped(1));
        v->list()->viewport()->repaint();
    }
    state.counters["items"] = double(store().items().size());
}

} // namespace

BENCHMARK_CAPTURE(Keystroke, one_letter, "e")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Keystroke, five_letters, "repor")->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
