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
    QObject::disconnect(&link.midiIn, SIGNAL(dataIn()), &link, SLOT(wakeWait()));
    arrivals = QObject::connect(&link.midiIn, &QRtMidiIn::dataIn,
        [this] { lastArrivalNs.store(bench::nowNs(), std::memory_order_release); });
    QObject::connect(&link.midiIn, SIGNAL(dataIn()), &link, SLOT(wakeWait()));
    sends = QObject::connect(
        &link.midiOut, &QRtMidiOut::dataOutMonitor, [this](const QRtMidiData& data) {
            const std::int64_t now = bench::nowNs();
            const std::int64_t arrival = lastArrivalNs.exchange(0, std::memory_order_acq_rel);
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

void readNames(AxeFX& link, int presets, int cabs)
{
    for (int i = 0; i < cabs; ++i) {
        axefx::Message query = axefx::cabNameQuery(link.model, quint16(i));
        link.SendRAWBuffer(query.bytes, query.size);
        QByteArray reply;
        unsigned short number = 0;
        QString name;
        if (link.WaitForInfiniteAnswer(reply, axefx::kFunctionCabName)
            && axefx::readCabNameReply(reinterpret_cast<const unsigned char*>(reply.constData()),
                int(reply.size()), number, name)
            && number < link.cabNames.size())
            link.cabNames[number] = name;
    }
    for (int i = 0; i < presets; ++i) {
        axefx::Message query = axefx::presetNameQuery(link.model, i);
        link.SendRAWBuffer(query.bytes, query.size);
        QByteArray reply;
        QString name;
        if (link.WaitForInfiniteAnswer(reply, axefx::kFunctionPresetName)
            && axefx::readNameText(
                reinterpret_cast<const unsigned char*>(reply.constData()), int(reply.size()), name))
            link.presetNames[i] = name;
    }
}

} // namespace

ScanFigures scanThroughLink(
    AxeFX& link, int presets, int cabs, ScanResult& result, bool measureIdle)
{
    ScanFigures figures;
    if (measureIdle)
        figures.idleCpuShare = bench::idleCpuShare(kIdleMs);
    ScanProbe probe(link, figures);
    const std::int64_t thread0 = bench::threadCpuNs();
    const long preempted0 = bench::threadPreemptions();
    const std::int64_t cpu0 = bench::processCpuNs();
    const std::int64_t wall0 = bench::nowNs();

    link.ReadDisplayOffset();
    if (presets >= link.PresetCount() && cabs >= link.CabCount()) {
        link.FillCabNames();
        link.FillPresetNames();
    } else {
        link.cabNames = QVector<QString>(link.CabCount());
        link.presetNames = QVector<QString>(link.PresetCount());
        readNames(link, presets, cabs);
    }
    CrossReference::startScan(
        result.presetCabs, result.cabPresets, link.PresetCount(), link.CabCount());
    for (int i = 0; i < presets && i < link.PresetCount(); ++i) {
        QList<int> cabsOfPreset;
        if (link.GetPresetCabs(i, cabsOfPreset))
            CrossReference::addPreset(result.presetCabs, result.cabPresets, i, cabsOfPreset);
    }
    link.PC(0);

    figures.wallNs = bench::nowNs() - wall0;
    figures.cpuNs = bench::processCpuNs() - cpu0;
    figures.threadCpuNs = bench::threadCpuNs() - thread0;
    figures.preemptions = bench::threadPreemptions() - preempted0;
    return figures;
}
