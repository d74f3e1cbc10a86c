// SPDX-License-Identifier: MIT
// The main window against the simulated unit: its form, the scan's life cycle (requests,
// progress, stops, closing, the CSV dialog) and what the table and the export show after it.
#include "axefxsim.h"
#include "bankexport.h"
#include "mainwindow.h"
#include "scanoverlay.h"
#include "simrequest.h"

#include <QtTest>
#include <QtWidgets>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Answers every save dialog with fileName, as a user typing it would, or cancels it when
// fileName is empty. The dialog takes the name only once its name field has lost the focus
// and its folder is read, so the answer is tried again until the dialog holds it.
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
                return dialog->reject();
            if (QWidget* focused = dialog->focusWidget())
                focused->clearFocus();
            dialog->selectFile(this->fileName);
            if (dialog->selectedFiles().value(0) == this->fileName)
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        });
        poll.start(10);
    }
    QString fileName;
    int count = 0;
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
                if (!done && r.kind == kind && (number < 0 || r.number == number))
                    done = true, act();
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
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<MainWindow*>(w))
            return m;
    return nullptr;
}

void showView(MainWindow& w, CrossReference::View view)
{
    w.findChild<QRadioButton*>(view == CrossReference::PresetCabs ? "radioButton_PresetVersCab"
                                                                  : "radioButton_CabVersPreset")
        ->click();
}

// The rows as "key|cabinets" (or the keys alone), as the window shows them or as expected.
QStringList shown(MainWindow& w, bool keys = false)
{
    QStringList texts;
    const auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    for (int r = 0; r < table->rowCount(); ++r)
        texts << table->item(r, 0)->text() + (keys ? "" : '|' + table->item(r, 1)->text());
    return texts;
}

QStringList texts(const QVector<CrossReference::Row>& rows, bool keys = false)
{
    QStringList texts;
    for (const CrossReference::Row& row : rows)
        texts << row.key + (keys ? "" : '|' + row.entries.join(", "));
    return texts;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// The text of the scan's overlay, empty while no scan runs.
QString overlayText(MainWindow& w)
{
    auto* overlay = w.findChild<ScanOverlay*>();
    return overlay ? overlay->findChild<QLabel*>()->text() : QString();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void formWithoutDevice();
    void completeScan();
    void stopDuringUsage_data();
    void stopDuringUsage();
    void stopInNamesKeepsTheResult();
    void closeDuringStartUpSearch();
    void silentUnitKeepsLayoutThenIsFoundAgain();
};

void TestMainWindow::formWithoutDevice()
{
    MainWindow w;
    auto* menu = w.findChild<QMenu*>(QStringLiteral("menuTollbook"));
    auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    QStringList form { w.windowTitle(), menu->title() };
    for (QAction* a : menu->actions())
        form << (a->isSeparator() ? QStringLiteral("-") : a->text());
    for (auto view : { CrossReference::CabPresets, CrossReference::PresetCabs }) {
        showView(w, view);
        form << table->horizontalHeaderItem(0)->text() + table->horizontalHeaderItem(1)->text();
    }
    QCOMPARE(form,
        QStringList({ "Tollmark 1.2", "Tollbook", "Export as CSV", "-", "Refresh", "CabPresets",
            "PresetCabs" }));

    // The next window opens where and as large as this one closed.
    w.setGeometry(40, 60, 700, 500);
    QVERIFY(w.close());
    MainWindow again;
    QCOMPARE(again.size(), QSize(700, 500));
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
        nested = !overlayText(*window()).isEmpty();
    });
    QStringList phases;
    QList<int> values;
    QTimer::singleShot(0, this, [&] {
        connect(window()->statusBar()->findChild<QProgressBar*>(), &QProgressBar::valueChanged,
            this, [&](int value) {
                values << value;
                const QString text = overlayText(*window());
                if (!text.isEmpty() && phases.value(phases.size() - 1) != text)
                    phases << text;
            });
    });
    MainWindow w;
    QVERIFY(nested);
    QVERIFY(overlayText(w).isEmpty());

    QStringList requests { "model", "offset", "offset" };
    for (int c = 0; c < bank.cabCount(); ++c)
        requests << QStringLiteral("cab %1").arg(c);
    for (int p = 0; p < bank.presetCount(); ++p)
        requests << QStringLiteral("name %1").arg(p);
    for (int p = 0; p < bank.presetCount(); ++p)
        requests << QStringLiteral("pc %1").arg(p) << "usage";
    requests << "pc 0";
    // The last program change is sent without a reply to wait for: it may still be on its way.
    QTRY_COMPARE(trail(sim.requests()), requests);

    QCOMPARE(phases,
        QStringList({ "Asking for\nCab names...", "Asking for\nPreset names...",
            "Polling your AxeFx\nWait for completion\nor hit Esc to abort" }));
    // Each phase climbs to 100; the next starts again from 0.
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values.at(i) > values.at(i - 1) || (values.at(i - 1) == 100 && values.at(i) == 0));
    QCOMPARE(values.count(0), 2);
    QCOMPARE(values.last(), 100);

    QCOMPARE(answer.count, 1);
    QCOMPARE(fileBytes(answer.fileName),
        "\xEF\xBB\xBF" + bankCsv(bank, CrossReference::PresetCabs).toUtf8());
    QCOMPARE(QSettings().value("LastFolder").toString(), dir.path());
    for (auto view : { CrossReference::PresetCabs, CrossReference::CabPresets }) {
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
    QSettings().remove("geometry");
    OnRequest stop(sim, SimRequest::ProgramChange, stopAt,
        [&] { byClose ? void(closed = w.close()) : QTest::keyClick(&w, Qt::Key_Escape); });
    DialogAnswer answer;
    w.refresh();
    QCOMPARE(answer.count, 0);
    QCOMPARE(trail(sim.requests()).last(), QStringLiteral("usage"));
    QCOMPARE(w.statusBar()->findChild<QProgressBar*>()->value(), (stopAt + 1) * 100 / 384);
    // The preset in progress is finished; those after it show no cabinets.
    QCOMPARE(shown(w), texts(bankRows(sim.bank(), CrossReference::PresetCabs, stopAt + 1)));

    // A close during the scan only stops it; the next one saves the geometry and closes.
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

    // The start-up scan's last request has no reply; cleared before it lands, it would lead
    // the next trail.
    QTRY_VERIFY(trail(sim.requests()).endsWith(QStringLiteral("pc 0")));
    sim.clearRequests();
    // Esc once the first cabinet name is in: the bar leaves the 100 of the last scan.
    connect(w.statusBar()->findChild<QProgressBar*>(), &QProgressBar::valueChanged, this, [&] {
        if (overlayText(w) == "Asking for\nCab names...")
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
    QVERIFY(!w.isVisible());
    QCOMPARE(trail(sim.requests()), QStringList({ "model", "offset" }));
    QCOMPARE(answer.count, 0);
}

void TestMainWindow::silentUnitKeepsLayoutThenIsFoundAgain()
{
    // The larger layout, read up to preset 3.
    AxeFxSim sim(SimBank::builtIn(6));
    QVERIFY(sim.start());
    OnRequest esc(
        sim, SimRequest::ProgramChange, 3, [] { QTest::keyClick(window(), Qt::Key_Escape); });
    MainWindow w;
    QVERIFY(esc.done);

    // Silent unit: the search fails, and the result keeps the labels and rows it was read with.
    sim.stop();
    w.refresh();
    showView(w, CrossReference::CabPresets);
    QCOMPARE(shown(w), texts(bankRows(sim.bank(), CrossReference::CabPresets, 4)));
    QTemporaryDir dir;
    DialogAnswer answer(dir.filePath(QStringLiteral("kept.csv")));
    w.ExportCSV();
    QCOMPARE(fileBytes(answer.fileName).count('\n'), 1203 + 1);

    // Back on its ports: a Refresh finds it again and scans.
    sim.clearRequests();
    QVERIFY(sim.start());
    esc.done = false;
    w.refresh();
    QVERIFY(esc.done);
    QCOMPARE(
        trail(sim.requests()).mid(0, 4), QStringList({ "model", "offset", "offset", "cab 0" }));
}

// Qt 5.15's offscreen platform plugin never frees its screen: its start-up stays out of the
// leak check.
int main(int argc, char* argv[])
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
    QApplication app(argc, argv);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
    QStandardPaths::setTestModeEnabled(true);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mainwindow.moc"
