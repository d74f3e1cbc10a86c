// SPDX-License-Identifier: MIT
#include "simchild.h"

#include "axefxsim.h"

#include <QCoreApplication>
#include <QVector>

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

bool SimChild::start(int model, const SimFaults& faults)
{
    stop();
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(),
        { QString::fromLatin1(kServeOption), QString::number(model),
            QString::number(faults.delayMs), QString::number(faults.dropEvery),
            QString::number(faults.closeAfterRequests) });
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
    QVector<int> numbers;
    for (const QString& argument : arguments) {
        bool ok = false;
        const int n = argument.toInt(&ok);
        if (ok && n >= 0)
            numbers.append(n);
    }
    // Every argument a number, none negative, and a model byte first.
    if (arguments.size() != 4 || numbers.size() != 4 || numbers.at(0) < 1 || numbers.at(0) > 0x7F) {
        std::fprintf(stderr, "%s MODEL DELAY_MS DROP_EVERY CLOSE_AFTER\n", kServeOption);
        return 2;
    }
    AxeFxSim sim(SimBank::builtIn(quint8(numbers.at(0))));
    SimFaults faults;
    faults.delayMs = numbers.at(1);
    faults.dropEvery = numbers.at(2);
    faults.closeAfterRequests = numbers.at(3);
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
