#include "scanjob.h"

#include "axefx.h"

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
    stopped = false;
    scanned = 0;
    axeFx.clearStop();
    if (!axeFx.isConnected())
        axeFx.findAxeFx();
    // A stop during the search wins over its result: the user asked for nothing more.
    if (stopped)
        return Stopped;
    if (!axeFx.isConnected())
        return NoDevice;
    axeFx.ReadDisplayOffset();
    if (!readNames() || !readCabUsage())
        return Stopped;
    axeFx.PC(0);
    return Complete;
}

void ScanJob::stop()
{
    stopped = true;
    axeFx.requestStop();
}

bool ScanJob::readNames()
{
    connect(&axeFx, &AxeFX::CabNamePercent, this, &ScanJob::cabNamePercent);
    emit progress(CabNames, 0);
    axeFx.FillCabNames();
    disconnect(&axeFx, &AxeFX::CabNamePercent, this, &ScanJob::cabNamePercent);
    if (stopped)
        return false;
    emit progress(CabNames, kDone);

    connect(&axeFx, &AxeFX::PresetNamePercent, this, &ScanJob::presetNamePercent);
    emit progress(PresetNames, 0);
    axeFx.FillPresetNames();
    disconnect(&axeFx, &AxeFX::PresetNamePercent, this, &ScanJob::presetNamePercent);
    if (stopped)
        return false;
    emit progress(PresetNames, kDone);
    return true;
}

bool ScanJob::readCabUsage()
{
    CrossReference::startScan(presets, cabs, axeFx.PresetCount(), axeFx.CabCount());
    emit progress(CabUsage, 0);
    for (int i = 0; i < axeFx.PresetCount(); ++i) {
        if (stopped)
            return false;
        QList<int> list;
        if (axeFx.GetPresetCabs(i, list))
            CrossReference::addPreset(presets, cabs, i, list);
        scanned = i + 1;
        emit progress(CabUsage, (i * kDone + kDone) / axeFx.PresetCount());
    }
    // A stop during the last preset's transaction still leaves every preset read.
    return true;
}

void ScanJob::cabNamePercent(int percent)
{
    emit progress(CabNames, percent);
}

void ScanJob::presetNamePercent(int percent)
{
    emit progress(PresetNames, percent);
}
