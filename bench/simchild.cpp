// SPDX-License-Identifier: MIT
#include "simchild.h"

#include "axefxsim.h"

#include <QCoreApplication>

#include <cstdio>

const char* const SimChild::kServeOption = "--serve-sim";

namespace {
constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;
const QByteArray kReadyLine = "ready\n";
} // namespace

SimChild::~SimChild()
{
    stop();
}

bool SimChild::start(int model, int delayMs)
{
    stop();
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(),
        { QString::fromLatin1(kServeOption), QString::number(model), QString::number(delayMs) });
    if (!process.waitForStarted(kStartTimeoutMs))
        return false;
    QByteArray line;
    while (!line.endsWith('\n')) {
        if (!process.waitForReadyRead(kStartTimeoutMs))
            break;
        line += process.readAll();
    }
    if (line == kReadyLine)
        return true;
    stop();
    return false;
}

void SimChild::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.closeWriteChannel();
    if (!process.waitForFinished(kStopTimeoutMs)) {
        process.kill();
        process.waitForFinished(kStopTimeoutMs);
    }
}

int SimChild::serve(const QStringList& arguments)
{
    bool modelOk = false;
    bool delayOk = false;
    const int model = arguments.value(0).toInt(&modelOk);
    const int delayMs = arguments.value(1).toInt(&delayOk);
    if (!modelOk || !delayOk || model < 1 || model > 0x7F || delayMs < 0) {
        std::fprintf(stderr, "%s MODEL DELAY_MS\n", kServeOption);
        return 2;
    }
    AxeFxSim sim(SimBank::builtIn(quint8(model)));
    SimFaults faults;
    faults.delayMs = delayMs;
    sim.setFaults(faults);
    sim.setRecording(false);
    QString error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::fputs(kReadyLine.constData(), stdout);
    std::fflush(stdout);
    // The unit answers on its own threads; this one only waits for the parent to let go.
    while (std::getchar() != EOF) { }
    sim.stop();
    return 0;
}
