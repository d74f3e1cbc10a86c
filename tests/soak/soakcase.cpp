#include "soakcase.h"

namespace {

constexpr quint8 kCabName = 0x12;
constexpr quint8 kPresetName = 0x15;
// The cabinet and preset names of the smaller layout, the display offset and the model query.
constexpr int kRequestsBeforeUsage = 232 + 384 + 3;
// Well inside the preset names.
constexpr int kRequestsBeforePortsClose = 400;

SimFaults silence()
{
    SimFaults f;
    for (int function = 0; function <= 0x7F; ++function)
        f.unanswered.insert(quint8(function));
    return f;
}

SimFaults dropRate(double rate)
{
    SimFaults f;
    f.dropRate = rate;
    f.dropSeed = 7;
    return f;
}

template <typename Set> SimFaults with(Set set)
{
    SimFaults f;
    set(f);
    return f;
}

} // namespace

QVector<SoakCase> soakCases()
{
    const SimFaults clean;
    const SimFaults portsClose
        = with([](SimFaults& f) { f.closeAfterRequests = kRequestsBeforePortsClose; });
    return {
        { "clean", clean, SoakAction::None, SoakEnd::Finished, false },
        { "silence", silence(), SoakAction::None, SoakEnd::NoDevice, true },
        { "drop-1%", dropRate(0.01), SoakAction::None, SoakEnd::Finished, true, true },
        { "drop-10%", dropRate(0.10), SoakAction::None, SoakEnd::Finished, true, true },
        { "delay-5ms", with([](SimFaults& f) { f.delayMs = 5; }), SoakAction::None,
            SoakEnd::Finished, false },
        { "tempo-1ms", with([](SimFaults& f) { f.tempoMs = 1; }), SoakAction::None,
            SoakEnd::Finished, false },
        { "noise-1ms", with([](SimFaults& f) { f.noiseMs = 1; }), SoakAction::None,
            SoakEnd::Finished, false },
        { "echo-wrong-block", with([](SimFaults& f) { f.echoBlockOffset = 1; }), SoakAction::None,
            SoakEnd::Finished, true },
        { "echo-wrong-cab", with([](SimFaults& f) { f.echoCabOffset = 1; }), SoakAction::None,
            SoakEnd::Finished, true },
        { "truncated-names", with([](SimFaults& f) {
             f.truncated = { kCabName, kPresetName };
         }),
            SoakAction::None, SoakEnd::Finished, false },
        { "ports-close", portsClose, SoakAction::EscAfterPortsClose, SoakEnd::Aborted, true },
        { "back-then-refresh", portsClose, SoakAction::RefreshAfterReturn, SoakEnd::Finished,
            true },
        { "esc-in-usage", clean, SoakAction::EscInUsage, SoakEnd::Aborted, true },
        { "close-in-usage", clean, SoakAction::CloseInUsage, SoakEnd::Aborted, true },
    };
}

int requestsBeforeUsage()
{
    return kRequestsBeforeUsage;
}

QString endName(SoakEnd end)
{
    switch (end) {
    case SoakEnd::Finished:
        return QStringLiteral("finished");
    case SoakEnd::NoDevice:
        return QStringLiteral("no device");
    case SoakEnd::Aborted:
        return QStringLiteral("aborted");
    }
    return QString();
}
