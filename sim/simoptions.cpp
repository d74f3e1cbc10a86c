// SPDX-License-Identifier: MIT
#include "simoptions.h"

#include <QCommandLineParser>

#include <climits>

namespace {

constexpr int kMaxModel = 0x7E;
constexpr int kMaxMs = 3600 * 1000;

struct Knob {
    const char* name;
    const char* value;
    const char* description;
};

const Knob kKnobs[] = {
    { "bank", "file", "Load the device state from a JSON bank file (see docs/simulator.md)." },
    { "model", "byte",
        "Model byte, 1 to 126: up to 5 the smaller layout, above 5 the larger (default 3)." },
    { "display-offset", "0|1", "Display offset the unit reports." },
    { "client", "name", "MIDI client name (default \"AXE-FX II\")." },
    { "in-port", "name", "Input port name, empty for none (default \"AXE-FX II MIDI In\")." },
    { "out-port", "name", "Output port name, empty for none (default \"AXE-FX II MIDI Out\")." },
    { "replay", "file",
        "Answer as the unit traced in the file (tollmark-scan --trace) did, instead of from "
        "the bank; list on exit the requests the trace does not hold." },
    { "unanswered", "functions",
        "Leave requests of these functions unanswered (hex, comma-separated, e.g. 12,15)." },
    { "drop-every", "n", "Drop every n-th reply." },
    { "drop-rate", "p", "Drop each reply with probability p (0 to 1)." },
    { "seed", "n", "Seed of the random drops (default 1)." },
    { "delay", "ms", "Send every reply this many milliseconds late." },
    { "tempo", "ms", "Send a tempo beat every ms milliseconds." },
    { "noise", "ms", "Send MIDI clock and active sensing, alternately, every ms milliseconds." },
    { "echo-block-offset", "n", "Echo block numbers off by n in parameter replies." },
    { "echo-param-offset", "n", "Echo parameter numbers off by n in parameter replies." },
    { "echo-cab-offset", "n", "Echo cabinet numbers off by n in cabinet name replies." },
    { "truncate", "functions",
        "Cut replies to requests of these functions short (hex, comma-separated)." },
    { "damage", "functions",
        "Change a byte of the replies to these functions, keeping the checksum (hex)." },
    { "stall", "ms", "Hold everything sent for ms milliseconds at a stall, then send it." },
    { "stall-at-request", "n", "Stall at the n-th request received (from 1)." },
    { "stall-preset", "n", "Stall at the first answered block grid query of preset index n." },
    { "stall-every", "n", "The same at every non-zero multiple of n." },
    { "mute-preset", "n", "Leave the block grid query of preset index n unanswered." },
    { "mute-times", "k", "Only the first k times preset n is asked (default: always)." },
    { "silent-from", "n", "Answer nothing once preset index n is selected." },
    { "close-after", "n", "Close the ports once n requests have been answered." },
    { "value-length", "n", "Send parameter value replies of n bytes, 13 or more (default 17)." },
    { "preset-name-number", "n", "Put n in bytes 6-7 of preset name replies." },
    { "twice", "functions", "Send the replies to these functions twice (hex)." },
    { "twice-every", "n", "Only while the preset index is a multiple of n." },
    { "unasked", "ms",
        "Every ms milliseconds send unasked an amp parameter or the preset number, alternately." },
    { "ignore-pc", "n", "Ignore the first program change to preset index n." },
    { "late", "ms", "Send block grid and parameter value replies ms milliseconds late," },
    { "late-every", "n", "while the preset index is a multiple of n (default 1)." },
};

class Reader {
public:
    Reader(const QCommandLineParser& parser, QString* error)
        : parser(parser)
        , error(error)
    { }

    bool integer(const char* name, int min, int max, int& out)
    {
        if (!parser.isSet(QLatin1String(name)))
            return true;
        bool ok = false;
        const int v = parser.value(QLatin1String(name)).toInt(&ok);
        if (!ok || v < min || v > max)
            return fail(name, QStringLiteral("a whole number from %1 to %2").arg(min).arg(max));
        out = v;
        return true;
    }

    bool probability(const char* name, double& out)
    {
        if (!parser.isSet(QLatin1String(name)))
            return true;
        bool ok = false;
        const double v = parser.value(QLatin1String(name)).toDouble(&ok);
        if (!ok || v < 0.0 || v > 1.0)
            return fail(name, QStringLiteral("a number from 0 to 1"));
        out = v;
        return true;
    }

    bool functions(const char* name, QSet<quint8>& out)
    {
        if (!parser.isSet(QLatin1String(name)))
            return true;
        for (const QString& item : parser.value(QLatin1String(name)).split(QLatin1Char(','))) {
            bool ok = false;
            const uint v = item.trimmed().toUInt(&ok, 16);
            if (!ok || v > 0x7F)
                return fail(name, QStringLiteral("hex function bytes 00 to 7F, comma-separated"));
            out.insert(quint8(v));
        }
        return true;
    }

    void text(const char* name, QString& out)
    {
        if (parser.isSet(QLatin1String(name)))
            out = parser.value(QLatin1String(name));
    }

private:
    bool fail(const char* name, const QString& expected)
    {
        if (error)
            *error = QStringLiteral("--%1 expects %2, got \"%3\"")
                         .arg(QLatin1String(name), expected, parser.value(QLatin1String(name)));
        return false;
    }

    const QCommandLineParser& parser;
    QString* error;
};

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "A simulated AxeFx unit on virtual MIDI ports. It answers the device protocol from a "
        "bank, runs until interrupted (SIGINT or SIGTERM) and then closes its ports."));
    parser.addHelpOption();
    parser.addOption(
        { QStringLiteral("verbose"), QStringLiteral("Print one line per request received.") });
    parser.addOption({ QStringLiteral("echo"),
        QStringLiteral("Send every message received straight back, as a MIDI loop does.") });
    parser.addOption({ QStringLiteral("names-unended"),
        QStringLiteral("End name replies at the checksum, without their 00.") });
    parser.addOption({ QStringLiteral("replay-timing"),
        QStringLiteral("With --replay: send each message as late as it came in the trace.") });
    parser.addOption({ QStringLiteral("dump-bank"),
        QStringLiteral("Write the bank as JSON to standard output and exit.") });
    for (const Knob& knob : kKnobs) {
        parser.addOption({ QLatin1String(knob.name), QLatin1String(knob.description),
            QLatin1String(knob.value) });
    }
}

} // namespace

bool SimOptions::parse(const QStringList& arguments, SimOptions* options, QString* error)
{
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) {
        if (error)
            *error = parser.errorText();
        return false;
    }
    SimOptions o;
    o.helpText = parser.helpText();
    o.showHelp = parser.isSet(QStringLiteral("help"));
    o.verbose = parser.isSet(QStringLiteral("verbose"));
    o.dumpBank = parser.isSet(QStringLiteral("dump-bank"));
    o.replayTiming = parser.isSet(QStringLiteral("replay-timing"));
    o.faults.echoRequests = parser.isSet(QStringLiteral("echo"));
    o.faults.namesUnended = parser.isSet(QStringLiteral("names-unended"));
    if (!parser.positionalArguments().isEmpty()) {
        if (error)
            *error = QStringLiteral("unexpected argument \"%1\"")
                         .arg(parser.positionalArguments().first());
        return false;
    }
    Reader read(parser, error);
    int seed = 1;
    read.text("bank", o.bankFile);
    read.text("replay", o.replayFile);
    read.text("client", o.ports.client);
    read.text("in-port", o.ports.input);
    read.text("out-port", o.ports.output);
    const bool ok = read.integer("model", 1, kMaxModel, o.model)
        && read.integer("display-offset", 0, 1, o.displayOffset)
        && read.functions("unanswered", o.faults.unanswered)
        && read.integer("drop-every", 0, INT_MAX, o.faults.dropEvery)
        && read.probability("drop-rate", o.faults.dropRate)
        && read.integer("seed", 0, INT_MAX, seed)
        && read.integer("delay", 0, kMaxMs, o.faults.delayMs)
        && read.integer("tempo", 0, kMaxMs, o.faults.tempoMs)
        && read.integer("noise", 0, kMaxMs, o.faults.noiseMs)
        && read.integer("echo-block-offset", -0x3FFF, 0x3FFF, o.faults.echoBlockOffset)
        && read.integer("echo-param-offset", -0x3FFF, 0x3FFF, o.faults.echoParamOffset)
        && read.integer("echo-cab-offset", -0x3FFF, 0x3FFF, o.faults.echoCabOffset)
        && read.functions("truncate", o.faults.truncated)
        && read.functions("damage", o.faults.damaged)
        && read.integer("stall", 0, kMaxMs, o.faults.stallMs)
        && read.integer("stall-at-request", 0, INT_MAX, o.faults.stallAtRequest)
        && read.integer("stall-preset", -1, INT_MAX, o.faults.stallPreset)
        && read.integer("stall-every", 0, INT_MAX, o.faults.stallEvery)
        && read.integer("mute-preset", -1, INT_MAX, o.faults.mutePreset)
        && read.integer("mute-times", 0, INT_MAX, o.faults.muteTimes)
        && read.integer("silent-from", -1, INT_MAX, o.faults.silentFromPreset)
        && read.integer("close-after", 0, INT_MAX, o.faults.closeAfterRequests)
        && read.integer("value-length", 13, 64, o.faults.valueReplyLength)
        && read.integer("preset-name-number", 0, 0x3FFF, o.faults.presetNameNumber)
        && read.functions("twice", o.faults.twice)
        && read.integer("twice-every", 1, INT_MAX, o.faults.twiceEvery)
        && read.integer("unasked", 0, kMaxMs, o.faults.unaskedMs)
        && read.integer("ignore-pc", -1, INT_MAX, o.faults.ignoreProgramChange)
        && read.integer("late", 0, kMaxMs, o.faults.lateMs)
        && read.integer("late-every", 1, INT_MAX, o.faults.lateEvery);
    if (!ok)
        return false;
    if (o.ports.client.isEmpty()) {
        if (error)
            *error = QStringLiteral("--client must not be empty");
        return false;
    }
    o.faults.dropSeed = quint32(seed);
    *options = o;
    return true;
}

bool SimOptions::makeBank(SimBank* bank, QString* error) const
{
    SimBank result = SimBank::builtIn(quint8(model ? model : SimBank().model));
    if (!bankFile.isEmpty() && !SimBank::load(bankFile, &result, error))
        return false;
    if (model && result.model != model)
        result.setModel(quint8(model));
    if (displayOffset >= 0)
        result.displayOffset = quint8(displayOffset);
    *bank = result;
    return true;
}
