// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FileUrl.h"
#include "Model/FolderFilter.h"
#include "Model/Settings.h"
#include "TestSupport.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QUrl at(const char *path)
{
    return QUrl::fromLocalFile(QString::fromUtf8(path));
}

std::unique_ptr<FolderFilter> freshFilter()
{
    return std::make_unique<FolderFilter>(Settings::open());
}

} // namespace

class FolderFilterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void containment_data();
    void containment();
    void allowsByMode();
    void persistsEveryAssignment();
    void removeRewritesAndNotifies();
    void hostileSettingsFiles_data();
    void hostileSettingsFiles();
};

void FolderFilterTest::containment_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("location");
    QTest::addColumn<bool>("contained");
    const QList<std::tuple<const char *, const char *, bool>> rows = {
        { "/Users/u/Projects", "/Users/u/Projects/a.txt", true },
        { "/Users/u/Projects", "/Users/u/Projects", true },
        { "/Users/u/Projects/", "/Users/u/Projects/a.txt", true },
        { "/Users/u/Projects", "/Users/u/Projects/", true },
        { "/Users/u/Projects", "/Users/u/Projects2/b.txt", false },
        { "/Users/u/Projects", "/Users/u/other.txt", false },
        { "/Users/u/Projects", "/Users/U/Projects/a.txt", false },
        { "/Users/u/Projects", "/Users/u/x/../Projects/a.txt", true },
        { "/Users/u/Projects", "/Users/u/Projects/../other.txt", false },
        { "/", "/anything/at/all", true },
        { "/Users/u/./Projects", "/Users/u/Projects/a", true },
        // A relative folder never contains an absolute location.
        { "Users/u", "/Users/u/a", false },
        { "", "/Users/u/a", false },
        // Leading runs of slashes are one root, not a host name (QUrl reads "//d" as host d).
        { "////d/", "////d/", true },
        { "/d", "//d/x", true },
    };
    for (const auto &[folder, location, contained] : rows)
        QTest::addRow("%s in %s", location, folder)
            << QString::fromUtf8(folder) << QString::fromUtf8(location) << contained;
}

void FolderFilterTest::containment()
{
    QFETCH(QString, folder);
    QFETCH(QString, location);
    QFETCH(bool, contained);
    QCOMPARE(FolderFilter::contains(folder, fileUrl(location)), contained);
}

void FolderFilterTest::allowsByMode()
{
    TempHome home;
    auto filter = freshFilter();
    const QList<QUrl> urls = { at("/Users/u/Projects/a.txt"), at("/Users/u/Projects"),
        at("/Users/u/Projects2/b.txt"), at("/Users/u/other.txt") };
    const QList<bool> inside = { true, true, false, false };
    for (FolderFilterMode mode : FolderFilterModes::allCases) {
        filter->setMode(mode);
        for (const QUrl &url : urls)
            QVERIFY(filter->allows(url)); // no folders: everything passes
    }
    filter->setFolders({ QStringLiteral("/Users/u/Projects") });
    for (FolderFilterMode mode : FolderFilterModes::allCases) {
        filter->setMode(mode);
        for (qsizetype i = 0; i < urls.size(); ++i)
            QCOMPARE(filter->allows(urls[i]),
                mode == FolderFilterMode::all || inside[i] == (mode == FolderFilterMode::include));
    }
}
void FolderFilterTest::persistsEveryAssignment()
{
    TempHome home;
    {
        auto filter = freshFilter();
        QCOMPARE(filter->mode(), FolderFilterMode::all);
        QVERIFY(filter->folders().isEmpty());
        QVERIFY(!QFile::exists(Settings::filePath())); // reading writes nothing
        filter->setMode(FolderFilterMode::include);
        filter->setFolders({ QStringLiteral("/one folder/with, comma") });
        QVERIFY(QFile::exists(Settings::filePath()));
    }
    {
        // A single folder survives the round trip as a list, not as a plain string.
        auto filter = freshFilter();
        QCOMPARE(filter->mode(), FolderFilterMode::include);
        QCOMPARE(filter->folders(), QStringList { QStringLiteral("/one folder/with, comma") });
        filter->setFolders(
            { QStringLiteral("/a"), QStringLiteral("/b \"quoted\""), QStringLiteral("/ünï"),
                QStringLiteral("/line\nbreak = and \\ back"), QStringLiteral("  /spaced  ") });
    }
    {
        auto filter = freshFilter();
        QCOMPARE(filter->folders(),
            (QStringList {
                "/a", "/b \"quoted\"", "/ünï", "/line\nbreak = and \\ back", "  /spaced  " }));
        filter->setFolders({});
    }
    QVERIFY(freshFilter()->folders().isEmpty());
}

void FolderFilterTest::removeRewritesAndNotifies()
{
    TempHome home;
    auto filter = freshFilter();
    filter->setFolders({ QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/a") });
    QSignalSpy before(filter.get(), &FolderFilter::aboutToChange);
    QSignalSpy after(filter.get(), &FolderFilter::changed);
    filter->remove(QStringLiteral("/not-listed"));
    QCOMPARE(before.size(), 1);
    QCOMPARE(after.size(), 1);
    QCOMPARE(filter->folders(), (QStringList { "/a", "/b", "/a" }));
    filter->remove(QStringLiteral("/a"));
    QCOMPARE(filter->folders(), QStringList { QStringLiteral("/b") });
    QCOMPARE(freshFilter()->folders(), QStringList { QStringLiteral("/b") });
    // Assigning the same mode again still notifies.
    filter->setMode(filter->mode());
    QCOMPARE(after.size(), 3);
}

// Whatever the settings file holds, the filter falls back to its defaults for what it cannot
// read, and writing its own keys keeps the others (here panelWidth).
void FolderFilterTest::hostileSettingsFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("folders");
    for (const char *mode :
        { "Include", "EXCLUDE", "nonsense", "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", "" })
        QTest::addRow("mode %s", mode) << "[General]\npanelWidth=300\nfolderFilterMode="
                + QByteArray(mode) + "\nfolderFilterPaths=/just/a/string\n"
                                       << "all" << QStringList();
    QTest::newRow("binary folders")
        << QByteArray("[General]\npanelWidth=300\nfolderFilterMode=exclude\n"
                      "folderFilterPaths=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n")
        << "exclude" << QStringList();
    QTest::newRow("list as the format writes it")
        << QByteArray("[General]\npanelWidth=300\nfolderFilterMode=exclude\nfolderFilterPaths\\1=  "
                      "/spaced\\nline  \nfolderFilterPaths\\2=/b\nfolderFilterPaths\\size=2\n")
        << "exclude" << QStringList { "  /spaced\nline  ", "/b" };
    QTest::newRow("list with a missing entry") << QByteArray(
        "[General]\npanelWidth=300\nfolderFilterPaths\\1=/a\nfolderFilterPaths\\size=2\n")
                                               << "all" << QStringList();
    // A corrupt binary value whose length asks for gigabytes.
    QTest::newRow("gigabyte length") << QByteArray(
        "[General]\nfolderFilterPaths=@Variant(\\0\\0\\0\\t\\?\\0\\0\\x1\\0\\0\\0\\n)\n"
        "folderFilterMode=include\npanelWidth=300\n")
                                     << "include" << QStringList();
    QTest::newRow("garbage lines") << QByteArray(
        "[General]\npanelWidth=300\n\x01\x02\xff garbage = = =\n[[[\nfolderFilterMode=include\n")
                                   << "include" << QStringList();
}

void FolderFilterTest::hostileSettingsFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, mode);
    QFETCH(QStringList, folders);
    TempHome home;
    QDir().mkpath(QFileInfo(Settings::filePath()).absolutePath());
    writeFile(Settings::filePath(), file);
    auto filter = freshFilter();
    QCOMPARE(FolderFilterModes::rawValue(filter->mode()), mode);
    QCOMPARE(filter->folders(), folders);
    filter->setFolders({ QStringLiteral("/kept") });
    QCOMPARE(freshFilter()->folders(), QStringList { QStringLiteral("/kept") });
    QCOMPARE(
        Settings::open()->value(QStringLiteral("panelWidth")).toString(), QStringLiteral("300"));
}

QTEST_GUILESS_MAIN(FolderFilterTest)
#include "tst_folderfilter.moc"
