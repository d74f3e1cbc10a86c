// SPDX-License-Identifier: MIT
// The yardstick: the same requests sent straight through RtMidi, each reply awaited on a
// condition variable that the input callback signals; nothing else between reply and request.
#pragma once

#include "qrtmidiapi.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class RtMidiIn;
class RtMidiOut;

struct RawFigures {
    int roundTrips = 0;
    int unanswered = 0;
    std::int64_t wallNs = 0;
    std::int64_t cpuNs = 0; // the whole process
    long preemptions = 0; // of the sending thread
    std::int64_t threadCpuNs = 0; // the sending thread alone
    double idleCpuShare = 0; // the process with the ports open and idle
    QVector<std::int64_t> reactionNs;
};

class RawLoop {
public:
    RawLoop();
    ~RawLoop();
    RawLoop(const RawLoop&) = delete;
    RawLoop& operator=(const RawLoop&) = delete;

    // Opens the first input and output ports whose names hold "AXE"; false with a reason.
    bool open(QString* error);
    // Sends each request in turn; those that await a reply wait for the first message with
    // its reply header, or for one second of silence.
    // With measureIdle, one idle second before the run gives idleCpuShare.
    RawFigures run(const QList<QByteArray>& requests, bool measureIdle = true);

private:
    struct Arrival {
        std::int64_t atNs;
        std::vector<unsigned char> bytes;
    };

    static void receive(double, std::vector<unsigned char>* message, void* self);
    bool waitForReply(unsigned char model, unsigned char function, std::int64_t& arrivalNs);

    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut, QRtMidiOutDeleter> out;
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Arrival> inbox;
};
