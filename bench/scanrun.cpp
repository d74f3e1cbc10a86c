// SPDX-License-Identifier: MIT
#include "scanrun.h"

#include "benchstats.h"

#include <axefxmessage.h>

bool awaitsReply(unsigned char function)
{
    return function != axefx::kFunctionProgramChange && function != axefx::kFunctionSetXY;
}

ScanProbe::ScanProbe(AxeFX& link, ScanFigures& figures)
    : link(link)
    , figures(figures)
{
    // Both run on the thread that raises the signal: arrivals on the library's input thread,
    // sends on the scanning thread right after the library has taken the message.
    // The arrival is timed before the link's own wake-up is posted: once woken, the scanning
    // thread often sends its next request before the input thread comes to a later slot,
    // and the arrival would then count towards the request after.
    QObject::disconnect(&link.midiIn, &QRtMidiIn::dataIn, &link, &AxeFX::wakeWait);
    arrivals = QObject::connect(&link.midiIn, &QRtMidiIn::dataIn, [this] {
        const std::int64_t now = bench::nowNs();
        pendingArrivalNs.store(now, std::memory_order_release);
        latestArrivalNs.store(now, std::memory_order_release);
    });
    QObject::connect(&link.midiIn, &QRtMidiIn::dataIn, &link, &AxeFX::wakeWait);
    sends = QObject::connect(
        &link.midiOut, &QRtMidiOut::dataOutMonitor, [this](const QRtMidiData& data) {
            const std::int64_t now = bench::nowNs();
            const std::int64_t arrival = pendingArrivalNs.exchange(0, std::memory_order_acq_rel);
            if (arrival)
                this->figures.reactionNs.append(now - arrival);
            const QByteArray bytes = data.toByteArray();
            this->figures.requests.append(bytes);
            if (bytes.size() > axefx::kFunctionOffset
                && awaitsReply(quint8(bytes.at(axefx::kFunctionOffset))))
                ++this->figures.roundTrips;
        });
}

ScanProbe::~ScanProbe()
{
    QObject::disconnect(arrivals);
    QObject::disconnect(sends);
}

namespace {
constexpr int kIdleMs = 1000;
} // namespace

ScanFigures scanThroughLink(AxeFX& link, int presets, ScanResult& result, bool measureIdle)
{
    ScanFigures figures;
    if (measureIdle)
        figures.idleCpuShare = bench::idleCpuShare(kIdleMs);
    ScanJob job(link);
    if (presets < link.PresetCount())
        job.setPresetLimit(presets);
    std::int64_t askAgainStart = 0;
    int requestsBefore = 0;
    QObject::connect(&job, &ScanJob::phaseStarted, [&](ScanJob::Phase phase) {
        if (phase != ScanJob::AskAgain)
            return;
        askAgainStart = bench::nowNs();
        requestsBefore = figures.requests.size();
        figures.askedAgain = job.lastRun().count(ReadState::NotRead);
    });
    QObject::connect(&job, &ScanJob::phaseFinished, [&](ScanJob::Phase phase) {
        if (phase != ScanJob::AskAgain)
            return;
        figures.askAgainNs = bench::nowNs() - askAgainStart;
        figures.askAgainRequests = figures.requests.size() - requestsBefore;
    });
    ScanProbe probe(link, figures);
    const std::int64_t thread0 = bench::threadCpuNs();
    const long preempted0 = bench::threadPreemptions();
    const std::int64_t cpu0 = bench::processCpuNs();
    const std::int64_t wall0 = bench::nowNs();

    figures.outcome = job.run();

    const std::int64_t end = bench::nowNs();
    figures.wallNs = end - wall0;
    figures.cpuNs = bench::processCpuNs() - cpu0;
    figures.threadCpuNs = bench::threadCpuNs() - thread0;
    figures.preemptions = bench::threadPreemptions() - preempted0;
    figures.afterLastArrivalNs = end - qMax(wall0, probe.lastArrivalNs());
    figures.outcomeText = job.outcomeText(figures.outcome);
    result = job.lastRun();
    return figures;
}
