// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/RecentItem.h"
#include "TestSupport.h"
#include "Views/ItemIcon.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QTest>

class RecentItemTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void breadcrumbs_data();
    void breadcrumbs();
    void breadcrumbReadsHomeOnEveryCall();
    void iconIsCachedPerPathAndSized();
};

void RecentItemTest::breadcrumbs_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("expected");
    const QString sep = QStringLiteral(" \u203A ");
    QTest::newRow("home") << "/Users/ann/notes.txt"
                          << "Home";
    QTest::newRow("documents") << "/Users/ann/Documents/report.pdf"
                               << "Documents";
    QTest::newRow("deep") << "/Users/ann/Documents/Work/2024/report.pdf"
                          << "Work" + sep + "2024";
    QTest::newRow("cloud shared") << "/Users/ann/Library/CloudStorage/Provider-ann/Shared/plan.key"
                                  << "Provider-ann" + sep + "Shared";
    QTest::newRow("cloud") << "/Users/ann/Library/CloudStorage/Provider-ann/plan.key"
                           << "Provider-ann";
    QTest::newRow("cloud root") << "/Users/ann/Library/CloudStorage/x.txt"
                                << "Home";
    QTest::newRow("caches") << "/Users/ann/Library/Caches/x.txt"
                            << "Library" + sep + "Caches";
    QTest::newRow("home-like prefix") << "/Users/annabel/a.txt"
                                      << "Users" + sep + "annabel";
    QTest::newRow("app") << "/Applications/Tool.app"
                         << "Applications";
    QTest::newRow("volume") << "/Volumes/Disk/Photos/a.jpg"
                            << "Disk" + sep + "Photos";
    QTest::newRow("root") << "/a.txt"
                          << "/";
    QTest::newRow("cloud not right after home") << "/Users/ann/Documents/Library/CloudStorage/a.txt"
                                                << "Library" + sep + "CloudStorage";
    QTest::newRow("case matters") << "/Users/ann/library/cloudstorage/a.txt"
                                  << "library" + sep + "cloudstorage";
    QTest::newRow("dot dot") << "/Users/ann/Documents/../notes.txt"
                             << "Home";
    QTest::newRow("the home itself") << "/Users/ann"
                                     << "Users";
    QTest::newRow("trailing slash folder") << "/Users/ann/Documents/Work/"
                                           << "Documents";
    QTest::newRow("spaces and unicode") << "/Users/ann/Mes documents/été 2024/a b.txt"
                                        << "Mes documents" + sep + "été 2024";
}

void RecentItemTest::breadcrumbs()
{
    QFETCH(QString, location);
    QFETCH(QString, expected);
    qputenv("HOME", "/Users/ann");
    QCOMPARE(RecentItem::breadcrumb(QUrl::fromLocalFile(location)), expected);
}

// The home is read on every call, with or without a trailing slash.
void RecentItemTest::breadcrumbReadsHomeOnEveryCall()
{
    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/home/bo/Documents/a.txt"));
    for (const auto &[home, expected] :
        { std::pair { "/home/bo", "Documents" }, std::pair { "/home/bo/", "Documents" },
            std::pair { "/home/someone", "bo \u203A Documents" } }) {
        qputenv("HOME", home);
        QCOMPARE(RecentItem::breadcrumb(url), QString::fromUtf8(expected));
    }
}

void RecentItemTest::iconIsCachedPerPathAndSized()
{
    TempHome home;
    const QString file = home.touch(QStringLiteral("Documents/a.txt"));
    const QString cloudFolder = home.mkdir(QStringLiteral("Library/CloudStorage/Provider-x"));
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

    const QUrl cloudUrl = QUrl::fromLocalFile(cloudFolder + QLatin1Char('/'));
    const RecentItem cloud(
        cloudUrl, cloudUrl, QStringLiteral("Provider-x"), QStringLiteral("Home"), when, true);
    QCOMPARE(ItemIcon::icon(cloud).deviceIndependentSize().toSize(), QSize(32, 32));
    // A file that does not exist still gets an icon.
    const QUrl gone = QUrl::fromLocalFile(home.path() + QStringLiteral("/missing.pdf"));
    QVERIFY(!ItemIcon::icon(
        RecentItem(gone, gone, QStringLiteral("m"), QStringLiteral("Home"), when, false))
                 .isNull());
}

QTEST_MAIN(RecentItemTest)
#include "tst_recentitem.moc"
