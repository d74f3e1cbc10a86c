// SPDX-License-Identifier: MIT
// A unit that answers as a traced one did: each request gets what arrived after the same
// request bytes in the trace, the recordings of one request used in their order, and a request
// the trace never saw gets nothing and is kept for the list on exit.
#pragma once

#include <qrtmiditrace.h>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <mutex>

class SimReplay {
public:
    struct Message {
        int delayMs = 0; // after the request, with the recorded timing kept; else 0
        QByteArray bytes;
    };

    explicit SimReplay(const QList<QRtMidiTraceEntry>& entries = {}, bool keepTiming = false);
    // Null with a reason naming the file and, for a damaged trace, the line.
    static std::unique_ptr<SimReplay> load(
        const QString& fileName, bool keepTiming, QString* error);

    // Called on the unit's thread for every message received.
    QList<Message> answer(const QByteArray& request);
    // The requests answered with nothing because the trace does not hold them, in order.
    QList<QByteArray> unmatched() const;
    // How many requests the trace holds.
    int requestCount() const { return exchanges.size(); }

private:
    struct Exchange {
        QList<Message> messages;
    };

    QList<Exchange> exchanges;
    // Which exchanges each request's bytes have, in recorded order, and how many were used.
    QHash<QByteArray, QList<int>> byRequest;
    QHash<QByteArray, int> used;
    // What arrived before the first request, sent with the first answer.
    QList<Message> leading;
    mutable std::mutex mutex;
    QList<QByteArray> missing;
};
