// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FolderFilter.h"
#include "Model/Settings.h"
#include "Platform/ColorScheme.h"
#include "Platform/CompositorWatcher.h"
#include "Platform/Workspace.h"
#include "SidebarPanel.h"
#include "Store/RecentFilesStore.h"
#include "TestSupport.h"
#include "Views/ItemIcon.h"
#include "Views/OverlayScrollBar.h"
#include "Views/RecentList.h"
#include "Views/RecentRow.h"
#include "Views/ResizeHandle.h"
#include "Views/SegmentedControl.h"
#include "Views/SettingsView.h"
#include "Views/SidebarView.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

namespace {

// Records what the workspace is asked to do.
class RecordingWorkspace : public Workspace
{
public:
    QList<QUrl> opened;
    QList<QList<QUrl>> revealed;
    QString fileManager;
    void openUrl(const QUrl &url) override { opened << url; }
    void activateFileViewerSelecting(const QList<QUrl> &urls) override { revealed << urls; }
    QString fileManagerName() const override { return fileManager; }
};

struct Fixture
{
    TempHome home;
    std::unique_ptr<FolderFilter> filter;
    RecordingWorkspace workspace;
    ColorSchemeMonitor colorScheme;
    CompositorWatcher compositor;
    std::unique_ptr<RecentFilesStore> store;
    std::unique_ptr<SidebarView> view;
    QString report, folder, photo, spaced;

    explicit Fixture(bool withItems = true)
    {
        const QDateTime now = QDateTime::currentDateTime();
        report = home.touch(QStringLiteral("Documents/Taxes/report.pdf"));
        folder = home.mkdir(QStringLiteral("Projects/Quill"));
        photo = home.touch(QStringLiteral("Pictures/beach.jpg"));
        spaced = home.touch(QStringLiteral("My Files/été & co.txt"));
        QList<XbelEntry> entries;
        if (withItems) {
            for (const auto &[path, when] :
                QList<QPair<QString, QDateTime>> { { report, now }, { folder, now.addSecs(-60) },
                    { photo, now.addDays(-1) }, { spaced, now.addDays(-2) } }) {
                XbelEntry e;
                e.href = fileUri(path);
                e.visited = e.modified = e.added = when;
                entries << e;
            }
        }
        writeStoreAtomically(home.storePath(), xbelDocument(entries));
        filter = std::make_unique<FolderFilter>(Settings::open());
        store = std::make_unique<RecentFilesStore>(new MetadataQuery(home.storePath()));
        view = std::make_unique<SidebarView>(*store, *filter, workspace, colorScheme, compositor);
        view->resize(262, 700);
        view->show();
    }

    bool waitLive()
    {
        return QTest::qWaitFor([&] { return !store->isLoading(); }, 5000);
    }
    RecentList *list() { return view->list(); }
    int rowNamed(const QString &name)
    {
        for (int r = 0; r < list()->listModel()->rowCount(); ++r)
            if (const RecentItem *item = list()->listModel()->itemAt(r);
                item && item->name() == name)
                return r;
        return -1;
    }
    QPoint centerOf(const QString &name) { return list()->rowRect(rowNamed(name)).center(); }
};

} // namespace

class SidebarViewTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadingEmptyAndHeader();
    void searchAndKindFilter();
    void clicksAndRowMenu();
    void settingsPageRoundTrip();
    void folderChooserStartsAtHome();
    void hostileNamesDrawSafely();
    void rowTimeInEveryLocale_data();
    void rowTimeInEveryLocale();
    void itemIconsCachedPerPathAndSized();
};

void SidebarViewTest::loadingEmptyAndHeader()
{
    {
        Fixture f(false);
        QCOMPARE(f.view->contentState(), QStringLiteral("loading"));
        QVERIFY(f.waitLive());
        QCOMPARE(f.view->contentState(), QStringLiteral("empty"));
        QCOMPARE(f.view->emptyTitle()->text(), QStringLiteral("Nothing recent"));
        QCOMPARE(
            f.view->emptyMessage()->text(), QStringLiteral("Files you open will show up here."));
        QCOMPARE(f.view->subtitle()->text(), QStringLiteral("Last 7 days \u00B7 0 items"));
    }
    Fixture f;
    QVERIFY(f.waitLive());
    QVERIFY(QTest::qWaitFor([&] { return f.view->contentState() == QLatin1String("list"); }, 3000));
    QCOMPARE(f.view->subtitle()->text(), QStringLiteral("Last 7 days \u00B7 4 items"));
    // Sections: Today (2), Yesterday (1), and a weekday.
    QCOMPARE(f.list()->listModel()->headerAt(0), QStringLiteral("Today"));
    QCOMPARE(f.list()->listModel()->rowCount(), 3 + 4);
    // The folder filter changes the count; search and kind do not.
    f.filter->setFolders({ f.home.path() + QStringLiteral("/Pictures") });
    f.filter->setMode(FolderFilterMode::exclude);
    QCOMPARE(f.view->subtitle()->text(), QStringLiteral("Last 7 days \u00B7 3 items"));
    QTest::keyClicks(f.view->searchField(), QStringLiteral("zzz"));
    QCOMPARE(f.view->subtitle()->text(), QStringLiteral("Last 7 days \u00B7 3 items"));
    f.filter->setMode(FolderFilterMode::include);
    QCOMPARE(f.view->subtitle()->text(), QStringLiteral("Last 7 days \u00B7 1 item"));
}

void SidebarViewTest::searchAndKindFilter()
{
    Fixture f;
    QVERIFY(f.waitLive());
    QLineEdit *search = f.view->searchField();
    QVERIFY(!f.view->clearButton()->isVisible());
    QTest::keyClicks(search, QStringLiteral(" "));
    QVERIFY(f.view->clearButton()->isVisible()); // a space shows the clear button...
    QCOMPARE(f.list()->listModel()->rowCount(), 7); // ...but hides nothing
    search->clear();
    QTest::keyClicks(search, QStringLiteral("TAXES"));
    QCOMPARE(f.rowNamed(QStringLiteral("report.pdf")), 1); // found through its breadcrumb
    QCOMPARE(f.list()->listModel()->rowCount(), 2);
    QTest::keyClicks(search, QStringLiteral("nothing"));
    QCOMPARE(f.view->contentState(), QStringLiteral("empty"));
    QCOMPARE(f.view->emptyTitle()->text(), QStringLiteral("No matches"));
    QCOMPARE(f.view->emptyMessage()->text(), QStringLiteral("Try a different search."));
    QTest::mouseClick(f.view->clearButton(), Qt::LeftButton);
    QCOMPARE(search->text(), QString());
    QCOMPARE(f.view->contentState(), QStringLiteral("list"));

    SegmentedControl *kinds = f.view->filterControl();
    QTest::mouseClick(
        kinds, Qt::LeftButton, {}, kinds->segmentRect(2).topLeft() + QPoint(2, 2)); // "Folders"
    QCOMPARE(f.view->filter(), ItemFilter::folders);
    QCOMPARE(f.list()->listModel()->rowCount(), 2);
    QVERIFY(f.rowNamed(QStringLiteral("Quill")) > 0);
    QTest::keyClicks(search, QStringLiteral("report"));
    QCOMPARE(f.view->emptyTitle()->text(), QStringLiteral("No matches"));
    search->clear();
    QTest::mouseClick(kinds, Qt::LeftButton, {}, kinds->segmentRect(1).center()); // "Files"
    QCOMPARE(f.list()->listModel()->rowCount(), 3 + 3);
    QCOMPARE(f.view->subtitle()->text(), QStringLiteral("Last 7 days \u00B7 4 items"));
}

void SidebarViewTest::clicksAndRowMenu()
{
    Fixture f;
    QVERIFY(f.waitLive());
    QWidget *viewport = f.list()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, f.centerOf(QStringLiteral("beach.jpg")));
    QCOMPARE(f.view->selectedID(), QUrl::fromLocalFile(f.photo));
    QVERIFY(f.workspace.opened.isEmpty());
    // Selection survives being filtered out and comes back.
    QTest::keyClicks(f.view->searchField(), QStringLiteral("report"));
    QCOMPARE(f.rowNamed(QStringLiteral("beach.jpg")), -1);
    QCOMPARE(f.view->selectedID(), QUrl::fromLocalFile(f.photo));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, f.centerOf(QStringLiteral("report.pdf")));
    QCOMPARE(f.workspace.opened, QList<QUrl> { QUrl::fromLocalFile(f.report) });
    QCOMPARE(f.view->selectedID(), QUrl::fromLocalFile(f.report));
    QCOMPARE(f.view->searchText(), QString()); // opening clears the search

    const RecentItem spaced
        = *f.list()->listModel()->itemAt(f.rowNamed(QStringLiteral("été & co.txt")));
    QMenu *menu = f.view->rowMenu(spaced);
    QStringList titles;
    for (QAction *action : menu->actions())
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(titles, (QStringList { "Open", "Reveal in File Manager", "-", "Copy Path" }));
    f.workspace.fileManager = QStringLiteral("Files");
    QCOMPARE(f.view->rowMenu(spaced)->actions().at(1)->text(), QStringLiteral("Reveal in Files"));
    menu = f.view->rowMenu(spaced);
    menu->actions().at(1)->trigger();
    QCOMPARE(f.workspace.revealed, QList<QList<QUrl>> { { QUrl::fromLocalFile(f.spaced) } });
    QCOMPARE(f.view->selectedID(), QUrl::fromLocalFile(f.report)); // revealing does not select
    f.view->rowMenu(spaced)->actions().at(3)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), f.spaced); // plain, unescaped path
    f.view->rowMenu(spaced)->actions().at(0)->trigger();
    QCOMPARE(f.workspace.opened.last(), QUrl::fromLocalFile(f.spaced));

    // In the panel, short enough to scroll: tooltips show while another window is active, and
    // the scroll thumb lies clear of the resize grip, so a drag on it scrolls, never resizes.
    SidebarPanel panel(QRect(0, 0, 262, 200));
    RecentList *list = f.list();
    panel.setContentView(f.view.release());
    panel.show();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    const auto buttons = panel.findChildren<QAbstractButton *>();
    const auto gear = std::find_if(buttons.begin(), buttons.end(),
        [](QAbstractButton *b) { return b->toolTip() == QLatin1String("Settings"); });
    QVERIFY(gear != buttons.end());
    // Qt asks the tooltip's window, which is not the active one here.
    QVERIFY((*gear)->window() == &panel && panel.testAttribute(Qt::WA_AlwaysShowToolTips));
    auto *thumb = panel.findChild<OverlayScrollBar *>();
    QVERIFY(thumb && list->verticalScrollBar()->maximum() > 0);
    QVERIFY(thumb->mapTo(&panel, QPoint(thumb->width(), 0)).x()
        <= panel.width() - ResizeHandle::gripWidth);
    QTest::mousePress(thumb, Qt::LeftButton, {}, QPoint(thumb->width() / 2, 8));
    QTest::mouseMove(thumb, QPoint(thumb->width() / 2, 60));
    QTest::mouseRelease(thumb, Qt::LeftButton, {}, QPoint(thumb->width() / 2, 60));
    QVERIFY(list->verticalScrollBar()->value() > 0);
    QCOMPARE(panel.width(), 262);
}

void SidebarViewTest::settingsPageRoundTrip()
{
    Fixture f;
    QVERIFY(f.waitLive());
    QTest::keyClicks(f.view->searchField(), QStringLiteral("e"));
    QTest::mouseClick(
        f.list()->viewport(), Qt::LeftButton, {}, f.centerOf(QStringLiteral("beach.jpg")));
    QTest::mouseClick(f.view->settingsButton(), Qt::LeftButton);
    QVERIFY(f.view->showingSettings());
    SettingsView *settings = f.view->settingsView();
    QCOMPARE(settings->caption()->text(), QStringLiteral("Recents from your whole computer."));
    QVERIFY(!settings->folderSection()->isVisibleTo(settings));

    SegmentedControl *modes = settings->modeControl();
    QTest::mouseClick(
        modes, Qt::LeftButton, {}, modes->segmentRect(2).bottomRight() - QPoint(2, 2)); // "Only"
    QCOMPARE(f.filter->mode(), FolderFilterMode::include);
    QCOMPARE(settings->caption()->text(),
        QStringLiteral(
            "Add folders below to show only their recents. Until then, everything is shown."));
    QVERIFY(settings->folderSection()->isVisibleTo(settings));

    // Three chosen at once, one of them twice and one with a trailing slash: appended in order.
    QString message;
    const QString pictures = f.home.path() + QStringLiteral("/Pictures");
    const QString docs = f.home.path() + QStringLiteral("/Documents");
    settings->setFolderChooser([&](const QString &text) {
        message = text;
        return QStringList { pictures + QLatin1Char('/'), docs, pictures };
    });
    QTest::mouseClick(settings->addButton(), Qt::LeftButton);
    QCOMPARE(message, QStringLiteral("Choose folders to show recents from"));
    QCOMPARE(f.filter->folders(), (QStringList { pictures, docs }));
    QCOMPARE(settings->caption()->text(), QStringLiteral("Recents only from these folders:"));
    QCOMPARE(settings->removeButtons().size(), 2);
    QCOMPARE(SettingsView::abbreviatedWithTilde(pictures), QStringLiteral("~/Pictures"));
    QCOMPARE(SettingsView::abbreviatedWithTilde(QStringLiteral("/srv/data")),
        QStringLiteral("/srv/data"));
    // Cancelled chooser: nothing changes.
    settings->setFolderChooser([](const QString &) { return QStringList(); });
    settings->addFolders();
    QCOMPARE(f.filter->folders().size(), 2);

    QTest::mouseClick(settings->removeButtons().first(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return f.filter->folders() == QStringList { docs }; }, 1000));
    QTest::mouseClick(modes, Qt::LeftButton, {}, modes->segmentRect(1).center()); // "Exclude"
    QCOMPARE(SettingsView::chooserMessage(f.filter->mode()),
        QStringLiteral("Choose folders to exclude"));
    QCOMPARE(settings->caption()->text(),
        QStringLiteral("Recents from everywhere except these folders:"));
    QTest::mouseClick(settings->removeButtons().first(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return f.filter->folders().isEmpty(); }, 1000));
    QCOMPARE(settings->caption()->text(),
        QStringLiteral(
            "Add folders below to hide their recents. Until then, everything is shown."));

    QTest::mouseClick(settings->doneButton(), Qt::LeftButton);
    QVERIFY(!f.view->showingSettings());
    QCOMPARE(f.view->searchText(), QStringLiteral("e"));
    QCOMPARE(f.view->selectedID(), QUrl::fromLocalFile(f.photo));
    // The settings were written at once.
    FolderFilter reread(Settings::open());
    QCOMPARE(reread.mode(), FolderFilterMode::exclude);
}

void SidebarViewTest::hostileNamesDrawSafely()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    QList<XbelEntry> entries;
    const QStringList names = { QString(240, QLatin1Char('W')) + QStringLiteral(".txt"),
        QStringLiteral("line\nbreak\rand\ttab.txt"),
        QStringLiteral("\u05E9\u05DC\u05D5\u05DD \u202Eevil.txt"),
        QStringLiteral("ctrl\x01\x7f.txt") };
    for (const QString &name : names) {
        XbelEntry e;
        e.href = fileUri(home.touch(QString(120, QLatin1Char('d')) + QLatin1Char('/') + name));
        e.visited = e.modified = e.added = now;
        entries << e;
    }
    XbelEntry gone;
    gone.href = fileUri(home.path() + QStringLiteral("/deleted.pdf"));
    gone.visited = gone.modified = gone.added = now;
    entries << gone; // a deleted file is dropped, not drawn
    writeStoreAtomically(home.storePath(), xbelDocument(entries));
    FolderFilter filter(Settings::open());
    RecordingWorkspace workspace;
    ColorSchemeMonitor colorScheme;
    CompositorWatcher compositor;
    RecentFilesStore store(new MetadataQuery(home.storePath()));
    SidebarView view(store, filter, workspace, colorScheme, compositor);
    view.resize(220, 500);
    view.show();
    QVERIFY(QTest::qWaitFor([&] { return view.list()->listModel()->rowCount() == 5; }, 5000));
    view.grab(); // paints every row
    // Every row keeps its height, whatever its name holds.
    for (int row = 1; row < 5; ++row)
        QCOMPARE(view.list()->rowRect(row).height(), 43);

    // On the settings page a folder's name and path are text as written: no markup, one line,
    // no direction override reaching past them.
    const QString folder = home.mkdir(QStringLiteral("<i>tilt\n\u202Egnp.exe & co"));
    filter.setFolders({ folder });
    filter.setMode(FolderFilterMode::include);
    view.setShowingSettings(true);
    const QString shownName = QStringLiteral("<i>tilt gnp.exe & co");
    QList<QLabel *> texts;
    for (QLabel *label : view.settingsView()->folderSection()->findChildren<QLabel *>())
        if (!label->text().isEmpty())
            texts << label;
    QCOMPARE(texts.size(), 2);
    for (QLabel *label : texts) {
        QVERIFY(label->text().contains(QStringLiteral("<i>t")));
        QVERIFY(!label->text().contains(QLatin1Char('\n')));
        QVERIFY(!label->text().contains(QChar(0x202E)));
        // Drawn as markup, "<i>tilt" would be narrower than its own characters.
        QVERIFY(label->sizeHint().width()
            >= QFontMetrics(label->font()).horizontalAdvance(label->text()));
    }
    QTextDocument tip;
    tip.setHtml(texts.last()->toolTip());
    QCOMPARE(tip.toPlainText(), QStringLiteral("~/") + shownName);
}

void SidebarViewTest::folderChooserStartsAtHome()
{
    // The real chooser over a panel-like window that never takes focus: it opens in the home
    // folder and asks for no activation the panel would refuse.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("requestActivate")));
    TempHome home;
    FolderFilter filter(Settings::open());
    filter.setMode(FolderFilterMode::exclude);
    QWidget panel(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    auto *settings = new SettingsView(filter, {}, &panel);
    panel.resize(262, 600);
    panel.show();
    QString openedIn;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &poll, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            openedIn = dialog->directory().absolutePath();
            dialog->reject();
        }
    });
    poll.start(20);
    QTest::mouseClick(settings->addButton(), Qt::LeftButton);
    QCOMPARE(openedIn, QDir(home.path()).absolutePath());
    QVERIFY(filter.folders().isEmpty());
}

void SidebarViewTest::rowTimeInEveryLocale_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *name : { "en_US", "en_GB", "es_ES", "el_GR", "de_DE" })
        QTest::newRow(name) << QString::fromLatin1(name);
}

void SidebarViewTest::rowTimeInEveryLocale()
{
    // Hour on a 12-hour clock, two-digit minutes, the marker exactly as the locale writes it.
    QFETCH(QString, locale);
    const QLocale here(locale);
    const QDate day(2026, 3, 2);
    QCOMPARE(RecentRow::time(QDateTime(day, QTime(9, 5)), here),
        QStringLiteral("9:05 ") + here.amText());
    QCOMPARE(RecentRow::time(QDateTime(day, QTime(21, 5)), here),
        QStringLiteral("9:05 ") + here.pmText());
    QCOMPARE(RecentRow::time(QDateTime(day, QTime(0, 30)), here),
        QStringLiteral("12:30 ") + here.amText());
}

void SidebarViewTest::itemIconsCachedPerPathAndSized()
{
    TempHome home;
    const QString file = home.touch(QStringLiteral("Documents/a.txt"));
    const QString folderPath = home.mkdir(QStringLiteral("Projects"));
    const QUrl url = QUrl::fromLocalFile(file);
    const QDateTime when = QDateTime::currentDateTime();
    const RecentItem item(url, url, QStringLiteral("a"), QStringLiteral("Documents"), when, false);
    const RecentItem older(
        url, url, QStringLiteral("a"), QStringLiteral("Documents"), when.addDays(-1), false);

    const QPixmap icon = ItemIcon::icon(item);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.deviceIndependentSize().toSize(), QSize(32, 32));
    // Unequal records for the same path share one cached image.
    QCOMPARE(ItemIcon::icon(older).cacheKey(), icon.cacheKey());

    const QUrl folderUrl = QUrl::fromLocalFile(folderPath);
    const RecentItem folder(
        folderUrl, folderUrl, QStringLiteral("Projects"), QStringLiteral("Home"), when, true);
    QCOMPARE(ItemIcon::icon(folder).deviceIndependentSize().toSize(), QSize(32, 32));
    // A file that does not exist still gets an icon.
    const QUrl gone = QUrl::fromLocalFile(home.path() + QStringLiteral("/missing.pdf"));
    QVERIFY(!ItemIcon::icon(
        RecentItem(gone, gone, QStringLiteral("m"), QStringLiteral("Home"), when, false))
                 .isNull());
}

QTEST_MAIN(SidebarViewTest)
#include "tst_sidebarview.moc"
