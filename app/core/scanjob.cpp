// SPDX-License-Identifier: MIT
#include "scanjob.h"

#include "axefx.h"

#include <QScopedValueRollback>

namespace {
constexpr int kDone = 100;

// A unit that is there answers every request; one lost or damaged now and then is asked again
// at the end. Each unanswered request costs a second of silence (five when the unit streams
// tempo beats), so five in a row tell a unit that went away within seconds, while a run of five
// lost replies from a unit that is there is far too rare to end a good scan: at one reply
// lost in a hundred, once in ten billion.
constexpr int kUnansweredBeforeLost = 5;
} // namespace

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
    case AskAgain:
        return QStringLiteral("Asking again");
    }
    return QString();
}

QString ScanJob::outcomeText(Outcome outcome) const
{
    switch (outcome) {
    case Complete:
        return fresh.notReadText();
    case NoDevice:
        return axeFx.lastSearch() == AxeFX::Search::Unanswered
            ? QStringLiteral("AxeFx ports found, but the unit did not answer")
            : QStringLiteral("No AxeFx found");
    case Stopped:
        return QStringLiteral("Stopped: ") + fresh.presetsReadText();
    case Lost:
        break;
    }
    QString where = QStringLiteral("at preset %1").arg(lostAt + fresh.displayOffset);
    if (lostIn == CabNames)
        where = QStringLiteral("while reading the cab names");
    else if (lostIn == PresetNames)
        where = QStringLiteral("while reading the preset names");
    else if (lostIn == AskAgain)
        where = QStringLiteral("when asked again for what went unanswered");
    // A unit whose replies come damaged is there; the cable or the port is at fault.
    const QString what = lostDamaged ? QStringLiteral("The AxeFx's replies arrived damaged %1: %2")
                                     : QStringLiteral("The AxeFx stopped answering %1: %2");
    return what.arg(where, fresh.presetsReadText());
}

ScanJob::Outcome ScanJob::run()
{
    const QScopedValueRollback<bool> busy(running, true);
    stopped = false;
    lost = false;
    lostDamaged = false;
    fresh = ScanResult();
    lastRunKept = false;
    axeFx.clearStop();
    if (!reachDevice())
        return stopped ? Stopped : NoDevice;
    fresh = ScanResult(axeFx.model, axeFx.displayOffset);
    fresh.displayOffsetRead = axeFx.displayOffsetRead;
    fresh.scannedAt = QDateTime::currentDateTime();
    // What the link counted before, during the search, belongs to no phase of this run.
    axeFx.clearUnansweredRun();
    lostIn = CabNames;
    lostAt = 0;
    current = 0;
    emit started();
    const QMetaObject::Connection watch
        = connect(&axeFx, &AxeFX::requestUnanswered, this, &ScanJob::noteUnanswered);
    const bool done = readNames(CabNames) && readNames(PresetNames) && readCabUsage() && askAgain();
    disconnect(watch);
    fresh.indexCabs();
    const Outcome outcome = done ? Complete : lost ? Lost : Stopped;
    keep(outcome);
    if (outcome == Complete)
        axeFx.PC(0);
    return outcome;
}

void ScanJob::stop()
{
    if (!running)
        return;
    stopped = true;
    axeFx.requestStop();
}

void ScanJob::noteUnanswered(int inARow)
{
    // The silence is told from where it began.
    if (inARow == 1) {
        lostIn = phaseNow;
        lostAt = current;
    }
    if (inARow < kUnansweredBeforeLost || lost)
        return;
    lost = true;
    lostDamaged = axeFx.lastFailureDamaged();
    axeFx.requestStop();
}

void ScanJob::keep(Outcome outcome)
{
    lastRunKept = outcome == Complete || !scanned.isComplete();
    if (lastRunKept)
        scanned = fresh;
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
    phaseNow = phase;
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
    confirmReadings();
    copyNames(phase);
    applyWithdrawn();
    emit phaseFinished(phase);
    if (interrupted())
        return false;
    emit progress(phase, kDone);
    return true;
}

// The link's names of the phase into the record: a name the unit gave is read, one it was
// asked for and did not give is not read, and the rest were not reached.
void ScanJob::copyNames(Phase phase)
{
    const bool cabs = phase == CabNames;
    const QVector<QString>& names = cabs ? axeFx.cabNames : axeFx.presetNames;
    const QVector<bool>& read = cabs ? axeFx.cabNameRead : axeFx.presetNameRead;
    QVector<QString>& kept = cabs ? fresh.cabNames : fresh.presetNames;
    QVector<ReadState>& states = cabs ? fresh.cabNameStates : fresh.presetNameStates;
    for (int i = 0; i < kept.size() && i < names.size(); ++i) {
        if (read.value(i)) {
            kept[i] = names.at(i);
            states[i] = ReadState::Read;
        } else if (i < axeFx.namesAsked()) {
            states[i] = ReadState::NotRead;
        }
    }
}

bool ScanJob::readCabUsage()
{
    phaseNow = CabUsage;
    emit phaseStarted(CabUsage);
    emit progress(CabUsage, 0);
    const int count
        = presetLimit < 0 ? fresh.presetCount() : qMin(presetLimit, fresh.presetCount());
    for (int i = 0; i < count && !interrupted(); ++i) {
        readUsage(i);
        emit progress(CabUsage, axefx::percentDone(i + 1, count));
    }
    confirmReadings();
    applyWithdrawn();
    emit phaseFinished(CabUsage);
    return !interrupted();
}

void ScanJob::readUsage(int preset)
{
    current = preset;
    const int failuresBefore = axeFx.readFailures();
    QList<int> cabs, x, y;
    axeFx.GetPresetCabs(preset, cabs, x, y);
    // GetPresetCabs' answer is the same for a preset without cabinet blocks and for one whose
    // reading went unanswered; the link's count of failures tells them apart.
    const bool read = axeFx.readFailures() == failuresBefore;
    fresh.setUsage(preset, cabs, x, y, read ? ReadState::Read : ReadState::NotRead);
    applyWithdrawn();
}

// A stopped scan or a unit gone asks nothing more.
void ScanJob::confirmReadings()
{
    if (!interrupted())
        axeFx.confirmReadings();
}

// Readings the link took back, having found that a reply taken may have been another's: they
// stay not read, or are asked again.
void ScanJob::applyWithdrawn()
{
    for (int preset : axeFx.takeWithdrawnUsages())
        fresh.setUsage(preset, {}, {}, {}, ReadState::NotRead);
    if (phaseNow != CabNames)
        copyNames(PresetNames);
    fresh.displayOffsetRead = fresh.displayOffsetRead && axeFx.displayOffsetRead;
}

// Once more, in the first pass's order, for every entry the unit did not answer: a reply lost
// now and then costs a second, not a wrong table.
bool ScanJob::askAgain()
{
    const auto unread = [](const QVector<ReadState>& states) {
        QList<int> indices;
        for (int i = 0; i < states.size(); ++i) {
            if (states.at(i) == ReadState::NotRead)
                indices.append(i);
        }
        return indices;
    };
    const QList<int> cabs = unread(fresh.cabNameStates);
    const QList<int> names = unread(fresh.presetNameStates);
    const QList<int> usages = unread(fresh.usageStates);
    const bool offset = !fresh.displayOffsetRead;
    const int total = cabs.size() + names.size() + usages.size() + (offset ? 1 : 0);
    if (total == 0)
        return true;
    phaseNow = AskAgain;
    emit phaseStarted(AskAgain);
    emit progress(AskAgain, 0);
    int done = 0;
    const auto step = [&] { emit progress(AskAgain, axefx::percentDone(++done, total)); };
    if (offset && !interrupted()) {
        if (axeFx.ReadDisplayOffset()) {
            fresh.displayOffset = axeFx.displayOffset;
            fresh.displayOffsetRead = true;
        }
        step();
    }
    for (int cab : cabs) {
        if (interrupted())
            break;
        axeFx.ReadCabName(cab);
        step();
    }
    copyNames(CabNames);
    for (int preset : names) {
        if (interrupted())
            break;
        axeFx.ReadPresetName(preset);
        step();
    }
    copyNames(PresetNames);
    phaseNow = CabUsage;
    for (int preset : usages) {
        if (interrupted())
            break;
        readUsage(preset);
        step();
    }
    confirmReadings();
    applyWithdrawn();
    emit phaseFinished(AskAgain);
    return !interrupted();
}
