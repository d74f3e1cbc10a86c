// The main window against the simulated unit on a private JACK server: its form, look and
// settings, the scan with its progress and aborts, the two views and the exports.
#include "axefxsim.h"
#include "csvexport.h"
#include "guitestmain.h"
#include "mainwindow.h"
#include "qrtmididata.h"
#include "savedialog.h"
#include "simrequest.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTableWidget>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace {

// Answers every save dialog the window opens: with the given file, or cancels when it is
// empty; remembers what each dialog showed.
class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(const QString& fileName = QString())
        : fileName(fileName)
    {
        connect(&poll, &QTimer::timeout, this, &DialogAnswer::answer);
        poll.start(10);
    }

    QString fileName;
    int count = 0;
    QString caption;
    QString directory;
    QStringList filters;

private:
    void answer()
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (dialog != seen) {
            seen = dialog;
            ++count;
            caption = dialog->windowTitle();
            directory = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
        }
        if (fileName.isEmpty()) {
            dialog->reject();
            return;
        }
        acceptFileName(*dialog, fileName);
    }

    QPointer<QFileDialog> seen;
    QTimer poll;
};

// Runs `act` on the GUI thread, once, when the unit receives the first request for which
// `match` holds; the scan's waits deliver it between two device transactions.
class OnRequest : public QObject {
public:
    OnRequest(
        AxeFxSim& sim, std::function<bool(const SimRequest&)> match, std::function<void()> act)
    {
        connect(
            &sim, &AxeFxSim::requestReceived, this,
            [this, match, act](const QByteArray& bytes) {
                if (!done && match(SimRequest::parse(bytes))) {
                    done = true;
                    act();
                }
            },
            Qt::QueuedConnection);
    }

    bool done = false;
};

QList<SimRequest> parsed(const QList<QByteArray>& requests)
{
    QList<SimRequest> out;
    for (const QByteArray& r : requests)
        out << SimRequest::parse(r);
    return out;
}

int countOf(const QList<SimRequest>& requests, SimRequest::Kind kind)
{
    int n = 0;
    for (const SimRequest& r : requests)
        n += r.kind == kind ? 1 : 0;
    return n;
}

// The label a correct catalogue gives a cabinet of the bank.
QString cabLabel(const SimBank& bank, int cab)
{
    const bool factory = cab < bank.factoryCabCount();
    const int number = factory ? cab + 1 : cab - bank.factoryCabCount() + 1;
    return QStringLiteral("%1%2(%3)")
        .arg(factory ? 'F' : 'U')
        .arg(number)
        .arg(bank.cabNames.value(cab).simplified());
}

QString presetLabel(const SimBank& bank, int preset)
{
    return QString::number(preset + bank.displayOffset) + QLatin1Char(' ')
        + bank.presets.at(preset).name.simplified();
}

QStringList column(const QTableWidget* table, int col)
{
    QStringList texts;
    for (int r = 0; r < table->rowCount(); ++r)
        texts << (table->item(r, col) ? table->item(r, col)->text() : QStringLiteral("<none>"));
    return texts;
}

QStringList headers(const QTableWidget* table)
{
    return { table->horizontalHeaderItem(0)->text(), table->horizontalHeaderItem(1)->text() };
}

QStringList fileLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void firstStartWithoutDevice();
    void languageChangeReappliesTexts();
    void geometryIsRestored();
    void exportBeforeTheFirstScan_data();
    void exportBeforeTheFirstScan();
    void failedExportKeepsFileAndFolder();
    void pdfExport();
    void completeScanFromRefresh();
    void scanAtStartUpWithDisplayOffsetOne();
    void stopDuringUsage_data();
    void stopDuringUsage();
    void escStopsSilentNamePhases();

private:
    static QTableWidget* table(MainWindow& w);
    static QProgressBar* statusProgress(MainWindow& w);
    static QLabel* overlayLabel(MainWindow& w);
    void checkTables(MainWindow& w, const SimBank& bank);
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("tollmark.test"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tollmark.test"));
    QCoreApplication::setApplicationName(QStringLiteral("Tollmark"));
}

void TestMainWindow::init()
{
    QSettings settings;
    settings.clear();
    settings.sync();
}

QTableWidget* TestMainWindow::table(MainWindow& w)
{
    return w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
}

QProgressBar* TestMainWindow::statusProgress(MainWindow& w)
{
    return w.statusBar()->findChild<QProgressBar*>();
}

QLabel* TestMainWindow::overlayLabel(MainWindow& w)
{
    for (QLabel* label : w.findChildren<QLabel*>()) {
        if (label->objectName().isEmpty() && label->parentWidget() != w.statusBar())
            return label;
    }
    return nullptr;
}

void TestMainWindow::firstStartWithoutDevice()
{
    DialogAnswer answer;
    MainWindow w;
    QVERIFY(w.isVisible());
    QCOMPARE(w.size(), QSize(851, 507));
    QCOMPARE(w.windowTitle(), QStringLiteral("Tollmark 1.2"));
    QCOMPARE(answer.count, 0);

    auto* presetView = w.findChild<QRadioButton*>(QStringLiteral("radioButton_PresetVersCab"));
    auto* cabView = w.findChild<QRadioButton*>(QStringLiteral("radioButton_CabVersPreset"));
    QVERIFY(presetView && cabView);
    QVERIFY(presetView->isChecked());
    QCOMPARE(presetView->text(), QStringLiteral("Preset -> Cabs"));
    QCOMPARE(cabView->text(), QStringLiteral("Cab -> Presets"));

    auto* menu = w.findChild<QMenu*>(QStringLiteral("menuTollbook"));
    QVERIFY(menu);
    QCOMPARE(menu->title(), QStringLiteral("Tollbook"));
    const QList<QAction*> entries = menu->actions();
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries.at(0)->text(), QStringLiteral("Export as CSV"));
    QVERIFY(entries.at(1)->isSeparator());
    QCOMPARE(entries.at(2)->text(), QStringLiteral("Refresh"));
    auto* pdf = w.findChild<QAction*>(QStringLiteral("actionExport_as_PDF"));
    QVERIFY(pdf);
    QVERIFY(pdf->associatedWidgets().isEmpty());

    // The style sheets wrap the style; its standard palette, Fusion's own, shows through.
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    const std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
    const QColor styleWindow = QApplication::style()->standardPalette().color(QPalette::Window);
    QCOMPARE(styleWindow, fusion->standardPalette().color(QPalette::Window));
    QVERIFY(styleWindow != windows->standardPalette().color(QPalette::Window));
    QCOMPARE(
        QApplication::palette().color(QPalette::Disabled, QPalette::Window), QColor(53, 53, 53));
    QCOMPARE(QApplication::palette().color(QPalette::Inactive, QPalette::Highlight),
        QColor(42, 130, 218));
    QCOMPARE(qApp->styleSheet().size(), 669);
    QVERIFY(qApp->styleSheet().endsWith(QStringLiteral("QMenu::item:disabled{ color: #000000;}")));
    QCOMPARE(table(w)->styleSheet().size(), 235);
    QCOMPARE(menu->styleSheet(),
        QStringLiteral("background-color: #4d4d4d; selection-background-color: #2A82DA;"));

    auto* donate = w.findChild<QLabel*>(QStringLiteral("label"));
    QVERIFY(donate && donate->openExternalLinks());
    QVERIFY(donate->text().contains(QStringLiteral("href=")));
    QVERIFY(donate->text().contains(QStringLiteral("Please donate if you like this tool :)")));

    QCOMPARE(table(w)->rowCount(), 0);
    QCOMPARE(headers(table(w)), QStringList({ "Preset", "Cabs" }));
    cabView->click();
    QVERIFY(cabView->isChecked());
    QCOMPARE(headers(table(w)), QStringList({ "Cab", "Presets" }));
    QCOMPARE(table(w)->rowCount(), 0);

    // Esc when idle changes nothing, and Refresh without a device opens nothing.
    QTest::keyClick(&w, Qt::Key_Escape);
    w.findChild<QAction*>(QStringLiteral("actionRefresh"))->trigger();
    QCOMPARE(headers(table(w)), QStringList({ "Cab", "Presets" }));
    QVERIFY(!overlayLabel(w));
    QCOMPARE(answer.count, 0);
    QVERIFY(w.isVisible());
}

void TestMainWindow::languageChangeReappliesTexts()
{
    MainWindow w;
    auto* refresh = w.findChild<QAction*>(QStringLiteral("actionRefresh"));
    auto* cabView = w.findChild<QRadioButton*>(QStringLiteral("radioButton_CabVersPreset"));
    w.setWindowTitle(QStringLiteral("changed"));
    refresh->setText(QStringLiteral("changed"));
    cabView->setText(QStringLiteral("changed"));

    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(&w, &change);
    QCOMPARE(w.windowTitle(), QStringLiteral("Tollmark 1.2"));
    QCOMPARE(refresh->text(), QStringLiteral("Refresh"));
    QCOMPARE(cabView->text(), QStringLiteral("Cab -> Presets"));
}

void TestMainWindow::geometryIsRestored()
{
    QRect saved;
    {
        MainWindow w;
        w.resize(640, 420);
        w.move(40, 30);
        QVERIFY(w.close());
        saved = w.geometry();
    }
    QVERIFY(QSettings().contains(QStringLiteral("geometry")));
    QVERIFY(QSettings().contains(QStringLiteral("windowState")));
    MainWindow again;
    QCOMPARE(again.size(), QSize(640, 420));
    // The offscreen platform adds its own frame offset vertically; the horizontal place and
    // the size come back as they were.
    QCOMPARE(again.geometry().x(), saved.x());
}

void TestMainWindow::exportBeforeTheFirstScan_data()
{
    QTest::addColumn<bool>("cabView");
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("lines");
    QTest::newRow("presets") << false << "Preset%1Cabs" << 384;
    QTest::newRow("cabinets") << true << "Cab%1Presets" << 232;
}

void TestMainWindow::exportBeforeTheFirstScan()
{
    QFETCH(bool, cabView);
    QFETCH(QString, header);
    QFETCH(int, lines);

    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("before.csv"));
    MainWindow w;
    if (cabView)
        w.findChild<QRadioButton*>(QStringLiteral("radioButton_CabVersPreset"))->click();
    DialogAnswer answer(fileName);
    w.findChild<QAction*>(QStringLiteral("actionExport_as_CSV"))->trigger();
    QCOMPARE(answer.count, 1);
    QCOMPARE(answer.caption, QStringLiteral("Please select the destination file"));
    QCOMPARE(answer.filters, QStringList({ "CSV Files (*.csv)" }));

    // Nothing scanned yet: every preset or cabinet of the layout, each with an empty list.
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    const QStringList written = fileLines(fileName);
    QCOMPARE(written.size(), lines + 2);
    QCOMPARE(written.first(), header.arg(separator));
    QVERIFY(written.last().isEmpty());
    for (int i = 1; i <= lines; ++i)
        QVERIFY2(written.at(i).endsWith(separator) && written.at(i).count(separator) == 1,
            qPrintable(written.at(i)));
    QCOMPARE(QSettings().value(QStringLiteral("LastFolder")).toString(),
        QFileInfo(fileName).absolutePath());

    // The next dialog starts there; a cancel leaves the folder alone.
    answer.fileName.clear();
    w.ExportCSV();
    QCOMPARE(answer.count, 2);
    QCOMPARE(answer.directory, QFileInfo(fileName).absolutePath());
    QCOMPARE(QSettings().value(QStringLiteral("LastFolder")).toString(),
        QFileInfo(fileName).absolutePath());
}

void TestMainWindow::failedExportKeepsFileAndFolder()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("kept.csv"));
    QFile old(fileName);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("kept\n");
    old.close();
    QSettings().setValue(QStringLiteral("LastFolder"), QStringLiteral("/somewhere/else"));

    MainWindow w;
    DialogAnswer answer(fileName);
    // A file size limit fails the write as a full disk would, for root as for anyone.
    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 64;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    w.ExportCSV();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(answer.count, 1);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("kept\n"));
    QCOMPARE(QSettings().value(QStringLiteral("LastFolder")).toString(),
        QStringLiteral("/somewhere/else"));
}

void TestMainWindow::pdfExport()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("cabs.pdf"));
    MainWindow w;
    w.findChild<QRadioButton*>(QStringLiteral("radioButton_CabVersPreset"))->click();
    DialogAnswer answer(fileName);
    w.ExportPDF();
    QCOMPARE(answer.filters, QStringList({ "PDF Files (*.pdf)" }));

    QProcess text;
    text.start(QStringLiteral("pdftotext"), { fileName, QStringLiteral("-") });
    QVERIFY(text.waitForFinished(30000));
    const QString content = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    QVERIFY2(content.contains(QStringLiteral("Tollmark: Cab -> Presets")), qPrintable(content));
    QVERIFY(content.contains(QStringLiteral("384 presets, 232 cabinets")));
    QCOMPARE(QSettings().value(QStringLiteral("LastFolder")).toString(),
        QFileInfo(fileName).absolutePath());
}

void TestMainWindow::checkTables(MainWindow& w, const SimBank& bank)
{
    QStringList presetKeys;
    QStringList presetCabs;
    QVector<QStringList> users(bank.cabCount());
    for (int p = 0; p < bank.presetCount(); ++p) {
        presetKeys << presetLabel(bank, p);
        QStringList labels;
        for (int c : bank.expectedCabs(p)) {
            labels << cabLabel(bank, c);
            users[c] << QStringLiteral("%1(%2)")
                            .arg(p + bank.displayOffset)
                            .arg(bank.presets.at(p).name.simplified());
        }
        presetCabs << labels.join(QStringLiteral(", "));
    }
    auto* presetView = w.findChild<QRadioButton*>(QStringLiteral("radioButton_PresetVersCab"));
    auto* cabView = w.findChild<QRadioButton*>(QStringLiteral("radioButton_CabVersPreset"));
    presetView->click();
    QCOMPARE(headers(table(w)), QStringList({ "Preset", "Cabs" }));
    QCOMPARE(column(table(w), 0), presetKeys);
    QCOMPARE(column(table(w), 1), presetCabs);

    cabView->click();
    QCOMPARE(headers(table(w)), QStringList({ "Cab", "Presets" }));
    QStringList cabKeys;
    QStringList cabUsers;
    int unused = 0;
    for (int c = 0; c < bank.cabCount(); ++c) {
        cabKeys << cabLabel(bank, c);
        cabUsers << users.at(c).join(QStringLiteral(", "));
        unused += users.at(c).isEmpty() ? 1 : 0;
    }
    QVERIFY2(unused > 0, "the bank should hold a cabinet that no preset uses");
    QCOMPARE(column(table(w), 0), cabKeys);
    QCOMPARE(column(table(w), 1), cabUsers);
    // Clicking the view already checked builds the same table again.
    cabView->click();
    QCOMPARE(column(table(w), 1), cabUsers);
}

void TestMainWindow::completeScanFromRefresh()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("scan.csv"));
    MainWindow w;
    AxeFxSim sim(SimBank::builtIn(3));
    QVERIFY(sim.start());
    const SimBank bank = sim.bank();
    QCOMPARE(int(bank.displayOffset), 0);

    QProgressBar* bar = statusProgress(w);
    QVERIFY(bar);
    QSignalSpy progress(bar, SIGNAL(valueChanged(int)));
    QStringList phases;
    connect(bar, &QProgressBar::valueChanged, this, [&] {
        const QLabel* label = overlayLabel(w);
        if (label && (phases.isEmpty() || phases.last() != label->text()))
            phases << label->text();
    });

    // A Refresh chosen during the scan returns at once and leaves the scan alone.
    bool nestedReturned = false;
    bool overlayDuringNested = false;
    OnRequest nested(
        sim, [](const SimRequest& r) { return r.kind == SimRequest::CabNameQuery; },
        [&] {
            w.findChild<QAction*>(QStringLiteral("actionRefresh"))->trigger();
            nestedReturned = true;
            overlayDuringNested = overlayLabel(w) != nullptr;
        });

    DialogAnswer answer(fileName);
    w.findChild<QAction*>(QStringLiteral("actionRefresh"))->trigger();
    QVERIFY2(nestedReturned,
        qPrintable(QStringLiteral("%1 requests: %2")
                       .arg(sim.requestCount())
                       .arg(QRtMidiData(sim.requests().value(0)).toString(' '))));
    QVERIFY(overlayDuringNested);
    QVERIFY(!overlayLabel(w));
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    QCOMPARE(phases,
        QStringList({ "Asking for\nCab names...", "Asking for\nPreset names...",
            "Polling your AxeFx\nWait for completion\nor hit Esc to abort" }));
    // Three phases, each rising to 100; the second and third start again from 0.
    QList<int> values;
    for (const QList<QVariant>& args : progress)
        values << args.at(0).toInt();
    QCOMPARE(bar->value(), 100);
    QCOMPARE(values.count(0), 2);
    int phase = 0;
    for (int i = 1; i < values.size(); ++i) {
        if (values.at(i) < values.at(i - 1)) {
            QCOMPARE(values.at(i - 1), 100);
            QCOMPARE(values.at(i), 0);
            ++phase;
        }
    }
    QCOMPARE(phase, 2);

    // One discovery, every name once, every preset once, then back to preset 0.
    const QList<SimRequest> requests = parsed(sim.requests());
    QCOMPARE(countOf(requests, SimRequest::ModelQuery), 1);
    QCOMPARE(countOf(requests, SimRequest::CabNameQuery), bank.cabCount());
    QCOMPARE(countOf(requests, SimRequest::PresetNameQuery), bank.presetCount());
    QCOMPARE(countOf(requests, SimRequest::ProgramChange), bank.presetCount() + 1);
    QCOMPARE(requests.last().kind, SimRequest::ProgramChange);
    QCOMPARE(requests.last().number, 0);
    QCOMPARE(sim.bank().currentPreset, 0);

    // The CSV dialog opened at once and wrote the view that was checked.
    QCOMPARE(answer.count, 1);
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    const QStringList written = fileLines(fileName);
    QCOMPARE(written.size(), bank.presetCount() + 2);
    QCOMPARE(written.first(), QStringLiteral("Preset%1Cabs").arg(separator));
    QVERIFY(written.at(1).startsWith(QStringLiteral("0 ")));
    QCOMPARE(QSettings().value(QStringLiteral("LastFolder")).toString(), dir.path());

    checkTables(w, bank);
}

void TestMainWindow::scanAtStartUpWithDisplayOffsetOne()
{
    SimBank bank = SimBank::builtIn(3);
    bank.displayOffset = 1;
    AxeFxSim sim(bank);
    QVERIFY(sim.start());
    QSettings().setValue(QStringLiteral("LastFolder"), QDir::tempPath());

    // The first scan runs inside the constructor; its CSV dialog is cancelled.
    DialogAnswer answer;
    MainWindow w;
    QCOMPARE(answer.count, 1);
    QCOMPARE(answer.directory, QDir::tempPath());
    QCOMPARE(QSettings().value(QStringLiteral("LastFolder")).toString(), QDir::tempPath());
    QCOMPARE(statusProgress(w)->value(), 100);
    QCOMPARE(table(w)->item(0, 0)->text(), presetLabel(bank, 0));
    QVERIFY(table(w)->item(0, 0)->text().startsWith(QStringLiteral("1 ")));
    checkTables(w, bank);
}

void TestMainWindow::stopDuringUsage_data()
{
    QTest::addColumn<bool>("byClose");
    QTest::newRow("Esc") << false;
    QTest::newRow("close request") << true;
}

void TestMainWindow::stopDuringUsage()
{
    QFETCH(bool, byClose);
    const int stopAt = 3;

    MainWindow w;
    AxeFxSim sim(SimBank::builtIn(3));
    QVERIFY(sim.start());
    const SimBank bank = sim.bank();
    bool closed = true;
    OnRequest stop(
        sim,
        [](const SimRequest& r) {
            return r.kind == SimRequest::ProgramChange && r.number == stopAt;
        },
        [&] {
            if (byClose)
                closed = w.close();
            else
                QTest::keyClick(&w, Qt::Key_Escape);
        });

    DialogAnswer answer;
    w.refresh();
    QVERIFY(stop.done);
    QCOMPARE(answer.count, 0);
    QVERIFY(statusProgress(w)->value() < 100);

    // The preset in progress was finished; no switch back to preset 0 followed.
    const QList<SimRequest> requests = parsed(sim.requests());
    QCOMPARE(countOf(requests, SimRequest::ProgramChange), stopAt + 1);
    QVERIFY(requests.last().kind != SimRequest::ProgramChange);
    QCOMPARE(sim.bank().currentPreset, stopAt);

    // Full-size vectors with what was gathered.
    QCOMPARE(table(w)->rowCount(), bank.presetCount());
    QStringList expected;
    for (int c : bank.expectedCabs(stopAt))
        expected << cabLabel(bank, c);
    QCOMPARE(table(w)->item(stopAt, 1)->text(), expected.join(QStringLiteral(", ")));
    for (int p = stopAt + 1; p < bank.presetCount(); ++p)
        QVERIFY(table(w)->item(p, 1)->text().isEmpty());

    if (byClose) {
        QVERIFY(!closed);
        QVERIFY(w.isVisible());
        QVERIFY(!QSettings().contains(QStringLiteral("geometry")));
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(QSettings().contains(QStringLiteral("geometry")));
    }
}

void TestMainWindow::escStopsSilentNamePhases()
{
    MainWindow w;
    AxeFxSim sim(SimBank::builtIn(3));
    SimFaults silent;
    silent.unanswered = { SimRequest::kFnCabName, SimRequest::kFnPresetName,
        SimRequest::kFnBlockGrid, SimRequest::kFnParamValue };
    sim.setFaults(silent);
    QVERIFY(sim.start());

    // Esc once the second cabinet name has gone unanswered for a while.
    QElapsedTimer sinceEsc;
    OnRequest esc(
        sim,
        [](const SimRequest& r) { return r.kind == SimRequest::CabNameQuery && r.number == 1; },
        [&] {
            QTimer::singleShot(300, &w, [&] {
                sinceEsc.start();
                QTest::keyClick(&w, Qt::Key_Escape);
            });
        });

    DialogAnswer answer;
    w.refresh();
    QVERIFY(sinceEsc.isValid());
    // The reply wait in progress runs out (one second), then nothing more is asked.
    QVERIFY2(sinceEsc.elapsed() < 2000, qPrintable(QString::number(sinceEsc.elapsed())));
    const QList<SimRequest> requests = parsed(sim.requests());
    QCOMPARE(countOf(requests, SimRequest::CabNameQuery), 2);
    QCOMPARE(countOf(requests, SimRequest::PresetNameQuery), 0);
    QCOMPARE(countOf(requests, SimRequest::ProgramChange), 0);
    QCOMPARE(answer.count, 0);
    QCOMPARE(table(w)->rowCount(), 384);
    for (const QString& cabs : column(table(w), 1))
        QVERIFY(cabs.isEmpty());
}

TOLLMARK_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
