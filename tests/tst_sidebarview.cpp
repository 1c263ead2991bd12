// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FileUrl.h"
#include "Model/FolderFilter.h"
#include "Model/Settings.h"
#include "Model/ShellQuote.h"
#include "Model/VisibleText.h"
#include "Platform/Autostart.h"
#include "Platform/ColorScheme.h"
#include "Platform/CompositorWatcher.h"
#include "Platform/Thumbnail.h"
#include "Platform/Workspace.h"
#include "SidebarPanel.h"
#include "Store/RecentFilesStore.h"
#include "TestSupport.h"
#include "Views/ItemIcon.h"
#include "Views/OverlayScrollBar.h"
#include "Views/PlainText.h"
#include "Views/RecentList.h"
#include "Views/RecentRow.h"
#include "Views/ResizeHandle.h"
#include "Views/SegmentedControl.h"
#include "Views/SettingsView.h"
#include "Views/SidebarView.h"
#include "Views/ToggleSwitch.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

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

QList<XbelEntry> fourItems(const TempHome &home)
{
    const QDateTime now = QDateTime::currentDateTime();
    return { usedAt(home.touch(u"Documents/Taxes/report.pdf"_s), now),
        usedAt(home.mkdir(u"Projects/Quill"_s), now.addSecs(-60)),
        usedAt(home.touch(u"Pictures/beach.jpg"_s), now.addDays(-1)),
        usedAt(home.touch(u"My Files/été & co.txt"_s), now.addDays(-2)) };
}

// A real store, filter and view in a private home, with a workspace that records.
struct Fixture
{
    TempHome home;
    std::unique_ptr<SettingsFile> settings = Settings::open();
    std::unique_ptr<FolderFilter> filter;
    RecordingWorkspace workspace;
    ColorSchemeMonitor colorScheme;
    CompositorWatcher compositor;
    std::unique_ptr<RecentFilesStore> store;
    std::unique_ptr<SidebarView> view;

    explicit Fixture(QList<XbelEntry> (*entries)(const TempHome &) = fourItems)
    {
        writeAtomically(home.storePath(), xbelDocument(entries(home)));
        filter = std::make_unique<FolderFilter>(*settings);
        store = std::make_unique<RecentFilesStore>(new MetadataQuery(home.storePath()));
        view = std::make_unique<SidebarView>(*store, *filter, workspace, colorScheme, compositor);
        view->resize(262, 700);
        view->show();
    }

    bool waitLive()
    {
        return QTest::qWaitFor([&] { return !store->isLoading(); }, 5000);
    }
    QUrl url(const QString &relative) const
    {
        return QUrl::fromLocalFile(home.path() + QLatin1Char('/') + relative);
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
    void statesHeaderSearchAndKind()
    {
        {
            Fixture f([](const TempHome &) { return QList<XbelEntry>(); });
            QCOMPARE(f.view->contentState(), u"loading"_s);
            QVERIFY(f.waitLive());
            QCOMPARE(f.view->contentState(), u"empty"_s);
            QCOMPARE(f.view->emptyTitle()->text(), u"Nothing recent"_s);
            QCOMPARE(f.view->subtitle()->text(), u"Last 7 days \u00B7 0 items"_s);
        }
        Fixture f;
        QVERIFY(f.waitLive());
        QTRY_COMPARE_WITH_TIMEOUT(f.view->contentState(), u"list"_s, 3000);
        QCOMPARE(f.view->subtitle()->text(), u"Last 7 days \u00B7 4 items"_s);
        // Sections: Today (2), Yesterday (1), and a weekday.
        QCOMPARE(f.list()->listModel()->headerAt(0), u"Today"_s);
        QCOMPARE(f.list()->listModel()->rowCount(), 3 + 4);

        QLineEdit *search = f.view->searchField();
        QVERIFY(!f.view->clearButton()->isVisible());
        QTest::keyClicks(search, u" "_s);
        // A space shows the clear button (that it hides nothing is the listing's test).
        QVERIFY(f.view->clearButton()->isVisible());
        search->clear();
        QTest::keyClicks(search, u"nothing"_s);
        QCOMPARE(f.view->contentState(), u"empty"_s);
        QCOMPARE(f.view->emptyTitle()->text(), u"No matches"_s);
        QTest::mouseClick(f.view->clearButton(), Qt::LeftButton);
        QCOMPARE(search->text(), QString());
        QCOMPARE(f.view->contentState(), u"list"_s);

        SegmentedControl *kinds = f.view->filterControl();
        QTest::mouseClick(
            kinds, Qt::LeftButton, {}, kinds->segmentRect(2).topLeft() + QPoint(2, 2)); // "Folders"
        QCOMPARE(f.view->filter(), ItemFilter::folders);
        QCOMPARE(f.list()->listModel()->rowCount(), 2);
        QVERIFY(f.rowNamed(u"Quill"_s) > 0);
        QTest::mouseClick(kinds, Qt::LeftButton, {}, kinds->segmentRect(1).center()); // "Files"
        QCOMPARE(f.list()->listModel()->rowCount(), 3 + 3);
        // The folder filter changes the count; search and kind do not.
        QCOMPARE(f.view->subtitle()->text(), u"Last 7 days \u00B7 4 items"_s);
        f.filter->setFolders({ f.home.path() + u"/Pictures"_s });
        f.filter->setMode(FolderFilterMode::exclude);
        QCOMPARE(f.view->subtitle()->text(), u"Last 7 days \u00B7 3 items"_s);
        QTest::keyClicks(search, u"zzz"_s);
        QCOMPARE(f.view->subtitle()->text(), u"Last 7 days \u00B7 3 items"_s);
        f.filter->setMode(FolderFilterMode::include);
        QCOMPARE(f.view->subtitle()->text(), u"Last 7 days \u00B7 1 item"_s);
    }

    void clicksAndRowMenu()
    {
        Fixture f;
        QVERIFY(f.waitLive());
        QWidget *viewport = f.list()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, f.centerOf(u"beach.jpg"_s));
        QCOMPARE(f.view->selectedID(), f.url(u"Pictures/beach.jpg"_s));
        QVERIFY(f.workspace.opened.isEmpty());
        // Selection survives being filtered out and comes back.
        QTest::keyClicks(f.view->searchField(), u"report"_s);
        QCOMPARE(f.rowNamed(u"beach.jpg"_s), -1);
        QCOMPARE(f.view->selectedID(), f.url(u"Pictures/beach.jpg"_s));
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, f.centerOf(u"report.pdf"_s));
        QCOMPARE(f.workspace.opened, QList<QUrl> { f.url(u"Documents/Taxes/report.pdf"_s) });
        QCOMPARE(f.view->selectedID(), f.url(u"Documents/Taxes/report.pdf"_s));
        QCOMPARE(f.view->searchText(), QString()); // opening clears the search

        const RecentItem spaced = *f.list()->listModel()->itemAt(f.rowNamed(u"été & co.txt"_s));
        QMenu *menu = f.view->rowMenu(spaced);
        QStringList titles;
        for (QAction *action : menu->actions())
            titles << (action->isSeparator() ? u"-"_s : action->text());
        QCOMPARE(titles, (QStringList { "Open", "Reveal in File Manager", "-", "Copy Path" }));
        f.workspace.fileManager = u"Files"_s;
        QCOMPARE(f.view->rowMenu(spaced)->actions().at(1)->text(), u"Reveal in Files"_s);
        menu = f.view->rowMenu(spaced);
        menu->actions().at(1)->trigger();
        QCOMPARE(
            f.workspace.revealed, QList<QList<QUrl>> { { f.url(u"My Files/été & co.txt"_s) } });
        QCOMPARE(f.view->selectedID(),
            f.url(u"Documents/Taxes/report.pdf"_s)); // revealing does not select
        f.view->rowMenu(spaced)->actions().at(0)->trigger();
        QCOMPARE(f.workspace.opened.last(), f.url(u"My Files/été & co.txt"_s));
        // Dragged out, a row carries its file: as a URL for file managers and mail composers, as
        // the path for a terminal.
        const std::unique_ptr<QMimeData> data(RecentList::dragData(spaced));
        QCOMPARE(data->urls(), QList<QUrl> { f.url(u"My Files/été & co.txt"_s) });
        QCOMPARE(data->text(), f.url(u"My Files/été & co.txt"_s).toLocalFile());

        // In the panel, short enough to scroll: tooltips show while another window is active,
        // and the scroll thumb lies clear of the resize grip, so a drag on it scrolls, never
        // resizes.
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

    void settingsPageRoundTrip()
    {
        Fixture f;
        QVERIFY(f.waitLive());
        QTest::keyClicks(f.view->searchField(), u"e"_s);
        QTest::mouseClick(f.list()->viewport(), Qt::LeftButton, {}, f.centerOf(u"beach.jpg"_s));
        QTest::mouseClick(f.view->settingsButton(), Qt::LeftButton);
        QVERIFY(f.view->showingSettings());
        SettingsView *settings = f.view->settingsView();
        QCOMPARE(settings->caption()->text(), u"Recents from your whole computer."_s);
        QVERIFY(!settings->folderSection()->isVisibleTo(settings));

        SegmentedControl *modes = settings->modeControl();
        QTest::mouseClick(modes, Qt::LeftButton, {},
            modes->segmentRect(2).bottomRight() - QPoint(2, 2)); // "Only"
        QCOMPARE(f.filter->mode(), FolderFilterMode::include);
        QCOMPARE(settings->caption()->text(),
            QStringLiteral(
                "Add folders below to show only their recents. Until then, everything is shown."));
        QVERIFY(settings->folderSection()->isVisibleTo(settings));

        // Three chosen at once, one of them twice and one with a trailing slash: appended in order.
        QString message;
        const QString pictures = f.home.path() + u"/Pictures"_s;
        const QString docs = f.home.path() + u"/Documents"_s;
        settings->setFolderChooser([&](const QString &text) {
            message = text;
            return QStringList { pictures + QLatin1Char('/'), docs, pictures };
        });
        QTest::mouseClick(settings->addButton(), Qt::LeftButton);
        QCOMPARE(message, u"Choose folders to show recents from"_s);
        QCOMPARE(f.filter->folders(), (QStringList { pictures, docs }));
        QCOMPARE(settings->caption()->text(), u"Recents only from these folders:"_s);
        QCOMPARE(settings->removeButtons().size(), 2);
        // On the panel, which never takes focus, the real chooser opens in the home folder, asks
        // for no activation the panel would refuse, and changes nothing when cancelled.
        QTest::failOnWarning(QRegularExpression(u"requestActivate"_s));
        SidebarView *view = f.view.get();
        SidebarPanel panel(QRect(0, 0, 262, 700));
        panel.setContentView(f.view.release());
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
        settings->setFolderChooser(SettingsView::dialogChooser(settings));
        QTest::mouseClick(settings->addButton(), Qt::LeftButton);
        QCOMPARE(openedIn, QDir(f.home.path()).absolutePath());
        QCOMPARE(f.filter->folders().size(), 2);

        QTest::mouseClick(settings->removeButtons().first(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return f.filter->folders() == QStringList { docs }; }, 1000));
        QTest::mouseClick(modes, Qt::LeftButton, {}, modes->segmentRect(1).center()); // "Exclude"
        QCOMPARE(settings->caption()->text(), u"Recents from everywhere except these folders:"_s);
        QTest::mouseClick(settings->removeButtons().first(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return f.filter->folders().isEmpty(); }, 1000));
        QCOMPARE(settings->caption()->text(),
            QStringLiteral(
                "Add folders below to hide their recents. Until then, everything is shown."));

        QTest::mouseClick(settings->doneButton(), Qt::LeftButton);
        QVERIFY(!view->showingSettings());
        QCOMPARE(view->searchText(), u"e"_s);
        QCOMPARE(view->selectedID(), f.url(u"Pictures/beach.jpg"_s));
        // That each change is stored at once is the folder filter's test.
    }

    // "Open at Login" is the autostart entry: read from it whenever the page shows, written by a
    // click; the user's own edits stay, and an entry that cannot be written leaves it off.
    void openAtLogin()
    {
        Fixture f;
        QTest::mouseClick(f.view->settingsButton(), Qt::LeftButton);
        ToggleSwitch *login = f.view->settingsView()->loginSwitch();
        const QString entry = Autostart::entryPath();
        QVERIFY(entry.startsWith(f.home.configHome() + u"/autostart/"_s));
        QVERIFY(!login->isChecked());
        login->click();
        QVERIFY(login->isChecked() && Autostart::isEnabled());
        QVERIFY(readFile(entry).contains("Exec="));
        login->click();
        QVERIFY(!login->isChecked() && !QFile::exists(entry)); // ours, unedited: removed

        writeFile(entry, "[Desktop Entry]\nType=Application\nExec=quillmoth --mine\nHidden=true\n");
        f.view->setShowingSettings(false);
        f.view->setShowingSettings(true);
        QVERIFY(!login->isChecked());
        login->click();
        QVERIFY(login->isChecked());
        login->click();
        QCOMPARE(readFile(entry),
            QByteArray("[Desktop Entry]\nType=Application\nExec=quillmoth --mine\nHidden=true\n"));

        QVERIFY(QDir(QFileInfo(entry).path()).removeRecursively());
        writeFile(QFileInfo(entry).path(), "not a folder");
        login->click();
        QVERIFY(!login->isChecked());
    }

    // Many folders: a mode click with 10,000 folders leaves the rows already shown as they are
    // (several chosen at once are the round trip's case).
    void manyFolders()
    {
        Fixture f;
        f.filter->setMode(FolderFilterMode::include);
        QTest::mouseClick(f.view->settingsButton(), Qt::LeftButton);
        SettingsView *settings = f.view->settingsView();
        QStringList chosen;
        for (int i = 0; i < 10000; ++i)
            chosen << f.home.path() + u"/folder %1"_s.arg(i);
        f.filter->setFolders(chosen.first(400));
        const QList<QPushButton *> rows = settings->removeButtons();
        QCOMPARE(rows.size(), 400);

        f.filter->setFolders(chosen);
        QTest::mouseClick(settings->modeControl(), Qt::LeftButton, {},
            settings->modeControl()->segmentRect(1).center()); // "Exclude"
        QCOMPARE(f.filter->mode(), FolderFilterMode::exclude);
        QCOMPARE(settings->removeButtons().size(), 10000);
        QCOMPARE(settings->removeButtons().first(400), rows); // the first rows were kept
    }

    // On the settings page a folder's name and path are text as written: no markup, one line, no
    // direction override reaching past them.
    void folderNamesShownAsWritten()
    {
        Fixture f;
        f.filter->setFolders({ f.home.mkdir(u"<i>tilt\n\u202Egnp.exe & co"_s) });
        f.filter->setMode(FolderFilterMode::include);
        f.view->setShowingSettings(true);
        const QString shownName = u"<i>tilt\u240A[U+202E]gnp.exe & co"_s;
        QList<QLabel *> texts;
        QVERIFY(QTest::qWaitFor([&] {
            texts.clear();
            for (QLabel *label : f.view->settingsView()->folderSection()->findChildren<QLabel *>())
                if (!label->text().isEmpty())
                    texts << label;
            return texts.size() == 2;
        }));
        for (QLabel *label : texts) {
            QVERIFY(label->text().contains(u"<i>t"_s));
            QVERIFY(!label->text().contains(QLatin1Char('\n')));
            QVERIFY(!label->text().contains(QChar(0x202E)));
            // Drawn as markup, "<i>tilt" would be narrower than its own characters.
            QVERIFY(label->sizeHint().width()
                >= QFontMetrics(label->font()).horizontalAdvance(label->text()));
        }
        QTextDocument tip;
        tip.setHtml(texts.last()->toolTip());
        QCOMPARE(tip.toPlainText(), u"~/"_s + shownName);
    }

    // A name shows every character that would act as a visible mark, and a huge one is cut
    // before it is drawn; a row with such a name and a long breadcrumb paints at the narrowest
    // width; "Copy Path" gives a path with no control character in it, quoted as shells read it
    // so that it still names the file, and plain paths as they are.
    void namesThatCannotDeceive_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("copied"); // after the folder's path
        QTest::newRow("plain") << QByteArray("été & 'co'.txt") << u"été & 'co'.txt"_s
                               << u"été & 'co'.txt"_s;
        QTest::newRow("override") << QByteArray("invoice\u202Efdp.sh") << u"invoice[U+202E]fdp.sh"_s
                                  << u"invoice\\xe2\\x80\\xaefdp.sh"_s;
        QTest::newRow("marks and isolates")
            << u"a\u200Fb\u2067c\u061Cd"_s.toUtf8() << u"a[U+200F]b[U+2067]c[U+061C]d"_s
            << u"a\\xe2\\x80\\x8fb\\xe2\\x81\\xa7c\\xd8\\x9cd"_s;
        QTest::newRow("bracketed paste") << QByteArray("x\n\x1b[201~; rm -rf ~ 'q'\x7f\xc2\x85")
                                         << u"x\u240A\u241B[201~; rm -rf ~ 'q'\u2421[U+0085]"_s
                                         << u"x\\n\\e[201~; rm -rf ~ \\'q\\'\\x7f\\xc2\\x85"_s;
        QTest::newRow("not UTF-8")
            << QByteArray("caf\xe9\\.txt") << u"caf\uFFFD\\.txt"_s << u"caf\\xe9\\\\.txt"_s;
    }
    void namesThatCannotDeceive()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        QFETCH(QString, copied);
        Fixture f([](const TempHome &) { return QList<XbelEntry>(); });
        const QByteArray folder
            = QFile::encodeName(f.home.mkdir(QString(120, QLatin1Char('d')))) + '/';
        const QUrl url = fileUrl(folder + name);
        QCOMPARE(PlainText::oneLine(url.fileName()), shown);
        const bool quoted = copied != shown;
        QCOMPARE(ShellQuote::pastable(folder + name),
            quoted ? u"$'"_s + QString::fromUtf8(folder) + copied + u"'"_s
                   : QString::fromUtf8(folder) + copied);
        const RecentItem item(url, url, url.fileName(), RecentItem::breadcrumb(url), {}, false);
        f.view->rowMenu(item)->actions().at(3)->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), ShellQuote::pastable(nativePath(url)));

        const RecentItem huge = recentItem(u"/h/x"_s, {}, false, QString(1000000, u'W') + shown);
        QPixmap canvas(220, RecentRow::height);
        QPainter painter(&canvas);
        for (const RecentItem &row : { item, huge })
            RecentRow { row, false, false, Theme(ColorScheme::light) }.paint(
                painter, canvas.rect());
        QVERIFY(PlainText::oneLine(huge.name()).endsWith(shown));
        QVERIFY(PlainText::oneLine(huge.name()).size() < 2 * VisibleText::keptAtEachEnd + 2);
    }

    // Hour on a 12-hour clock, two-digit minutes, the marker exactly as the locale writes it.
    void rowTimeInEveryLocale()
    {
        const QDate day(2026, 3, 2);
        for (const char *name : { "en_US", "en_GB", "es_ES", "el_GR", "de_DE" }) {
            const QLocale here(QString::fromLatin1(name));
            QCOMPARE(
                RecentRow::time(QDateTime(day, QTime(9, 5)), here), u"9:05 "_s + here.amText());
            QCOMPARE(
                RecentRow::time(QDateTime(day, QTime(21, 5)), here), u"9:05 "_s + here.pmText());
            QCOMPARE(
                RecentRow::time(QDateTime(day, QTime(0, 30)), here), u"12:30 "_s + here.amText());
        }
    }

    // A file with a valid thumbnail in the shared cache shows it in the icon's square; the others
    // keep their type icons, 32 px, one cached image per path whatever the record, and a file
    // that is gone gets one too.
    void thumbnailOrIconInTheSquare()
    {
        // Written before the list's first look-up, which waits for the store's first report.
        Fixture f;
        const QString photo = f.home.path() + u"/Pictures/beach.jpg"_s;
        const QString file = Thumbnail::fileFor(photo, Thumbnail::cacheHome(), u"normal"_s);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QImage image(128, 64, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.setText(u"Thumb::URI"_s, QString::fromUtf8(QUrl::fromLocalFile(photo).toEncoded()));
        image.setText(
            u"Thumb::MTime"_s, QString::number(QFileInfo(photo).lastModified().toSecsSinceEpoch()));
        QVERIFY(image.save(file, "PNG"));
        QVERIFY(f.waitLive());
        const RecentItem beach = *f.list()->listModel()->itemAt(f.rowNamed(u"beach.jpg"_s));
        const RecentItem report = *f.list()->listModel()->itemAt(f.rowNamed(u"report.pdf"_s));
        QTRY_VERIFY_WITH_TIMEOUT(!f.list()->thumbnailFor(beach).isNull(), 5000);
        QVERIFY(f.list()->thumbnailFor(report).isNull());
        const QRect row = f.list()->rowRect(f.rowNamed(u"beach.jpg"_s));
        const QImage shot = f.list()->viewport()->grab(row).toImage();
        QCOMPARE(shot.pixelColor(8 + 6 + 12, row.height() / 2), QColor(Qt::red));

        const QPixmap icon = ItemIcon::icon(report);
        QCOMPARE(icon.deviceIndependentSize().toSize(), QSize(32, 32));
        const QString path = report.url().toLocalFile();
        QCOMPARE(ItemIcon::icon(recentItem(path, {})).cacheKey(), icon.cacheKey());
        const RecentItem folder = *f.list()->listModel()->itemAt(f.rowNamed(u"Quill"_s));
        QCOMPARE(ItemIcon::icon(folder).deviceIndependentSize().toSize(), QSize(32, 32));
        QVERIFY(!ItemIcon::icon(recentItem(f.home.path() + u"/missing.pdf"_s, {})).isNull());
    }
};

QTEST_MAIN(SidebarViewTest)
#include "tst_sidebarview.moc"
