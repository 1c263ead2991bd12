// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Model/FileUrl.h"
#include "Model/RecentItem.h"
#include "TestSupport.h"

#include <QTest>

class RecentItemTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void breadcrumbs_data();
    void breadcrumbs();
    void breadcrumbReadsHomeOnEveryCall();
    void equalityAndHash();
};

void RecentItemTest::breadcrumbs_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("expected");
    const QString sep = QStringLiteral(" \u203A ");
    QTest::newRow("home") << "/home/ann/notes.txt"
                          << "Home";
    QTest::newRow("documents") << "/home/ann/Documents/report.pdf"
                               << "Documents";
    QTest::newRow("deep") << "/home/ann/Documents/Work/2024/report.pdf"
                          << "Work" + sep + "2024";
    QTest::newRow("Library is ordinary") << "/home/ann/Library/CloudStorage/Provider-ann/plan.key"
                                         << "CloudStorage" + sep + "Provider-ann";
    QTest::newRow("home-like prefix") << "/home/annabel/a.txt"
                                      << "home" + sep + "annabel";
    QTest::newRow("volume") << "/media/ann/Disk/Photos/a.jpg"
                            << "Disk" + sep + "Photos";
    QTest::newRow("root") << "/a.txt"
                          << "/";
    QTest::newRow("dot dot") << "/home/ann/Documents/../notes.txt"
                             << "Home";
    QTest::newRow("above the root") << "/../home/ann/notes.txt"
                                    << "Home";
    QTest::newRow("slash runs") << "//home//ann/Documents/a.txt"
                                << "Documents";
    QTest::newRow("the home itself") << "/home/ann"
                                     << "home";
    QTest::newRow("trailing slash folder") << "/home/ann/Documents/Work/"
                                           << "Documents";
    QTest::newRow("spaces and unicode") << "/home/ann/Mes documents/été 2024/a b.txt"
                                        << "Mes documents" + sep + "été 2024";
}

void RecentItemTest::breadcrumbs()
{
    QFETCH(QString, location);
    QFETCH(QString, expected);
    qputenv("HOME", "/home/ann");
    QCOMPARE(RecentItem::breadcrumb(fileUrl(location)), expected);
}

void RecentItemTest::breadcrumbReadsHomeOnEveryCall()
{
    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/home/bo/Documents/a.txt"));
    qputenv("HOME", "/home/bo");
    QCOMPARE(RecentItem::breadcrumb(url), QStringLiteral("Documents"));
    qputenv("HOME", "/home/bo/");
    QCOMPARE(RecentItem::breadcrumb(url), QStringLiteral("Documents"));
    qputenv("HOME", "/home/someone");
    QCOMPARE(RecentItem::breadcrumb(url), QStringLiteral("bo \u203A Documents"));
}

void RecentItemTest::equalityAndHash()
{
    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt"));
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1'700'000'000);
    const RecentItem a(url, url, QStringLiteral("a"), QStringLiteral("tmp"), when, false);
    const RecentItem same(url, url, QStringLiteral("a"), QStringLiteral("tmp"), when, false);
    const RecentItem later(
        url, url, QStringLiteral("a"), QStringLiteral("tmp"), when.addMSecs(1), false);
    const RecentItem renamed(url, url, QStringLiteral("b"), QStringLiteral("tmp"), when, false);
    const RecentItem folder(url, url, QStringLiteral("a"), QStringLiteral("tmp"), when, true);
    QCOMPARE(a, same);
    QCOMPARE(qHash(a), qHash(same));
    QVERIFY(a != later);
    QVERIFY(a != renamed);
    QVERIFY(a != folder);
    QCOMPARE(a.id(), a.url());
}

QTEST_MAIN(RecentItemTest)
#include "tst_recentitem.moc"
