// SPDX-License-Identifier: MIT
#include "qrtmididata.h"

#include <QDebug>

namespace {
constexpr quint32 kNumberError = 0xFFFFFFFF;
constexpr quint32 kOneByteMax = 0xFF;
constexpr quint32 kTwoByteMax = 0xFFFE;
constexpr quint32 kThreeByteMax = 0xFFFFFE;
constexpr int kMaxNumberBytes = 4;
constexpr int kDataBits = 0x7F;
const char kHexDigits[] = "0123456789ABCDEF";

[[maybe_unused]] const int kMetaTypeId = QRtMidiData::registerMetaType();

// Bytes available from start for a request of len (-1: all); 0 when start lies outside.
int rangeLength(int size, int start, int len)
{
    if (start < 0 || start > size)
        return 0;
    const int wanted = len == -1 ? size : len;
    return qMax(0, qMin(wanted, size - start));
}

int numberByteCount(quint32 number)
{
    if (number <= kOneByteMax)
        return 1;
    if (number <= kTwoByteMax)
        return 2;
    if (number <= kThreeByteMax)
        return 3;
    return kMaxNumberBytes;
}

QString hexText(const QByteArray& bytes, char separator, bool separated)
{
    QString text;
    text.reserve(bytes.size() * (separated ? 3 : 2));
    for (int i = 0; i < bytes.size(); ++i) {
        if (separated && i > 0)
            text += QLatin1Char(separator);
        const auto byte = quint8(bytes.at(i));
        text += QLatin1Char(kHexDigits[byte >> 4]);
        text += QLatin1Char(kHexDigits[byte & 0x0F]);
    }
    return text;
}
} // namespace

QRtMidiData::QRtMidiData(int number)
{
    appendNum(quint32(number));
}

QRtMidiData::QRtMidiData(const std::vector<unsigned char>& bytes)
    : bytes(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()))
{ }

QRtMidiData::QRtMidiData(const QByteArray& bytes)
    : bytes(bytes)
{ }

QRtMidiData::QRtMidiData(const char* hexText)
{
    setText(hexText);
}

QRtMidiData::QRtMidiData(const QString& hexText)
{
    setText(QString(hexText).remove(QLatin1Char('\n')).toUtf8().constData());
}

// The time stamp belongs to one reception; only an assignment from the received value
// carries it along.
QRtMidiData::QRtMidiData(const QRtMidiData& other)
    : bytes(other.bytes)
{ }

QRtMidiData& QRtMidiData::operator=(const QRtMidiData& other)
{
    bytes = other.bytes;
    timeStamp = other.timeStamp;
    return *this;
}

int QRtMidiData::registerMetaType()
{
    static const int id = qRegisterMetaType<QRtMidiData>("QRtMidiData");
    return id;
}

quint8 QRtMidiData::at(int index) const
{
    return index >= 0 && index < bytes.size() ? quint8(bytes.at(index)) : 0;
}

void QRtMidiData::copyToStdVec(std::vector<unsigned char>& out, int start, int len) const
{
    out.clear();
    const int count = rangeLength(bytes.size(), start, len);
    if (count == 0)
        return;
    const auto* first = reinterpret_cast<const unsigned char*>(bytes.constData()) + start;
    out.assign(first, first + count);
}

std::vector<unsigned char> QRtMidiData::toStdVector(int start, int len) const
{
    std::vector<unsigned char> out;
    copyToStdVec(out, start, len);
    return out;
}

QByteArray QRtMidiData::mid(int pos, int len) const
{
    return bytes.mid(pos, len);
}

QByteArray QRtMidiData::replace(int pos, int len, const QByteArray& after)
{
    // The byte array would write before its start for a negative pos and pad with blanks
    // beyond its end; neither makes sense for MIDI bytes.
    if (pos >= 0 && pos <= bytes.size())
        bytes.replace(pos, qBound(0, len, bytes.size() - pos), after);
    return bytes;
}

QByteArray QRtMidiData::numHexToByteArray(quint32 number)
{
    if (number == kNumberError) {
        qDebug("WynMidiData::numHexToByteArray(quint32) - error");
        return {};
    }
    const int count = numberByteCount(number);
    QByteArray out(count, '\0');
    for (int i = 0; i < count; ++i)
        out[count - 1 - i] = char(number >> (8 * i));
    return out;
}

bool QRtMidiData::appendNum(quint32 number)
{
    const QByteArray more = numHexToByteArray(number);
    bytes.append(more);
    return !more.isEmpty();
}

int QRtMidiData::toInt(int pos, int len, int defaultValue) const
{
    if (len < 1 || len > kMaxNumberBytes || pos < 0 || pos > bytes.size() - len)
        return defaultValue;
    const auto signedByte = [this, pos](int i) { return int(qint8(bytes.at(pos + i))); };
    switch (len) {
    case 1:
        return signedByte(0);
    case 2:
        return signedByte(0) * 128 + signedByte(1);
    case 3:
        return signedByte(0) * 65536 + signedByte(1) * 256 + signedByte(2);
    default:
        // Wraps like the 32-bit sum it is; signed overflow would be undefined.
        return int(quint32(signedByte(0)) * 16777216u + quint32(signedByte(1)) * 65536u
            + quint32(signedByte(2)) * 256u + quint32(signedByte(3)));
    }
}

int QRtMidiData::get14bit(int pos, int defaultValue) const
{
    return toInt(pos, 2, defaultValue);
}

bool QRtMidiData::set14bit(int pos, int value)
{
    if (pos < 0 || pos >= bytes.size())
        return false;
    if (pos == bytes.size() - 1)
        bytes.append('\0');
    bytes[pos] = char((value >> 7) & kDataBits);
    bytes[pos + 1] = char(value & kDataBits);
    return true;
}

quint8 QRtMidiData::sumOfSection(int pos, int len) const
{
    const QByteArray section = mid(pos, len);
    unsigned sum = 0;
    for (char byte : section)
        sum += quint8(byte) & kDataBits;
    return quint8(sum & kDataBits);
}

QList<QRtMidiData> QRtMidiData::split(int chunkSize) const
{
    QList<QRtMidiData> chunks;
    if (chunkSize <= 0 || bytes.size() <= chunkSize)
        return chunks;
    for (qint64 pos = 0; pos < bytes.size(); pos += chunkSize)
        chunks.append(QRtMidiData(bytes.mid(int(pos), chunkSize)));
    return chunks;
}

QString QRtMidiData::toString() const
{
    return hexText(bytes, ' ', false);
}

QString QRtMidiData::toString(char separator) const
{
    return hexText(bytes, separator, true);
}

QString QRtMidiData::toAsciiString(int pos, int len) const
{
    if (pos < 0 || qint64(pos) + len > bytes.size())
        return {};
    const QByteArray section = mid(pos, len);
    // The QByteArray overload of fromLatin1 would stop at the first zero byte.
    return QString::fromLatin1(section.constData(), section.size());
}

bool QRtMidiData::match(QRegExp pattern, bool fromStart) const
{
    const int pos = pattern.indexIn(toString());
    return fromStart ? pos == 0 : pos >= 0;
}

bool QRtMidiData::startsWith(const QByteArray& pattern) const
{
    return match(pattern.constData(), true);
}

bool QRtMidiData::startsWith(const QRtMidiData& pattern) const
{
    return match(pattern.bytes.constData(), true);
}

QRtMidiData operator+(const QRtMidiData& data, const QByteArray& more)
{
    return QRtMidiData(data.toByteArray() + more);
}

QRtMidiData operator+(const QRtMidiData& data, const QRtMidiData& more)
{
    return QRtMidiData(data.toByteArray() + more.toByteArray());
}

QDebug operator<<(QDebug debug, const QRtMidiData& data)
{
    QDebugStateSaver saver(debug);
    debug.nospace().noquote() << "QRtMidiData(" << data.toString(' ') << ')';
    return debug;
}
