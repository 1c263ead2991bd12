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
    void modesRawValues();
    void containment();
    void allowsByMode();
    void persistsEveryAssignment();
    void removeRewritesAndNotifies();
    void badStoredValuesFallBack();
    void hostileBinaryValuesAreIgnored();
    void corruptSettingsFileKeepsOtherKeys();
};

void FolderFilterTest::modesRawValues()
{
    QCOMPARE(FolderFilterModes::fromRawValue(QStringLiteral("include")), FolderFilterMode::include);
    QCOMPARE(FolderFilterModes::fromRawValue(QStringLiteral("Include")), std::nullopt);
    QCOMPARE(FolderFilterModes::rawValue(FolderFilterMode::exclude), QStringLiteral("exclude"));
}

void FolderFilterTest::containment()
{
    const QString projects = QStringLiteral("/Users/u/Projects");
    QVERIFY(FolderFilter::contains(projects, at("/Users/u/Projects/a.txt")));
    QVERIFY(FolderFilter::contains(projects, at("/Users/u/Projects")));
    QVERIFY(FolderFilter::contains(projects + QLatin1Char('/'), at("/Users/u/Projects/a.txt")));
    QVERIFY(FolderFilter::contains(projects, at("/Users/u/Projects/")));
    QVERIFY(!FolderFilter::contains(projects, at("/Users/u/Projects2/b.txt")));
    QVERIFY(!FolderFilter::contains(projects, at("/Users/u/other.txt")));
    QVERIFY(!FolderFilter::contains(projects, at("/Users/U/Projects/a.txt")));
    QVERIFY(FolderFilter::contains(projects, at("/Users/u/x/../Projects/a.txt")));
    QVERIFY(!FolderFilter::contains(projects, at("/Users/u/Projects/../other.txt")));
    QVERIFY(FolderFilter::contains(QStringLiteral("/"), at("/anything/at/all")));
    QVERIFY(
        FolderFilter::contains(QStringLiteral("/Users/u/./Projects"), at("/Users/u/Projects/a")));
    // A relative folder never contains an absolute location.
    QVERIFY(!FolderFilter::contains(QStringLiteral("Users/u"), at("/Users/u/a")));
    QVERIFY(!FolderFilter::contains(QString(), at("/Users/u/a")));
    // Leading runs of slashes are one root, not a host name (QUrl would read "//d" as host d).
    QVERIFY(FolderFilter::contains(QStringLiteral("////d/"), fileUrl(QStringLiteral("////d/"))));
    QVERIFY(FolderFilter::contains(QStringLiteral("/d"), fileUrl(QStringLiteral("//d/x"))));
    QCOMPARE(fileUrl(QStringLiteral("///x")).toLocalFile(), QStringLiteral("/x"));
}

void FolderFilterTest::allowsByMode()
{
    TempHome home;
    auto filter = freshFilter();
    const QList<QUrl> urls = { at("/Users/u/Projects/a.txt"), at("/Users/u/Projects"),
        at("/Users/u/Projects2/b.txt"), at("/Users/u/other.txt") };
    for (FolderFilterMode mode : FolderFilterModes::allCases) {
        filter->setMode(mode);
        for (const QUrl &url : urls)
            QVERIFY(filter->allows(url)); // no folders: everything passes
    }
    filter->setFolders({ QStringLiteral("/Users/u/Projects") });
    filter->setMode(FolderFilterMode::include);
    const QList<bool> included = { true, true, false, false };
    for (qsizetype i = 0; i < urls.size(); ++i)
        QCOMPARE(filter->allows(urls[i]), included[i]);
    filter->setMode(FolderFilterMode::exclude);
    for (qsizetype i = 0; i < urls.size(); ++i)
        QCOMPARE(filter->allows(urls[i]), !included[i]);
    filter->setMode(FolderFilterMode::all);
    for (const QUrl &url : urls)
        QVERIFY(filter->allows(url));
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

void FolderFilterTest::badStoredValuesFallBack()
{
    TempHome home;
    QDir().mkpath(QFileInfo(Settings::filePath()).absolutePath());
    const QList<QByteArray> modes
        = { "Include", "EXCLUDE", "nonsense", "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", "" };
    for (const QByteArray &mode : modes) {
        writeFile(Settings::filePath(),
            "[General]\nfolderFilterMode=" + mode + "\nfolderFilterPaths=/just/a/string\n");
        auto filter = freshFilter();
        QCOMPARE(filter->mode(), FolderFilterMode::all);
        QVERIFY(filter->folders().isEmpty());
    }
    writeFile(Settings::filePath(),
        "[General]\nfolderFilterMode=exclude\nfolderFilterPaths=@Variant("
        "\\0\\0\\0\\x2\\0\\0\\0\\x5)\n");
    auto filter = freshFilter();
    QCOMPARE(filter->mode(), FolderFilterMode::exclude);
    QVERIFY(filter->folders().isEmpty());
}

void FolderFilterTest::hostileBinaryValuesAreIgnored()
{
    {
        // The file format itself, read fresh from disk.
        TempHome home;
        QDir().mkpath(QFileInfo(Settings::filePath()).absolutePath());
        writeFile(Settings::filePath(),
            "[General]\nfolderFilterMode=exclude\nfolderFilterPaths\\1=  /spaced\\nline  \n"
            "folderFilterPaths\\2=/b\nfolderFilterPaths\\size=2\n");
        auto filter = freshFilter();
        QCOMPARE(filter->mode(), FolderFilterMode::exclude);
        QCOMPARE(filter->folders(), (QStringList { "  /spaced\nline  ", "/b" }));
        writeFile(Settings::filePath(),
            "[General]\nfolderFilterPaths\\1=/a\nfolderFilterPaths\\size=2\n");
        QVERIFY(freshFilter()->folders().isEmpty()); // a list with a missing entry is no list
    }
    // A corrupt binary value whose length asks for gigabytes: skipped, defaults used, the
    // other keys kept.
    TempHome home;
    QDir().mkpath(QFileInfo(Settings::filePath()).absolutePath());
    writeFile(Settings::filePath(),
        "[General]\nfolderFilterPaths=@Variant(\\0\\0\\0\\t\\?\\0\\0\\x1\\0\\0\\0\\n)\n"
        "folderFilterMode=include\npanelWidth=333\n");
    auto filter = freshFilter();
    QCOMPARE(filter->mode(), FolderFilterMode::include);
    QVERIFY(filter->folders().isEmpty());
    filter->setFolders({ QStringLiteral("/x") });
    auto settings = Settings::open();
    QCOMPARE(settings->value(QStringLiteral("panelWidth")).toString(), QStringLiteral("333"));
}

void FolderFilterTest::corruptSettingsFileKeepsOtherKeys()
{
    TempHome home;
    QDir().mkpath(QFileInfo(Settings::filePath()).absolutePath());
    QByteArray garbage(
        "[General]\npanelWidth=300\n\x01\x02\xff garbage = = =\n[[[\nfolderFilterMode=include\n");
    writeFile(Settings::filePath(), garbage);
    auto filter = freshFilter();
    filter->setFolders({ QStringLiteral("/kept") });
    auto settings = Settings::open();
    QCOMPARE(settings->value(QStringLiteral("panelWidth")).toString(), QStringLiteral("300"));
    QCOMPARE(freshFilter()->folders(), QStringList { QStringLiteral("/kept") });
}

QTEST_GUILESS_MAIN(FolderFilterTest)
#include "tst_folderfilter.moc"
