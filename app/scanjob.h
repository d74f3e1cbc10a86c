// One scan of the AxeFx without a window: finds the device, reads its cabinet and preset
// names and the cabinets every preset uses, in the order the window's Refresh does, and
// fills the two usage vectors the cross-reference views are built from.
#pragma once

#include "crossreference.h"

#include <QObject>
#include <QString>

class AxeFX;

class ScanJob : public QObject {
    Q_OBJECT

public:
    enum Phase { CabNames, PresetNames, CabUsage };
    enum Outcome { Complete, NoDevice, Stopped };

    explicit ScanJob(AxeFX& axeFx, QObject* parent = nullptr);

    // Runs the whole scan; the waits inside it run the event loop, so stop() can arrive
    // from a signal handler's notifier while it runs.
    Outcome run();

    const UsageLists& presetCabs() const { return presets; }
    const UsageLists& cabPresets() const { return cabs; }
    // Presets whose cabinets were read, counted from the first.
    int presetsScanned() const { return scanned; }

    static QString phaseName(Phase phase);

public slots:
    // Ends the scan before the next query of a name phase or the next preset; the device
    // transaction in progress is finished first.
    void stop();

signals:
    void progress(ScanJob::Phase phase, int percent);

private slots:
    void cabNamePercent(int percent);
    void presetNamePercent(int percent);

private:
    bool readNames();
    bool readCabUsage();

    AxeFX& axeFx;
    UsageLists presets;
    UsageLists cabs;
    int scanned = 0;
    bool stopped = false;
};
