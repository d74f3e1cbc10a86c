// SPDX-License-Identifier: MIT
// The cross-reference views and their CSV: what a scan enters in the usage vectors, the rows
// with either display offset and with vectors shorter than the device, the separator the
// locale asks for, fields quoted only where they must be, the same UTF-8 bytes and line
// ends on every system, the byte order mark a file starts with, and a file that cannot be
// made.
#include "catalogue.h"
#include "crossreference.h"
#include "csvexport.h"

#include <QtTest>

namespace {

// Cabinets are labelled "C<number>(<name>)", so a label shows which number it was made from.
class Names : public Catalogue {
public:
    int offset = 0;
    QStringList presets { "Plexi, Bright", "Clean", "Say \"hi\"\nthere", "Empty" };
    QStringList cabs { "4x12", "2x12; Open", QString(), QString(), "IR" };
    int presetCount() const override { return presets.size(); }
    int cabCount() const override { return cabs.size(); }
    int factoryCabCount() const override { return 2; }
    int displayOffset() const override { return offset; }
    QString presetName(int index) const override { return presets.value(index); }
    QString cabName(unsigned short n) const override
    {
        return QStringLiteral("C%1(%2)").arg(n).arg(cabs.value(n));
    }
    QString bareCabName(unsigned short n) const override { return cabs.value(n); }
};

enum Usage { Scanned, NothingYet, OnlyNames };
using Rows = QVector<CrossReference::Row>;

// Preset 0 uses cabinets 1 and 0, preset 2 uses 4 twice and -1, which is no cabinet.
Rows rows(Usage usage, int view, int extent, const Names& names)
{
    UsageLists presetCabs, cabPresets;
    if (usage == Scanned) {
        CrossReference::startScan(presetCabs, cabPresets, 4, 5);
        CrossReference::addPreset(presetCabs, cabPresets, 0, { 1, 0 });
        CrossReference::addPreset(presetCabs, cabPresets, 2, { 4, 4, -1 });
        CrossReference::addPreset(presetCabs, cabPresets, -1, { 2 });
        CrossReference::addPreset(presetCabs, cabPresets, 4, { 2 });
    } else if (usage == OnlyNames) {
        presetCabs = { { 1 } };
        cabPresets = { {}, { 0 } };
    }
    return CrossReference(names, presetCabs, cabPresets)
        .rows(CrossReference::View(view), CrossReference::Extent(extent));
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "(missing)";
}

const int kPresets = CrossReference::PresetCabs, kCabs = CrossReference::CabPresets;
const int kScanned = CrossReference::Scanned, kFull = CrossReference::Full;

} // namespace

class TestTables : public QObject {
    Q_OBJECT

private slots:
    void views_data();
    void views();
    void csv_data();
    void csv();
};

void TestTables::views_data()
{
    QTest::addColumn<int>("usage");
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("extent");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("presets") << int(Scanned) << kPresets << kScanned << 0
                             << QStringList { "0 Plexi, Bright|C1(2x12; Open), C0(4x12)",
                                    "1 Clean|", "2 Say \"hi\"\nthere|C4(IR), C4(IR), C65535()",
                                    "3 Empty|" };
    QTest::newRow("cabinets from 1")
        << int(Scanned) << kCabs << kFull << 1
        << QStringList { "C0(4x12)|1(Plexi, Bright)", "C1(2x12; Open)|1(Plexi, Bright)", "C2()|",
               "C3()|", "C4(IR)|3(Say \"hi\"\nthere), 3(Say \"hi\"\nthere)" };
    QTest::newRow("nothing scanned") << int(NothingYet) << kCabs << kScanned << 0 << QStringList();
    QTest::newRow("nothing scanned, whole device, from 1")
        << int(NothingYet) << kPresets << kFull << 1
        << QStringList { "1 Plexi, Bright|", "2 Clean|", "3 Say \"hi\"\nthere|", "4 Empty|" };
    // An export from inside the name phases of a first scan: vectors shorter than the device.
    QTest::newRow("short vectors") << int(OnlyNames) << kCabs << kFull << 0
                                   << QStringList { "C0(4x12)|", "C1(2x12; Open)|0(Plexi, Bright)",
                                          "C2()|", "C3()|", "C4(IR)|" };
}

void TestTables::views()
{
    QFETCH(int, usage);
    QFETCH(int, view);
    QFETCH(int, extent);
    QFETCH(int, offset);
    QFETCH(QStringList, shown);
    Names names;
    names.offset = offset;
    QStringList texts;
    for (const CrossReference::Row& row : rows(Usage(usage), view, extent, names))
        texts << row.key + '|' + row.entries.join(", ");
    QCOMPARE(texts, shown);
}

void TestTables::csv_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("foreignNames");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("comma decimals, presets")
        << "de_DE" << kPresets << false
        << QByteArray("Preset;Cabs\n0 Plexi, Bright;\"C1(2x12; Open)\";C0(4x12)\n1 Clean;\n"
                      "\"2 Say \"\"hi\"\"\nthere\";C4(IR);C4(IR);C65535()\n3 Empty;\n");
    QTest::newRow("point decimals, cabinets")
        << "en_US" << kCabs << false
        << QByteArray("Cab,Presets\nC0(4x12),\"0(Plexi, Bright)\"\nC1(2x12; Open),\"0(Plexi, "
                      "Bright)\"\nC2(),\nC3(),\nC4(IR),\"2(Say \"\"hi\"\"\nthere)\",\"2(Say "
                      "\"\"hi\"\"\nthere)\"\n");
    // Names no legacy code page holds together: an en dash, a u umlaut, Cyrillic letters.
    QTest::newRow("names outside ASCII, presets")
        << "en_US" << kPresets << true
        << QByteArray("Preset,Cabs\n0 Fuzz \xE2\x80\x93 Gr\xC3\xBCn,C1(\xD0\x9A\xD0\xB0\xD0\xB1 "
                      "2x12),C0(4x12)\n1 Clean,\n\"2 Say \"\"hi\"\"\nthere\",C4(IR),C4(IR),"
                      "C65535()\n3 Empty,\n");
}

// Saved as the window and the scanner save a file, with the byte order mark; written as the
// scanner writes standard output, without. A file that cannot be made is reported.
void TestTables::csv()
{
    QFETCH(QString, locale);
    QFETCH(int, view);
    QFETCH(bool, foreignNames);
    QFETCH(QByteArray, expected);
    Names names;
    if (foreignNames) {
        names.presets[0] = QString::fromUtf8("Fuzz \xE2\x80\x93 Gr\xC3\xBCn");
        names.cabs[1] = QString::fromUtf8("\xD0\x9A\xD0\xB0\xD0\xB1 2x12");
    }
    const QList<CsvExport::Table> tables { { CrossReference::View(view),
        rows(Scanned, view, kFull, names) } };
    const QChar separator = CsvExport::separatorFor(QLocale(locale));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cabs.csv"));
    QVERIFY(!CsvExport::save(dir.filePath(QStringLiteral("gone/cabs.csv")), tables, separator));
    QVERIFY(CsvExport::save(path, tables, separator));
    QCOMPARE(contents(path), "\xEF\xBB\xBF" + expected);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ "cabs.csv" }));

    QBuffer stream;
    QVERIFY(stream.open(QIODevice::WriteOnly));
    QVERIFY(CsvExport::write(stream, tables, separator));
    QCOMPARE(stream.data(), expected);
}

QTEST_GUILESS_MAIN(TestTables)
#include "tst_tables.moc"
