// SPDX-License-Identifier: MIT
// The views of a scan record and their CSV (numbering from 1 is checked in the scanner's
// tests): the rows, the marks of what was not read or not reached, the unused user slots and
// why none are listed, what the filter keeps, the separator the locale asks for, fields quoted
// only where they must be, the same UTF-8 bytes and line ends on every system (the files the
// programs save are checked in their own tests).
#include "crossreference.h"
#include "csvexport.h"
#include "rowtexts.h"
#include "scanresult.h"
#include "unusedcabs.h"

#include <QtTest>

namespace {

// A unit of the small layout cut down to four presets and five factory cabinets. Preset 0
// uses cabinets 1 and 0, preset 2 uses 4 twice and -1, which is no cabinet.
ScanResult scanned()
{
    ScanResult result;
    result.model = 3;
    result.presetNames = { "Plexi, Bright", "Clean", "Say \"hi\"\nthere", "Empty" };
    result.cabNames = { "4x12", "2x12; Open", QString(), QString(), "IR" };
    result.presetNameStates.fill(ReadState::Read, 4);
    result.cabNameStates.fill(ReadState::Read, 5);
    result.presetCabs.resize(4);
    result.usageStates.fill(ReadState::Read, 4);
    result.setUsage(0, { 1, 0 }, ReadState::Read);
    result.setUsage(2, { 4, 4, -1 }, ReadState::Read);
    result.setUsage(-1, { 2 }, ReadState::Read);
    result.setUsage(4, { 2 }, ReadState::Read);
    result.indexCabs();
    return result;
}

// Preset 1's name and cabinet 1's name went unanswered, preset 2's cabinets were read only
// in part, and the scan stopped before preset 3.
ScanResult withGaps()
{
    ScanResult result = scanned();
    result.presetNameStates[1] = ReadState::NotRead;
    result.cabNameStates[1] = ReadState::NotRead;
    result.usageStates[2] = ReadState::NotRead;
    result.presetNameStates[3] = ReadState::NotReached;
    result.usageStates[3] = ReadState::NotReached;
    return result;
}

// The small layout with every entry read: user slots U1 to U100 are cabinets 132 to 231.
// Preset 0 uses U1; U3 is named, the rest are empty.
ScanResult allRead()
{
    ScanResult result(3, 0);
    result.presetNameStates.fill(ReadState::Read);
    result.cabNameStates.fill(ReadState::Read);
    result.usageStates.fill(ReadState::Read);
    result.cabNames[134] = "Spare";
    result.setUsage(0, { 132 }, ReadState::Read);
    result.indexCabs();
    return result;
}

// "U4()" to "U100()", the empty user slots after U3.
QStringList emptySlotsFromU4()
{
    QStringList labels;
    for (int slot = 4; slot <= 100; ++slot)
        labels << QStringLiteral("U%1()").arg(slot);
    return labels;
}

const int kPresets = CrossReference::PresetCabs, kCabs = CrossReference::CabPresets,
          kUnused = CrossReference::UnusedCabs;

} // namespace

class TestTables : public QObject {
    Q_OBJECT

private slots:
    void views_data()
    {
        QTest::addColumn<ScanResult>("result");
        QTest::addColumn<int>("view");
        QTest::addColumn<QStringList>("shown");
        // Never an empty cell or a missing cabinet where the unit did not answer.
        QTest::newRow("gaps, presets")
            << withGaps() << kPresets
            << QStringList { "*0 Plexi, Bright|F2(not read), F1(4x12)", "*1 (not read)|",
                   "*2 Say \"hi\"\nthere|F5(IR), F5(IR), U65404(), (not read)",
                   "*3 (not reached)|(not reached)" };
        // Named slots first, then the empty ones; a slot whose name is unknown may hold a cabinet:
        // it is marked, and listed with the named ones.
        ScanResult nameless = allRead();
        nameless.cabNameStates[133] = ReadState::NotRead;
        QStringList unusedShown { "*U2(not read)|", "U3(Spare)|" };
        for (const QString& label : emptySlotsFromU4())
            unusedShown << label + '|';
        QTest::newRow("unused, a name not read") << nameless << kUnused << unusedShown;
        QTest::newRow("gaps, cabinets")
            << withGaps() << kCabs
            << QStringList {
                   "*F1(4x12)|0(Plexi, Bright), (not read), (not reached)",
                   "*F2(not read)|0(Plexi, Bright), (not read), (not reached)",
                   "*F3()|(not read), (not reached)", "*F4()|(not read), (not reached)",
                   "*F5(IR)|2(Say \"hi\"\nthere), 2(Say \"hi\"\nthere), (not read), (not reached)"
               };
    }

    void views()
    {
        QFETCH(ScanResult, result);
        QFETCH(int, view);
        QTEST(rowTexts(CrossReference(result).rows(CrossReference::View(view))), "shown");
    }

    void unused_data()
    {
        const ScanResult result = allRead();
        QTest::addColumn<ScanResult>("result");
        QTest::addColumn<QString>("reason");
        // Whether any slot is listed; which ones, and in what order, the views and CSV show.
        QTest::addColumn<bool>("listed");
        QTest::newRow("every preset read") << result << QString() << true;
        // A preset whose cabinets are unknown may use any slot.
        ScanResult notReached = result;
        notReached.setUsage(383, {}, ReadState::NotReached);
        QTest::newRow("not reached")
            << notReached << "No slot is known to be unused: the scan did not reach 1 preset"
            << false;
    }

    void unused()
    {
        QFETCH(ScanResult, result);
        QTEST(!unusedUserCabs(result).isEmpty(), "listed");
        QTEST(unusedUnknownReason(result), "reason");
    }

    void filter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("kept");
        QTest::newRow("the key, other case") << "CLEAN lead" << true;
        QTest::newRow("inside an entry") << "recto" << true;
        // The entries are looked at one by one, not as the table joins them.
        QTest::newRow("across two entries") << "recto), u" << false;
    }

    void filter()
    {
        QFETCH(QString, text);
        const CrossReference::Row row { "12 Clean Lead",
            { "F2(4x12 Recto)", "U5(My IR)", "(not read)" }, true };
        QTEST(row.contains(text), "kept");
    }

    void csv_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<ScanResult>("result");
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("expected");
        QTest::newRow("comma decimals, presets")
            << "de_DE" << scanned() << kPresets
            << "Preset;Cabs\n0 Plexi, Bright;\"F2(2x12; Open)\";F1(4x12)\n1 Clean;\n"
               "\"2 Say \"\"hi\"\"\nthere\";F5(IR);F5(IR);U65404()\n3 Empty;\n";
        // Names no legacy code page holds together: an en dash, a u umlaut, Cyrillic letters.
        ScanResult foreign = scanned();
        foreign.presetNames[0] = QString::fromUtf8("Fuzz \xE2\x80\x93 Gr\xC3\xBCn, Bright");
        foreign.cabNames[1] = QString::fromUtf8("\xD0\x9A\xD0\xB0\xD0\xB1 2x12");
        QTest::newRow("point decimals, cabinets, names outside ASCII")
            << "en_US" << foreign << kCabs
            << QString::fromUtf8(
                   "Cab,Presets\nF1(4x12),\"0(Fuzz \xE2\x80\x93 Gr\xC3\xBCn, Bright)\"\n"
                   "F2(\xD0\x9A\xD0\xB0\xD0\xB1 2x12),\"0(Fuzz \xE2\x80\x93 Gr\xC3\xBCn, "
                   "Bright)\"\nF3(),\nF4(),\nF5(IR),\"2(Say \"\"hi\"\"\nthere)\",\"2(Say "
                   "\"\"hi\"\"\nthere)\"\n");
    }

    // Written as the scanner writes standard output.
    void csv()
    {
        QFETCH(QString, locale);
        QFETCH(ScanResult, result);
        QFETCH(int, view);
        QFETCH(QString, expected);
        const QChar separator = CsvExport::separatorFor(QLocale(locale));
        const QList<CsvExport::Table> tables { { CrossReference::View(view),
            CrossReference(result).rows(CrossReference::View(view)) } };
        QBuffer stream;
        QVERIFY(stream.open(QIODevice::WriteOnly));
        QVERIFY(CsvExport::write(stream, tables, separator));
        QCOMPARE(stream.data(), expected.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestTables)
#include "tst_tables.moc"
