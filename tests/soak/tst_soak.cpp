// The fault soak, run by scripts/soak and not by CTest, for it takes minutes: the window scans
// the simulated unit showing one fault, or with a user who aborts. The scan ends as the case
// says; the CSV it exports is the bank's to the byte, or, where replies were lost, may miss
// names and cabinets but never shows one the unit does not hold. Each case prints its row.
#include "axefxsim.h"
#include "bankexport.h"
#include "guitestmain.h"
#include "mainwindow.h"
#include "savedialog.h"

#include <QRegularExpression>
#include <QTableWidget>

#include <cstdio>
#include <functional>

Q_DECLARE_METATYPE(SimFaults)

namespace {

enum Action { None, Esc, Close, EscAfterPortsClose, BackThenRefresh };
const QStringList kEnds { "finished", "aborted", "no device" };
// The search, the scan's display offset query and every name of the smaller layout.
constexpr int kRequestsBeforeUsage = 3 + 232 + 384;

SimFaults with(const std::function<void(SimFaults&)>& set)
{
    SimFaults faults;
    set(faults);
    return faults;
}

// The cabinet labels in a cell (F61, U5), in order, whatever names they carry.
QStringList labels(const QString& cell)
{
    QStringList found;
    auto it = QRegularExpression(QStringLiteral("\\b[FU]\\d+\\(")).globalMatch(cell);
    while (it.hasNext())
        found << it.next().captured();
    return found;
}

} // namespace

class Soak : public QObject {
    Q_OBJECT

private slots:
    void faults_data();
    void faults();
};

void Soak::faults_data()
{
    QTest::addColumn<SimFaults>("faults");
    QTest::addColumn<bool>("afterDiscovery"); // so drops never take the search's replies
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("lossy");
    SimFaults silence;
    for (int function = 0; function <= 0x7F; ++function)
        silence.unanswered.insert(quint8(function));
    const SimFaults portsClose = with([](SimFaults& f) { f.closeAfterRequests = 400; });

    QTest::newRow("clean") << SimFaults() << false << int(None) << "finished" << false;
    QTest::newRow("silence") << silence << false << int(None) << "no device" << true;
    QTest::newRow("drop-1%") << with([](SimFaults& f) { f.dropRate = 0.01; }) << true << int(None)
                             << "finished" << true;
    QTest::newRow("drop-10%") << with([](SimFaults& f) { f.dropRate = 0.1; }) << true << int(None)
                              << "finished" << true;
    QTest::newRow("delay-5ms") << with([](SimFaults& f) { f.delayMs = 5; }) << false << int(None)
                               << "finished" << false;
    QTest::newRow("tempo-1ms") << with([](SimFaults& f) { f.tempoMs = 1; }) << false << int(None)
                               << "finished" << false;
    QTest::newRow("noise-1ms") << with([](SimFaults& f) { f.noiseMs = 1; }) << false << int(None)
                               << "finished" << false;
    QTest::newRow("echo-wrong-block") << with([](SimFaults& f) { f.echoBlockOffset = 1; }) << false
                                      << int(None) << "finished" << true;
    QTest::newRow("echo-wrong-cab") << with([](SimFaults& f) { f.echoCabOffset = 1; }) << false
                                    << int(None) << "finished" << true;
    QTest::newRow("truncated-names") << with([](SimFaults& f) {
        f.truncated = { 0x12, 0x15 };
    }) << false << int(None) << "finished"
                                     << true;
    QTest::newRow("ports-close") << portsClose << false << int(EscAfterPortsClose) << "aborted"
                                 << true;
    QTest::newRow("back-then-refresh")
        << portsClose << false << int(BackThenRefresh) << "finished" << false;
    QTest::newRow("esc-in-usage") << SimFaults() << false << int(Esc) << "aborted" << true;
    QTest::newRow("close-in-usage") << SimFaults() << false << int(Close) << "aborted" << true;
}

void Soak::faults()
{
    QFETCH(SimFaults, faults);
    QFETCH(bool, afterDiscovery);
    QFETCH(int, action);
    QFETCH(QString, end);
    QFETCH(bool, lossy);
    QStandardPaths::setTestModeEnabled(true);
    const SimBank bank = SimBank::builtIn(3);
    AxeFxSim sim(bank);
    sim.setFaults(afterDiscovery ? SimFaults() : faults);
    QVERIFY(sim.start());
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("soak.csv"));

    // The user: saves the CSV a complete scan offers, and aborts as the case says (after
    // the ports closed, once two requests have waited out their second of silence).
    QElapsedTimer clock;
    qint64 actedAt = -1, portsClosedAt = -1;
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
        if (afterDiscovery && sim.requestCount() >= 2 && sim.faults().dropRate == 0.0)
            sim.setFaults(faults);
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            acceptFileName(*dialog, csv);
        MainWindow* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            w = w ? w : qobject_cast<MainWindow*>(top);
        if (!w || action == None || actedAt >= 0)
            return;
        if (action == Esc || action == Close) {
            if (sim.requestCount() < kRequestsBeforeUsage + 160)
                return;
        } else if (portsClosedAt < 0 || clock.elapsed() - portsClosedAt < 2000) {
            if (portsClosedAt < 0 && !sim.isRunning())
                portsClosedAt = clock.elapsed();
            return;
        }
        actedAt = clock.elapsed();
        if (action == Close)
            w->close();
        else
            QTest::keyClick(w, Qt::Key_Escape);
    });
    user.start(5);
    clock.start();
    MainWindow w;
    if (action == BackThenRefresh) {
        sim.setFaults(SimFaults());
        QVERIFY(sim.start());
        w.refresh();
    }
    const qint64 ms = clock.elapsed() - (action == BackThenRefresh ? 0 : qMax<qint64>(actedAt, 0));
    user.stop();

    const QString ended = QFile::exists(csv) ? kEnds.at(0)
        : sim.requestCount() > 2             ? kEnds.at(1)
                                             : kEnds.at(2);
    std::printf("| %s | %s | %d | %lld |\n", QTest::currentDataTag(), qPrintable(ended),
        sim.requestCount(), ms);
    std::fflush(stdout);
    QCOMPARE(ended, end);
    if (ended != kEnds.at(0))
        return;
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    if (!lossy) {
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QCOMPARE(QString::fromLocal8Bit(file.readAll()),
            bankCsv(bank, CrossReference::PresetCabs, separator));
        return;
    }
    // Lost names show empty and lost cabinets are missing; nothing else may differ.
    const auto rows = bankRows(bank, CrossReference::PresetCabs);
    auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    QCOMPARE(table->rowCount(), rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const QString key = table->item(r, 0)->text();
        QVERIFY2(rows.at(r).key.startsWith(key) && key.startsWith(QString::number(r) + ' '),
            qPrintable(key));
        const QStringList all = labels(rows.at(r).entries.join(", "));
        int at = 0;
        for (const QString& label : labels(table->item(r, 1)->text())) {
            while (at < all.size() && all.at(at) != label)
                ++at;
            QVERIFY2(at++ < all.size(), qPrintable(table->item(r, 1)->text()));
        }
    }
}

TOLLMARK_GUI_TEST_MAIN(Soak)
#include "tst_soak.moc"
