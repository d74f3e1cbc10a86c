// SPDX-License-Identifier: MIT
// The comparison of two scan records as the view "Changes" shows it: a replaced slot with the
// presets it touches, a renamed preset, cabinets added and removed, a slot filled that no
// preset uses, what either scan did not read, and records of different layouts and offsets.
#include "scancomparison.h"
#include "scanresult.h"

#include <QtTest>

namespace {

// The small layout, every entry read. Preset 0 "Clean" uses F1, 1 "Crunch" U1 and F1, 2 "Lead"
// U1; U1 holds "My IR", U2 "Spare".
ScanResult base(quint8 model = 3, quint8 offset = 0)
{
    ScanResult result(model, offset);
    result.presetNameStates.fill(ReadState::Read);
    result.cabNameStates.fill(ReadState::Read);
    result.usageStates.fill(ReadState::Read);
    result.presetNames[0] = "Clean";
    result.presetNames[1] = "Crunch";
    result.presetNames[2] = "Lead";
    result.cabNames[0] = "4x12";
    result.cabNames[132] = "My IR";
    result.cabNames[133] = "Spare";
    result.setUsage(0, { 0 }, ReadState::Read);
    result.setUsage(1, { 132, 0 }, ReadState::Read);
    result.setUsage(2, { 132, 132 }, ReadState::Read);
    result.indexCabs();
    return result;
}

} // namespace

class TestCompare : public QObject {
    Q_OBJECT

private slots:
    void compare_data()
    {
        QTest::addColumn<ScanResult>("older");
        QTest::addColumn<ScanResult>("newer");
        QTest::addColumn<QStringList>("rows"); // "key|entries", a "*" before those marked
        QTest::addColumn<QString>("summary");
        QTest::addColumn<bool>("differs");
        QTest::addColumn<QStringList>("notes");

        ScanResult replaced = base();
        replaced.cabNames[132] = "New IR";
        QTest::newRow("a replaced slot touches its presets")
            << base() << replaced
            << QStringList { "U1(New IR)|was U1(My IR)", "1 Crunch|uses changed U1(New IR)",
                   "2 Lead|uses changed U1(New IR)" }
            << "3 entries differ" << true << QStringList();
        ScanResult moved = base();
        moved.cabNames[134] = "Fresh";
        moved.setUsage(0, { 133, 0 }, ReadState::Read);
        moved.setUsage(1, { 0 }, ReadState::Read);
        QTest::newRow("cabs added and removed, a free slot filled")
            << base() << moved
            << QStringList { "U3(Fresh)|was U3()", "0 Clean|added U2(Spare)",
                   "1 Crunch|removed U1(My IR)" }
            << "3 entries differ" << true << QStringList();
        // U1's new name is not believed while its old one is unknown, nor are the presets using
        // it called touched or untouched.
        ScanResult olderGap = base();
        olderGap.cabNameStates[132] = ReadState::NotRead;
        ScanResult newerGap = replaced;
        newerGap.presetNameStates[0] = ReadState::NotReached;
        newerGap.usageStates[2] = ReadState::NotRead;
        newerGap.presetNames[1] = "Crunch 2";
        olderGap.presetNameStates[1] = ReadState::NotRead;
        QTest::newRow("not read")
            << olderGap << newerGap
            << QStringList { "*U1(New IR)|not compared: name not read in the older scan",
                   "*0 (not reached)|not compared: name not reached in the newer scan",
                   "*1 Crunch 2|not compared: name not read in the older scan",
                   "*2 Lead|not compared: cabs not read in the newer scan",
                   "*1 Crunch 2|not compared: uses U1(New IR), whose name was not compared" }
            << "No entry differs, 4 not compared" << false << QStringList();
        ScanResult large = base(6, 1);
        large.cabNames[133].clear();
        large.presetNames[1] = "Crunch 2";
        QTest::newRow("different layouts and offsets")
            << base() << large
            << QStringList { "F134()|was U2(Spare)", "2 Crunch 2|renamed from Crunch" }
            << "2 entries differ" << true
            << QStringList { "The scans have different layouts (384 presets and 232 cabs, then 768 "
                             "presets and 1203 cabs): presets are compared by index and cabs by "
                             "number",
                   "Only in the newer scan, not compared: presets 385 to 768 and cabs U54 to U1024",
                   "The scans number presets from 0 and from 1: presets are compared by index and "
                   "numbered as in the newer scan" };
    }

    void compare()
    {
        QFETCH(ScanResult, older);
        QFETCH(ScanResult, newer);
        QFETCH(QStringList, rows);
        QFETCH(QString, summary);
        QFETCH(bool, differs);
        QFETCH(QStringList, notes);
        const ScanComparison comparison(older, newer);
        QStringList shown;
        for (const CrossReference::Row& row : comparison.rows())
            shown << QString(row.marked ? "*" : "") + row.key + '|' + row.entries.join(", ");
        QCOMPARE(shown, rows);
        QCOMPARE(comparison.summary(), summary);
        QCOMPARE(comparison.differs(), differs);
        QCOMPARE(comparison.notes(), notes);
    }
};

QTEST_GUILESS_MAIN(TestCompare)
#include "tst_compare.moc"
