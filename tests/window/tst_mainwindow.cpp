// SPDX-License-Identifier: MIT
// The main window against the simulated unit: its form, the scan's life cycle (requests,
// progress, stops, closing, the CSV dialog), what the table shows after it, its views, filter
// and tooltips, the exports, printing, and saved scans opened with no unit.
#include "axefxsim.h"
#include "bankexport.h"
#include "jsonimport.h"
#include "mainwindow.h"
#include "scanoverlay.h"
#include "simbankjson.h"
#include "simrequest.h"

#include <QPrinter>

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

// Answers every message box and print dialog: notes its text (a print dialog's is empty)
// and closes it as Esc would.
class BoxAnswer : public QObject {
public:
    BoxAnswer()
    {
        connect(&poll, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || qobject_cast<QFileDialog*>(dialog))
                return;
            auto* box = qobject_cast<QMessageBox*>(dialog);
            texts << (box ? box->text() : QString(dialog->metaObject()->className()));
            dialog->reject();
        });
        poll.start(10);
    }
    QStringList texts;
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

// The token of the last request, empty (failing the comparison instead of the program)
// when the unit got none.
QString lastRequest(AxeFxSim& sim)
{
    const QStringList steps = trail(sim.requests());
    return steps.isEmpty() ? QString() : steps.last();
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
    const char* names[]
        = { "radioButton_PresetVersCab", "radioButton_CabVersPreset", "radioButton_UnusedCabs" };
    w.findChild<QRadioButton*>(names[view])->click();
}

void setFilter(MainWindow& w, const QString& text)
{
    w.findChild<QLineEdit*>(QStringLiteral("lineEdit_Filter"))->setText(text);
}

// The rows as "key|cabinets" (or the keys alone, as the unused view has), as the window shows
// them or as expected.
QStringList shown(MainWindow& w, bool keys = false)
{
    QStringList texts;
    const auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    for (int r = 0; r < table->rowCount(); ++r) {
        const bool entries = !keys && table->columnCount() > 1;
        texts << table->item(r, 0)->text() + (entries ? '|' + table->item(r, 1)->text() : "");
    }
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

// A CSV file as the window writes it: the byte order mark, then the text in UTF-8. A file
// without the mark never equals an expected text.
QString csvText(const QString& path)
{
    const QByteArray bytes = fileBytes(path);
    const QByteArray mark("\xEF\xBB\xBF");
    return bytes.startsWith(mark) ? QString::fromUtf8(bytes.mid(mark.size()))
                                  : "(no byte order mark) " + QString::fromUtf8(bytes);
}

// The rows not hidden by the filter, as shown() gives them.
QStringList visible(MainWindow& w)
{
    const QStringList all = shown(w);
    const auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    QStringList texts;
    for (int r = 0; r < all.size(); ++r) {
        if (!table->isRowHidden(r))
            texts << all.at(r);
    }
    return texts;
}

// The text of a PDF file, pages parted by form feeds.
QString pdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", { path, "-" });
    return pdftotext.waitForFinished() ? QString::fromUtf8(pdftotext.readAllStandardOutput())
                                       : QString();
}

// The report's title, then every key in order (a nameless preset's without its blank), and
// every page with the header.
void checkReport(const QString& text, CrossReference::View view, const QStringList& keys)
{
    QVERIFY2(text.startsWith("Tollmark: " + CrossReference::title(view) + '\n'), qPrintable(text));
    int at = 0;
    for (const QString& key : keys)
        QVERIFY2((at = text.indexOf(key.trimmed(), at)) >= 0, qPrintable(key));
    for (const QString& page : text.split('\f', Qt::SkipEmptyParts))
        QVERIFY(page.contains(CrossReference::headers(view).at(0)));
}

void trigger(MainWindow& w, const char* action)
{
    w.findChild<QAction*>(QLatin1String(action))->trigger();
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
    void unansweredEntries_data();
    void unansweredEntries();
    void closeDuringStartUpSearch();
    void silentUnitKeepsLayoutThenIsFoundAgain();
    // These share one scan, of a unit that is gone once it is read.
    void viewsAndFilter_data();
    void viewsAndFilter();
    void wholeText_data();
    void wholeText();
    void commands_data();
    void commands();
    void scanFiles_data();
    void scanFiles();
    void cleanupTestCase();

private:
    MainWindow& scanned();

    const SimBank bank = SimBank::builtIn(3);
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> scannedWindow;
    // The CSV saved straight after the scan.
    QString scanCsv;
};

MainWindow& TestMainWindow::scanned()
{
    if (scannedWindow)
        return *scannedWindow;
    AxeFxSim sim(bank);
    if (!sim.start())
        qFatal("the simulated unit did not start");
    DialogAnswer answer(dir.filePath(QStringLiteral("scan.csv")));
    scannedWindow = std::make_unique<MainWindow>();
    scanCsv = csvText(answer.fileName);
    return *scannedWindow;
}

void TestMainWindow::cleanupTestCase()
{
    scannedWindow.reset();
}

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
    showView(w, CrossReference::UnusedCabs);
    form << table->horizontalHeaderItem(0)->text() + QString::number(table->columnCount());
    form << w.findChild<QLineEdit*>(QStringLiteral("lineEdit_Filter"))->placeholderText();
    QCOMPARE(form,
        QStringList({ "Tollmark 1.2", "Tollbook", "Export as CSV", "Export as PDF", "Print…", "-",
            "Save scan…", "Open scan…", "-", "Refresh", "CabPresets", "PresetCabs",
            "Unused user cab1", "Filter" }));
    // Qt's standard keys; nothing scanned, nothing to save.
    const QList<QPair<const char*, QKeySequence::StandardKey>> keys {
        { "actionPrint", QKeySequence::Print }, { "actionSave_scan", QKeySequence::Save },
        { "actionOpen_scan", QKeySequence::Open }, { "actionRefresh", QKeySequence::Refresh }
    };
    for (const auto& key : keys) {
        QVERIFY(!QKeySequence::keyBindings(key.second).isEmpty());
        QCOMPARE(
            w.findChild<QAction*>(key.first)->shortcuts(), QKeySequence::keyBindings(key.second));
    }
    QVERIFY(!w.findChild<QAction*>("actionSave_scan")->isEnabled());

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
    const QDateTime start = QDateTime::currentDateTime();
    MainWindow w;
    const QDateTime end = QDateTime::currentDateTime();
    QVERIFY(nested);
    QVERIFY(overlayText(w).isEmpty());
    // The title names the unit and the scan's date, a moment of the scan: the short format
    // may show seconds.
    QStringList titles;
    for (QDateTime at = start; at <= end.addSecs(1); at = at.addSecs(1))
        titles << "Tollmark 1.2 — AxeFx, " + QLocale().toString(at, QLocale::ShortFormat);
    QVERIFY2(titles.contains(w.windowTitle()), qPrintable(w.windowTitle()));

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
    QCOMPARE(values.value(values.size() - 1), 100);

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
    // The unit starts after the window: Refresh finds it.
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
    QCOMPARE(lastRequest(sim), QStringLiteral("usage"));
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
    // The whole previous scan stays, names and cabinets, and the status bar says so.
    QCOMPARE(shown(w), texts(bankRows(sim.bank(), CrossReference::PresetCabs)));
    QCOMPARE(trail(sim.requests()), QStringList({ "offset", "cab 0" }));
    QCOMPARE(answer.count, 1);
    QCOMPARE(w.statusBar()->currentMessage(),
        QStringLiteral("Stopped: 0 of 384 presets read; the previous scan is shown"));
}

void TestMainWindow::unansweredEntries_data()
{
    QTest::addColumn<int>("muteTimes"); // -1: the unit goes silent instead
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("unusedNote"); // empty: the unused slots are listed
    QTest::newRow("a preset never answers")
        << 0 << "1 entry could not be read; Refresh asks for them again"
        << "No slot is known to be unused: the cabs of 1 preset could not be read";
    QTest::newRow("a reply lost once") << 1 << ""
                                       << "";
    QTest::newRow("goes silent") << -1
                                 << "The AxeFx stopped answering at preset 40: 40 of 384 "
                                    "presets read"
                                 << "No slot is known to be unused: the cabs of 5 presets could "
                                    "not be read and the scan did not reach 339 presets";
}

// Preset 7's cabinets unanswered, for good or once, or the unit silent from preset 40 on.
void TestMainWindow::unansweredEntries()
{
    QFETCH(int, muteTimes);
    QFETCH(QString, status);
    QFETCH(QString, unusedNote);
    const int muted = 7;
    const int silentFrom = muteTimes < 0 ? 40 : -1;
    const SimBank bank = SimBank::builtIn(3);
    AxeFxSim sim(bank);
    SimFaults faults;
    faults.mutePreset = muteTimes >= 0 ? muted : -1;
    faults.muteTimes = muteTimes;
    faults.silentFromPreset = silentFrom;
    sim.setFaults(faults);
    QVERIFY(sim.start());
    QTemporaryDir dir;
    DialogAnswer answer(dir.filePath(QStringLiteral("scan.csv")));
    MainWindow w;
    QCOMPARE(w.statusBar()->currentMessage(), status);
    ScanResult expected = bankResult(bank, silentFrom);
    if (muteTimes == 0)
        expected.setUsage(muted, {}, ReadState::NotRead);
    // The unit went silent at preset 40: that one and four more were asked for in vain.
    for (int p = silentFrom; p >= 0 && p < silentFrom + 5; ++p)
        expected.setUsage(p, {}, ReadState::NotRead);
    expected.indexCabs();
    QCOMPARE(shown(w), texts(CrossReference(expected).rows(CrossReference::PresetCabs)));
    // A complete scan offers its CSV, with the mark where the unit did not answer.
    QCOMPARE(answer.count, muteTimes >= 0 ? 1 : 0);
    if (muteTimes >= 0)
        QCOMPARE(csvText(answer.fileName), resultCsv(expected, CrossReference::PresetCabs));
    // The search, the names, the presets asked for (a program change and the usage each, or,
    // after a silence, the preset name query that brings the link back in step), the one
    // after preset 7's silence, then preset 7 again and preset 0; a unit gone silent is asked
    // nothing after five presets.
    const QStringList again { "pc 7", "usage", "pc 0" };
    const int presetsAsked = muteTimes >= 0 ? bank.presetCount() : silentFrom + 5;
    const int asked
        = 3 + bank.cabCount() + bank.presetCount() + 2 * presetsAsked + (muteTimes >= 0 ? 1 : 0);
    QTRY_COMPARE(trail(sim.requests()).size(), asked + (muteTimes >= 0 ? again.size() : 0));
    if (muteTimes >= 0)
        QCOMPARE(trail(sim.requests()).mid(asked), again);
    const auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    const int marked = muteTimes == 0 ? muted : silentFrom;
    if (marked >= 0)
        QVERIFY(table->item(marked, 1)->font().italic() && !table->item(0, 1)->font().italic());
    // No slot is called unused while a preset's cabinets are unknown, and the window says why.
    showView(w, CrossReference::UnusedCabs);
    const auto* note = w.findChild<QLabel*>(QStringLiteral("label_UnusedNote"));
    QCOMPARE(note->isVisible() ? note->text() : QString(), unusedNote);
    QCOMPARE(shown(w), unusedNote.isEmpty() ? bankUnused(bank) : QStringList());
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

void TestMainWindow::viewsAndFilter_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("narrows"); // some rows shown, not all
    QTest::newRow("presets, a cab's name in capitals")
        << int(CrossReference::PresetCabs) << bankResult(bank).cabNames.at(1).toUpper() << true;
    QTest::newRow("cabs, a preset number") << int(CrossReference::CabPresets) << "12(" << true;
    QTest::newRow("unused, nothing typed") << int(CrossReference::UnusedCabs) << "" << false;
    QTest::newRow("unused, some slots") << int(CrossReference::UnusedCabs) << "u10" << true;
    QTest::newRow("nothing matches") << int(CrossReference::PresetCabs) << "no such cab" << false;
}

// The view's rows whose key or one of the entries holds the text, in any case.
void TestMainWindow::viewsAndFilter()
{
    QFETCH(int, view);
    QFETCH(QString, filter);
    QFETCH(bool, narrows);
    MainWindow& w = scanned();
    showView(w, CrossReference::View(view));
    setFilter(w, filter);
    QStringList all, expected;
    if (view == CrossReference::UnusedCabs) {
        all = bankUnused(bank);
        expected = all.filter(filter, Qt::CaseInsensitive);
    } else {
        for (const CrossReference::Row& row : bankRows(bank, CrossReference::View(view))) {
            const QString text = row.key + '|' + row.entries.join(", ");
            all << text;
            if (!(QStringList(row.key) + row.entries).filter(filter, Qt::CaseInsensitive).isEmpty())
                expected << text;
        }
    }
    QCOMPARE(visible(w), expected);
    QCOMPARE(shown(w), all);
    QCOMPARE(!expected.isEmpty() && expected.size() < all.size(), narrows);
    setFilter(w, QString());
    QCOMPARE(visible(w), all);
}

void TestMainWindow::wholeText_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("cut");
    QTest::newRow("the longest cab list") << int(CrossReference::PresetCabs) << 1 << true;
    QTest::newRow("the shortest preset") << int(CrossReference::PresetCabs) << 0 << false;
    QTest::newRow("the longest preset list") << int(CrossReference::CabPresets) << 1 << true;
}

// In a narrow window, the longest text of a column is cut and shows whole as its tooltip; the
// shortest is not, and has none.
void TestMainWindow::wholeText()
{
    QFETCH(int, view);
    QFETCH(int, column);
    QFETCH(bool, cut);
    MainWindow& w = scanned();
    w.resize(640, 480);
    showView(w, CrossReference::View(view));
    auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    QTableWidgetItem* item = table->item(0, column);
    for (int r = 1; r < table->rowCount(); ++r) {
        const int length = table->item(r, column)->text().size();
        if (cut ? length > item->text().size() : length < item->text().size())
            item = table->item(r, column);
    }
    table->scrollToItem(item);
    QApplication::processEvents();
    const QRect cell = table->visualItemRect(item);
    QCOMPARE(table->fontMetrics().horizontalAdvance(item->text()) > cell.width(), cut);

    QToolTip::hideText();
    QTRY_VERIFY(QToolTip::text().isEmpty());
    QHelpEvent help(QEvent::ToolTip, cell.center(), table->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(table->viewport(), &help);
    QCOMPARE(QToolTip::text(), cut ? item->text() : QString());
    QToolTip::hideText();
}

void TestMainWindow::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("fileName"); // empty: the command is cancelled
    const int presets = CrossReference::PresetCabs, cabs = CrossReference::CabPresets,
              unused = CrossReference::UnusedCabs;
    QTest::newRow("Export as CSV, cabs") << "actionExport_as_CSV" << cabs << "cabs.csv";
    QTest::newRow("Export as CSV, unused") << "actionExport_as_CSV" << unused << "unused.csv";
    QTest::newRow("Export as PDF, presets") << "actionExport_as_PDF" << presets << "presets.pdf";
    QTest::newRow("Export as PDF, unused") << "actionExport_as_PDF" << unused << "unused.pdf";
    // The print dialog's own work is Qt's; what the window prints goes through printReport().
    QTest::newRow("Print, cabs") << "printReport" << cabs << "printed.pdf";
    QTest::newRow("Print…, cancelled") << "actionPrint" << presets << "";
    QTest::newRow("Save scan") << "actionSave_scan" << cabs << "rig.json";
}

// Each writes the whole view shown, whatever the filter hides; a saved scan opens as the
// record shown.
void TestMainWindow::commands()
{
    QFETCH(QString, command);
    QFETCH(int, view);
    QFETCH(QString, fileName);
    MainWindow& w = scanned();
    showView(w, CrossReference::View(view));
    setFilter(w, "no such cab");
    const QString path = fileName.isEmpty() ? QString() : dir.filePath(fileName);
    DialogAnswer answer(path);
    BoxAnswer boxes;
    if (command == "printReport") {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        w.printReport(printer);
    } else {
        trigger(w, qPrintable(command));
    }
    setFilter(w, QString());
    if (path.isEmpty()) {
        QCOMPARE(boxes.texts, QStringList({ "QPrintDialog" }));
        return;
    }
    QCOMPARE(boxes.texts, QStringList());

    const auto v = CrossReference::View(view);
    const QStringList keys
        = v == CrossReference::UnusedCabs ? bankUnused(bank) : texts(bankRows(bank, v), true);
    if (fileName.endsWith(".pdf"))
        return checkReport(pdfText(path), v, keys);
    if (fileName.endsWith(".json")) {
        ScanResult saved;
        QString reason;
        QVERIFY2(JsonImport::load(path, saved, reason), qPrintable(reason));
        QCOMPARE(texts(CrossReference(saved).rows(v)), texts(bankRows(bank, v)));
        QCOMPARE(w.windowTitle(), QStringLiteral("Tollmark 1.2 — rig.json"));
        return;
    }
    QString csv = bankCsv(bank, v);
    if (v == CrossReference::UnusedCabs)
        csv = "Unused user cab\n" + keys.join('\n') + '\n';
    QCOMPARE(csvText(path), csv);
}

void TestMainWindow::scanFiles_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("atStart"); // given to the window instead of the menu's dialog
    QTest::addColumn<QString>("message"); // empty: the file opens
    QTest::newRow("saved, opened") << "" << false << "";
    QTest::newRow("saved, opened at start with no unit") << "" << true << "";
    QTest::newRow("a later version's") << "later" << false << "";
    QTest::newRow("cut short") << "cut" << false << "cannot be opened: not a JSON document";
    QTest::newRow("cut short, at start")
        << "cut" << true << "cannot be opened: not a JSON document";
    QTest::newRow("a bank, not a scan")
        << "bank" << false << "cannot be opened: not a Tollmark scan: it has no \"format\"";
}

// Scan, save, open, export: the CSV is the one saved straight after the scan. A file that
// cannot be opened says why and leaves the table and the title as they were.
void TestMainWindow::scanFiles()
{
    QFETCH(QString, edit);
    QFETCH(bool, atStart);
    QFETCH(QString, message);
    MainWindow& w = scanned();
    showView(w, CrossReference::PresetCabs);
    const QString saved = dir.filePath(QStringLiteral("scan.json"));
    if (!QFile::exists(saved)) {
        DialogAnswer answer(saved);
        trigger(w, "actionSave_scan");
    }
    QFile original(saved);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QByteArray json = original.readAll();
    if (edit == "later") {
        QJsonObject root = QJsonDocument::fromJson(json).object();
        root["formatVersion"] = 2;
        root["scanner"] = QJsonObject { { "name", "next" } };
        json = QJsonDocument(root).toJson();
    } else if (edit == "cut") {
        json.truncate(json.size() / 2);
    } else if (edit == "bank") {
        json = SimBankJson::write(bank);
    }
    const QString path = edit.isEmpty() ? saved : dir.filePath(edit + ".json");
    QFile file(path);
    QVERIFY(edit.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(json) == json.size()));
    file.close();

    const QStringList before = shown(w);
    const QString titleBefore = w.windowTitle();
    BoxAnswer boxes;
    std::unique_ptr<MainWindow> started;
    if (atStart) {
        started = std::make_unique<MainWindow>(path);
    } else {
        DialogAnswer answer(path);
        trigger(w, "actionOpen_scan");
    }
    MainWindow& opened = atStart ? *started : w;
    if (!message.isEmpty()) {
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.first().contains(message), qPrintable(boxes.texts.first()));
        QCOMPARE(shown(opened), atStart ? QStringList() : before);
        QCOMPARE(opened.windowTitle(), atStart ? QStringLiteral("Tollmark 1.2") : titleBefore);
        return;
    }
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(opened.windowTitle(), "Tollmark 1.2 — " + QFileInfo(path).fileName());
    QCOMPARE(opened.statusBar()->currentMessage(),
        "Opened " + QFileInfo(path).fileName() + ": 384 of 384 presets read");
    DialogAnswer answer(dir.filePath(QStringLiteral("again.csv")));
    trigger(opened, "actionExport_as_CSV");
    QCOMPARE(csvText(answer.fileName), scanCsv);
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
