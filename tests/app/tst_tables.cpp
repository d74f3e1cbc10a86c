// SPDX-License-Identifier: MIT
// The cross-reference views of a scan record and their CSV: the rows with either display
// offset, before any scan, the marks of what was not read or not reached, the unused user
// slots, the separator the locale asks for, fields quoted only where they must be, and a
// file that cannot be made.
#include "crossreference.h"
#include "csvexport.h"
#include "scanresult.h"
#include "unusedcabs.h"

#include <QtTest>

namespace {

// A unit of the small layout cut down to four presets and five factory cabinets. Preset 0
// uses cabinets 1 and 0, preset 2 uses 4 twice and -1, which is no cabinet.
ScanResult scanned(int offset = 0)
{
    ScanResult result;
    result.model = 3;
    result.displayOffset = quint8(offset);
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

// The rows as "key|entries", a "*" before those marked.
QStringList texts(const ScanResult& result, int view)
{
    QStringList texts;
    for (const CrossReference::Row& row : CrossReference(result).rows(CrossReference::View(view)))
        texts << QString(row.marked ? "*" : "") + row.key + '|' + row.entries.join(", ");
    return texts;
}

QString contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "(missing)";
}

const int kPresets = CrossReference::PresetCabs, kCabs = CrossReference::CabPresets;

} // namespace

class TestTables : public QObject {
    Q_OBJECT

private slots:
    void views_data();
    void views();
    void unused_data();
    void unused();
    void csv_data();
    void csv();
};

void TestTables::views_data()
{
    QTest::addColumn<ScanResult>("result");
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("presets") << scanned() << kPresets
                             << QStringList { "0 Plexi, Bright|F2(2x12; Open), F1(4x12)",
                                    "1 Clean|", "2 Say \"hi\"\nthere|F5(IR), F5(IR), U65404()",
                                    "3 Empty|" };
    QTest::newRow("cabinets from 1")
        << scanned(1) << kCabs
        << QStringList { "F1(4x12)|1(Plexi, Bright)", "F2(2x12; Open)|1(Plexi, Bright)", "F3()|",
               "F4()|", "F5(IR)|3(Say \"hi\"\nthere), 3(Say \"hi\"\nthere)" };
    QTest::newRow("nothing scanned") << ScanResult() << kCabs << QStringList();
    // Never an empty cell or a missing cabinet where the unit did not answer.
    QTest::newRow("gaps, presets")
        << withGaps() << kPresets
        << QStringList { "*0 Plexi, Bright|F2(not read), F1(4x12)", "*1 (not read)|",
               "*2 Say \"hi\"\nthere|F5(IR), F5(IR), U65404(), (not read)",
               "*3 (not reached)|(not reached)" };
    QTest::newRow("gaps, cabinets")
        << withGaps() << kCabs
        << QStringList { "*F1(4x12)|0(Plexi, Bright), (not read), (not reached)",
               "*F2(not read)|0(Plexi, Bright), (not read), (not reached)",
               "*F3()|(not read), (not reached)", "*F4()|(not read), (not reached)",
               "*F5(IR)|2(Say \"hi\"\nthere), 2(Say \"hi\"\nthere), (not read), (not reached)" };
}

void TestTables::views()
{
    QFETCH(ScanResult, result);
    QFETCH(int, view);
    QFETCH(QStringList, shown);
    QCOMPARE(texts(result, view), shown);
}

void TestTables::unused_data()
{
    // The small layout: user slots U1 to U100 are cabinets 132 to 231. Preset 0 uses U1;
    // U3 is named, the rest are empty.
    ScanResult result(3, 0);
    result.presetNameStates.fill(ReadState::Read);
    result.cabNameStates.fill(ReadState::Read);
    result.usageStates.fill(ReadState::Read);
    result.cabNames[134] = "Spare";
    result.setUsage(0, { 132 }, ReadState::Read);
    result.indexCabs();
    QList<int> free { 134, 133 };
    for (int cab = 135; cab < 232; ++cab)
        free << cab;
    QTest::addColumn<ScanResult>("result");
    QTest::addColumn<QList<int>>("unused");
    QTest::newRow("every preset read") << result << free;
    // A slot whose name is unknown may hold a cabinet: not listed with the empty ones.
    ScanResult nameless = result;
    nameless.cabNameStates[133] = ReadState::NotRead;
    QTest::newRow("a slot's name not read") << nameless << (QList<int> { 133, 134 } + free.mid(2));
    // A preset whose cabinets are unknown may use any slot.
    for (ReadState state : { ReadState::NotRead, ReadState::NotReached }) {
        ScanResult gap = result;
        gap.setUsage(383, {}, state);
        QTest::newRow(qPrintable(ScanResult::stateText(state))) << gap << QList<int>();
    }
    QTest::newRow("nothing scanned") << ScanResult() << QList<int>();
}

void TestTables::unused()
{
    QFETCH(ScanResult, result);
    QFETCH(QList<int>, unused);
    QCOMPARE(unusedUserCabs(result), unused);
}

void TestTables::csv_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<ScanResult>("result");
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comma decimals, presets")
        << "de_DE" << scanned() << kPresets
        << "Preset;Cabs\n0 Plexi, Bright;\"F2(2x12; Open)\";F1(4x12)\n1 Clean;\n"
           "\"2 Say \"\"hi\"\"\nthere\";F5(IR);F5(IR);U65404()\n3 Empty;\n";
    QTest::newRow("point decimals, cabinets")
        << "en_US" << scanned() << kCabs
        << "Cab,Presets\nF1(4x12),\"0(Plexi, Bright)\"\nF2(2x12; Open),\"0(Plexi, Bright)\"\n"
           "F3(),\nF4(),\nF5(IR),\"2(Say \"\"hi\"\"\nthere)\",\"2(Say \"\"hi\"\"\nthere)\"\n";
    QTest::newRow("gaps") << "en_US" << withGaps() << kPresets
                          << "Preset,Cabs\n\"0 Plexi, Bright\",F2(not read),F1(4x12)\n"
                             "1 (not read),\n\"2 Say \"\"hi\"\"\nthere\",F5(IR),F5(IR),U65404(),"
                             "(not read)\n3 (not reached),(not reached)\n";
}

// Saved as the window and the scanner save; a file that cannot be made is reported.
void TestTables::csv()
{
    QFETCH(QString, locale);
    QFETCH(ScanResult, result);
    QFETCH(int, view);
    QFETCH(QString, expected);
    const QChar separator = CsvExport::separatorFor(QLocale(locale));
    const auto save = [&](const QString& path) {
        return CsvExport::save(path, CrossReference::View(view),
            CrossReference(result).rows(CrossReference::View(view)), separator);
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cabs.csv"));
    QVERIFY(!save(dir.filePath(QStringLiteral("gone/cabs.csv"))));
    QVERIFY(save(path));
    QCOMPARE(contents(path), expected);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ "cabs.csv" }));
}

QTEST_GUILESS_MAIN(TestTables)
#include "tst_tables.moc"
