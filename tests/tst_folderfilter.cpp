// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FileUrl.h"
#include "Model/FolderFilter.h"
#include "Model/PanelWidth.h"
#include "Model/Settings.h"
#include "Model/SettingsFormat.h"
#include "TestSupport.h"

#include <QLockFile>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QUrl at(const char *path)
{
    return QUrl::fromLocalFile(QString::fromUtf8(path));
}

// The settings file and a filter on it, as the program holds them.
struct Stored
{
    std::unique_ptr<SettingsFile> file = Settings::open();
    FolderFilter filter { *file };
    FolderFilter *operator->() { return &filter; }
};

const char *const settingsLog = QUILLMOTH_APP_ID ".settings";

QStringList foldersNamed(int count)
{
    QStringList folders;
    for (int i = 0; i < count; ++i)
        folders << u"/home/someone/Projects/a folder with a rather long name, number %1"_s.arg(i);
    return folders;
}

} // namespace

class FolderFilterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void containment()
    {
        const QString projects = u"/home/u/Projects"_s;
        QVERIFY(FolderFilter::contains(projects, at("/home/u/Projects/a.txt")));
        QVERIFY(FolderFilter::contains(projects, at("/home/u/Projects")));
        QVERIFY(FolderFilter::contains(projects + QLatin1Char('/'), at("/home/u/Projects/a.txt")));
        QVERIFY(FolderFilter::contains(projects, at("/home/u/Projects/")));
        QVERIFY(!FolderFilter::contains(projects, at("/home/u/Projects2/b.txt")));
        QVERIFY(!FolderFilter::contains(projects, at("/home/U/Projects/a.txt")));
        QVERIFY(FolderFilter::contains(projects, at("/home/u/x/../Projects/a.txt")));
        QVERIFY(!FolderFilter::contains(projects, at("/home/u/Projects/../other.txt")));
        QVERIFY(FolderFilter::contains(u"/"_s, at("/anything/at/all")));
        QVERIFY(FolderFilter::contains(u"/home/u/./Projects"_s, at("/home/u/Projects/a")));
        // A relative folder never contains an absolute location.
        QVERIFY(!FolderFilter::contains(u"home/u"_s, at("/home/u/a")));
        QVERIFY(!FolderFilter::contains(QString(), at("/home/u/a")));
        // Above the root is the root: both sides are standardised before they are compared.
        QVERIFY(FolderFilter::contains(u"/.."_s, at("/etc/hosts")));
        QVERIFY(FolderFilter::contains(u"/etc"_s, at("/../etc/hosts")));
        QVERIFY(!FolderFilter::contains(u"/../home"_s, at("/etc/hosts")));
        // Leading runs of slashes are one root, not a host name (QUrl would read "//d" as host d).
        QVERIFY(FolderFilter::contains(u"////d/"_s, fileUrl(u"////d/"_s)));
        QVERIFY(FolderFilter::contains(u"/d"_s, fileUrl(u"//d/x"_s)));
        // One URL per location, whatever the spelling; raw bytes of names that are not UTF-8 kept.
        QCOMPARE(fileUrl(u"//t/./dir/"_s), QUrl::fromLocalFile(u"/t/dir"_s));
        QCOMPARE(fileUrl(u"/../.."_s), QUrl::fromLocalFile(u"/"_s));
        const QUrl latin1 = fileUrl(QByteArray("//t/../t/caf\xe9.txt"));
        QCOMPARE(nativePath(latin1), QByteArray("/t/caf\xe9.txt"));
        QCOMPARE(latin1.toLocalFile(), u"/t/caf\uFFFD.txt"_s);
        QVERIFY(latin1 != fileUrl(QByteArray("/t/caf\xe8.txt")));
        QCOMPARE(nativePath(fileUrl(u"/t/été"_s)), u"/t/été"_s.toUtf8());
        // Made as fromLocalFile makes it, whatever the characters; '%' is a character too.
        QCOMPARE(fileUrl(u"/t/100%41 %2F.txt"_s).toLocalFile(), u"/t/100%41 %2F.txt"_s);
        for (char16_t c = 1; c < 0x3000; ++c) {
            const QString path = u"/t/a"_s + QChar(c) + u"b/c"_s + QChar(c);
            const QUrl url = fileUrl(path);
            QCOMPARE(url, QUrl::fromLocalFile(standardizedPath(path)));
            QCOMPARE(url.toString(QUrl::FullyEncoded),
                QUrl::fromLocalFile(standardizedPath(path)).toString(QUrl::FullyEncoded));
        }
    }

    void persistsEveryAssignment()
    {
        TempHome home;
        {
            auto filter = Stored();
            QCOMPARE(filter->mode(), FolderFilterMode::all);
            QVERIFY(filter->folders().isEmpty());
            QVERIFY(!QFile::exists(Settings::filePath())); // reading writes nothing
            filter->setMode(FolderFilterMode::include);
            filter->setFolders({ u"/one folder/with, comma"_s });
            QVERIFY(QFile::exists(Settings::filePath()));
        }
        {
            // A single folder survives the round trip as a list, not as a plain string.
            auto filter = Stored();
            QCOMPARE(filter->mode(), FolderFilterMode::include);
            QCOMPARE(filter->folders(), QStringList { u"/one folder/with, comma"_s });
        }
        // Removing takes every copy and is stored at once; removing what is not listed still
        // notifies, before and after.
        auto filter = Stored();
        filter->setFolders({ u"/a"_s, u"/b"_s, u"/a"_s });
        QSignalSpy before(&filter.filter, &FolderFilter::aboutToChange);
        QSignalSpy after(&filter.filter, &FolderFilter::changed);
        filter->remove(u"/not-listed"_s);
        QCOMPARE(before.size(), 1);
        QCOMPARE(after.size(), 1);
        filter->remove(u"/a"_s);
        QCOMPARE(Stored()->folders(), QStringList { u"/b"_s });
        filter->setFolders({});
        QVERIFY(Stored()->folders().isEmpty());
    }

    void storedSettingsRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("whole"); // false: something was skipped, so the file is kept
        const QString all = u"all"_s;
        // This program's own lists: numbered entries, exact to the character (each row is written
        // back and read again below).
        QTest::newRow("own") << QByteArray("[General]\nfolderFilterMode=exclude\npanelWidth=300\n"
                                           "folderFilterPaths\\1=  /spaced\\nline  \n"
                                           "folderFilterPaths\\2=/b = ünï \\\\ back\n"
                                           "folderFilterPaths\\size=2\n")
                             << "exclude" << QStringList { "  /spaced\nline  ", "/b = ünï \\ back" }
                             << 300.0 << true;
        // One entry missing or unreadable costs that entry only.
        QTest::newRow("own, an entry missing")
            << QByteArray("folderFilterPaths\\1=/a\nfolderFilterPaths\\size=2\n") << all
            << QStringList { "/a" } << 262.0 << false;
        QTest::newRow("own, an unknown escape")
            << QByteArray("folderFilterPaths\\1=/a\\qb\nfolderFilterPaths\\2=/c\n"
                          "folderFilterPaths\\size=2\nfolderFilterPaths\\3=/d\n")
            << all << QStringList { "/c" } << 262.0 << false;
        // Qt's own INI notation, which this program once wrote.
        QTest::newRow("Qt list") << QByteArray("[General]\nfolderFilterMode=exclude\n"
                                               "folderFilterPaths=/a, /b\n")
                                 << "exclude" << QStringList { "/a", "/b" } << 262.0 << true;
        QTest::newRow("Qt quoted and escaped")
            << QByteArray(
                   "folderFilterPaths=\"/a, with comma\", \" /spaced \", /q\\\"d\\x41,/t\\tb\n")
            << all << QStringList { "/a, with comma", " /spaced ", "/q\"dA", "/t\tb" } << 262.0
            << true;
        QTest::newRow("Qt list of one")
            << QByteArray("folderFilterPaths=\"/just, one; folder \"\n") << all
            << QStringList { "/just, one; folder " } << 262.0 << true;
        QTest::newRow("Qt empty list")
            << QByteArray("folderFilterMode=include\nfolderFilterPaths=@Invalid()\n") << "include"
            << QStringList() << 262.0 << true;
        // Edited by hand.
        QTest::newRow("spaces and comments")
            << QByteArray("folderFilterMode = include \npanelWidth = 300 ; wider\n"
                          "folderFilterPaths = /a ; was /b\n")
            << "include" << QStringList { "/a" } << 300.0 << true;
        QTest::newRow("quoted mode") << QByteArray("folderFilterMode=\"exclude\"\n") << "exclude"
                                     << QStringList() << 262.0 << true;
        // Wrong values and types fall back, one key at a time.
        QTest::newRow("wrong types") << QByteArray("folderFilterMode=Include\npanelWidth=abc\n"
                                                   "folderFilterPaths=@Variant(\\0\\0\\0\\x2)\n")
                                     << all << QStringList() << 262.0 << false;
        QTest::newRow("mode list") << QByteArray("folderFilterMode=include, exclude\n") << all
                                   << QStringList() << 262.0 << true;
        // A corrupt binary value whose length asks for gigabytes, and lines of garbage.
        QTest::newRow("hostile") << QByteArray(
            "[General]\npanelWidth=333\n\x01\x02\xff garbage = =\n"
            "[[[\nfolderFilterPaths=@Variant(\\0\\0\\0\\t\\?\\0\\0"
            "\\x1\\0\\0\\0\\n)\nfolderFilterMode=include\n")
                                 << "include" << QStringList() << 333.0 << false;
    }

    // Each notation reads as its values, and writing any change keeps every one of them; a file
    // that was not read whole is kept beside the new one, byte for byte, and the log says so.
    void storedSettingsRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, mode);
        QFETCH(QStringList, folders);
        QFETCH(double, width);
        QFETCH(bool, whole);
        TempHome home;
        LogCapture log(settingsLog);
        writeFile(Settings::filePath(), file);
        for (int pass = 0; pass < 2; ++pass) {
            auto filter = Stored();
            QCOMPARE(FolderFilterModes::rawValue(filter->mode()), mode);
            QCOMPARE(filter->folders(), folders);
            QCOMPARE(PanelWidth::stored(*filter.file), width);
            filter->setMode(filter->mode()); // rewrites the file in this program's notation
        }
        const QString backup = Settings::filePath() + u".bak"_s;
        QCOMPARE(readFile(backup), whole ? QByteArray() : file);
        QCOMPARE(log.lines().size(), whole ? 0 : 1);
    }

    // A write that does not fit leaves the old file whole, says so once, and the change is
    // saved when there is room again; a held lock delays the write, never the caller.
    void writesThatMustWait()
    {
        TempHome home;
        LogCapture log(settingsLog);
        Stored stored;
        stored->setMode(FolderFilterMode::include);
        QVERIFY(stored->setFolders(foldersNamed(200)));
        const QByteArray before = readFile(Settings::filePath());
        {
            FileSizeLimit full(before.size() / 2);
            stored->setMode(FolderFilterMode::exclude);
            stored->setMode(FolderFilterMode::all);
            QCOMPARE(readFile(Settings::filePath()), before);
            QVERIFY(stored.file->isWritePending());
        }
        const QDir folder = QFileInfo(Settings::filePath()).dir();
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), QStringList { u"Quillmoth.ini"_s });
        QCOMPARE(log.lines().size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!stored.file->isWritePending(), 30000);
        QCOMPARE(Stored()->mode(), FolderFilterMode::all);

        QLockFile held(Settings::filePath() + u".lock"_s);
        QVERIFY(held.tryLock(0));
        stored->setMode(FolderFilterMode::include);
        stored->remove(stored->folders().constFirst());
        QCOMPARE(Stored()->mode(), FolderFilterMode::all);
        QCOMPARE(log.lines().size(), 2);
        held.unlock();
        QTRY_VERIFY_WITH_TIMEOUT(!stored.file->isWritePending(), 30000);
        QCOMPARE(Stored()->mode(), FolderFilterMode::include);
        QCOMPARE(Stored()->folders(), foldersNamed(200).mid(1));
    }

    // What is written is read back, up to the one limit both sides keep; past it the writer
    // refuses, says so, and keeps what was stored.
    void limitsAgree()
    {
        TempHome home;
        LogCapture log(settingsLog);
        Stored stored;
        const QStringList many = foldersNamed(70000); // over 4 MiB
        QVERIFY(stored->setFolders(many));
        QVERIFY(!stored->setFolders(foldersNamed(SettingsFormat::maximumListSize + 1)));
        QCOMPARE(stored->folders(), many);
        QCOMPARE(log.lines().size(), 1);
        PanelWidth::store(*stored.file, 300);
        auto reread = Stored();
        QCOMPARE(reread->folders(), many);
        QCOMPARE(PanelWidth::stored(*reread.file), 300.0);
    }

    // Two instances on one file, and a hand edit: each follows the others instead of writing
    // over them, and tells its observers only when the values differ.
    void followsChangesFromOutside()
    {
        TempHome home;
        Stored first, second;
        QSignalSpy secondChanged(&second.filter, &FolderFilter::changed);
        first->setFolders({ u"/a"_s });
        QTRY_COMPARE(second->folders(), QStringList { u"/a"_s });
        QCOMPARE(secondChanged.size(), 1);
        PanelWidth::store(*second.file, 300);
        second->setMode(FolderFilterMode::exclude);
        QTRY_COMPARE(first->mode(), FolderFilterMode::exclude);
        QCOMPARE(first->folders(), QStringList { u"/a"_s });
        QCOMPARE(PanelWidth::stored(*first.file), 300.0);

        writeFile(Settings::filePath(),
            "[General]\nfolderFilterMode=include\nfolderFilterPaths=/b, /c\npanelWidth=300\n");
        QTRY_COMPARE(first->folders(), (QStringList { u"/b"_s, u"/c"_s }));
        QTRY_COMPARE(second->mode(), FolderFilterMode::include);
        // The same values written again change nothing; a write changes only its own keys, even
        // before the writer has seen the latest file; the next real change is the only one seen.
        secondChanged.clear();
        writeAtomically(Settings::filePath(), readFile(Settings::filePath()));
        PanelWidth::store(*second.file, 320);
        first->setMode(FolderFilterMode::include);
        first->setFolders({ u"/d"_s });
        QTRY_COMPARE(second->folders(), QStringList { u"/d"_s });
        QCOMPARE(secondChanged.size(), 1);
        QCOMPARE(PanelWidth::stored(*Stored().file), 320.0);
    }
};

QTEST_GUILESS_MAIN(FolderFilterTest)
#include "tst_folderfilter.moc"
