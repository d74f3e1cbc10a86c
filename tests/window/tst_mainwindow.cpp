// SPDX-License-Identifier: MIT
// The main window against the simulated unit: its form, the scan's life cycle (requests,
// progress, stops, closing, the CSV dialog), what the table shows after it, its views, filter
// and tooltips, the exports, printing, saved scans opened with no unit, and the comparison
// with a saved scan.
#include "axefxsim.h"
#include "bankexport.h"
#include "jsonexport.h"
#include "mainwindow.h"
#include "rowtexts.h"
#include "scanoverlay.h"
#include "simrequest.h"

#include <QPrinter>

#include <csignal>
#include <sys/resource.h>

#include <QtTest>
#include <QtWidgets>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Answers what the window asks: every file dialog with fileName, as a user typing it would,
// or cancels it when fileName is empty; every message box by noting its text and closing it as
// Esc would. The dialog takes the name only once its name field has lost the focus and its
// folder is read, so the answer is tried again until the dialog holds it.
class Answers : public QObject {
public:
    explicit Answers(const QString& fileName = QString())
        : fileName(fileName)
    {
        connect(&poll, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* box = qobject_cast<QMessageBox*>(modal);
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            auto* input = qobject_cast<QInputDialog*>(modal);
            if (box && box->isVisible())
                return texts << box->text(), box->reject();
            if (input && input->isVisible())
                return input->setTextValue(text), input->accept();
            if (!dialog || !dialog->isVisible())
                return;
            if (dialog != seen)
                captions << dialog->windowTitle();
            seen = dialog;
            if (this->fileName.isEmpty())
                return dialog->reject();
            if (QWidget* focused = dialog->focusWidget())
                focused->clearFocus();
            dialog->selectFile(this->fileName);
            // A name typed without its extension is given one.
            if (dialog->selectedFiles().value(0).startsWith(this->fileName))
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        });
        poll.start(10);
    }
    QString fileName;
    QString text; // for an input dialog
    QStringList captions; // of the file dialogs, one each
    QStringList texts; // message boxes
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

// Runs act once, as a scan's overlay shows: the unit has answered the search, and the phases
// begin.
class OnOverlay : public QObject {
public:
    explicit OnOverlay(std::function<void(ScanOverlay*)> act)
        : act(std::move(act))
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* overlay = qobject_cast<ScanOverlay*>(watched);
        if (overlay && event->type() == QEvent::Show && act)
            std::exchange(act, nullptr)(overlay);
        return false;
    }
    std::function<void(ScanOverlay*)> act;
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
    const char* names[]
        = { "radioButton_PresetVersCab", "radioButton_CabVersPreset", "radioButton_UnusedCabs" };
    w.findChild<QRadioButton*>(names[view])->click();
}

// The rows as "key|cabinets" (or the keys alone, as the unused view has), as the window shows
// them, with or without those the filter hides.
QStringList shown(MainWindow& w, bool hidden = true)
{
    QStringList texts;
    const auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    for (int r = 0; r < table->rowCount(); ++r) {
        const bool entries = table->columnCount() > 1;
        if (hidden || !table->isRowHidden(r))
            texts << table->item(r, 0)->text() + (entries ? '|' + table->item(r, 1)->text() : "");
    }
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

// The report is legible on paper whatever the window's dark palette: on its first page,
// above the footer, text darker than the table's grey rules. Its text is the view's title, then
// the key of every row in order (a nameless preset's without its blank; a row's entries after
// "|" are not looked for), with the view's last column header on every page.
void checkReport(const QString& path, CrossReference::View view, const QStringList& rows)
{
    const char* const titles[]
        = { "Preset -> Cabs", "Cab -> Presets", "Unused user cabs", "Changes" };
    const char* const headers[] = { "Cabs", "Presets", "Unused user cab", "Change" };
    QProcess tool;
    tool.start("pdftoppm", { "-singlefile", "-r", "50", "-gray", "-png", path, path });
    const QImage page(tool.waitForFinished() ? path + ".png" : QString());
    int dark = 0, drawn = 0;
    for (int i = 0; i < page.width() * (page.height() * 9 / 10); ++i) {
        const int gray = qGray(page.pixel(i % page.width(), i / page.width()));
        dark += gray < 128 ? 1 : 0;
        drawn += gray < 250 ? 1 : 0;
    }
    QVERIFY2(dark > drawn * 0.03, qPrintable(QString("%1 of %2 dark").arg(dark).arg(drawn)));
    tool.start("pdftotext", { path, "-" });
    const QString text = tool.waitForFinished() ? tool.readAllStandardOutput() : QString();
    QVERIFY2(text.startsWith(QString("Tollmark: ") + titles[view] + '\n'), qPrintable(text));
    int at = 0;
    for (const QString& row : rows)
        QVERIFY2((at = text.indexOf(row.section('|', 0, 0).trimmed(), at)) >= 0, qPrintable(row));
    for (const QString& page : text.split('\f', Qt::SkipEmptyParts))
        QVERIFY2(page.split('\n').contains(headers[view]), qPrintable(page));
}

void trigger(MainWindow& w, const char* action)
{
    w.findChild<QAction*>(QLatin1String(action))->trigger();
}

// The texts in view in a part of the window, one a line; none when the part is not there.
QString textsShown(QWidget* part)
{
    QStringList texts;
    for (QLabel* label : part ? part->findChildren<QLabel*>() : QList<QLabel*>())
        texts << (label->isVisible() ? label->text() : QString());
    texts.removeAll(QString());
    return texts.join('\n');
}

// The texts of the scan's overlay, empty while no scan runs.
QString overlayText(MainWindow& w)
{
    return textsShown(w.findChild<ScanOverlay*>());
}

// The contrast ratio of two colours as the accessibility guidelines define it, 1 to 21.
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void formWithoutDevice()
    {
        MainWindow w;
        // Nothing scanned, nothing to save, export or print, and the window says why.
        for (const char* name :
            { "actionSave_scan", "actionExport_as_CSV", "actionExport_as_PDF", "actionPrint" })
            QVERIFY2(!w.findChild<QAction*>(name)->isEnabled(), name);
        QCOMPARE(textsShown(w.statusBar()),
            QStringLiteral("No AxeFx found on the ports whose names contain \"AXE\" (MIDI port… "
                           "chooses others)"));
        // The colours the window sets reach 4.5:1 on their background, as drawn: the filter's
        // placeholder, and a disabled command, whose ink is the colour furthest from the
        // commonest, its paper.
        const QPalette filter = w.findChild<QLineEdit*>("lineEdit_Filter")->palette();
        QVERIFY(
            contrast(filter.color(QPalette::PlaceholderText), filter.color(QPalette::Base)) >= 4.5);
        auto* menu = w.findChild<QMenu*>("menuTollbook");
        menu->resize(menu->sizeHint());
        const QImage item
            = menu->grab(menu->actionGeometry(w.findChild<QAction*>("actionSave_scan"))).toImage();
        QHash<QRgb, int> counts;
        for (int i = 0; i < item.width() * item.height(); ++i)
            ++counts[item.pixel(i % item.width(), i / item.width())];
        const QColor paper = std::max_element(counts.begin(), counts.end()).key();
        double most = 1;
        for (QRgb ink : counts.keys())
            most = std::max(most, contrast(ink, paper));
        QVERIFY2(most >= 4.5, qPrintable(QString::number(most)));

        // The next window opens where and as large as this one closed.
        w.setGeometry(40, 60, 700, 500);
        QVERIFY(w.close());
        MainWindow again;
        QCOMPARE(again.size(), QSize(700, 500));
    }

    void completeScan()
    {
        SimBank bank = SimBank::builtIn(3);
        bank.displayOffset = 1;
        AxeFxSim sim(bank);
        QVERIFY(sim.start());
        Answers answer(dir.filePath(QStringLiteral("complete.csv")));

        // A Refresh chosen during the scan leaves it alone, and a saved scan is not opened.
        const QString saved = dir.filePath(QStringLiteral("large.json"));
        QVERIFY(JsonExport(bankResult(SimBank::builtIn(6))).save(saved));
        bool nested = false;
        OnRequest refreshAgain(sim, SimRequest::CabNameQuery, 5, [&] {
            window()->refresh();
            nested = !overlayText(*window()).isEmpty() && !window()->openScan(saved);
        });
        QStringList phases;
        QList<int> values;
        OnOverlay watch([&](ScanOverlay* overlay) {
            connect(overlay->findChild<QProgressBar*>(), &QProgressBar::valueChanged, this,
                [&](int value) {
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

        QCOMPARE(phases,
            QStringList({ "Asking for\nCab names...\nHit Esc to abort",
                "Asking for\nPreset names...\nHit Esc to abort",
                "Polling your AxeFx\nWait for completion\nHit Esc to abort" }));
        // One bar for the whole scan: it never goes back, and ends full.
        for (int i = 1; i < values.size(); ++i)
            QVERIFY2(values.at(i) >= values.at(i - 1), qPrintable(QString::number(i)));
        QCOMPARE(values.value(values.size() - 1), 100);
        const QString outcome = textsShown(w.statusBar());
        QVERIFY2(outcome.contains(QRegularExpression(
                     "^Scan complete: 384 presets and 232 cabs read in \\d+ s$")),
            qPrintable(outcome));

        QCOMPARE(answer.captions.size(), 1);
        QCOMPARE(QSettings().value("LastFolder").toString(), dir.path());
        for (auto view : { CrossReference::PresetCabs, CrossReference::CabPresets }) {
            showView(w, view);
            QCOMPARE(shown(w), rowTexts(bankexport::rows(bankResult(bank), view)));
        }

        // The scan's last request has no reply; cleared before it lands, it would lead the
        // next trail.
        QTRY_VERIFY(trail(sim.requests()).endsWith(QStringLiteral("pc 0")));
        sim.clearRequests();
        // Esc as the next scan begins: no name is asked for, and the whole previous scan stays,
        // names and cabinets, and the status bar says so.
        OnOverlay esc([&](ScanOverlay*) { QTest::keyClick(&w, Qt::Key_Escape); });
        w.refresh();
        QCOMPARE(
            shown(w), rowTexts(bankexport::rows(bankResult(bank), CrossReference::CabPresets)));
        QCOMPARE(trail(sim.requests()), QStringList({ "offset" }));
        QCOMPARE(answer.captions.size(), 1);
        QCOMPARE(textsShown(w.statusBar()),
            QStringLiteral("Stopped: 0 of 384 presets read; the previous scan is shown"));
    }

    // The window and tollmark-scan run the same scan, request for request, of a unit that
    // leaves some requests unanswered.
    void sameScanAsTheScanner()
    {
        SimFaults faults;
        faults.dropEvery = 900;
        QList<QByteArray> asked[2];
        for (bool byWindow : { true, false }) {
            AxeFxSim sim;
            sim.setFaults(faults);
            QVERIFY(sim.start());
            if (byWindow) {
                Answers answer;
                MainWindow w;
            } else {
                QProcess scan;
                scan.start(TOLLMARK_SCAN_PROGRAM, QStringList());
                QVERIFY(scan.waitForFinished(120000));
                QCOMPARE(scan.exitCode(), 0);
            }
            asked[byWindow] = sim.requests();
        }
        QVERIFY(asked[1].size() > 3560);
        QCOMPARE(asked[0], asked[1]);
    }

    void stopDuringUsage_data()
    {
        QTest::addColumn<int>("stopAt");
        QTest::addColumn<bool>("byClose"); // on a unit of the larger layout; Esc on the smaller
        QTest::newRow("close") << 3 << true;
        // The loop looks at the stop after it, too: a stop during the last preset is no end.
        QTest::newRow("Esc at the last preset") << 383 << false;
    }

    // A scan stopped; then the unit is silent, and back on its ports.
    void stopDuringUsage()
    {
        QFETCH(int, stopAt);
        QFETCH(bool, byClose);
        // The unit starts after the window: Refresh finds it.
        MainWindow w;
        AxeFxSim sim(SimBank::builtIn(byClose ? 6 : 3));
        QVERIFY(sim.start());
        bool closed = true;
        QSettings().remove("geometry");
        OnRequest stop(sim, SimRequest::ProgramChange, stopAt,
            [&] { byClose ? void(closed = w.close()) : QTest::keyClick(&w, Qt::Key_Escape); });
        Answers answer;
        w.refresh();
        QCOMPARE(answer.captions.size(), 0);
        QVERIFY(trail(sim.requests()).endsWith(QStringLiteral("usage")));
        QVERIFY(overlayText(w).isEmpty());
        // The preset in progress is finished; those after it show no cabinets.
        const auto read = [&](CrossReference::View view) {
            return rowTexts(bankexport::rows(bankResult(sim.bank(), stopAt + 1), view));
        };
        QCOMPARE(shown(w), read(CrossReference::PresetCabs));

        // Silent unit: the search fails, the window says so, and the result keeps the labels and
        // rows it was read with.
        sim.stop();
        w.refresh();
        QCOMPARE(textsShown(w.statusBar()),
            QStringLiteral("No AxeFx found on the ports whose names contain \"AXE\" (MIDI port… "
                           "chooses others); the previous scan is shown"));
        showView(w, CrossReference::CabPresets);
        QCOMPARE(shown(w), read(CrossReference::CabPresets));

        // Back on its ports: a Refresh finds it again and scans, stopped as before.
        sim.clearRequests();
        QVERIFY(sim.start());
        stop.done = false;
        w.refresh();
        QVERIFY(stop.done);
        QCOMPARE(
            trail(sim.requests()).mid(0, 4), QStringList({ "model", "offset", "offset", "cab 0" }));

        // A close during the scan only stops it; the next one closes.
        QCOMPARE(closed, !byClose);
        QVERIFY(!QSettings().contains("geometry"));
        QVERIFY(w.close());
    }

    // Ports not named "AXE" chosen with MIDI port… and kept for the next start; of two
    // matching units, the one taken is said.
    void portChoice()
    {
        const auto forget = qScopeGuard([] { QSettings().remove("MidiPort"); });
        AxeFxSim sim, second;
        sim.setPortNames({ "UM-ONE", "UM-ONE MIDI 1 In", "UM-ONE MIDI 1 Out" });
        second.setPortNames({ "UM-ONE second", "UM-ONE second In", "UM-ONE second Out" });
        QVERIFY(sim.start());
        MainWindow w;
        Answers answer;
        answer.text = "um-one";
        // Each scan is stopped as soon as the unit has answered the search.
        const auto stopped = [&](const std::function<void()>& scan) {
            OnOverlay stop([&](ScanOverlay* o) { QTest::keyClick(o->window(), Qt::Key_Escape); });
            scan();
            return textsShown(w.statusBar());
        };
        QVERIFY(second.start());
        const QRegularExpression choice("^Stopped: 0 of 384 presets read; 2 output ports match "
                                        "\"um-one\": using \"[^\"]*UM-ONE MIDI 1 In[^\"]*\", not "
                                        "\"[^\"]*second In[^\"]*\"; 2 input ports match");
        QVERIFY(stopped([&] { trigger(w, "actionMIDI_port"); }).contains(choice));
        QCOMPARE(QSettings().value("MidiPort").toString(), "um-one");
        sim.clearRequests();
        std::unique_ptr<MainWindow> again;
        stopped([&] { again = std::make_unique<MainWindow>(); });
        QVERIFY(sim.requestCount() > 0);
        QCOMPARE(second.requestCount(), 0);
    }

    void unansweredEntries_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("overlay"); // when preset 42 is asked for
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("unusedNote");
        QTest::newRow("a preset never answers")
            << false << "Polling your AxeFx\nWait for completion\nHit Esc to abort"
            << "1 entry could not be read; Refresh asks for them again"
            << "No slot is known to be unused: the cabs of 1 preset could not be read";
        QTest::newRow("goes silent")
            << true
            << "Polling your AxeFx\nWait for completion\nThe AxeFx is not answering (2 "
               "requests)…\nHit Esc to abort"
            << "The AxeFx stopped answering at preset 40: 40 of 384 presets read"
            << "No slot is known to be unused: the cabs of 5 presets could not be read and the "
               "scan did not reach 339 presets";
    }

    // Preset 7's cabinets unanswered, or the unit silent from preset 40 on.
    void unansweredEntries()
    {
        QFETCH(bool, silent);
        QFETCH(QString, overlay);
        QFETCH(QString, status);
        QFETCH(QString, unusedNote);
        const int muted = 7;
        const int silentFrom = silent ? 40 : -1;
        AxeFxSim sim(bank);
        SimFaults faults;
        faults.mutePreset = silent ? -1 : muted;
        faults.silentFromPreset = silentFrom;
        sim.setFaults(faults);
        QVERIFY(sim.start());
        Answers answer(dir.filePath(QStringLiteral("unanswered.csv")));
        QString overlayAt42;
        OnRequest watch(
            sim, SimRequest::ProgramChange, 42, [&] { overlayAt42 = overlayText(*window()); });
        MainWindow w;
        QCOMPARE(overlayAt42, overlay);
        // How the scan ended stays in view when a menu shows its actions' status tips.
        w.findChild<QAction*>("actionRefresh")->showStatusText(&w);
        QCOMPARE(textsShown(w.statusBar()), status);
        ScanResult expected = bankResult(bank, silentFrom);
        if (!silent)
            expected.setUsage(muted, {}, ReadState::NotRead);
        // The unit went silent at preset 40: that one and four more were asked for in vain.
        for (int p = silentFrom; p >= 0 && p < silentFrom + 5; ++p)
            expected.setUsage(p, {}, ReadState::NotRead);
        QCOMPARE(shown(w), rowTexts(bankexport::rows(expected, CrossReference::PresetCabs)));
        // A complete scan offers its CSV.
        QCOMPARE(answer.captions.size(), silent ? 0 : 1);
        // The search, the names, the presets asked for (a program change and the usage each, or,
        // after a silence, the preset name query that brings the link back in step), the one
        // after preset 7's silence, then preset 7 again and preset 0; a unit gone silent is asked
        // nothing after five presets.
        const QStringList again { "pc 7", "usage", "pc 0" };
        const int presetsAsked = silent ? silentFrom + 5 : bank.presetCount();
        // The preset names come with one query in 33 that confirms the 32 before.
        const int asked = 3 + bank.cabCount() + bank.presetCount() + bank.presetCount() / 32
            + 2 * presetsAsked + (silent ? 0 : 1);
        QTRY_COMPARE(trail(sim.requests()).size(), asked + (silent ? 0 : again.size()));
        QCOMPARE(trail(sim.requests()).mid(asked), silent ? QStringList() : again);
        const auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
        const int marked = silent ? silentFrom : muted;
        QVERIFY(table->item(marked, 1)->font().italic() && !table->item(0, 1)->font().italic());
        QVERIFY(contrast(table->item(marked, 1)->foreground().color(),
                    table->palette().color(QPalette::Base))
            >= 4.5);
        // No slot is called unused while a preset's cabinets are unknown, the window says why, and
        // refuses to export an empty list that would look like "no slot free".
        showView(w, CrossReference::UnusedCabs);
        const auto* note = w.findChild<QLabel*>(QStringLiteral("label_UnusedNote"));
        QCOMPARE(note->isVisible() ? note->text() : QString(), unusedNote);
        QCOMPARE(shown(w), QStringList());
        for (const char* command : { "actionExport_as_CSV", "actionExport_as_PDF", "actionPrint" })
            trigger(w, command);
        const QString refused = unusedNote + "; nothing written.";
        QCOMPARE(answer.texts, QStringList({ refused, refused, refused }));
    }

    void closeDuringStartUpSearch()
    {
        AxeFxSim sim;
        QVERIFY(sim.start());
        OnRequest close(sim, SimRequest::ModelQuery, -1, [] { window()->close(); });
        Answers answer;
        MainWindow w;
        QVERIFY(!w.isVisible());
        QCOMPARE(trail(sim.requests()), QStringList({ "model", "offset" }));
        QCOMPARE(answer.captions.size(), 0);
    }

    // These share one scan, of a unit that is gone once it is read.
    void wholeText_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("cut");
        QTest::newRow("the longest cab list") << 1 << true;
        QTest::newRow("the shortest preset") << 0 << false;
    }

    // In a narrow window, the longest text of a column is cut and shows whole as its tooltip; the
    // shortest is not, and has none.
    void wholeText()
    {
        QFETCH(int, column);
        QFETCH(bool, cut);
        MainWindow& w = scanned();
        w.resize(640, 480);
        showView(w, CrossReference::PresetCabs);
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
        QHelpEvent help(
            QEvent::ToolTip, cell.center(), table->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(table->viewport(), &help);
        QCOMPARE(QToolTip::text(), cut ? item->text() : QString());
    }

    void keyboard_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("to"); // the part with the focus after them, or the menu shown
        const auto row = [](const char* name, const char* from, QKeySequence keys, const char* to) {
            QTest::newRow(name) << QString(from) << keys << QString(to);
        };
        row("Tab from the table", "tableWidget", Qt::Key_Tab, "radioButton_PresetVersCab");
        row("Shift+Tab from the table", "tableWidget", Qt::SHIFT | Qt::Key_Backtab,
            "lineEdit_Filter");
        row("Alt+T in the filter", "lineEdit_Filter", Qt::ALT | Qt::Key_T, "menuTollbook");
        row("Down in the table", "tableWidget", Qt::Key_Down, "tableWidget");
        row("Alt+A in the table", "tableWidget", Qt::ALT | Qt::Key_A, "radioButton_CabVersPreset");
        row("F10 in a view switch", "radioButton_CabVersPreset", Qt::Key_F10, "menuTollbook");
        row("Ctrl+F in the table", "tableWidget", QKeySequence::Find, "lineEdit_Filter");
    }

    // Tab leaves the table, arrows move in it, and the menu opens from the keyboard wherever the
    // focus is, without typing into the filter.
    void keyboard()
    {
        QFETCH(QString, from);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, to);
        MainWindow& w = scanned();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
        // Another view starts at its top.
        table->scrollToBottom();
        showView(w, CrossReference::CabPresets);
        QCOMPARE(table->verticalScrollBar()->value(), 0);
        showView(w, CrossReference::PresetCabs);
        table->setCurrentCell(0, 0);
        auto* start = w.findChild<QWidget*>(from);
        start->setFocus();
        QTest::keySequence(start, keys);
        QWidget* popup = QApplication::activePopupWidget();
        const QString now = (popup ? popup : QApplication::focusWidget())->objectName();
        if (popup)
            popup->close();
        QCOMPARE(now, to);
        QCOMPARE(table->currentRow(), keys == QKeySequence(Qt::Key_Down) ? 1 : 0);
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("lineEdit_Filter"))->text(), QString());
    }

    // A row longer than a page goes on over the page break with its key again, and every page
    // says its number; a report not painted whole is no report written.
    void reportPages()
    {
        ScanResult record = bankResult(SimBank::builtIn(6));
        for (QList<int>& cabs : record.presetCabs)
            cabs.removeAll(0), cabs.prepend(0);
        record.cabPresets = bankexport::usersOf(record);
        QBuffer closed;
        QVERIFY(!PdfExport(record, CrossReference::CabPresets).write(closed));
        const QString saved = dir.filePath("everywhere.json");
        QVERIFY(JsonExport(record).save(saved));
        MainWindow w(saved);
        showView(w, CrossReference::CabPresets);
        Answers answer(dir.filePath("everywhere.pdf"));
        trigger(w, "actionExport_as_PDF");
        QProcess tool;
        tool.start("pdftotext", { answer.fileName, "-" });
        const QString text = tool.waitForFinished() ? tool.readAllStandardOutput() : QString();
        const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
        QVERIFY2(pages.size() > 2, qPrintable(text));
        const QString first = bankexport::rows(record, CrossReference::CabPresets).first().key;
        QVERIFY2(pages.at(1).contains(first + " (continued)"), qPrintable(pages.at(1)));
        for (int i = 0; i < pages.size(); ++i)
            QVERIFY2(pages.at(i).contains(QString("\n%1 / %2\n").arg(i + 1).arg(pages.size())),
                qPrintable(pages.at(i)));
    }

    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("fileName"); // as typed; the dialog adds a missing extension
        // The dialog's caption, then any message, one a line; "@" is the file's path.
        QTest::addColumn<QString>("says");
        const int presets = CrossReference::PresetCabs, cabs = CrossReference::CabPresets,
                  unused = CrossReference::UnusedCabs;
        const auto row = [](const char* command, int view, const char* fileName, QString says) {
            QTest::newRow(qPrintable(QString(command) + ' ' + fileName))
                << QString(command) << view << QString(fileName) << says;
        };
        row("actionExport_as_CSV", cabs, "cabs", "Export \"Cab -> Presets\" as CSV");
        row("actionExport_as_CSV", unused, "unused.csv", "Export \"Unused user cabs\" as CSV");
        row("actionExport_as_PDF", presets, "presets", "Export \"Preset -> Cabs\" as PDF");
        row("actionExport_as_PDF", unused, "unused.pdf", "Export \"Unused user cabs\" as PDF");
        // The print dialog's own work is Qt's; what the window prints goes through printReport().
        row("printReport", cabs, "printed.pdf", "");
        row("actionSave_MIDI_trace", presets, "scan.txt", "Save MIDI trace");
        // To a folder since removed; over an older file with the disk full.
        row("actionExport_as_CSV", cabs, "gone/cabs.csv",
            "Export \"Cab -> Presets\" as CSV\n@ was not written: No such file or directory.");
        row("actionExport_as_PDF", cabs, "older.pdf",
            "Export \"Cab -> Presets\" as PDF\n@ was not written: File too large. The file of "
            "that name is an older one, left as it was.");
    }

    // Each writes the whole view shown, whatever the filter hides; a saved scan opens as the
    // record shown.
    void commands()
    {
        QFETCH(QString, command);
        QFETCH(int, view);
        QFETCH(QString, fileName);
        QFETCH(QString, says);
        MainWindow& w = scanned();
        showView(w, CrossReference::View(view));
        // The filter hides every row, not the rows written.
        auto* filter = w.findChild<QLineEdit*>(QStringLiteral("lineEdit_Filter"));
        filter->setText("no such cab");
        QCOMPARE(shown(w, false), QStringList());
        QString path = dir.filePath(fileName);
        Answers answer(path);
        // The disk takes no more bytes: the older file must survive whole.
        const bool full = fileName.startsWith("older");
        rlimit unlimited {}, limit { 0, RLIM_INFINITY };
        QFile older(path);
        QVERIFY(!full || (older.open(QIODevice::WriteOnly) && older.write("older") == 5));
        older.close();
        if (full) {
            std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &unlimited);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (command == "printReport") {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            w.printReport(printer);
        } else {
            trigger(w, qPrintable(command));
        }
        if (full)
            setrlimit(RLIMIT_FSIZE, &unlimited);
        filter->clear();
        QCOMPARE((answer.captions + answer.texts).join('\n'),
            says.replace("@", QDir::toNativeSeparators(path)));
        if (full) {
            QCOMPARE(fileBytes(path), QByteArray("older"));
            QCOMPARE(QDir(dir.path()).entryList({ "older*" }), QStringList("older.pdf"));
        }
        if (!answer.texts.isEmpty())
            return;

        if (QFileInfo(path).suffix().isEmpty())
            path += command.contains("PDF") ? ".pdf" : ".csv";
        if (fileName.endsWith(".txt")) {
            // The scan from its first request, the search's model query.
            const QRegularExpression trace(
                "^# Tollmark MIDI trace\n(# .*\n)*# model byte: 03 "
                "\\(hex\\)\n(# .*\n)*\\d+\\.\\d{3} out F0 00 01 74 7F 00 7A F7\n");
            QVERIFY(QString(fileBytes(path)).contains(trace));
            return;
        }
        // With the filter cleared, every row shows again.
        const auto v = CrossReference::View(view);
        const QStringList rows = v == CrossReference::UnusedCabs
            ? bankUnused(bank)
            : rowTexts(bankexport::rows(bankResult(bank), v));
        QCOMPARE(shown(w, false), rows);
        if (path.endsWith(".pdf"))
            return checkReport(path, v, rows);
        QCOMPARE(csvText(path),
            v == CrossReference::UnusedCabs ? "Unused user cab\n" + rows.join('\n') + '\n'
                                            : resultCsv(bankResult(bank), v));
    }

    void scanFiles_data()
    {
        QTest::addColumn<QString>("message"); // empty: the file opens; else it is cut short
        QTest::newRow("saved, opened") << "";
        QTest::newRow("cut short") << "cannot be opened: not a JSON document";
    }

    // Scan, save, open, export: the CSV is the one saved straight after the scan. A file that
    // cannot be opened says why and leaves the table and the title as they were.
    void scanFiles()
    {
        QFETCH(QString, message);
        MainWindow& w = scanned();
        showView(w, CrossReference::PresetCabs);
        const QString saved = dir.filePath(QStringLiteral("scan.json"));
        if (!QFile::exists(saved)) {
            // Typed without its extension, which Open scan's filter needs.
            Answers answer(dir.filePath(QStringLiteral("scan")));
            trigger(w, "actionSave_scan");
            QCOMPARE(answer.captions, QStringList("Save the whole scan as JSON"));
            QCOMPARE(w.windowTitle(), QStringLiteral("Tollmark 1.2 — scan.json"));
        }
        const QByteArray json = fileBytes(saved);
        const QByteArray cut = json.left(json.size() / 2);
        const QString path = message.isEmpty() ? saved : dir.filePath("cut.json");
        QFile file(path);
        QVERIFY(message.isEmpty()
            || (file.open(QIODevice::WriteOnly) && file.write(cut) == cut.size()));
        file.close();

        const QStringList before = shown(w);
        const QString titleBefore = w.windowTitle();
        Answers answer(path);
        trigger(w, "actionOpen_scan");
        if (!message.isEmpty()) {
            QCOMPARE(answer.texts.size(), 1);
            QVERIFY2(answer.texts.first().contains(message), qPrintable(answer.texts.first()));
            QCOMPARE(shown(w), before);
            QCOMPARE(w.windowTitle(), titleBefore);
            return;
        }
        QCOMPARE(answer.texts, QStringList());
        QCOMPARE(w.windowTitle(), QStringLiteral("Tollmark 1.2 — scan.json"));
        QCOMPARE(
            textsShown(w.statusBar()), QStringLiteral("Opened scan.json: 384 of 384 presets read"));
        answer.fileName = dir.filePath(QStringLiteral("again.csv"));
        trigger(w, "actionExport_as_CSV");
        QCOMPARE(csvText(answer.fileName), scanCsv);
    }

    // The scan of the built-in bank, opened with no unit, compared with the later scan of the
    // changed bank: the one scanned earlier is the older. The slot replaced, the presets that
    // use it, the preset renamed and the one whose cabinets changed, in the view and in its
    // report; then a scan opened in its place is compared with the same saved scan again.
    void compare()
    {
        QStringList rows = changedBankRows();
        const SimBank changed = changedBank();
        const QString older = dir.filePath("before.json"), newer = dir.filePath("after.json");
        ScanResult first = bankResult(bank), second = bankResult(changed);
        first.scannedAt = QDateTime(QDate(2026, 1, 5), QTime(10, 0), Qt::UTC);
        second.scannedAt = first.scannedAt.addDays(1);
        QVERIFY(JsonExport(first).save(older));
        QVERIFY(JsonExport(second).save(newer));
        // Opened at start, with no unit: no search follows.
        MainWindow w(older);
        QCOMPARE(w.windowTitle(), QStringLiteral("Tollmark 1.2 — before.json"));
        QCOMPARE(textsShown(w.statusBar()),
            QStringLiteral("Opened before.json: 384 of 384 presets read"));
        Answers answer(newer);
        trigger(w, "actionCompare_with_scan");
        QCOMPARE(answer.texts, QStringList());
        QCOMPARE(textsShown(w.statusBar()), "Compared with after.json: 8 entries differ");
        QCOMPARE(shown(w), rows);
        const auto* table = w.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
        QVERIFY(table->rowHeight(0) < 2 * table->fontMetrics().height());
        // A Refresh, which finds no unit here, keeps the record and says the comparison again.
        w.refresh();
        QCOMPARE(textsShown(w.statusBar()),
            "No AxeFx found on the ports whose names contain \"AXE\" (MIDI port… chooses others); "
            "the previous scan is shown — Compared with after.json: 8 entries differ");
        answer.fileName = dir.filePath("changes.pdf");
        trigger(w, "actionExport_as_PDF");
        checkReport(answer.fileName, CrossReference::Changes, rows);

        ScanResult third = bankResult(changed);
        std::swap(third.presetCabsX[2], third.presetCabsY[2]);
        third.scannedAt = second.scannedAt.addDays(1);
        QVERIFY(JsonExport(third).save(dir.filePath("latest.json")));
        QVERIFY(w.openScan(dir.filePath("latest.json")));
        QCOMPARE(shown(w), QStringList("2 Lead Boost|X and Y exchanged"));
    }

    void cleanupTestCase() { scannedWindow.reset(); }

private:
    MainWindow& scanned()
    {
        if (scannedWindow)
            return *scannedWindow;
        AxeFxSim sim(bank);
        if (!sim.start())
            qFatal("the simulated unit did not start");
        Answers answer(dir.filePath(QStringLiteral("scan.csv")));
        scannedWindow = std::make_unique<MainWindow>();
        scanCsv = csvText(answer.fileName);
        return *scannedWindow;
    }

    const SimBank bank = SimBank::builtIn(3);
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> scannedWindow;
    // The CSV saved straight after the scan.
    QString scanCsv;
};

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
