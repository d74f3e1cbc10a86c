// SPDX-License-Identifier: MIT
// The scan of an AxeFx, the one sequence that the window and tollmark-scan both run: find the
// unit (or see that it still answers, else search again), read its display offset, its
// cabinet and preset names and the cabinets every preset uses, ask once more for what went
// unanswered, and leave it on preset 0.
#pragma once

#include "scanresult.h"

#include <QObject>
#include <QString>

class AxeFX;

class ScanJob : public QObject {
    Q_OBJECT

public:
    enum Phase { CabNames, PresetNames, CabUsage, AskAgain };
    // Lost: the unit stopped answering during the scan.
    enum Outcome { Complete, NoDevice, Stopped, Lost };

    explicit ScanJob(AxeFX& axeFx, QObject* parent = nullptr);

    // Runs the whole sequence; its waits run the event loop, so stop() can come from an event
    // handler or a signal's notifier meanwhile. Complete only when no stop came before the
    // last preset's check after the loop: a stop during the last preset aborts too.
    Outcome run();
    bool isRunning() const { return running; }

    // The record shown: the last complete scan's, or, while there was none, what the last
    // scan read before it ended. A scan that ends early never replaces a complete record.
    const ScanResult& result() const { return scanned; }
    // What the last run read, whatever its outcome, and whether it is the record shown.
    const ScanResult& lastRun() const { return fresh; }
    bool showsLastRun() const { return lastRunKept; }
    // Replaces the record shown, as when a saved scan is opened.
    void setResult(const ScanResult& result) { scanned = result; }

    // Reads the cabinets of the first count presets only (all when negative); the rest stay
    // not reached.
    void setPresetLimit(int count) { presetLimit = count; }

    // How the last run ended, for a status line: "Stopped: 120 of 384 presets read".
    QString outcomeText(Outcome outcome) const;

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
    bool askAgain();
    void readUsage(int preset);
    void copyNames(Phase phase);
    void confirmReadings();
    void applyWithdrawn();
    void noteUnanswered(int inARow);
    bool interrupted() const { return stopped || lost; }
    void keep(Outcome outcome);

    AxeFX& axeFx;
    ScanResult scanned;
    ScanResult fresh;
    int presetLimit = -1;
    // Where the run is, and where the unit's last silence began.
    Phase phaseNow = CabNames;
    int current = 0;
    Phase lostIn = CabNames;
    int lostAt = 0;
    bool lastRunKept = false;
    bool running = false;
    bool stopped = false;
    bool lost = false;
    bool lostDamaged = false;
};
