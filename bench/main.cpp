// SPDX-License-Identifier: MIT
// tollmark-bench: full scans through AxeFX against the simulated unit next to a raw RtMidi
// loop with the same requests, scan scaling over bank sizes and device latencies, the time to
// build both cross-reference views and write them as CSV, and what lost replies and a unit
// that vanishes cost a scan. Run it on a JACK server (scripts/bench); the unit runs in a child
// process so that only the scan's costs count.
#include "benchstats.h"
#include "rawloop.h"
#include "scanrun.h"
#include "simchild.h"
#include "tablebench.h"

#include <scantrace.h>

#include <axefxsim.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int kSmallModel = 3;
constexpr int kLargeModel = 6;
constexpr int kTableRepeats = 20;
constexpr int kUsage = 64;
// One reply lost in this many, and the requests after which the unit vanishes: during the
// cabinet names, and during the cabinets of the presets.
constexpr int kDropEvery = 97;
constexpr int kVanishDuringNames = 1000;
constexpr int kVanishDuringUsage = 3000;

struct Options {
    bool full = true;
    bool scaling = true;
    bool faults = true;
    QList<int> sizes { 6, 24, 96, 384, 768 };
    QList<int> latencies { 0, 1, 5 };
    int runs = 3;
    bool trace = false;
};

void print(const QString& line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

QList<int> numberList(const QString& text, bool* ok)
{
    QList<int> numbers;
    *ok = true;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool partOk = false;
        const int n = part.toInt(&partOk);
        if (!partOk || n < 0)
            *ok = false;
        numbers.append(n);
    }
    *ok = *ok && !numbers.isEmpty();
    return numbers;
}

// False with a one-line reason in error for a command line that is wrong.
bool parse(const QStringList& args, Options& options, QString& error)
{
    const QCommandLineOption fullOnly(
        QStringLiteral("full-only"), QStringLiteral("Only the full scans of both layouts."));
    const QCommandLineOption scalingOnly(
        QStringLiteral("scaling-only"), QStringLiteral("Only the scaling table."));
    const QCommandLineOption faultsOnly(QStringLiteral("faults-only"),
        QStringLiteral("Only the scans with lost replies and with a unit that vanishes."));
    const QCommandLineOption sizes(QStringLiteral("sizes"),
        QStringLiteral("Preset counts of the scaling table (default 6,24,96,384,768)."),
        QStringLiteral("n,n,..."));
    const QCommandLineOption latencies(QStringLiteral("latencies"),
        QStringLiteral("Device latencies of the scaling table in ms (default 0,1,5)."),
        QStringLiteral("ms,ms,..."));
    const QCommandLineOption trace(QStringLiteral("trace"),
        QStringLiteral("Record the MIDI trace of every scan through AxeFX, as --trace does."));
    const QCommandLineOption runs(QStringLiteral("runs"),
        QStringLiteral("Runs per figure; the run with the median ratio is shown (default 3)."),
        QStringLiteral("n"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Run on a JACK server, e.g. TOLLMARK_JACK_PERIOD=16 scripts/with-jack tollmark-bench"));
    parser.addOptions({ fullOnly, scalingOnly, faultsOnly, sizes, latencies, runs, trace });
    if (!parser.parse(args)) {
        error = parser.errorText();
        return false;
    }
    const int only = int(parser.isSet(fullOnly)) + int(parser.isSet(scalingOnly))
        + int(parser.isSet(faultsOnly));
    if (!parser.positionalArguments().isEmpty() || only > 1) {
        error = parser.helpText();
        return false;
    }
    options.full = only == 0 || parser.isSet(fullOnly);
    options.scaling = only == 0 || parser.isSet(scalingOnly);
    options.faults = only == 0 || parser.isSet(faultsOnly);
    options.trace = parser.isSet(trace);
    bool ok = true;
    if (parser.isSet(sizes))
        options.sizes = numberList(parser.value(sizes), &ok);
    if (ok && parser.isSet(latencies))
        options.latencies = numberList(parser.value(latencies), &ok);
    if (ok && parser.isSet(runs)) {
        options.runs = parser.value(runs).toInt(&ok);
        ok = ok && options.runs > 0;
    }
    if (!ok)
        error = parser.helpText();
    return ok;
}

double us(double ns)
{
    return ns / 1000.0;
}

double perTrip(std::int64_t ns, int trips)
{
    return trips ? us(double(ns)) / trips : 0.0;
}

double share(std::int64_t cpuNs, std::int64_t wallNs)
{
    return wallNs ? 100.0 * double(cpuNs) / double(wallNs) : 0.0;
}

// Of the first `presets` presets, those whose cabinets were not read as the unit's bank
// implies.
int mismatches(const ScanResult& scan, int model, int presets)
{
    const SimBank bank = SimBank::builtIn(quint8(model));
    int wrong = 0;
    for (int p = 0; p < presets; ++p) {
        if (scan.usageStates.value(p, ReadState::NotReached) != ReadState::Read
            || scan.presetCabs.value(p) != bank.expectedCabs(p))
            ++wrong;
    }
    return wrong;
}

// Cabinet and preset names not read as the bank has them, blank runs made one.
int nameMismatches(const ScanResult& scan, int model)
{
    const SimBank bank = SimBank::builtIn(quint8(model));
    int wrong = 0;
    for (int c = 0; c < bank.cabCount(); ++c) {
        if (scan.cabNameStates.value(c, ReadState::NotReached) != ReadState::Read
            || scan.cabNames.value(c) != bank.cabNames.value(c).simplified())
            ++wrong;
    }
    for (int p = 0; p < bank.presetCount(); ++p) {
        if (scan.presetNameStates.value(p, ReadState::NotReached) != ReadState::Read
            || scan.presetNames.value(p) != bank.presets.value(p).name.simplified())
            ++wrong;
    }
    return wrong;
}

QString outcomeName(ScanJob::Outcome outcome)
{
    switch (outcome) {
    case ScanJob::Complete:
        return QStringLiteral("complete");
    case ScanJob::NoDevice:
        return QStringLiteral("no device");
    case ScanJob::Stopped:
        return QStringLiteral("stopped");
    case ScanJob::Lost:
        return QStringLiteral("lost");
    }
    return QString();
}

// A scan through a new link to the unit, without the raw loop; false when the unit was not
// found.
bool scanOnce(int model, int presets, ScanFigures& figures, ScanResult& result)
{
    AxeFX link;
    if (!link.findAxeFx() || link.model != model) {
        print(QStringLiteral("the simulated unit was not found"));
        return false;
    }
    figures = scanThroughLink(link, presets, result, false);
    return true;
}

struct Pair {
    ScanFigures link;
    RawFigures raw;
    int wrongPresets = 0;
    bool ok = false;
};

// One scan through AxeFX, then the raw loop with the very requests it sent. The link is
// gone before the raw loop starts, so neither pays for the other's MIDI clients.
Pair scanPair(int model, int presets, bool measureIdle, bool trace, TableFigures* tables = nullptr)
{
    Pair pair;
    {
        auto link = std::make_unique<AxeFX>();
        std::unique_ptr<ScanTrace> recorder;
        if (trace)
            recorder = std::make_unique<ScanTrace>(*link);
        if (!link->findAxeFx() || link->model != model) {
            print(QStringLiteral("the simulated unit was not found"));
            return pair;
        }
        ScanResult result;
        pair.link = scanThroughLink(*link, presets, result, measureIdle);
        if (pair.link.outcome != ScanJob::Complete) {
            print(QStringLiteral("the scan did not complete: %1").arg(pair.link.outcomeText));
            return pair;
        }
        pair.wrongPresets = mismatches(result, model, presets);
        if (tables)
            *tables = timeTablesAndCsv(result, kTableRepeats);
    }
    RawLoop raw;
    QString error;
    if (!raw.open(&error)) {
        print(QStringLiteral("raw loop: %1").arg(error));
        return pair;
    }
    pair.raw = raw.run(pair.link.requests, measureIdle);
    pair.ok = true;
    return pair;
}

double ratioOf(const Pair& p)
{
    return p.raw.wallNs ? double(p.link.wallNs) / double(p.raw.wallNs) : 0;
}

// The run with the median ratio; the ratios of all runs, in ascending order, in `ratios`.
Pair medianRun(QList<Pair> pairs, QStringList& ratios)
{
    std::sort(pairs.begin(), pairs.end(),
        [](const Pair& a, const Pair& b) { return ratioOf(a) < ratioOf(b); });
    ratios.clear();
    for (const Pair& each : pairs)
        ratios << QString::number(ratioOf(each), 'f', 3);
    return pairs.at(pairs.size() / 2);
}

// Each run is a scan through AxeFX and a raw loop right after it; the run with the median
// ratio is shown, so a burst of load on a shared machine in one run does not decide.
bool fullScan(int model, int runs, bool trace)
{
    SimChild sim;
    if (!sim.start(model)) {
        print(QStringLiteral("the simulated unit did not start"));
        return false;
    }
    const int presets = SimBank::presetCountFor(quint8(model));
    const int cabs = SimBank::cabCountFor(quint8(model));
    TableFigures tables;
    QList<Pair> pairs;
    for (int r = 0; r < runs; ++r) {
        pairs.append(
            scanPair(model, presets, true, trace, model == kLargeModel ? &tables : nullptr));
        if (!pairs.last().ok)
            return false;
    }
    QStringList ratios;
    const Pair p = medianRun(pairs, ratios);

    const double ratio = ratioOf(p);
    const double median = us(bench::quantile(p.link.reactionNs, 0.5));
    const double p99 = us(bench::quantile(p.link.reactionNs, 0.99));
    const double cpu = share(p.link.cpuNs, p.link.wallNs);
    const auto verdict
        = [](bool met) { return met ? QStringLiteral("met") : QStringLiteral("MISSED"); };

    print(QStringLiteral("\nFull scan, model %1: %2 presets, %3 cabinets, device latency 0 ms; "
                         "median of %4 runs (ratios %5)")
              .arg(model)
              .arg(presets)
              .arg(cabs)
              .arg(runs)
              .arg(ratios.join(QStringLiteral(", "))));
    print(QStringLiteral("  %1 %2 %3 %4 %5   reaction us: %6 %7 %8 %9   CPU %: %10 %11 %12")
              .arg(QString(), -16)
              .arg(QStringLiteral("requests"), 8)
              .arg(QStringLiteral("trips"), 6)
              .arg(QStringLiteral("wall s"), 7)
              .arg(QStringLiteral("us/trip"), 7)
              .arg(QStringLiteral("median"), 6)
              .arg(QStringLiteral("p90"), 6)
              .arg(QStringLiteral("p99"), 6)
              .arg(QStringLiteral("max"), 7)
              .arg(QStringLiteral("process"), 7)
              .arg(QStringLiteral("idle"), 5)
              .arg(QStringLiteral("thread"), 6));
    const auto row = [](const QString& name, int requests, int trips, std::int64_t wall,
                         const QVector<std::int64_t>& reaction, std::int64_t cpuNs, double idle,
                         std::int64_t threadNs) {
        print(QStringLiteral("  %1 %2 %3 %4 %5                %6 %7 %8 %9          %10 %11 %12")
                  .arg(name, -16)
                  .arg(requests, 8)
                  .arg(trips, 6)
                  .arg(wall / 1e9, 7, 'f', 3)
                  .arg(perTrip(wall, trips), 7, 'f', 1)
                  .arg(us(bench::quantile(reaction, 0.5)), 6, 'f', 1)
                  .arg(us(bench::quantile(reaction, 0.9)), 6, 'f', 1)
                  .arg(us(bench::quantile(reaction, 0.99)), 6, 'f', 1)
                  .arg(us(bench::quantile(reaction, 1.0)), 7, 'f', 0)
                  .arg(share(cpuNs, wall), 7, 'f', 1)
                  .arg(idle, 5, 'f', 1)
                  .arg(share(threadNs, wall), 6, 'f', 1));
    };
    row(QStringLiteral("AxeFX"), p.link.requests.size(), p.link.roundTrips, p.link.wallNs,
        p.link.reactionNs, p.link.cpuNs, p.link.idleCpuShare, p.link.threadCpuNs);
    row(QStringLiteral("raw RtMidi loop"), p.link.requests.size(), p.raw.roundTrips, p.raw.wallNs,
        p.raw.reactionNs, p.raw.cpuNs, p.raw.idleCpuShare, p.raw.threadCpuNs);
    print(
        QStringLiteral("  ratio %1 (<= 1.10 %2); reaction median %3 us (<= 100 %4), "
                       "p99 %5 us (<= 1000 %6); CPU share %7 % (<= 10 %8), of which the idle MIDI "
                       "clients %9 %")
            .arg(ratio, 0, 'f', 3)
            .arg(verdict(ratio <= 1.10))
            .arg(median, 0, 'f', 1)
            .arg(verdict(median <= 100))
            .arg(p99, 0, 'f', 1)
            .arg(verdict(p99 <= 1000))
            .arg(cpu, 0, 'f', 1)
            .arg(verdict(cpu <= 10))
            .arg(p.link.idleCpuShare, 0, 'f', 1));
    print(QStringLiteral("  scan result: %1 of %2 presets as the bank implies; raw loop "
                         "unanswered: %3; scanning thread preempted %4 times (raw loop: %5)")
              .arg(presets - p.wrongPresets)
              .arg(presets)
              .arg(p.raw.unanswered)
              .arg(p.link.preemptions)
              .arg(p.raw.preemptions));
    if (model == kLargeModel) {
        print(QStringLiteral("  both views (%1 + %2 rows) built and written as CSV (%3 bytes): "
                             "median %4 ms, max %5 ms over %6 runs (< 100 ms %7)%8")
                  .arg(tables.presetRows)
                  .arg(tables.cabRows)
                  .arg(tables.csvBytes)
                  .arg(tables.medianNs / 1e6, 0, 'f', 2)
                  .arg(tables.maxNs / 1e6, 0, 'f', 2)
                  .arg(tables.repeats)
                  .arg(verdict(tables.maxNs < 100e6))
                  .arg(tables.written ? QString() : QStringLiteral("; WRITING FAILED")));
    }
    return true;
}

// Each cell is the run with the median ratio of options.runs runs.
bool scaling(const Options& options)
{
    const int allPresets = SimBank::presetCountFor(kLargeModel);
    print(QStringLiteral("\nScan scaling, model %1: every name (%2 cabinets, %3 presets), then "
                         "the cabinets of the first n presets")
              .arg(kLargeModel)
              .arg(SimBank::cabCountFor(kLargeModel))
              .arg(allPresets));
    print(QStringLiteral("  latency presets  trips  AxeFX s    raw s  AxeFX us/trip  raw us/trip"
                         "  overhead us/trip  ratio  correct"));
    for (int latency : options.latencies) {
        SimChild sim;
        SimFaults faults;
        faults.delayMs = latency;
        if (!sim.start(kLargeModel, faults)) {
            print(QStringLiteral("the simulated unit did not start"));
            return false;
        }
        for (int size : options.sizes) {
            const int presets = qMin(size, allPresets);
            QList<Pair> pairs;
            for (int r = 0; r < options.runs; ++r) {
                pairs.append(scanPair(kLargeModel, presets, false, options.trace));
                if (!pairs.last().ok)
                    return false;
            }
            QStringList ratios;
            const Pair p = medianRun(pairs, ratios);
            const double linkTrip = perTrip(p.link.wallNs, p.link.roundTrips);
            const double rawTrip = perTrip(p.raw.wallNs, p.raw.roundTrips);
            print(
                QStringLiteral("  %1 ms %2 %3 %4 %5 %6 %7 %8 %9 %10")
                    .arg(latency, 4)
                    .arg(presets, 7)
                    .arg(p.link.roundTrips, 6)
                    .arg(p.link.wallNs / 1e9, 8, 'f', 3)
                    .arg(p.raw.wallNs / 1e9, 8, 'f', 3)
                    .arg(linkTrip, 14, 'f', 1)
                    .arg(rawTrip, 12, 'f', 1)
                    .arg(linkTrip - rawTrip, 17, 'f', 1)
                    .arg(p.raw.wallNs ? double(p.link.wallNs) / double(p.raw.wallNs) : 0, 6, 'f', 3)
                    .arg(p.wrongPresets ? QStringLiteral("%1 wrong").arg(p.wrongPresets)
                                        : QStringLiteral("yes"),
                        8));
        }
    }
    return true;
}

// A scan of the large layout with no reply lost, then one with every kDropEvery-th reply
// lost: what the lost replies cost, and whether asking again once makes the record whole.
bool lostReplies()
{
    const int presets = SimBank::presetCountFor(kLargeModel);
    const int names = SimBank::cabCountFor(kLargeModel) + presets;
    print(QStringLiteral("\nLost replies, model %1: %2 presets, %3 cabinets, device latency 0 ms; "
                         "one run each")
              .arg(kLargeModel)
              .arg(presets)
              .arg(SimBank::cabCountFor(kLargeModel)));
    print(QStringLiteral("  replies lost  requests  trips   wall s  asked again  requests  "
                         "again s  outcome   not read  presets as bank  names as bank"));
    for (int dropEvery : { 0, kDropEvery }) {
        SimChild sim;
        SimFaults faults;
        faults.dropEvery = dropEvery;
        if (!sim.start(kLargeModel, faults)) {
            print(QStringLiteral("the simulated unit did not start"));
            return false;
        }
        ScanFigures figures;
        ScanResult result;
        if (!scanOnce(kLargeModel, presets, figures, result))
            return false;
        print(
            QStringLiteral("  %1 %2 %3 %4 %5 %6 %7  %8 %9 %10 %11")
                .arg(dropEvery ? QStringLiteral("1 in %1").arg(dropEvery) : QStringLiteral("none"),
                    -12)
                .arg(figures.requests.size(), 9)
                .arg(figures.roundTrips, 6)
                .arg(figures.wallNs / 1e9, 8, 'f', 3)
                .arg(figures.askedAgain, 12)
                .arg(figures.askAgainRequests, 9)
                .arg(figures.askAgainNs / 1e9, 8, 'f', 3)
                .arg(outcomeName(figures.outcome), -8)
                .arg(result.count(ReadState::NotRead), 9)
                .arg(QStringLiteral("%1 of %2")
                         .arg(presets - mismatches(result, kLargeModel, presets))
                         .arg(presets),
                    16)
                .arg(QStringLiteral("%1 of %2")
                         .arg(names - nameMismatches(result, kLargeModel))
                         .arg(names),
                    14));
    }
    return true;
}

// A unit that closes its ports during the scan: how long the scan goes on after its last
// reply before it ends as lost.
bool vanishedUnit()
{
    print(QStringLiteral("\nVanished unit, model %1: the unit closes its ports after n requests")
              .arg(kLargeModel));
    print(QStringLiteral("  after n  requests   wall s  s after last reply  outcome"));
    for (int after : { kVanishDuringNames, kVanishDuringUsage }) {
        SimChild sim;
        SimFaults faults;
        faults.closeAfterRequests = after;
        if (!sim.start(kLargeModel, faults)) {
            print(QStringLiteral("the simulated unit did not start"));
            return false;
        }
        ScanFigures figures;
        ScanResult result;
        if (!scanOnce(kLargeModel, SimBank::presetCountFor(kLargeModel), figures, result))
            return false;
        print(QStringLiteral("  %1 %2 %3 %4  %5: %6")
                  .arg(after, 7)
                  .arg(figures.requests.size(), 9)
                  .arg(figures.wallNs / 1e9, 8, 'f', 3)
                  .arg(figures.afterLastArrivalNs / 1e9, 18, 'f', 3)
                  .arg(outcomeName(figures.outcome), figures.outcomeText));
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String(SimChild::kServeOption))
        return SimChild::serve(args.mid(2));
    Options options;
    QString error;
    if (!parse(args, options, error)) {
        std::fprintf(stderr, "tollmark-bench: %s\n", error.toLocal8Bit().constData());
        return kUsage;
    }

    const QByteArray period = qgetenv("TOLLMARK_JACK_PERIOD");
    print(QStringLiteral("tollmark-bench: JACK period %1 frames; the simulated unit runs in a "
                         "child process%2")
              .arg(period.isEmpty() ? QStringLiteral("(server default)")
                                    : QString::fromLatin1(period),
                  options.trace ? QStringLiteral("; every scan through AxeFX traced") : QString()));
    bool ok = true;
    if (options.full)
        ok = fullScan(kSmallModel, options.runs, options.trace)
            && fullScan(kLargeModel, options.runs, options.trace);
    if (ok && options.scaling)
        ok = scaling(options);
    if (ok && options.faults)
        ok = lostReplies() && vanishedUnit();
    return ok ? 0 : 1;
}
