// SPDX-License-Identifier: MIT
// The scan of an AxeFx, the one sequence that the window and tollmark-scan both run: find the
// unit (or see that it still answers, else search again), read its display offset, its
// cabinet and preset names and the cabinets every preset uses, and leave it on preset 0.
#pragma once

#include "crossreference.h"

#include <QObject>
#include <QString>

class AxeFX;

// What a scan found, with the layout and display offset it was read with: a later search
// that fails or finds another model does not change how it is labelled or exported.
struct ScanResult {
    UsageLists presetCabs;
    UsageLists cabPresets;
    quint8 model = 0;
    quint8 displayOffset = 0;
    // Presets whose cabinets were read, counted from the first.
    int presetsScanned = 0;
};

class ScanJob : public QObject {
    Q_OBJECT

public:
    enum Phase { CabNames, PresetNames, CabUsage };
    enum Outcome { Complete, NoDevice, Stopped };

    explicit ScanJob(AxeFX& axeFx, QObject* parent = nullptr);

    // Runs the whole sequence; its waits run the event loop, so stop() can come from an event
    // handler or a signal's notifier meanwhile. Complete only when no stop came before the
    // last preset's check after the loop: a stop during the last preset aborts too.
    Outcome run();
    bool isRunning() const { return running; }

    // The last result; a scan replaces it when it reaches the cabinet usage.
    const ScanResult& result() const { return scanned; }

    static QString phaseName(Phase phase);

public slots:
    // Ends the scan before its next request of a name phase or its next preset; a search
    // under way is finished first, and no scan follows it.
    void stop();

signals:
    // The unit answered; the phases follow.
    void started();
    void phaseStarted(ScanJob::Phase phase);
    void phaseFinished(ScanJob::Phase phase);
    void progress(ScanJob::Phase phase, int percent);

private:
    bool reachDevice();
    bool readNames(Phase phase);
    bool readCabUsage();

    AxeFX& axeFx;
    ScanResult scanned;
    bool running = false;
    bool stopped = false;
};
