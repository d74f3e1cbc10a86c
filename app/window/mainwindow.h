// SPDX-License-Identifier: MIT
// The application's one window: scans the AxeFx or opens a saved scan, shows which cabinets
// each preset uses, which presets use each cabinet or which user slots are free, or what
// changed since a saved scan, and exports, prints and saves it.
#pragma once

#include "axefx.h"
#include "crossreference.h"
#include "pdfexport.h"
#include "scancomparison.h"
#include "scanjob.h"
#include "scantrace.h"
#include "ui_mainwindow.h"

#include <QMainWindow>
#include <QSettings>

#include <memory>

class QLabel;
class QPagedPaintDevice;
class ScanOverlay;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Searches for the unit and scans it, or, given a saved scan, shows that instead.
    explicit MainWindow(const QString& scanFile = QString(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // The report of the view shown, as Export as PDF writes it, on a printer set up already;
    // false when the printer could not be painted on.
    bool printReport(QPagedPaintDevice& printer) const;
    // Shows the scan saved in the file; a file that cannot be read is reported in a message
    // box and changes nothing.
    bool openScan(const QString& fileName);
    // Compares the record shown with the scan saved in the file and shows the view "Changes";
    // a file that cannot be read is reported in a message box and changes nothing.
    bool compareWithScan(const QString& fileName);

public slots:
    void refresh();
    void setupTable();
    void ExportCSV();
    void ExportPDF();

private slots:
    void print();
    void saveScan();
    void openScan();
    void compareWithScan();
    // The MIDI ports to scan through: a menu of the ports found, or any text their names hold.
    void chooseMidiPort();
    // Remembers the text the ports' names must hold, and scans through them.
    void usePorts(const QString& text);
    // Every MIDI message of the last scan, for a report of a problem with the unit.
    void saveTrace();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void connectCommands();
    void setUpKeyboard();
    void addOutcomeLabel();
    void restoreSettings();
    void restorePortChoice();

    void showScan();
    void startPhase(ScanJob::Phase phase);
    void showProgress(ScanJob::Phase phase, int percent);
    void showUnanswered(int inARow);
    void reportOutcome(ScanJob::Outcome outcome);
    QString searchNote(ScanJob::Outcome outcome) const;
    QString withPortChoice(const QString& text) const;
    void showOutcome(const QString& text);

    void configureTable(CrossReference::View view);
    void applyFilter();
    void showRecordName();
    CrossReference::View currentView() const;
    QVector<CrossReference::Row> exportRows(CrossReference::View view) const;
    bool comparedIsNewer() const;
    ScanComparison comparison() const;
    PdfExport report() const;
    QString askForDestination(
        const QString& caption, const QString& filter, const QString& extension);
    QString askForScan(const QString& command);
    bool loadScan(const QString& command, const QString& fileName, ScanResult& record);
    bool refusesUnknownUnused(const QString& command);
    void reportNotWritten(const QString& command, const QString& fileName, const QString& reason);
    void rememberFolder(const QString& fileName);

    Ui::MainWindow ui;
    AxeFX axeFx;
    // The trace of the last scan; it follows the link's ports and so is made after it.
    ScanTrace trace { axeFx };
    // How the last scan ended or which file is shown: kept in view until the next replaces it.
    QLabel* outcomeLabel = nullptr;
    bool polling = false;
    // Runs the scan and holds the record shown, read from the unit or from a file.
    ScanJob job;
    // The file the record shown was opened from or saved to; empty for a scan not saved.
    QString recordFile;
    // The form's title, which the name of the record shown follows.
    QString baseTitle;
    // The scan the record shown is compared with in the view "Changes", and its file.
    ScanResult comparedScan;
    QString comparedFile;
    // How long the last scan took, in whole seconds.
    int scanSeconds = 0;
    // The view the table shows, whose scroll position a rebuild keeps.
    CrossReference::View tableView = CrossReference::PresetCabs;
    // The rows of the table, which the filter shows or hides.
    QVector<CrossReference::Row> tableRows;
    QSettings settings;
    std::unique_ptr<ScanOverlay> overlay;
};
