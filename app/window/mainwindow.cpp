// SPDX-License-Identifier: MIT
#include "mainwindow.h"

#include "csvexport.h"
#include "jsonexport.h"
#include "jsonimport.h"
#include "pdfexport.h"
#include "scanoverlay.h"
#include "unusedcabs.h"
#include "wholetextdelegate.h"
#include "windowlook.h"

#include <QApplication>
#include <QBrush>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>

namespace {
const char kGeometryKey[] = "geometry";
const char kWindowStateKey[] = "windowState";
const char kLastFolderKey[] = "LastFolder";
const int kStateVersion = 0;

const char kTableEntrySeparator[] = ", ";
const int kRowHeaderMinimumWidth = 90;
const int kRowHeaderMinimumHeight = 15;

} // namespace

MainWindow::MainWindow(const QString& scanFile, QWidget* parent)
    : QMainWindow(parent)
    , job(axeFx)
{
    ui.setupUi(this);
    baseTitle = windowTitle();
    ui.tableWidget->setItemDelegate(new WholeTextDelegate(ui.tableWidget));
    applyWindowLook(*ui.menuBar, *ui.menuTollbook, *ui.tableWidget);
    connectCommands();
    setUpKeyboard();
    addOutcomeLabel();
    restoreSettings();
    showRecordName();
    show();
    if (!scanFile.isEmpty()) {
        openScan(scanFile);
        return;
    }
    // The start-up search, and the first scan when the unit answers.
    refresh();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectCommands()
{
    connect(ui.actionRefresh, SIGNAL(triggered(bool)), this, SLOT(refresh()));
    connect(ui.radioButton_PresetVersCab, SIGNAL(clicked(bool)), this, SLOT(setupTable()));
    connect(ui.radioButton_CabVersPreset, SIGNAL(clicked(bool)), this, SLOT(setupTable()));
    connect(ui.actionExport_as_CSV, SIGNAL(triggered(bool)), this, SLOT(ExportCSV()));
    connect(ui.actionExport_as_PDF, SIGNAL(triggered(bool)), this, SLOT(ExportPDF()));
    connect(ui.actionPrint, SIGNAL(triggered(bool)), this, SLOT(print()));
    connect(ui.actionSave_scan, SIGNAL(triggered(bool)), this, SLOT(saveScan()));
    connect(ui.actionOpen_scan, SIGNAL(triggered(bool)), this, SLOT(openScan()));
    connect(ui.radioButton_UnusedCabs, SIGNAL(clicked(bool)), this, SLOT(setupTable()));
    connect(ui.radioButton_Changes, SIGNAL(clicked(bool)), this, SLOT(setupTable()));
    connect(ui.actionCompare_with_scan, SIGNAL(triggered(bool)), this, SLOT(compareWithScan()));
    connect(ui.actionMIDI_port, &QAction::triggered, this, &MainWindow::chooseMidiPort);
    connect(ui.actionSave_MIDI_trace, &QAction::triggered, this, &MainWindow::saveTrace);
    connect(ui.lineEdit_Filter, &QLineEdit::textChanged, this, &MainWindow::applyFilter);
    ui.actionPrint->setShortcut(QKeySequence::Print);
    ui.actionSave_scan->setShortcut(QKeySequence::Save);
    ui.actionOpen_scan->setShortcut(QKeySequence::Open);
    ui.actionRefresh->setShortcut(QKeySequence::Refresh);

    connect(&job, &ScanJob::started, this, &MainWindow::showScan);
    connect(&job, &ScanJob::phaseStarted, this, &MainWindow::startPhase);
    connect(&job, &ScanJob::progress, this, &MainWindow::showProgress);
    connect(&axeFx, &AxeFX::requestUnanswered, this, &MainWindow::showUnanswered);
}

// Tab and Shift+Tab go round the view switches, the filter and the table, whose arrows move
// from cell to cell; Alt+T or F10 opens the menu, Ctrl+F goes to the filter.
void MainWindow::setUpKeyboard()
{
    ui.tableWidget->setTabKeyNavigation(false);
    setTabOrder(ui.radioButton_PresetVersCab, ui.radioButton_CabVersPreset);
    setTabOrder(ui.radioButton_CabVersPreset, ui.radioButton_UnusedCabs);
    setTabOrder(ui.radioButton_UnusedCabs, ui.radioButton_Changes);
    setTabOrder(ui.radioButton_Changes, ui.lineEdit_Filter);
    setTabOrder(ui.lineEdit_Filter, ui.tableWidget);
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this,
        [this] { ui.menuBar->setActiveAction(ui.menuTollbook->menuAction()); });
    auto* filterKey = new QShortcut(QKeySequence::Find, this);
    connect(filterKey, &QShortcut::activated, this, [this] { ui.lineEdit_Filter->setFocus(); });
}

void MainWindow::addOutcomeLabel()
{
    // A permanent widget: the status tips of menus replace temporary messages, not this.
    outcomeLabel = new QLabel;
    statusBar()->addPermanentWidget(outcomeLabel, 1);
}

void MainWindow::restoreSettings()
{
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
    restoreState(settings.value(kWindowStateKey).toByteArray(), kStateVersion);
    restorePortChoice();
}

void MainWindow::refresh()
{
    // One scan at a time: a Refresh chosen while the unit is searched for or scanned comes
    // from inside that work's waits and must leave it alone.
    if (job.isRunning())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    trace.restart();
    QElapsedTimer took;
    took.start();
    const ScanJob::Outcome outcome = job.run();
    scanSeconds = qRound(took.elapsed() / 1000.0);
    overlay.reset();
    QApplication::restoreOverrideCursor();
    if (job.showsLastRun())
        recordFile.clear();
    showRecordName();
    setupTable();
    reportOutcome(outcome);
    if (outcome == ScanJob::Complete)
        ExportCSV();
    polling = false;
}

// How the scan ended, and what it could not read with what to do, stays in the status bar
// until the next scan or opened file replaces it.
void MainWindow::reportOutcome(ScanJob::Outcome outcome)
{
    QString text = job.outcomeText(outcome) + searchNote(outcome);
    if (outcome == ScanJob::Complete && !text.isEmpty())
        text += tr("; Refresh asks for them again");
    else if (outcome == ScanJob::Complete)
        text = tr("Scan complete: %1 presets and %2 cabs read in %3 s")
                   .arg(job.result().presetCount())
                   .arg(job.result().cabCount())
                   .arg(scanSeconds);
    else if (!job.showsLastRun() && !job.result().isEmpty())
        text += tr("; the previous scan is shown");
    showOutcome(withPortChoice(text));
}

// The comparison is redone with every record shown, and says its count again.
void MainWindow::showOutcome(const QString& text)
{
    if (comparedFile.isEmpty())
        return outcomeLabel->setText(text);
    const QString compared = tr("Compared with %1: %2")
                                 .arg(QFileInfo(comparedFile).fileName(), comparison().summary());
    outcomeLabel->setText(text.isEmpty() ? compared : text + QStringLiteral(" \u2014 ") + compared);
}

void MainWindow::showScan()
{
    polling = true;
    outcomeLabel->clear();
    overlay = std::make_unique<ScanOverlay>(
        ui.tableWidget, tr("Polling your AxeFx\n\nWait for completion"));
}

void MainWindow::startPhase(ScanJob::Phase phase)
{
    switch (phase) {
    case ScanJob::CabNames:
        overlay->setStatus(tr("Asking for\nCab names..."));
        break;
    case ScanJob::PresetNames:
        overlay->setStatus(tr("Asking for\nPreset names..."));
        break;
    case ScanJob::CabUsage:
        overlay->setStatus(tr("Polling your AxeFx\nWait for completion"));
        break;
    case ScanJob::AskAgain:
        overlay->setStatus(tr("Asking again for\nwhat went unanswered..."));
        break;
    }
}

void MainWindow::showProgress(ScanJob::Phase phase, int percent)
{
    // One bar for the whole scan, each phase its share of it by the requests it takes about;
    // asking again comes after the bar is full.
    const int start[] = { 0, 20, 45, 100 };
    const int end[] = { 20, 45, 100, 100 };
    overlay->setProgress(start[phase] + (end[phase] - start[phase]) * percent / 100);
    // Progress comes after each entry: one the unit answered ends the silence.
    if (axeFx.unansweredInARow() == 0)
        overlay->setNote(QString());
}

void MainWindow::showUnanswered(int inARow)
{
    // The search for the unit asks without an overlay; its silence is the "No AxeFx found".
    if (!overlay)
        return;
    overlay->setNote(inARow == 1 ? tr("The AxeFx is not answering (1 request)…")
                                 : tr("The AxeFx is not answering (%1 requests)…").arg(inARow));
}

void MainWindow::setupTable()
{
    const CrossReference::View view = currentView();
    const QStringList headers = CrossReference::headers(view);
    QTableWidget* table = ui.tableWidget;
    table->clear();
    table->setColumnCount(headers.size());
    table->setHorizontalHeaderLabels(headers);
    configureTable(view);
    // Another view starts at its top; the same one, rebuilt, stays where it was.
    if (view != tableView)
        table->scrollToTop();
    tableView = view;

    const QString unknown = view == CrossReference::UnusedCabs ? unusedUnknownReason(job.result())
        : view == CrossReference::Changes ? comparison().notes().join(QLatin1Char('\n'))
                                          : QString();
    ui.label_UnusedNote->setText(unknown);
    ui.label_UnusedNote->setVisible(!unknown.isEmpty());

    tableRows = exportRows(view);
    const QVector<CrossReference::Row>& rows = tableRows;
    table->setUpdatesEnabled(false);
    table->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const CrossReference::Row& row = rows.at(r);
        const QStringList cells { row.key, row.entries.join(QLatin1String(kTableEntrySeparator)) };
        for (int column = 0; column < headers.size(); ++column) {
            auto* item = new QTableWidgetItem(cells.at(column));
            // What was not read is dimmed and slanted, beside its "(not read)" mark.
            if (row.marked) {
                item->setForeground(QBrush(QColor(kDimmedTextColour)));
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
            }
            table->setItem(r, column, item);
        }
    }
    applyFilter();
    table->setUpdatesEnabled(true);
}

void MainWindow::applyFilter()
{
    const QString text = ui.lineEdit_Filter->text();
    for (int r = 0; r < tableRows.size(); ++r)
        ui.tableWidget->setRowHidden(r, !tableRows.at(r).contains(text));
}

void MainWindow::showRecordName()
{
    const ScanResult& record = job.result();
    for (QAction* action :
        { ui.actionSave_scan, ui.actionExport_as_CSV, ui.actionExport_as_PDF, ui.actionPrint })
        action->setEnabled(!record.isEmpty());
    if (record.isEmpty()) {
        setWindowTitle(baseTitle);
        return;
    }
    const QString name = !recordFile.isEmpty()
        ? QFileInfo(recordFile).fileName()
        : tr("AxeFx, %1").arg(QLocale().toString(record.scannedAt, QLocale::ShortFormat));
    setWindowTitle(baseTitle + QStringLiteral(" \u2014 ") + name);
}

void MainWindow::configureTable(CrossReference::View view)
{
    QTableWidget* table = ui.tableWidget;
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);

    QHeaderView* columns = table->horizontalHeader();
    columns->setDefaultAlignment(Qt::AlignLeft);
    columns->setSectionResizeMode(QHeaderView::Stretch);

    QHeaderView* rowHeader = table->verticalHeader();
    rowHeader->setDefaultAlignment(Qt::AlignCenter);
    // The slot list and the changes have one short line a row: stretched, a few of them would
    // fill the table.
    const bool fewLines = view == CrossReference::UnusedCabs || view == CrossReference::Changes;
    rowHeader->setSectionResizeMode(
        fewLines ? QHeaderView::ResizeToContents : QHeaderView::Stretch);
    rowHeader->setMinimumSize(kRowHeaderMinimumWidth, kRowHeaderMinimumHeight);
    rowHeader->setCascadingSectionResizes(true);
}

CrossReference::View MainWindow::currentView() const
{
    if (ui.radioButton_Changes->isChecked())
        return CrossReference::Changes;
    if (ui.radioButton_UnusedCabs->isChecked())
        return CrossReference::UnusedCabs;
    return ui.radioButton_PresetVersCab->isChecked() ? CrossReference::PresetCabs
                                                     : CrossReference::CabPresets;
}

QVector<CrossReference::Row> MainWindow::exportRows(CrossReference::View view) const
{
    return view == CrossReference::Changes ? comparison().rows()
                                           : CrossReference(job.result()).rows(view);
}

// The scan scanned earlier is the older one, whichever of the two is shown; a scan without
// a date counts as the older.
bool MainWindow::comparedIsNewer() const
{
    const ScanResult& shown = job.result();
    return comparedScan.scannedAt.isValid() && shown.scannedAt.isValid()
        && comparedScan.scannedAt > shown.scannedAt;
}

ScanComparison MainWindow::comparison() const
{
    return comparedIsNewer() ? ScanComparison(job.result(), comparedScan)
                             : ScanComparison(comparedScan, job.result());
}

PdfExport MainWindow::report() const
{
    const CrossReference::View view = currentView();
    if (view != CrossReference::Changes)
        return PdfExport(job.result(), view);
    return PdfExport(comparedIsNewer() ? comparedScan : job.result(), comparison());
}

void MainWindow::ExportCSV()
{
    if (job.result().isEmpty() || refusesUnknownUnused(tr("Export as CSV")))
        return;
    const CrossReference::View view = currentView();
    const QString fileName
        = askForDestination(tr("Export \"%1\" as CSV").arg(CrossReference::title(view)),
            tr("CSV Files (*.csv)"), QStringLiteral("csv"));
    if (fileName.isEmpty())
        return;
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    QString reason;
    if (!CsvExport::save(fileName, view, exportRows(view), separator, &reason))
        return reportNotWritten(tr("Export as CSV"), fileName, reason);
    rememberFolder(fileName);
}

void MainWindow::ExportPDF()
{
    if (job.result().isEmpty() || refusesUnknownUnused(tr("Export as PDF")))
        return;
    const QString fileName
        = askForDestination(tr("Export \"%1\" as PDF").arg(CrossReference::title(currentView())),
            tr("PDF Files (*.pdf)"), QStringLiteral("pdf"));
    if (fileName.isEmpty())
        return;
    const PdfExport pdf = report();
    QString reason;
    if (!pdf.save(fileName, &reason))
        return reportNotWritten(tr("Export as PDF"), fileName, reason);
    rememberFolder(fileName);
    settings.sync();
}

void MainWindow::print()
{
    if (job.result().isEmpty() || refusesUnknownUnused(tr("Print")))
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printReport(printer)) {
        QMessageBox::warning(this, tr("Print"),
            tr("Nothing was printed: the printer %1 could not be opened.")
                .arg(printer.printerName()));
    }
}

bool MainWindow::printReport(QPagedPaintDevice& printer) const
{
    return report().paint(printer);
}

// No list of free slots while a preset's cabinets are unknown: it could name a slot in use.
bool MainWindow::refusesUnknownUnused(const QString& command)
{
    const QString reason = currentView() == CrossReference::UnusedCabs
        ? unusedUnknownReason(job.result())
        : QString();
    if (!reason.isEmpty())
        QMessageBox::warning(this, command, tr("%1; nothing written.").arg(reason));
    return !reason.isEmpty();
}

void MainWindow::reportNotWritten(
    const QString& command, const QString& fileName, const QString& reason)
{
    QString text = tr("%1 was not written: %2.").arg(QDir::toNativeSeparators(fileName), reason);
    // The file the user asked for may be there from before, and look like this one.
    if (QFileInfo::exists(fileName))
        text += tr(" The file of that name is an older one, left as it was.");
    QMessageBox::warning(this, command, text);
}

void MainWindow::saveScan()
{
    if (job.result().isEmpty())
        return;
    const QString fileName = askForDestination(
        tr("Save the whole scan as JSON"), tr("Tollmark scans (*.json)"), QStringLiteral("json"));
    if (fileName.isEmpty())
        return;
    QString reason;
    if (!JsonExport(job.result()).save(fileName, &reason))
        return reportNotWritten(tr("Save scan"), fileName, reason);
    rememberFolder(fileName);
    recordFile = fileName;
    showRecordName();
}

QString MainWindow::askForScan(const QString& command)
{
    return QFileDialog::getOpenFileName(
        this, command, settings.value(kLastFolderKey).toString(), tr("Tollmark scans (*.json)"));
}

// A saved scan read whole, or a message box with the reason it was not.
bool MainWindow::loadScan(const QString& command, const QString& fileName, ScanResult& record)
{
    QString reason;
    if (!JsonImport::load(fileName, record, reason)) {
        QMessageBox::warning(this, command,
            tr("%1 cannot be opened: %2.").arg(QDir::toNativeSeparators(fileName), reason));
        return false;
    }
    rememberFolder(fileName);
    return true;
}

void MainWindow::openScan()
{
    const QString fileName = askForScan(tr("Open scan"));
    if (!fileName.isEmpty())
        openScan(fileName);
}

bool MainWindow::openScan(const QString& fileName)
{
    // A scan under way would replace the record when it ends.
    if (job.isRunning())
        return false;
    ScanResult opened;
    if (!loadScan(tr("Open scan"), fileName, opened))
        return false;
    job.setResult(opened);
    recordFile = fileName;
    showRecordName();
    setupTable();
    showOutcome(tr("Opened %1: %2").arg(QFileInfo(fileName).fileName(), opened.presetsReadText()));
    return true;
}

void MainWindow::compareWithScan()
{
    const QString fileName = askForScan(tr("Compare with scan"));
    if (!fileName.isEmpty())
        compareWithScan(fileName);
}

bool MainWindow::compareWithScan(const QString& fileName)
{
    ScanResult opened;
    if (!loadScan(tr("Compare with scan"), fileName, opened))
        return false;
    comparedScan = opened;
    comparedFile = fileName;
    ui.radioButton_Changes->setVisible(true);
    ui.radioButton_Changes->setChecked(true);
    setupTable();
    showOutcome(QString());
    return true;
}

// The caption says what is written; a name typed without an extension gets the filter's.
QString MainWindow::askForDestination(
    const QString& caption, const QString& filter, const QString& extension)
{
    QFileDialog dialog(this, caption, settings.value(kLastFolderKey).toString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

void MainWindow::rememberFolder(const QString& fileName)
{
    settings.setValue(kLastFolderKey, QFileInfo(fileName).absolutePath());
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape)
        return;
    if (polling)
        job.stop();
    polling = false;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (polling) {
        // A close request during a scan only ends the scan; the next one closes.
        job.stop();
        polling = false;
        event->ignore();
        return;
    }
    // Closed during the search for the unit: no scan may follow, hidden and out of reach.
    job.stop();
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kWindowStateKey, saveState(kStateVersion));
    event->accept();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui.retranslateUi(this);
        baseTitle = windowTitle();
        showRecordName();
    }
}
