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

#include <functional>

namespace {

using View = CrossReference::View;

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
            count += dialog != seen ? 1 : 0;
            seen = dialog;
            if (this->fileName.isEmpty())
                dialog->reject();
            else
                acceptFileName(*dialog, this->fileName);
        });
        poll.start(10);
    }
    QString fileName;
    int count = 0;

private:
    QPointer<QFileDialog> seen;
    QTimer poll;
};

// Runs act on the GUI thread once the unit has received a request of this kind (and number).
// The unit posts it before its reply leaves, so act runs before the scan's wait ends.
class OnRequest : public QObject {
public:
    OnRequest(AxeFxSim& sim, SimRequest::Kind kind, int number, std::function<void()> act)
    {
        connect(
            &sim, &AxeFxSim::requestReceived, this,
            [=](const QByteArray& bytes) {
                const SimRequest r = SimRequest::parse(bytes);
                if (!done && r.kind == kind && (number < 0 || r.number == number)) {
                    done = true;
                    act();
                }
            },
            Qt::QueuedConnection);
    }
    bool done = false;
};

// The requests as tokens; what one preset's usage asks after its program change is one token,
// its detail being the device link's own concern.
QStringList trail(const QList<QByteArray>& requests)
{
    const QHash<int, QString> tokens { { SimRequest::ModelQuery, "model" },
        { SimRequest::DisplayOffsetQuery, "offset" }, { SimRequest::CabNameQuery, "cab %1" },
        { SimRequest::PresetNameQuery, "name %1" }, { SimRequest::ProgramChange, "pc %1" } };
    QStringList out { QString() };
    for (const QByteArray& bytes : requests) {
        const SimRequest r = SimRequest::parse(bytes);
        const QString token = tokens.value(r.kind, QStringLiteral("usage"));
        if (tokens.contains(r.kind) || out.last() != token)
            out << (token.contains("%1") ? token.arg(r.number) : token);
    }
    return out.mid(1);
}

MainWindow* window()
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

void showView(MainWindow& w, View view)
{
    w.findChild<QRadioButton*>(view == CrossReference::PresetCabs ? "radioButton_PresetVersCab"
                                                                  : "radioButton_CabVersPreset")
        ->click();
}

// The rows as "key|cabinets" (or the keys alone), as the window shows them or as expected.
QStringList shown(MainWindow& w, bool keys = false)
{
    QStringList texts;
    for (int r = 0; r < table(w)->rowCount(); ++r)
        texts << table(w)->item(r, 0)->text() + (keys ? "" : '|' + table(w)->item(r, 1)->text());
    return texts;
}

QStringList texts(const QVector<CrossReference::Row>& rows, bool keys = false)
{
    QStringList texts;
    for (const CrossReference::Row& row : rows)
        texts << row.key + (keys ? "" : '|' + row.entries.join(", "));
    return texts;
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

QProgressBar* progress(MainWindow& w)
{
    return w.statusBar()->findChild<QProgressBar*>();
}

const QChar separator = CsvExport::separatorFor(QLocale::system());

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void formWithoutDevice();
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
    QTemporaryDir dir;
    DialogAnswer answer(dir.filePath(QStringLiteral("before.csv")));
    MainWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Tollmark 1.2"));
    auto* menu = w.findChild<QMenu*>(QStringLiteral("menuTollbook"));
    QStringList form { menu->title() };
    for (QAction* a : menu->actions())
        form << (a->isSeparator() ? QStringLiteral("-") : a->text());
    for (View view : { CrossReference::CabPresets, CrossReference::PresetCabs }) {
        showView(w, view);
        form << table(w)->horizontalHeaderItem(0)->text()
                + table(w)->horizontalHeaderItem(1)->text();
    }
    QCOMPARE(form,
        QStringList({ "Tollbook", "Export as CSV", "-", "Refresh", "CabPresets", "PresetCabs" }));

    // Esc while idle and a Refresh without a unit change nothing and open nothing.
    QTest::keyClick(&w, Qt::Key_Escape);
    w.refresh();
    QVERIFY(!overlayLabel(w));
    QCOMPARE(table(w)->rowCount(), 0);
    QCOMPARE(answer.count, 0);

    // An export before any scan: every preset of the layout, none with names or cabinets.
    w.ExportCSV();
    const QStringList lines = fileText(answer.fileName).split('\n');
    QCOMPARE(lines.size(), 384 + 2);
    QCOMPARE(lines.at(384), QStringLiteral("383 ") + separator);
    QCOMPARE(QSettings().value("LastFolder").toString(), dir.path());
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
    OnRequest refreshAgain(sim, SimRequest::CabNameQuery, 5, [&] {
        window()->refresh();
        nested = overlayLabel(*window()) != nullptr;
    });
    QStringList phases;
    QList<int> values;
    QTimer::singleShot(0, this, [&] {
        connect(progress(*window()), &QProgressBar::valueChanged, this, [&](int value) {
            values << value;
            const QLabel* label = overlayLabel(*window());
            if (label && phases.value(phases.size() - 1) != label->text())
                phases << label->text();
        });
    });
    MainWindow w;
    QVERIFY(nested);
    QVERIFY(!overlayLabel(w));

    QStringList requests { "model", "offset", "offset" };
    for (int c = 0; c < bank.cabCount(); ++c)
        requests << QStringLiteral("cab %1").arg(c);
    for (int p = 0; p < bank.presetCount(); ++p)
        requests << QStringLiteral("name %1").arg(p);
    for (int p = 0; p < bank.presetCount(); ++p)
        requests << QStringLiteral("pc %1").arg(p) << "usage";
    QCOMPARE(trail(sim.requests()), requests << "pc 0");

    QCOMPARE(phases,
        QStringList({ "Asking for\nCab names...", "Asking for\nPreset names...",
            "Polling your AxeFx\nWait for completion\nor hit Esc to abort" }));
    // Each phase climbs to 100; the next starts again from 0.
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values.at(i) > values.at(i - 1) || (values.at(i - 1) == 100 && values.at(i) == 0));
    QCOMPARE(values.count(0), 2);
    QCOMPARE(values.last(), 100);

    QCOMPARE(answer.count, 1);
    QCOMPARE(fileText(answer.fileName), bankCsv(bank, CrossReference::PresetCabs, separator));
    QCOMPARE(QSettings().value("LastFolder").toString(), dir.path());
    for (View view : { CrossReference::PresetCabs, CrossReference::CabPresets }) {
        showView(w, view);
        QCOMPARE(shown(w), texts(bankRows(bank, view)));
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
    bool closed = true;
    OnRequest stop(sim, SimRequest::ProgramChange, stopAt, [&] {
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
    QCOMPARE(progress(w)->value(), (stopAt + 1) * 100 / 384);

    // The preset in progress is finished; those after it show no cabinets.
    QCOMPARE(shown(w), texts(bankRows(sim.bank(), CrossReference::PresetCabs, stopAt + 1)));

    QCOMPARE(closed, !byClose);
    QVERIFY(!QSettings().contains("geometry"));
    QVERIFY(w.close());
    QVERIFY(QSettings().contains("geometry"));
}

void TestMainWindow::stopInNamesKeepsTheResult()
{
    AxeFxSim sim;
    QVERIFY(sim.start());
    DialogAnswer answer;
    MainWindow w;
    QCOMPARE(answer.count, 1);

    sim.clearRequests();
    // Esc once the first cabinet name is in: the bar leaves the 100 of the last scan.
    connect(progress(w), &QProgressBar::valueChanged, this, [&] {
        if (overlayLabel(w) && overlayLabel(w)->text() == "Asking for\nCab names...")
            QTest::keyClick(&w, Qt::Key_Escape);
    });
    w.refresh();
    // The preset names, not asked again, stay.
    QCOMPARE(shown(w, true), texts(bankRows(sim.bank(), CrossReference::PresetCabs), true));
    QCOMPARE(trail(sim.requests()), QStringList({ "offset", "cab 0" }));
    QCOMPARE(answer.count, 1);
}

void TestMainWindow::closeDuringStartUpSearch()
{
    AxeFxSim sim;
    QVERIFY(sim.start());
    OnRequest close(sim, SimRequest::ModelQuery, -1, [] { window()->close(); });
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
    auto escAtPreset3 = [&] {
        return new OnRequest(
            sim, SimRequest::ProgramChange, 3, [] { QTest::keyClick(window(), Qt::Key_Escape); });
    };
    QScopedPointer<OnRequest> esc(escAtPreset3());
    MainWindow w;
    QVERIFY(esc->done);

    // Silent unit: the search fails, and the result keeps the labels and rows it was read with.
    sim.stop();
    w.refresh();
    showView(w, CrossReference::CabPresets);
    QCOMPARE(shown(w), texts(bankRows(sim.bank(), CrossReference::CabPresets, 4)));
    QTemporaryDir dir;
    DialogAnswer answer(dir.filePath(QStringLiteral("kept.csv")));
    w.ExportCSV();
    QCOMPARE(fileText(answer.fileName).count('\n'), 1203 + 1);

    // Back on its ports: a Refresh finds it again and scans.
    sim.clearRequests();
    QVERIFY(sim.start());
    esc.reset(escAtPreset3());
    w.refresh();
    QVERIFY(esc->done);
    QCOMPARE(
        trail(sim.requests()).mid(0, 4), QStringList({ "model", "offset", "offset", "cab 0" }));
}

TOLLMARK_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
