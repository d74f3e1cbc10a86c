// One soak case end to end: the simulated unit with its faults, the program's main window
// built as the program builds it, the user's part (accepting the CSV dialog, Esc, closing,
// "Refresh") played on timers, and the figures the case is judged by.
#pragma once

#include "csvcompare.h"
#include "soakcase.h"

#include <QObject>
#include <QString>

class AxeFxSim;
class MainWindow;

struct SoakResult {
    SoakEnd end = SoakEnd::NoDevice;
    int requests = 0;
    int unanswered = -1; // -1: not countable (the unit also sends on its own)
    qint64 elapsedMs = 0; // whole run, or from the user's abort to the scan's end
    qint64 allowedMs = 0;
    bool csvWritten = false;
    CsvDifference difference;
};

class SoakRun : public QObject {
    Q_OBJECT

public:
    SoakRun(const SoakCase& soakCase, const QString& csvPath);
    ~SoakRun() override;

    SoakResult run();

private slots:
    void step();

private:
    MainWindow* window() const;
    void acceptSaveDialog();
    void playAction();
    void refreshAgain(MainWindow* window);
    int countUnanswered() const;
    void judgeFile(SoakResult& result) const;

    const SoakCase soakCase;
    const QString csvPath;
    AxeFxSim* sim;
    qint64 actionAtMs = -1;
    qint64 portsClosedAtMs = -1;
    bool faultsApplied = false;
};
