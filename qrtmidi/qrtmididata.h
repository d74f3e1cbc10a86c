// SPDX-License-Identifier: MIT
// A MIDI message as it travels through the program: its bytes in wire order plus the time the
// input port received them, with hex text, number packing, sub-ranges and pattern tests.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QRegExp>
#include <QString>

#include <cstdarg>
#include <vector>

class QDebug;

class QRtMidiData {
public:
    /// Empty data.
    QRtMidiData() = default;
    /// The bytes of `number` by the number rule (see numHexToByteArray); -1 gives no bytes.
    explicit QRtMidiData(int number);
    /// The same bytes in the same order.
    explicit QRtMidiData(const std::vector<unsigned char>& bytes);
    /// The same bytes.
    explicit QRtMidiData(const QByteArray& bytes);
    /// The bytes the hex text denotes (see setText).
    explicit QRtMidiData(const char* hexText);
    /// The bytes the hex text denotes, after removing every newline.
    explicit QRtMidiData(const QString& hexText);
    /// Copies the bytes; the copy's timeStamp starts at 0.
    QRtMidiData(const QRtMidiData& other);
    /// Copies the bytes and the timeStamp.
    QRtMidiData& operator=(const QRtMidiData& other);

    /// Registers the type under the name "QRtMidiData" for queued connections; safe to call
    /// any number of times. Returns the meta-type id.
    static int registerMetaType();

    /// Number of bytes.
    int size() const { return bytes.size(); }
    /// True when there are no bytes.
    bool isEmpty() const { return bytes.isEmpty(); }
    /// The byte at `index` (0 to 255), or 0 when `index` lies outside the data.
    quint8 at(int index) const;
    /// A byte array sharing the same bytes.
    QByteArray toByteArray() const { return bytes; }
    /// Appends raw bytes.
    void append(const QByteArray& more) { bytes.append(more); }
    /// Appends one raw byte.
    void append(quint8 byte) { bytes.append(char(byte)); }

    /// Empties `out`, then fills it with `len` bytes from `start` (len -1: to the end), cut at
    /// the end of the data.
    void copyToStdVec(std::vector<unsigned char>& out, int start = 0, int len = -1) const;
    /// The same range as copyToStdVec, in a new vector.
    std::vector<unsigned char> toStdVector(int start = 0, int len = -1) const;
    /// `len` bytes from `pos` (len -1: to the end), cut at the end of the data.
    QByteArray mid(int pos, int len = -1) const;
    /// Replaces `len` bytes at `pos` by `after` and returns the whole changed byte run; a `pos`
    /// outside the data changes nothing, a `len` past the end is cut at the end.
    QByteArray replace(int pos, int len, const QByteArray& after);
    /// Removes all bytes.
    void clear() { bytes.clear(); }

    /// The number as 1 to 4 bytes, most significant first: up to 0xFF one byte, up to 0xFFFE
    /// two, up to 0xFFFFFE three, up to 0xFFFFFFFE four; 0xFFFFFFFF gives no bytes and logs.
    static QByteArray numHexToByteArray(quint32 number);
    /// Appends the bytes of numHexToByteArray; false when nothing was appended.
    bool appendNum(quint32 number);
    /// `len` (1 to 4) bytes at `pos`, each read as a signed 8-bit value: len 2 packs by 128,
    /// len 3 and 4 by 256. `defaultValue` when the bytes are not all inside the data.
    int toInt(int pos, int len, int defaultValue) const;
    /// The 14-bit value of the bytes at pos and pos+1 (first × 128 + second), or `defaultValue`.
    int get14bit(int pos, int defaultValue) const;
    /// Writes bits 7-13 of `value` at `pos` and bits 0-6 at pos+1, growing the data by one byte
    /// when `pos` is the last byte; false and no change when `pos` lies outside the data.
    bool set14bit(int pos, int value);
    /// The sum of the low 7 bits of the bytes of mid(pos, len), reduced to 7 bits.
    quint8 sumOfSection(int pos, int len) const;
    /// Chunks of `chunkSize` bytes from the start, the last one shorter; empty when the data is
    /// not longer than one chunk or `chunkSize` is not positive.
    QList<QRtMidiData> split(int chunkSize) const;

    /// Two upper-case hex digits per byte, no separators: "F07EF7".
    QString toString() const;
    /// Two upper-case hex digits per byte with `separator` between bytes: "F0 7E F7".
    QString toString(char separator) const;
    /// The bytes of mid(pos, len) as Latin-1 characters, zero bytes included; empty when the
    /// range runs past the end.
    QString toAsciiString(int pos, int len) const;

    /// Searches `pattern` in toString(); with `fromStart` only a match at character 0 counts.
    bool match(QRegExp pattern, bool fromStart) const;
    /// Tests a hex text pattern: blanks are ignored, case does not matter, XX stands for any
    /// byte, the rest is a regular expression searched in toString().
    bool match(const char* pattern, bool fromStart) const;
    /// match(pattern, false).
    bool contains(const char* pattern) const { return match(pattern, false); }
    /// match(pattern, true).
    bool startsWith(const char* pattern) const { return match(pattern, true); }
    /// The bytes of `pattern`, up to its first zero byte, as a hex text pattern from the start.
    bool startsWith(const QByteArray& pattern) const;
    /// The bytes of `pattern`, up to its first zero byte, as a hex text pattern from the start.
    bool startsWith(const QRtMidiData& pattern) const;
    /// True when `other` occurs as a contiguous run of bytes (the empty run occurs everywhere).
    bool contains(const QByteArray& other) const { return bytes.contains(other); }
    /// True when the bytes of `other` occur as a contiguous run of bytes.
    bool contains(const QRtMidiData& other) const { return bytes.contains(other.bytes); }

    /// Replaces the bytes by those of hex text: pairs of hex digits ("F07E"), items separated
    /// by blanks or commas ("F0 7E", "F0,7E", each item by the number rule), or one 0x number.
    /// Invalid text is logged and leaves the bytes read so far.
    void setText(const char* hexText);
    /// Clears the bytes, then vSetData(format, ...).
    void setData(const char* format, ...);
    /// Appends the bytes of a format text: blank-separated hex items and the specifiers VV
    /// (int, number rule), P14 (int, two 7-bit bytes), MSTR (const char* hex text) and CSTR
    /// (const char*, raw characters), each specifier taking one argument.
    void vSetData(const char* format, va_list args);
    /// True when `text` has at least 3 characters and starts with "0x" or "0X".
    static bool is0xHexStr(const QString& text);

    bool operator==(const QRtMidiData& other) const { return bytes == other.bytes; }
    bool operator!=(const QRtMidiData& other) const { return bytes != other.bytes; }

    /// Milliseconds since the epoch at which the input port received the bytes.
    qint64 timeStamp = 0;

private:
    QByteArray bytes;
};

Q_DECLARE_METATYPE(QRtMidiData)

/// The bytes of `data` followed by `more`.
QRtMidiData operator+(const QRtMidiData& data, const QByteArray& more);
/// The bytes of `data` followed by those of `more`.
QRtMidiData operator+(const QRtMidiData& data, const QRtMidiData& more);
/// Writes the bytes as spaced hex text.
QDebug operator<<(QDebug debug, const QRtMidiData& data);
