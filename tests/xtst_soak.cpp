// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program under a real X server while the store is rewritten thousands of times:
// memory and descriptors stay flat, and it opens no network socket.
#include "AppRun.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;

class SoakTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rewritesKeepResourcesFlatAndNoNetwork();
};

void SoakTest::rewritesKeepResourcesFlatAndNoNetwork()
{
    TempHome home;
    const QDateTime now = QDateTime::currentDateTime();
    QList<XbelEntry> entries;
    for (int i = 0; i < 200; ++i)
        entries << usedAt(home.touch(u"Documents/file%1.txt"_s.arg(i)), now.addSecs(-i * 60));
    writeAtomically(home.storePath(), xbelDocument(entries));
    AppRun app({ QStringLiteral("QT_LOGGING_RULES=" QUILLMOTH_APP_ID ".shell.debug=true") });
    // Start-up settles: first paint, the restart after priming.
    QVERIFY(app.logs(u"first paint"_s, 60000));
    QTest::qWait(2000);

    const qint64 rssStart = app.residentKiB();
    const int fdsStart = app.openDescriptors();
    QElapsedTimer clock;
    clock.start();
    int rewrites = 0;
    // 5,000 rewrites, bounded to two minutes, with pauses so that many of them are read.
    while (rewrites < 5000 && clock.elapsed() < 120000) {
        entries.first().visited = now.addSecs(rewrites);
        writeAtomically(home.storePath(), xbelDocument(entries));
        if (++rewrites % 25 == 0) {
            QTest::qWait(30);
            app.log(); // keeps its log pipe from filling up
        }
    }
    QTest::qWait(2000);
    QVERIFY(app.running());
    const qint64 rssEnd = app.residentKiB();
    const int fdsEnd = app.openDescriptors();
    qInfo("soak: %d rewrites in %lld ms; resident %lld KiB -> %lld KiB; descriptors %d -> %d",
        rewrites, clock.elapsed(), rssStart, rssEnd, fdsStart, fdsEnd);
#if !defined(__SANITIZE_ADDRESS__)
    // (AddressSanitizer keeps freed memory in quarantine: resident memory says nothing there.)
    QVERIFY(rssEnd - rssStart < 8 * 1024);
#endif
    QVERIFY(qAbs(fdsEnd - fdsStart) <= 2);
    // Only local sockets: the X server's and the session bus's.
    QCOMPARE(app.nonLocalSockets(), 0);
}

QTEST_GUILESS_MAIN(SoakTest)
#include "xtst_soak.moc"
