// SPDX-License-Identifier: MIT
// axefx-sim: a simulated unit on virtual MIDI ports until SIGINT or SIGTERM.
#include "axefxsim.h"
#include "qrtmididata.h"
#include "simoptions.h"
#include "simreplay.h"
#include "simrequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <pthread.h>

namespace {

constexpr int kUsageError = 64;

void printLine(FILE* stream, const QString& line)
{
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
}

// Blocked in every thread (the MIDI clients' threads inherit the mask), so the main thread
// alone takes them with sigwait and stops the unit in order.
sigset_t terminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void logRequests(AxeFxSim& sim, const QElapsedTimer& clock)
{
    QObject::connect(
        &sim, &AxeFxSim::requestReceived, &sim,
        [&clock](const QByteArray& request) {
            printLine(stdout,
                QStringLiteral("%1 ms  %2  %3")
                    .arg(clock.nsecsElapsed() / 1e6, 10, 'f', 3)
                    .arg(
                        QRtMidiData(request).toString(' '), SimRequest::parse(request).describe()));
        },
        Qt::DirectConnection);
}

QString summary(const SimBank& bank, const SimPortNames& ports)
{
    return QStringLiteral(
        "axefx-sim: model %1, %2 presets, %3 cabinets; client \"%4\", ports \"%5\" "
        "and \"%6\"; stop with Ctrl+C")
        .arg(bank.model)
        .arg(bank.presetCount())
        .arg(bank.cabCount())
        .arg(ports.client, ports.input, ports.output);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("axefx-sim"));
    SimOptions options;
    QString error;
    if (!SimOptions::parse(app.arguments(), &options, &error)) {
        printLine(stderr, QStringLiteral("axefx-sim: %1 (see --help)").arg(error));
        return kUsageError;
    }
    if (options.showHelp) {
        printLine(stdout, options.helpText);
        return 0;
    }
    SimBank bank;
    if (!options.makeBank(&bank, &error)) {
        printLine(stderr, QStringLiteral("axefx-sim: %1").arg(error));
        return 1;
    }
    if (options.dumpBank) {
        std::fwrite(bank.toJson().constData(), 1, size_t(bank.toJson().size()), stdout);
        return 0;
    }

    std::unique_ptr<SimReplay> replay;
    if (!options.replayFile.isEmpty()) {
        replay = SimReplay::load(options.replayFile, options.replayTiming, &error);
        if (!replay) {
            printLine(stderr, QStringLiteral("axefx-sim: %1").arg(error));
            return 1;
        }
    }

    const sigset_t stopSignals = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    AxeFxSim sim(bank);
    sim.setPortNames(options.ports);
    sim.setFaults(options.faults);
    sim.setRecording(false);
    sim.setReplay(replay.get());
    QElapsedTimer clock;
    clock.start();
    if (options.verbose)
        logRequests(sim, clock);
    if (!sim.start(&error)) {
        printLine(stderr, QStringLiteral("axefx-sim: cannot open the MIDI ports: %1").arg(error));
        return 1;
    }
    if (replay)
        printLine(stderr,
            QStringLiteral("axefx-sim: replaying the %1 requests of %2")
                .arg(replay->requestCount())
                .arg(options.replayFile));
    else
        printLine(stderr, summary(bank, options.ports));

    int signal = 0;
    sigwait(&stopSignals, &signal);
    sim.stop();
    printLine(
        stderr, QStringLiteral("axefx-sim: stopped after %1 requests").arg(sim.requestCount()));
    if (replay) {
        for (const QByteArray& request : replay->unmatched())
            printLine(stderr,
                QStringLiteral("axefx-sim: not in the trace, not answered: %1")
                    .arg(QRtMidiData(request).toString(' ')));
    }
    return 0;
}
