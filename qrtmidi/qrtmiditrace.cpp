// SPDX-License-Identifier: MIT
#include "qrtmiditrace.h"

#include <QMutexLocker>

#include <cmath>

namespace {

const char kSent[] = "out";
const char kReceived[] = "in";
// A day of milliseconds: no scan lasts longer, and a larger time is a damaged line.
constexpr double kLongestMs = 24.0 * 3600 * 1000;

bool parseByte(const QByteArray& word, char& byte)
{
    bool ok = false;
    const uint value = word.toUInt(&ok, 16);
    byte = char(value);
    return ok && word.size() == 2 && value <= 0xFF;
}

// The reason the line is not an entry, or an empty text when `entry` holds it.
QString parseLine(const QByteArray& line, QRtMidiTraceEntry& entry)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    if (words.size() < 3)
        return QStringLiteral("expected a time in ms, \"out\" or \"in\", and the bytes in hex");
    bool ok = false;
    entry.ms = words.at(0).toDouble(&ok);
    if (!ok || !std::isfinite(entry.ms) || entry.ms < 0 || entry.ms > kLongestMs)
        return QStringLiteral("\"%1\" is not a time in ms").arg(QString::fromUtf8(words.at(0)));
    if (words.at(1) != kSent && words.at(1) != kReceived)
        return QStringLiteral("\"%1\" is neither \"out\" nor \"in\"")
            .arg(QString::fromUtf8(words.at(1)));
    entry.sent = words.at(1) == kSent;
    entry.bytes.clear();
    for (int i = 2; i < words.size(); ++i) {
        char byte = 0;
        if (!parseByte(words.at(i), byte))
            return QStringLiteral("\"%1\" is not a byte in hex")
                .arg(QString::fromUtf8(words.at(i)));
        entry.bytes.append(byte);
    }
    return QString();
}

} // namespace

QByteArray qrtmiditrace::toText(const QStringList& header, const QList<QRtMidiTraceEntry>& entries)
{
    QByteArray text;
    for (const QString& line : header)
        text += "# " + line.toUtf8() + '\n';
    for (const QRtMidiTraceEntry& entry : entries) {
        text += QByteArray::number(entry.ms, 'f', 3) + ' ' + (entry.sent ? kSent : kReceived) + ' '
            + entry.bytes.toHex(' ').toUpper() + '\n';
    }
    return text;
}

bool qrtmiditrace::parse(const QByteArray& text, QList<QRtMidiTraceEntry>* entries, QString* error)
{
    entries->clear();
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QRtMidiTraceEntry entry;
        const QString reason = parseLine(line, entry);
        if (!reason.isEmpty()) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(i + 1).arg(reason);
            return false;
        }
        entries->append(entry);
    }
    return true;
}

QRtMidiRecorder::QRtMidiRecorder()
{
    clock.start();
}

void QRtMidiRecorder::restart()
{
    QMutexLocker locker(&lock);
    recorded.clear();
    clock.restart();
}

void QRtMidiRecorder::record(bool sent, const QRtMidiData& message)
{
    QRtMidiTraceEntry entry;
    entry.sent = sent;
    entry.bytes = message.toByteArray();
    QMutexLocker locker(&lock);
    entry.ms = double(clock.nsecsElapsed()) / 1e6;
    recorded.append(entry);
}

QList<QRtMidiTraceEntry> QRtMidiRecorder::entries() const
{
    QMutexLocker locker(&lock);
    return recorded;
}
