// tollmark-scan run as a program against the simulated unit: its CSV is the window's export
// of the same bank, and each way it can end gives its exit status, its one line on standard
// error and no half-written output.
#include "axefxsim.h"
#include "catalogue.h"
#include "crossreference.h"
#include "csvexport.h"

#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

constexpr int kScanTimeoutMs = 120000;

// The names the bank holds, read as the device link reads them (blank runs collapsed) and
// labelled as the device's catalogue labels them.
class BankCatalogue : public Catalogue {
public:
    explicit BankCatalogue(const SimBank& bank)
        : bank(bank)
    { }

    int presetCount() const override { return bank.presetCount(); }
    int cabCount() const override { return bank.cabCount(); }
    int displayOffset() const override { return bank.displayOffset; }
    QString presetName(int index) const override
    {
        return bank.presets.value(index).name.simplified();
    }
    QString cabName(unsigned short number) const override
    {
        const int factory = bank.factoryCabCount();
        const QString label = number < factory ? QStringLiteral("F%1").arg(number + 1)
                                               : QStringLiteral("U%1").arg(number + 1 - factory);
        return label + QStringLiteral("(%1)").arg(bank.cabNames.value(number).simplified());
    }

private:
    const SimBank& bank;
};

// What the window's CSV export writes for the bank after a complete scan.
QByteArray windowExport(const SimBank& bank, CrossReference::View view, const QString& path)
{
    UsageLists presetCabs;
    UsageLists cabPresets;
    CrossReference::startScan(presetCabs, cabPresets, bank.presetCount(), bank.cabCount());
    for (int p = 0; p < bank.presetCount(); ++p)
        CrossReference::addPreset(presetCabs, cabPresets, p, bank.expectedCabs(p));
    const BankCatalogue names(bank);
    const auto rows
        = CrossReference(names, presetCabs, cabPresets).rows(view, CrossReference::Full);
    if (!CsvExport::save(path, view, rows, CsvExport::separatorFor(QLocale::system())))
        return QByteArray();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    // The program's own last line; the MIDI service may write lines of its own before it.
    QString lastErrorLine() const
    {
        const QList<QByteArray> lines = err.trimmed().split('\n');
        return QString::fromLocal8Bit(lines.last());
    }
};

class Scanner {
public:
    void start(const QStringList& arguments)
    {
        process.start(QStringLiteral(TOLLMARK_SCAN_PROGRAM), arguments);
        process.waitForStarted();
    }

    Result finish()
    {
        Result result;
        if (!process.waitForFinished(kScanTimeoutMs)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    void interrupt() { ::kill(pid_t(process.processId()), SIGINT); }

private:
    QProcess process;
};

Result scan(const QStringList& arguments)
{
    Scanner scanner;
    scanner.start(arguments);
    return scanner.finish();
}

// A bank whose names put the CSV's quoting to work, shown from preset 1.
SimBank testBank()
{
    SimBank bank = SimBank::builtIn(3);
    bank.displayOffset = 1;
    bank.presets[2].name = QStringLiteral("Lead, \"boosted\"");
    bank.cabNames[5] = QStringLiteral("4x12, closed");
    return bank;
}

// Requests the simulated unit gets before the cabinet-usage phase: model and display
// offset queries, then one per cabinet name and one per preset name.
int requestsBeforeUsage(const SimBank& bank)
{
    return 2 + bank.cabCount() + bank.presetCount();
}

} // namespace

class TestTollmarkScan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void bothViewsToStandardOutput();
    void viewToFile();
    void noDevice();
    void interrupted_data();
    void interrupted();
    void unwritableOutput_data();
    void unwritableOutput();
    void listsPorts();

private:
    bool startSim(AxeFxSim& sim);

    QTemporaryDir scratch;
};

void TestTollmarkScan::initTestCase()
{
    QVERIFY(scratch.isValid());
    QVERIFY(QFileInfo(QStringLiteral(TOLLMARK_SCAN_PROGRAM)).isExecutable());
}

bool TestTollmarkScan::startSim(AxeFxSim& sim)
{
    QString error;
    const bool started = sim.start(&error);
    if (!started)
        qWarning().noquote() << error;
    return started;
}

void TestTollmarkScan::bothViewsToStandardOutput()
{
    const SimBank bank = testBank();
    AxeFxSim sim(bank);
    QVERIFY(startSim(sim));

    const Result result = scan({ QStringLiteral("--view"), QStringLiteral("both") });
    QVERIFY2(result.exitCode == 0, result.err.constData());
    const QByteArray presets
        = windowExport(bank, CrossReference::PresetCabs, scratch.filePath("presets.csv"));
    const QByteArray cabs
        = windowExport(bank, CrossReference::CabPresets, scratch.filePath("cabs.csv"));
    QVERIFY(presets.startsWith("Preset,Cabs\n1 "));
    QVERIFY(presets.contains("\n\"3 Lead, \"\"boosted\"\"\","));
    QCOMPARE(result.out, presets + '\n' + cabs);

    // Not a terminal: one plain line per step, each phase climbing to 100 %.
    const QString err = QString::fromLocal8Bit(result.err);
    for (const char* phase : { "Cab names", "Preset names", "Cabs per preset" })
        QVERIFY2(err.contains(QStringLiteral("%1: 100%\n").arg(QLatin1String(phase))), phase);
    QVERIFY(!err.contains(QLatin1Char('\r')));
    QCOMPARE(sim.bank().currentPreset, 0);
}

void TestTollmarkScan::viewToFile()
{
    const SimBank bank = testBank();
    AxeFxSim sim(bank);
    QVERIFY(startSim(sim));
    const QString path = scratch.filePath(QStringLiteral("rig.csv"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older table that is longer than nothing\n");
    }

    const Result result
        = scan({ QStringLiteral("--view"), QStringLiteral("cabs"), QStringLiteral("-o"), path });
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QVERIFY(result.out.isEmpty());
    const QByteArray expected
        = windowExport(bank, CrossReference::CabPresets, scratch.filePath("window.csv"));
    QVERIFY(expected.contains("\n\"F6(4x12, closed)\","));
    QCOMPARE(readFile(path), expected);
}

void TestTollmarkScan::noDevice()
{
    const QString path = scratch.filePath(QStringLiteral("none.csv"));
    const Result result = scan({ QStringLiteral("-o"), path });
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.lastErrorLine().startsWith(QLatin1String("tollmark-scan: no AxeFx found")),
        result.err.constData());
    QVERIFY(!QFile::exists(path));
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
    QVERIFY(startSim(sim));
    const QString path = scratch.filePath(QStringLiteral("interrupted.csv"));
    QFile::remove(path);

    Scanner scanner;
    QStringList arguments { QStringLiteral("-o"), path };
    if (keepPartial)
        arguments << QStringLiteral("--keep-partial");
    scanner.start(arguments);
    // Into the usage phase: a few presets read, most not.
    QVERIFY(sim.waitForRequests(requestsBeforeUsage(bank) + 20, kScanTimeoutMs));
    scanner.interrupt();
    const Result result = scanner.finish();

    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.lastErrorLine().startsWith(QLatin1String("tollmark-scan: scan interrupted")),
        result.err.constData());
    // Stopped before the next preset: the device was not sent back to preset 0 at the end.
    QVERIFY(sim.bank().currentPreset > 0);
    QVERIFY(sim.bank().currentPreset < bank.presetCount() - 1);
    if (!keepPartial) {
        QVERIFY(!QFile::exists(path));
        return;
    }
    const QList<QByteArray> lines = readFile(path).split('\n');
    // The header, every preset, and the empty piece after the last line's end.
    QCOMPARE(lines.size(), bank.presetCount() + 2);
    QCOMPARE(lines.at(1),
        windowExport(bank, CrossReference::PresetCabs, scratch.filePath("w.csv"))
            .split('\n')
            .at(1));
    // Presets the scan did not reach list no cabinets.
    QVERIFY(lines.at(bank.presetCount()).endsWith(','));
}

void TestTollmarkScan::unwritableOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("missing folder") << QStringLiteral("no/such/folder/rig.csv");
    QTest::newRow("a folder") << QString();
}

void TestTollmarkScan::unwritableOutput()
{
    QFETCH(QString, output);
    const QString path = output.isEmpty() ? scratch.path() : scratch.filePath(output);
    AxeFxSim sim(testBank());
    QVERIFY(startSim(sim));

    const Result result = scan({ QStringLiteral("--output"), path });
    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.lastErrorLine().startsWith(QLatin1String("tollmark-scan: ")),
        result.err.constData());
    QVERIFY(result.lastErrorLine().contains(QDir(path).dirName()));
    // Known before the scan starts: the device hears nothing.
    QTest::qWait(200);
    QCOMPARE(sim.requestCount(), 0);
}

void TestTollmarkScan::listsPorts()
{
    AxeFxSim sim;
    QVERIFY(startSim(sim));
    const Result result = scan({ QStringLiteral("--list-ports") });
    QCOMPARE(result.exitCode, 0);
    const QString out = QString::fromLocal8Bit(result.out);
    const int inputs = out.indexOf(QLatin1String("Input ports:"));
    const int outputs = out.indexOf(QLatin1String("Output ports:"));
    QVERIFY2(inputs == 0 && outputs > inputs, qPrintable(out));
    // The unit's output is where the program's input reads from, and the other way round.
    const int simOut = out.indexOf(sim.portNames().output);
    const int simIn = out.indexOf(sim.portNames().input);
    QVERIFY2(simOut > inputs && simOut < outputs, qPrintable(out));
    QVERIFY2(simIn > outputs, qPrintable(out));
    QCOMPARE(sim.requestCount(), 0);
}

QTEST_GUILESS_MAIN(TestTollmarkScan)
#include "tst_tollmarkscan.moc"
