// SPDX-License-Identifier: MIT
// Byte work of the device's SysEx frames as the simulated unit writes and checks them:
// framing with checksum and the number encodings. Kept apart from the protocol library on
// purpose, so that the simulator catches that library's mistakes instead of sharing them.
#pragma once

#include <QByteArray>

class SimFrame {
public:
    static constexpr quint8 kSysExStart = 0xF0;
    static constexpr quint8 kSysExEnd = 0xF7;
    static constexpr int kHeaderSize = 6; // F0, three manufacturer bytes, model, function
    static constexpr int kMinFrameSize = 8; // header, checksum, F7

    /// F0 00 01 74, model, function, payload, checksum, F7.
    static QByteArray build(quint8 model, quint8 function, const QByteArray& payload = {});
    /// The header alone, as unprompted messages without checksum start.
    static QByteArray header(quint8 model, quint8 function);
    /// XOR of the first `count` bytes, masked to 7 bits.
    static quint8 checksum(const QByteArray& bytes, int count);
    /// True when bytes 1 to 3 are the manufacturer ID 00 01 74.
    static bool hasManufacturer(const QByteArray& bytes);

    /// Appends a 14-bit value low part first.
    static void append14(QByteArray& out, int value);
    /// Appends a 14-bit value high part first (preset numbers).
    static void append14HighFirst(QByteArray& out, int value);
    /// Appends the low 16 bits of a value as three 7-bit bytes, low part first.
    static void append16(QByteArray& out, int value);
    /// Appends 32 bits as five 7-bit bytes, low part first.
    static void append32(QByteArray& out, quint32 value);
    /// The 14-bit value at `pos`, low part first.
    static int read14(const QByteArray& bytes, int pos);
    /// The 14-bit value at `pos`, high part first.
    static int read14HighFirst(const QByteArray& bytes, int pos);

    static quint8 byteAt(const QByteArray& bytes, int pos) { return quint8(bytes.at(pos)); }
};
