// SPDX-License-Identifier: MIT
#include "simreplay.h"

#include <QFile>

SimReplay::SimReplay(const QList<QRtMidiTraceEntry>& entries, bool keepTiming)
{
    double requestMs = 0;
    for (const QRtMidiTraceEntry& entry : entries) {
        if (entry.sent) {
            byRequest[entry.bytes].append(exchanges.size());
            exchanges.append(Exchange());
            requestMs = entry.ms;
            continue;
        }
        // A late message of one request is recorded after the next; it goes out after that
        // one too, where the traced program heard it.
        const int delay = keepTiming ? qMax(0, int(entry.ms - requestMs + 0.5)) : 0;
        (exchanges.isEmpty() ? leading : exchanges.last().messages).append({ delay, entry.bytes });
    }
}

std::unique_ptr<SimReplay> SimReplay::load(const QString& fileName, bool keepTiming, QString* error)
{
    QFile file(fileName);
    QList<QRtMidiTraceEntry> entries;
    QString reason;
    if (!file.open(QIODevice::ReadOnly))
        reason = file.errorString();
    else if (!qrtmiditrace::parse(file.readAll(), &entries, &reason))
        reason = QStringLiteral("not a MIDI trace, %1").arg(reason);
    if (!reason.isEmpty()) {
        if (error)
            *error = QStringLiteral("cannot replay %1: %2").arg(fileName, reason);
        return nullptr;
    }
    return std::make_unique<SimReplay>(entries, keepTiming);
}

QList<SimReplay::Message> SimReplay::answer(const QByteArray& request)
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<Message> messages;
    messages.swap(leading);
    const QList<int> recorded = byRequest.value(request);
    int& next = used[request];
    if (next < recorded.size())
        messages += exchanges.at(recorded.at(next++)).messages;
    else
        missing.append(request);
    return messages;
}

QList<QByteArray> SimReplay::unmatched() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return missing;
}
