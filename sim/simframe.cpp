// SPDX-License-Identifier: MIT
#include "simframe.h"

namespace {

constexpr quint8 kManufacturer[] = { 0x00, 0x01, 0x74 };
constexpr int kLow7 = 0x7F;

} // namespace

QByteArray SimFrame::header(quint8 model, quint8 function)
{
    QByteArray out;
    out.reserve(kHeaderSize);
    out.append(char(kSysExStart));
    for (quint8 b : kManufacturer)
        out.append(char(b));
    out.append(char(model));
    out.append(char(function));
    return out;
}

QByteArray SimFrame::build(quint8 model, quint8 function, const QByteArray& payload)
{
    QByteArray out = header(model, function);
    out.reserve(kMinFrameSize + payload.size());
    out.append(payload);
    out.append(char(checksum(out, out.size())));
    out.append(char(kSysExEnd));
    return out;
}

quint8 SimFrame::checksum(const QByteArray& bytes, int count)
{
    quint8 sum = 0;
    for (int i = 0; i < count && i < bytes.size(); ++i)
        sum ^= quint8(bytes.at(i));
    return sum & kLow7;
}

bool SimFrame::hasManufacturer(const QByteArray& bytes)
{
    if (bytes.size() < 4)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (byteAt(bytes, i + 1) != kManufacturer[i])
            return false;
    }
    return true;
}

void SimFrame::append14(QByteArray& out, int value)
{
    out.append(char(value & kLow7));
    out.append(char((value >> 7) & kLow7));
}

void SimFrame::append14HighFirst(QByteArray& out, int value)
{
    out.append(char((value >> 7) & kLow7));
    out.append(char(value & kLow7));
}

void SimFrame::append16(QByteArray& out, int value)
{
    const quint16 bits = quint16(value);
    out.append(char(bits & kLow7));
    out.append(char((bits >> 7) & kLow7));
    out.append(char((bits >> 14) & kLow7));
}

void SimFrame::append32(QByteArray& out, quint32 value)
{
    for (int shift = 0; shift < 35; shift += 7)
        out.append(char((value >> shift) & kLow7));
}

int SimFrame::read14(const QByteArray& bytes, int pos)
{
    return (byteAt(bytes, pos) & kLow7) | ((byteAt(bytes, pos + 1) & kLow7) << 7);
}

int SimFrame::read14HighFirst(const QByteArray& bytes, int pos)
{
    return ((byteAt(bytes, pos) & kLow7) << 7) | (byteAt(bytes, pos + 1) & kLow7);
}
