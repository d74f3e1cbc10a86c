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

Q_DECLARE_METATYPE(SimFaults)

namespace {

enum Action { None, Esc, Close, EscAfterPortsClose, BackThenRefresh };
const QStringList kEnds { "finished", "aborted", "no device" };
// The search, the scan's display offset query and every name of the smaller layout.
constexpr int kRequestsBeforeUsage = 3 + 232 + 384;

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
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("lossy");
    const auto add = [](const char* name, const SimFaults& faults, const char* end, bool lossy,
                         Action action = None) {
        QTest::newRow(name) << faults << int(action) << QString::fromLatin1(end) << lossy;
    };
    SimFaults f[10];
    for (int function = 0; function <= 0x7F; ++function)
        f[0].unanswered.insert(quint8(function));
    f[1].dropRate = 0.01;
    f[2].dropRate = 0.1;
    f[3].delayMs = 5;
    f[4].tempoMs = 1;
    f[5].noiseMs = 1;
    f[6].echoBlockOffset = 1;
    f[7].echoCabOffset = 1;
    f[8].truncated = { 0x12, 0x15 };
    f[9].closeAfterRequests = 400;
    add("clean", SimFaults(), "finished", false);
    add("silence", f[0], "no device", true);
    add("drop-1%", f[1], "finished", true);
    add("drop-10%", f[2], "finished", true);
    add("delay-5ms", f[3], "finished", false);
    add("tempo-1ms", f[4], "finished", false);
    add("noise-1ms", f[5], "finished", false);
    add("echo-wrong-block", f[6], "finished", true);
    add("echo-wrong-cab", f[7], "finished", true);
    add("truncated-names", f[8], "finished", true);
    add("ports-close", f[9], "aborted", true, EscAfterPortsClose);
    add("back-then-refresh", f[9], "finished", false, BackThenRefresh);
    add("esc-in-usage", SimFaults(), "aborted", true, Esc);
    add("close-in-usage", SimFaults(), "aborted", true, Close);
}

void Soak::faults()
{
    QFETCH(SimFaults, faults);
    // Drops start once the unit is found, so that they never take the search's replies.
    const bool afterDiscovery = faults.dropRate > 0;
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
