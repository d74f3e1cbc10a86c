// The application's one window: scans the AxeFx, shows which cabinets each preset uses or
// which presets use each cabinet, and exports that table.
#pragma once

#include "axefx.h"
#include "crossreference.h"
#include "ui_mainwindow.h"

#include <QMainWindow>
#include <QSettings>

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

    bool connectDevice();
    void scan();
    void readCabNames(ScanOverlay& overlay);
    void readPresetNames(ScanOverlay& overlay);
    void readCabUsage(ScanOverlay& overlay);
    void stopScan();

    void configureTable();
    CrossReference::View currentView() const;
    QVector<CrossReference::Row> exportRows(CrossReference::View view);
    QString askForDestination(const QString& filter);
    void rememberFolder(const QString& fileName);

    Ui::MainWindow ui;
    AxeFX axeFx;
    QProgressBar* progressBar = nullptr;
    bool polling = false;
    QVector<QList<int>> presetCabs;
    QVector<QList<int>> cabPresets;
    QSettings settings;
    // True from the start of refresh() to its end, device search included; polling alone
    // turns false as soon as the user aborts, while the scan still unwinds.
    bool refreshing = false;
};
