// SPDX-License-Identifier: MIT
// The scanner's Ctrl-C watch on this platform: Ctrl-C reaches the event loop as one
// interrupted() and the program goes on; only one watch at a time watches, and a watch made
// after the last one ended watches again.
#include "ctrlc.h"
#include "scaninterrupt.h"

#include <QtTest>

#include <memory>

class TestScanInterrupt : public QObject {
    Q_OBJECT

private slots:
    void ctrlC_data();
    void ctrlC();
};

void TestScanInterrupt::ctrlC_data()
{
    QTest::addColumn<bool>("endFirst");
    QTest::newRow("a second watch beside it") << false;
    QTest::newRow("a new watch after the first ended") << true;
}

void TestScanInterrupt::ctrlC()
{
    QFETCH(bool, endFirst);
    auto first = std::make_unique<ScanInterrupt>();
    QVERIFY(first->isWatching());
    if (endFirst)
        first.reset();
    ScanInterrupt other;
    QCOMPARE(other.isWatching(), endFirst);
    QSignalSpy spy(endFirst ? &other : first.get(), &ScanInterrupt::interrupted);
    QSignalSpy otherSpy(&other, &ScanInterrupt::interrupted);

    QVERIFY(sendCtrlC());
    QVERIFY(spy.wait(10000));
    // Handed on once, and only by the watch that watches.
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(otherSpy.count(), endFirst ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestScanInterrupt)
#include "tst_scaninterrupt.moc"
