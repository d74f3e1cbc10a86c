// The main window against the simulated unit: its form, the scan's life cycle (requests,
// progress, stops, closing, the CSV dialog) and what the table and the export show after it.
#include "axefxsim.h"
#include "bankexport.h"
#include "guitestmain.h"
#include "mainwindow.h"
#include "savedialog.h"
#include "simrequest.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

// Answers every save dialog with fileName, or cancels it when fileName is empty.
class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(const QString& fileName = QString())
        : fileName(fileName)
    {
        connect(&poll, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            if (dialog != seen) {
                seen = dialog;
                ++count;
                directory = dialog->directory().absolutePath();
            }
            if (this->fileName.isEmpty())
                dialog->reject();
            else
                acceptFileName(*dialog, this->fileName);
        });
        poll.start(10);
    }

    QString fileName;
    int count = 0;
    QString directory;

private:
    QPointer<QFileDialog> seen;
    QTimer poll;
};

// Runs act on the GUI thread, inside the scan's wait, once the unit has received the first
// request that match accepts.
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

std::function<bool(const SimRequest&)> is(SimRequest::Kind kind, int number = -1)
{
    return
        [=](const SimRequest& r) { return r.kind == kind && (number < 0 || r.number == number); };
}

// The requests as tokens; what one preset's usage asks after its program change is one token,
// its detail being the device link's own concern.
QStringList trail(const QList<QByteArray>& requests)
{
    QStringList out;
    for (const QByteArray& bytes : requests) {
        const SimRequest r = SimRequest::parse(bytes);
        if (r.kind == SimRequest::ModelQuery)
            out << "model";
        else if (r.kind == SimRequest::DisplayOffsetQuery)
            out << "offset";
        else if (r.kind == SimRequest::CabNameQuery)
            out << QStringLiteral("cab %1").arg(r.number);
        else if (r.kind == SimRequest::PresetNameQuery)
            out << QStringLiteral("name %1").arg(r.number);
        else if (r.kind == SimRequest::ProgramChange)
            out << QStringLiteral("pc %1").arg(r.number);
        else if (out.value(out.size() - 1) != QLatin1String("usage"))
            out << "usage";
    }
    return out;
}

MainWindow* openWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* m = qobject_cast<MainWindow*>(w))
            return m;
    }
    return nullptr;
}

QTableWidget* table(MainWindow& w)
{
    return w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
}

void showView(MainWindow& w, CrossReference::View view)
{
    w.findChild<QRadioButton*>(view == CrossReference::PresetCabs
             ? QStringLiteral("radioButton_PresetVersCab")
             : QStringLiteral("radioButton_CabVersPreset"))
        ->click();
}

QStringList column(MainWindow& w, int c)
{
    QStringList texts;
    for (int r = 0; r < table(w)->rowCount(); ++r)
        texts << table(w)->item(r, c)->text();
    return texts;
}

QStringList keysOf(const QVector<CrossReference::Row>& rows)
{
    QStringList keys;
    for (const CrossReference::Row& row : rows)
        keys << row.key;
    return keys;
}

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromLocal8Bit(file.readAll())
                                                            : QString();
}

QLabel* overlayLabel(MainWindow& w)
{
    for (QLabel* label : w.findChildren<QLabel*>()) {
        if (label->objectName().isEmpty() && label->parentWidget() != w.statusBar())
            return label;
    }
    return nullptr;
}

QChar separator()
{
    return CsvExport::separatorFor(QLocale::system());
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void formWithoutDevice();
    void exportKeepsFolderOnlyWhenWritten();
    void completeScan();
    void stopDuringUsage_data();
    void stopDuringUsage();
    void stopInNamesKeepsTheResult();
    void closeDuringStartUpSearch();
    void silentUnitKeepsLayoutThenIsFoundAgain();
};

void TestMainWindow::init()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("tollmark.test"));
    QCoreApplication::setApplicationName(QStringLiteral("Tollmark"));
    QSettings().clear();
}

void TestMainWindow::formWithoutDevice()
{
    DialogAnswer answer;
    MainWindow w;
    QVERIFY(w.isVisible());
    QCOMPARE(w.windowTitle(), QStringLiteral("Tollmark 1.2"));
    auto* menu = w.findChild<QMenu*>(QStringLiteral("menuTollbook"));
    QCOMPARE(menu->title(), QStringLiteral("Tollbook"));
    QStringList entries;
    for (QAction* a : menu->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(entries, QStringList({ "Export as CSV", "-", "Refresh" }));

    auto header = [&] {
        return QStringList { table(w)->horizontalHeaderItem(0)->text(),
            table(w)->horizontalHeaderItem(1)->text() };
    };
    QCOMPARE(header(), QStringList({ "Preset", "Cabs" }));
    showView(w, CrossReference::CabPresets);
    QCOMPARE(header(), QStringList({ "Cab", "Presets" }));
    QCOMPARE(table(w)->rowCount(), 0);

    QTest::keyClick(&w, Qt::Key_Escape);
    w.refresh();
    QVERIFY(!overlayLabel(w));
    QCOMPARE(table(w)->rowCount(), 0);
    QCOMPARE(answer.count, 0);
    QVERIFY(w.isVisible());
}

void TestMainWindow::exportKeepsFolderOnlyWhenWritten()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("before.csv"));
    MainWindow w;
    DialogAnswer answer(fileName);
    w.ExportCSV();
    // Before any scan: every preset of the layout, none with cabinets.
    const QStringList lines = fileText(fileName).split('\n');
    QCOMPARE(lines.size(), 384 + 2);
    QCOMPARE(lines.at(384), QStringLiteral("383 %1").arg(separator()));
    QCOMPARE(QSettings().value("LastFolder").toString(), dir.path());

    // A write that fails, as on a full disk, keeps the file and the folder remembered.
    QSettings().setValue("LastFolder", QStringLiteral("/elsewhere"));
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 64;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tight);
    w.ExportCSV();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    QCOMPARE(answer.count, 2);
    QCOMPARE(fileText(fileName).count('\n'), 384 + 1);
    QCOMPARE(QSettings().value("LastFolder").toString(), QStringLiteral("/elsewhere"));
}

void TestMainWindow::completeScan()
{
    SimBank bank = SimBank::builtIn(3);
    bank.displayOffset = 1;
    AxeFxSim sim(bank);
    QVERIFY(sim.start());
    QTemporaryDir dir;
    DialogAnswer answer(dir.filePath(QStringLiteral("scan.csv")));

    // A Refresh chosen during the scan leaves it alone.
    bool nested = false;
    OnRequest refreshAgain(sim, is(SimRequest::CabNameQuery, 5), [&] {
        openWindow()->refresh();
        nested = overlayLabel(*openWindow()) != nullptr;
    });
    QStringList phases;
    QList<int> values;
    QTimer::singleShot(0, this, [&] {
        connect(openWindow()->statusBar()->findChild<QProgressBar*>(), &QProgressBar::valueChanged,
            this, [&](int value) {
                values << value;
                const QLabel* label = overlayLabel(*openWindow());
                if (label && phases.value(phases.size() - 1) != label->text())
                    phases << label->text();
            });
    });
    MainWindow w;
    QVERIFY(nested);
    QVERIFY(!overlayLabel(w));

    QStringList expected { "model", "offset", "offset" };
    for (int c = 0; c < bank.cabCount(); ++c)
        expected << QStringLiteral("cab %1").arg(c);
    for (int p = 0; p < bank.presetCount(); ++p)
        expected << QStringLiteral("name %1").arg(p);
    for (int p = 0; p < bank.presetCount(); ++p)
        expected << QStringLiteral("pc %1").arg(p) << "usage";
    expected << "pc 0";
    QCOMPARE(trail(sim.requests()), expected);

    QCOMPARE(phases,
        QStringList({ "Asking for\nCab names...", "Asking for\nPreset names...",
            "Polling your AxeFx\nWait for completion\nor hit Esc to abort" }));
    // Each phase climbs to 100; the next starts again from 0.
    QCOMPARE(values.count(0), 2);
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values.at(i) >= values.at(i - 1) || (values.at(i - 1) == 100 && values.at(i) == 0));
    QCOMPARE(values.last(), 100);

    QCOMPARE(answer.count, 1);
    QCOMPARE(fileText(answer.fileName), bankCsv(bank, CrossReference::PresetCabs, separator()));
    QCOMPARE(QSettings().value("LastFolder").toString(), dir.path());
    for (auto view : { CrossReference::PresetCabs, CrossReference::CabPresets }) {
        showView(w, view);
        const auto rows = bankRows(bank, view);
        QCOMPARE(column(w, 0), keysOf(rows));
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(table(w)->item(r, 1)->text(), rows.at(r).entries.join(", "));
    }
}

void TestMainWindow::stopDuringUsage_data()
{
    QTest::addColumn<int>("stopAt");
    QTest::addColumn<bool>("byClose");
    QTest::newRow("Esc") << 3 << false;
    QTest::newRow("close") << 3 << true;
    // The loop looks at the stop after it, too: a stop during the last preset is no end.
    QTest::newRow("Esc at the last preset") << 383 << false;
}

void TestMainWindow::stopDuringUsage()
{
    QFETCH(int, stopAt);
    QFETCH(bool, byClose);
    MainWindow w;
    AxeFxSim sim;
    QVERIFY(sim.start());
    const SimBank bank = sim.bank();
    bool closed = true;
    OnRequest stop(sim, is(SimRequest::ProgramChange, stopAt), [&] {
        if (byClose)
            closed = w.close();
        else
            QTest::keyClick(&w, Qt::Key_Escape);
    });
    DialogAnswer answer;
    w.refresh();
    QVERIFY(stop.done);
    QCOMPARE(answer.count, 0);
    QCOMPARE(trail(sim.requests()).last(), QStringLiteral("usage"));
    QCOMPARE(sim.bank().currentPreset, stopAt);
    QCOMPARE(w.statusBar()->findChild<QProgressBar*>()->value(), (stopAt + 1) * 100 / 384);

    // The preset in progress is finished; those after it show no cabinets.
    const auto rows = bankRows(bank, CrossReference::PresetCabs);
    QCOMPARE(table(w)->rowCount(), rows.size());
    QCOMPARE(table(w)->item(stopAt, 1)->text(), rows.at(stopAt).entries.join(", "));
    for (int p = stopAt + 1; p < rows.size(); ++p)
        QVERIFY(table(w)->item(p, 1)->text().isEmpty());

    QCOMPARE(closed, !byClose);
    QVERIFY(w.isVisible());
    QVERIFY(!QSettings().contains("geometry"));
    QVERIFY(w.close());
    QVERIFY(QSettings().contains("geometry"));
}

void TestMainWindow::stopInNamesKeepsTheResult()
{
    AxeFxSim sim;
    QVERIFY(sim.start());
    const SimBank bank = sim.bank();
    DialogAnswer answer;
    MainWindow w;
    QCOMPARE(answer.count, 1);
    const QStringList cabs = column(w, 1);

    sim.clearRequests();
    OnRequest esc(
        sim, is(SimRequest::CabNameQuery, 0), [&] { QTest::keyClick(&w, Qt::Key_Escape); });
    w.refresh();
    QVERIFY(esc.done);
    // The preset names were not asked again, and stay; so do the cabinets of every preset.
    QCOMPARE(column(w, 0), keysOf(bankRows(bank, CrossReference::PresetCabs)));
    QCOMPARE(column(w, 1).count(QString()), cabs.count(QString()));
    QCOMPARE(trail(sim.requests()), QStringList({ "offset", "cab 0" }));
    QCOMPARE(answer.count, 1);
}

void TestMainWindow::closeDuringStartUpSearch()
{
    AxeFxSim sim;
    QVERIFY(sim.start());
    OnRequest close(sim, is(SimRequest::ModelQuery), [] { openWindow()->close(); });
    DialogAnswer answer;
    MainWindow w;
    QVERIFY(close.done);
    QVERIFY(!w.isVisible());
    QCOMPARE(trail(sim.requests()), QStringList({ "model", "offset" }));
    QCOMPARE(answer.count, 0);
}

void TestMainWindow::silentUnitKeepsLayoutThenIsFoundAgain()
{
    // The larger layout, read up to preset 3.
    AxeFxSim sim(SimBank::builtIn(6));
    QVERIFY(sim.start());
    const SimBank bank = sim.bank();
    auto stopAtPreset3 = [&] {
        return new OnRequest(sim, is(SimRequest::ProgramChange, 3),
            [] { QTest::keyClick(openWindow(), Qt::Key_Escape); });
    };
    QScopedPointer<OnRequest> stop(stopAtPreset3());
    MainWindow w;
    QVERIFY(stop->done);

    // Silent unit: the search fails, and the result keeps the labels and rows it was read with.
    sim.stop();
    w.refresh();
    showView(w, CrossReference::CabPresets);
    QCOMPARE(column(w, 0), keysOf(bankRows(bank, CrossReference::CabPresets)));
    QTemporaryDir dir;
    DialogAnswer answer(dir.filePath(QStringLiteral("kept.csv")));
    w.ExportCSV();
    QCOMPARE(fileText(answer.fileName).count('\n'), bank.cabCount() + 1);

    // Back on its ports: a Refresh finds it again and scans.
    sim.clearRequests();
    QVERIFY(sim.start());
    stop.reset(stopAtPreset3());
    w.refresh();
    QVERIFY(stop->done);
    QCOMPARE(
        trail(sim.requests()).mid(0, 4), QStringList({ "model", "offset", "offset", "cab 0" }));
}

TOLLMARK_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
