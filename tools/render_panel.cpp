// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Renders the panel with a fixed set of items, and its settings page, in the light and the dark
// scheme:
//   QT_QPA_PLATFORM=offscreen build/tools/render_panel docs/
// The items live in a private home (the tests' TempHome), so the pictures never show the
// user's own files.
#include "Model/FolderFilter.h"
#include "Model/Settings.h"
#include "Platform/ColorScheme.h"
#include "Platform/CompositorWatcher.h"
#include "Platform/Workspace.h"
#include "Store/RecentFilesStore.h"
#include "TestSupport.h"
#include "Views/SidebarView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>

int main(int argc, char **argv)
{
    TempHome home;
    QApplication app(argc, argv);
    // The offscreen platform knows no icon folders; a desktop session would give these.
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    const QDateTime today = QDateTime(QDate::currentDate(), QTime(0, 0));
    const struct
    {
        const char *path;
        QDateTime when;
    } entries[] = {
        { "Documents/Quarterly report.pdf", today.addSecs(15 * 3600 + 42 * 60) },
        { "Documents/Work/2026/Budget.xlsx", today.addSecs(14 * 3600 + 5 * 60) },
        { "Projects/quillmoth", today.addSecs(11 * 3600 + 30 * 60) },
        { "Pictures/Holiday/beach.jpg", today.addSecs(9 * 3600 + 12 * 60) },
        { "Downloads/Train tickets.pdf", today.addDays(-1).addSecs(18 * 3600 + 20 * 60) },
        { "notes.txt", today.addDays(-1).addSecs(8 * 3600) },
        { "Music/Albums/Blue Train.flac", today.addDays(-3).addSecs(20 * 3600 + 45 * 60) },
        { "Documents/Letters/Application letter with a very long name.odt",
            today.addDays(-4).addSecs(10 * 3600) },
    };
    QList<XbelEntry> store;
    for (const auto &e : entries) {
        const QString relative = QLatin1String(e.path);
        // Names with an extension are files, the others folders.
        const QString path
            = relative.contains(QLatin1Char('.')) ? home.touch(relative, {}) : home.mkdir(relative);
        store << usedAt(path, e.when);
    }
    writeAtomically(home.storePath(), xbelDocument(store));

    const auto settings = Settings::open();
    FolderFilter filter(*settings);
    RecentFilesStore recents(new MetadataQuery(home.storePath()));
    const std::shared_ptr<Workspace> workspace = Workspace::system();
    ColorSchemeMonitor colorScheme;
    CompositorWatcher compositor;
    SidebarView view(recents, filter, *workspace, colorScheme, compositor);
    view.resize(262, 640);
    view.show();
    QElapsedTimer clock;
    clock.start();
    while ((recents.isLoading() || view.contentState() != QLatin1String("list"))
        && clock.elapsed() < 5000)
        app.processEvents(QEventLoop::AllEvents, 50);
    const auto shoot = [&](const char *page) {
        for (const auto &[scheme, suffix] : { std::pair { ColorPreference::light, "light" },
                 std::pair { ColorPreference::dark, "dark" } }) {
            colorScheme.setOverride(scheme);
            // Past the page's fade and the segments' slide.
            QElapsedTimer fade;
            fade.start();
            while (fade.elapsed() < 400)
                app.processEvents(QEventLoop::AllEvents, 20);
            const QString target = out
                + QStringLiteral("/%1-%2.png").arg(QLatin1String(page), QLatin1String(suffix));
            if (!view.grab().save(target))
                return false;
            printf("%s\n", qPrintable(target));
        }
        return true;
    };
    if (!shoot("panel"))
        return 1;
    // The settings page, hiding one folder.
    filter.setMode(FolderFilterMode::exclude);
    filter.setFolders({ home.path() + QStringLiteral("/Downloads") });
    view.setShowingSettings(true);
    return shoot("settings") ? 0 : 1;
}
