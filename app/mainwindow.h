// SPDX-License-Identifier: MIT
// The application's one window: scans the AxeFx, shows which cabinets each preset uses or
// which presets use each cabinet, and exports that table.
#pragma once

#include "axefx.h"
#include "crossreference.h"
#include "scanjob.h"
#include "ui_mainwindow.h"

#include <QMainWindow>
#include <QSettings>

#include <memory>

class QProgressBar;
class ScanOverlay;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

public slots:
    void refresh();
    void setupTable();
    void ExportCSV();
    void ExportPDF();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyLook();
    void connectCommands();
    void addStatusProgress();
    void restoreSettings();

    void showScan();
    void startPhase(ScanJob::Phase phase);
    void endPhase(ScanJob::Phase phase);
    void showProgress(ScanJob::Phase phase, int percent);
    void reportOutcome(ScanJob::Outcome outcome);

    void configureTable();
    CrossReference::View currentView() const;
    QVector<CrossReference::Row> exportRows(CrossReference::View view) const;
    QString askForDestination(const QString& filter);
    void rememberFolder(const QString& fileName);

    Ui::MainWindow ui;
    AxeFX axeFx;
    QProgressBar* progressBar = nullptr;
    bool polling = false;
    // Runs the scan and holds its result, the two usage vectors with their layout.
    ScanJob job;
    QSettings settings;
    std::unique_ptr<ScanOverlay> overlay;
};
