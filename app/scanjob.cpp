// SPDX-License-Identifier: MIT
#include "scanjob.h"

#include "axefx.h"

#include <QScopedValueRollback>

namespace {
constexpr int kDone = 100;
}

ScanJob::ScanJob(AxeFX& axeFx, QObject* parent)
    : QObject(parent)
    , axeFx(axeFx)
{ }

QString ScanJob::phaseName(Phase phase)
{
    switch (phase) {
    case CabNames:
        return QStringLiteral("Cab names");
    case PresetNames:
        return QStringLiteral("Preset names");
    case CabUsage:
        return QStringLiteral("Cabs per preset");
    }
    return QString();
}

ScanJob::Outcome ScanJob::run()
{
    const QScopedValueRollback<bool> busy(running, true);
    stopped = false;
    axeFx.clearStop();
    if (!reachDevice())
        return stopped ? Stopped : NoDevice;
    emit started();
    if (!readNames(CabNames) || !readNames(PresetNames) || !readCabUsage())
        return Stopped;
    axeFx.PC(0);
    return Complete;
}

void ScanJob::stop()
{
    if (!running)
        return;
    stopped = true;
    axeFx.requestStop();
}

bool ScanJob::reachDevice()
{
    // The scan's own display offset query shows whether a unit found before still answers.
    // One that went silent has closed its ports, and ours no longer reach it even once it is
    // back: search again, which opens the ports anew.
    if (axeFx.isConnected() && axeFx.ReadDisplayOffset())
        return !stopped;
    axeFx.findAxeFx();
    if (stopped || !axeFx.isConnected())
        return false;
    axeFx.ReadDisplayOffset();
    return !stopped;
}

bool ScanJob::readNames(Phase phase)
{
    emit phaseStarted(phase);
    emit progress(phase, 0);
    const auto percent = phase == CabNames ? &AxeFX::CabNamePercent : &AxeFX::PresetNamePercent;
    const QMetaObject::Connection forward
        = connect(&axeFx, percent, this, [this, phase](int p) { emit progress(phase, p); });
    if (phase == CabNames)
        axeFx.FillCabNames();
    else
        axeFx.FillPresetNames();
    disconnect(forward);
    emit phaseFinished(phase);
    if (stopped)
        return false;
    emit progress(phase, kDone);
    return true;
}

bool ScanJob::readCabUsage()
{
    scanned = ScanResult();
    scanned.model = axeFx.model;
    scanned.displayOffset = axeFx.displayOffset;
    CrossReference::startScan(
        scanned.presetCabs, scanned.cabPresets, axeFx.PresetCount(), axeFx.CabCount());
    emit phaseStarted(CabUsage);
    emit progress(CabUsage, 0);
    for (int i = 0; i < axeFx.PresetCount() && !stopped; ++i) {
        QList<int> cabs;
        if (axeFx.GetPresetCabs(i, cabs))
            CrossReference::addPreset(scanned.presetCabs, scanned.cabPresets, i, cabs);
        scanned.presetsScanned = i + 1;
        emit progress(CabUsage, axefx::percentDone(i + 1, axeFx.PresetCount()));
    }
    emit phaseFinished(CabUsage);
    return !stopped;
}
