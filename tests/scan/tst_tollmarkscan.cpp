// tollmark-scan run as a program: its command line, and against the simulated unit its CSV
// (the window's export of the same bank), each way it can end with its exit status and one
// line on standard error, and no half-written output.
#include "axefxsim.h"
#include "bankexport.h"
#include "programrun.h"

#include <QtTest>

namespace {

const QString kProgram = QStringLiteral(TOLLMARK_SCAN_PROGRAM);
const QChar separator = CsvExport::separatorFor(QLocale::system());

// Names that put the quoting to work, shown from preset 1.
SimBank testBank()
{
    SimBank bank = SimBank::builtIn(3);
    bank.displayOffset = 1;
    bank.presets[2].name = QStringLiteral("Lead, \"boosted\"");
    bank.cabNames[5] = QStringLiteral("4x12, closed");
    return bank;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTollmarkScan : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void completeScan_data();
    void completeScan();
    void interrupted_data();
    void interrupted();
    void unwritableOutput();
    void noDeviceThenPorts();

private:
    QTemporaryDir scratch;
};

void TestTollmarkScan::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("help") << QStringList { "--help" } << 0 << "--keep-partial";
    QTest::newRow("unknown view") << QStringList { "--view", "tables" } << 64 << "tables";
    QTest::newRow("-o without file") << QStringList { "-o" } << 64 << "tollmark-scan: ";
    QTest::newRow("empty file name") << QStringList { "--output=" } << 64 << "empty";
    QTest::newRow("unknown option") << QStringList { "--views" } << 64 << "views";
    QTest::newRow("stray argument") << QStringList { "rig.csv" } << 64 << "rig.csv";
}

void TestTollmarkScan::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    ProgramRun run(kProgram, arguments);
    QCOMPARE(run.finish(), status);
    QVERIFY2(
        QString::fromLocal8Bit(status ? run.err : run.out).contains(says), run.err.constData());
}

void TestTollmarkScan::completeScan_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<bool>("toFile");
    QTest::newRow("both to standard output") << "both" << false;
    QTest::newRow("cabinets to a file") << "cabs" << true;
}

void TestTollmarkScan::completeScan()
{
    QFETCH(QString, view);
    QFETCH(bool, toFile);
    const SimBank bank = testBank();
    AxeFxSim sim(bank);
    QVERIFY(sim.start());
    const QString path = scratch.filePath(QStringLiteral("rig.csv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older table, longer than nothing\n");
    old.close();

    ProgramRun run(kProgram,
        QStringList { "--view", view } + (toFile ? QStringList { "-o", path } : QStringList()));
    QVERIFY2(run.finish() == 0, run.err.constData());
    QString expected = bankCsv(bank, CrossReference::CabPresets, separator);
    if (!toFile)
        expected.prepend(bankCsv(bank, CrossReference::PresetCabs, separator) + '\n');
    QCOMPARE(QString::fromLocal8Bit(toFile ? fileBytes(path) : run.out), expected);
    QCOMPARE(run.out.isEmpty(), toFile);
    QCOMPARE(sim.bank().currentPreset, 0);
}

void TestTollmarkScan::interrupted_data()
{
    QTest::addColumn<bool>("keepPartial");
    QTest::newRow("nothing written") << false;
    QTest::newRow("--keep-partial") << true;
}

void TestTollmarkScan::interrupted()
{
    QFETCH(bool, keepPartial);
    const SimBank bank = testBank();
    AxeFxSim sim(bank);
    QVERIFY(sim.start());
    const QString path = scratch.filePath(QStringLiteral("interrupted.csv"));
    QFile::remove(path);
    ProgramRun run(kProgram, { "-o", path, keepPartial ? "--keep-partial" : "--view=presets" });
    // Into the cabinet usage: the search, the display offset and every name, then a few presets.
    QVERIFY(sim.waitForRequests(3 + bank.cabCount() + bank.presetCount() + 20, 120000));
    run.interrupt();
    QCOMPARE(run.finish(), 2);
    QVERIFY2(
        run.lastErrorLine().startsWith("tollmark-scan: scan interrupted"), run.err.constData());
    const int reached = sim.bank().currentPreset;
    QVERIFY(reached > 0 && reached < bank.presetCount() - 1);
    if (!keepPartial) {
        QVERIFY(!QFile::exists(path));
        return;
    }
    // Every preset, those the scan reached with their cabinets and the rest without.
    QCOMPARE(QString::fromLocal8Bit(fileBytes(path)),
        bankCsv(bank, CrossReference::PresetCabs, separator, reached + 1));
}

void TestTollmarkScan::unwritableOutput()
{
    AxeFxSim sim(testBank());
    QVERIFY(sim.start());
    for (const QString& path : { scratch.filePath("no/such/folder/rig.csv"), scratch.path() }) {
        ProgramRun run(kProgram, { "--output", path });
        QCOMPARE(run.finish(), 3);
        QVERIFY2(run.lastErrorLine().contains(QDir(path).dirName()), run.err.constData());
    }
    // Known before the scan: the unit heard nothing.
    QCOMPARE(sim.requestCount(), 0);
}

void TestTollmarkScan::noDeviceThenPorts()
{
    const QString path = scratch.filePath(QStringLiteral("none.csv"));
    ProgramRun none(kProgram, { "-o", path });
    QCOMPARE(none.finish(), 1);
    QVERIFY2(
        none.lastErrorLine().startsWith("tollmark-scan: no AxeFx found"), none.err.constData());
    QVERIFY(!QFile::exists(path));

    AxeFxSim sim;
    QVERIFY(sim.start());
    ProgramRun ports(kProgram, { "--list-ports" });
    QCOMPARE(ports.finish(), 0);
    // The unit's output is where the program reads from, and the other way round.
    const QString out = QString::fromLocal8Bit(ports.out);
    const int outputs = out.indexOf("Output ports:");
    QVERIFY2(out.startsWith("Input ports:") && outputs > 0, qPrintable(out));
    QVERIFY(out.indexOf(sim.portNames().output) < outputs);
    QVERIFY(out.indexOf(sim.portNames().input) > outputs);
    QCOMPARE(sim.requestCount(), 0);
}

QTEST_GUILESS_MAIN(TestTollmarkScan)
#include "tst_tollmarkscan.moc"
