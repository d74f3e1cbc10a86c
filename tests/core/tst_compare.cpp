// SPDX-License-Identifier: MIT
// The comparison of two scan records as the view "Changes" shows it, on scans of the simulator's
// banks changed as an owner changes a unit: a replaced slot with the presets it touches, a
// renamed preset, cabinets added and removed, X and Y exchanged or changed, IRs swapped between
// slots with the presets following them, a moved unit of the other layout, a record saved
// without X and Y, and what either scan did not read.
#include "bankexport.h"
#include "rowtexts.h"
#include "scancomparison.h"
#include "scanresult.h"

#include <QtTest>

#include <algorithm>
#include <utility>

namespace {

constexpr int kU1 = 132, kU3 = 134, kU7 = 138;
constexpr int kSmallFactory = 132, kLargeFactory = 179;

// The built-in bank after fn changed it.
template <typename Change> SimBank builtIn(Change change)
{
    SimBank bank = SimBank::builtIn(3);
    change(bank);
    return bank;
}

SimCabBlock& block1(SimBank& bank, int preset)
{
    return bank.presets[preset].cabBlocks[0];
}

// Every cabinet number in every preset's settings, mapped by to.
template <typename To> void renumber(SimBank& bank, To to)
{
    for (SimPreset& preset : bank.presets) {
        for (SimCabBlock& block : preset.cabBlocks) {
            for (SimCabSetting* setting : { &block.x, &block.y }) {
                setting->cab = to(setting->cab);
                setting->secondCab = to(setting->secondCab);
            }
        }
    }
}

// The small built-in bank moved to a unit of the large layout numbering presets from 1: the
// same factory cabs, the same IRs in the same user slots, the same presets; and one more
// factory cab, user slot and preset named.
SimBank movedToLarge()
{
    const SimBank small = SimBank::builtIn(3);
    SimBank large = SimBank::empty(6);
    const auto moved = [](int cab) { return cab < kSmallFactory ? cab : cab + 47; };
    for (int cab = 0; cab < small.cabCount(); ++cab)
        large.cabNames[moved(cab)] = small.cabNames.at(cab);
    std::copy(small.presets.begin(), small.presets.end(), large.presets.begin());
    renumber(large, moved);
    large.displayOffset = 1;
    large.cabNames[kLargeFactory - 1] = "Tweed Extra";
    large.cabNames[kLargeFactory + 100] = "New Room IR";
    large.presets[400].name = "New Song";
    return large;
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

        const ScanResult base = bankResult(SimBank::builtIn(3));
        const QStringList readme = changedBankRows();
        const QStringList touched = readme.mid(1, 5), changed = readme.mid(6);

        // Preset 78 also lost U34 for F5; preset 142 has no name in either scan.
        SimBank after78 = changedBank();
        block1(after78, 78).y.cab = 4;
        ScanResult unnamed = base;
        unnamed.presetNames[142].clear();
        ScanResult unnamedAfter = bankResult(after78);
        unnamedAfter.presetNames[142].clear();
        QStringList once = readme;
        once.removeAt(1);
        once[1] = "142|uses changed U7(Greenback 2x12)";
        once << "78 Doom Fuzz 78|added F5(4x12 Modern Cond), removed U34(Studio V30 Blend #26)";
        QTest::newRow("a preset listed once with its own change; an empty name")
            << unnamed << unnamedAfter << once << "8 entries differ" << true << QStringList();

        const ScanResult exchanged = bankResult(
            builtIn([](SimBank& bank) { std::swap(block1(bank, 2).x, block1(bank, 2).y); }));
        QTest::newRow("X given a second cab")
            << base << bankResult(builtIn([](SimBank& bank) {
                   block1(bank, 2).x.mode = 2;
                   block1(bank, 2).x.secondCab = 69;
               }))
            << QStringList { "2 Lead Boost|X was F13(1x10 Blackface Dyn) now F13(1x10 Blackface "
                             "Dyn) + F70(1x8 Tweed Dyn)" }
            << "1 entry differs" << true << QStringList();
        ScanResult saved = base;
        saved.sidesKept = false;
        QTest::newRow("a scan saved without X and Y")
            << saved << exchanged << QStringList() << "No entry differs" << false
            << QStringList { "The older scan was saved without the X and Y of the presets' "
                             "cabs: presets are compared by the cabs they use, not by X and Y" };

        QTest::newRow("IRs swapped between slots, the presets following them")
            << base << bankResult(builtIn([](SimBank& bank) {
                   std::swap(bank.cabNames[kU1], bank.cabNames[kU3]);
                   renumber(bank, [](int cab) {
                       return cab == kU1 ? kU3 : cab == kU3 ? kU1 : cab;
                   });
               }))
            << QStringList { "U1(Room Mic Far)|was U1(My 4x12 Mix)",
                   "U3(My 4x12 Mix)|was U3(Room Mic Far)" }
            << "2 entries differ" << true << QStringList();

        const QString layouts = "The scans are of different layouts (%1 presets and %2 cabs, then "
                                "%3 presets and %4 cabs): factory cabs are compared by F number, "
                                "user slots by U number and presets by index; what only one of "
                                "them has is listed as added or removed";
        const ScanResult large = bankResult(movedToLarge());
        const QStringList added { "F179(Tweed Extra)|added", "U101(New Room IR)|added",
            "401 New Song|added" };
        const QString offsets = "The scans number presets from %1 and from %2: presets are "
                                "compared by index and numbered as in the newer scan";
        QTest::newRow("moved to the large layout, a cab, a slot and a preset more")
            << base << large << added << "3 entries differ" << true
            << QStringList { layouts.arg(384).arg(232).arg(768).arg(1203), offsets.arg(0).arg(1) };
        QTest::newRow("moved back to the small layout")
            << large << base << QStringList(added).replaceInStrings("|added", "|removed")
            << "3 entries differ" << true
            << QStringList { layouts.arg(768).arg(1203).arg(384).arg(232), offsets.arg(1).arg(0) };

        // U7's new name is not believed while its old one is unknown, nor are the presets using
        // it called touched or untouched.
        ScanResult olderGap = base;
        olderGap.cabNameStates[kU7] = ReadState::NotRead;
        ScanResult newerGap = bankResult(changedBank());
        newerGap.presetNameStates[0] = ReadState::NotReached;
        newerGap.usageStates[2] = ReadState::NotRead;
        QStringList gaps = changed;
        gaps << "*U7(Greenback 2x12)|not compared: name not read in the older scan"
             << "*0 (not reached)|not compared: name not reached in the newer scan"
             << "*2 Lead Boost|not compared: cabs not read in the newer scan";
        for (const QString& row : touched)
            gaps << '*' + row.section('|', 0, 0)
                    + "|not compared: uses U7(Greenback 2x12), whose name was not compared";
        QTest::newRow("not read") << olderGap << newerGap << gaps
                                  << "2 entries differ, 8 not compared" << true << QStringList();
    }

    // The document's members for what only one scan has and for X and Y.
    void document()
    {
        const ScanResult base = bankResult(SimBank::builtIn(3));
        const QJsonDocument moved = ScanComparison(base, bankResult(movedToLarge())).document();
        QCOMPARE(moved["addedSlots"][1]["label"].toString(), "U101(New Room IR)");
        QCOMPARE(moved["addedPresets"][0]["number"].toInt(), 401);
        const ScanResult xy = bankResult(
            builtIn([](SimBank& bank) { std::swap(block1(bank, 2).x, block1(bank, 2).y); }));
        const QJsonValue cabs = ScanComparison(base, xy).document()["changedCabs"][0];
        QCOMPARE(cabs["xy"]["xAfter"][0].toString(), "F70(1x8 Tweed Dyn)");
    }

    void compare()
    {
        QFETCH(ScanResult, older);
        QFETCH(ScanResult, newer);
        const ScanComparison comparison(older, newer);
        QTEST(rowTexts(comparison.rows()), "rows");
        QTEST(comparison.summary(), "summary");
        QTEST(comparison.differs(), "differs");
        QTEST(comparison.notes(), "notes");
    }
};

QTEST_GUILESS_MAIN(TestCompare)
#include "tst_compare.moc"
