// SPDX-License-Identifier: MIT
#include "qrtmididevident.h"

#include "qrtmidiidshash.h"

namespace {

const char* const kIdentityReplyHeader = "F0 7E XX 06 02";
constexpr int kMinReplySize = 13;
constexpr int kDeviceIdPos = 2;
constexpr int kManufacturerPos = 5;
constexpr int kFamilyPos = 6;
constexpr int kProductPos = 8;
constexpr int kVersionPos = 10;
constexpr int kVersionBytes = 4;
constexpr int kCodeBytes = 2;
constexpr int kLongIdLength = 3;

quint8 firstByte(const QRtMidiData& code)
{
    return quint8(code.toInt(0, 1, 0));
}

quint16 lowFirstWord(const QRtMidiData& code)
{
    if (code.isEmpty())
        return 0;
    return quint16(code.toInt(0, 1, 0) + code.toInt(1, 1, 0) * 256);
}

} // namespace

QRtMidiDevIdent::QRtMidiDevIdent()
{
    clear();
}

QRtMidiDevIdent::QRtMidiDevIdent(const QRtMidiData& reply)
{
    clear();
    fromIdentData(reply);
}

void QRtMidiDevIdent::clear()
{
    manufacturerId.clear();
    version.clear();
    deviceId = 0;
    familyCode.clear();
    productCode.clear();
    idPrefix.clear();
    manufacturerIdLength = 1;
}

void QRtMidiDevIdent::fromIdentData(const QRtMidiData& reply)
{
    if (!reply.contains(kIdentityReplyHeader) || reply.size() < kMinReplySize)
        return;
    const int idLength = reply.at(kManufacturerPos) == 0 ? kLongIdLength : 1;
    const int offset = idLength - 1;
    if (reply.size() < offset + kVersionPos + kVersionBytes)
        return;

    manufacturerIdLength = idLength;
    manufacturerId = QRtMidiData(reply.mid(kManufacturerPos, idLength));
    deviceId = reply.at(kDeviceIdPos);
    familyCode = QRtMidiData(reply.mid(offset + kFamilyPos, kCodeBytes));
    productCode = QRtMidiData(reply.mid(offset + kProductPos, kCodeBytes));
    idPrefix = QRtMidiData("F0") + manufacturerId + familyCode.mid(0, 1) + productCode.mid(0, 1);
    const int v = offset + kVersionPos;
    version = QString::asprintf(
        "%c.%c.%c.%c", reply.at(v), reply.at(v + 1), reply.at(v + 2), reply.at(v + 3));
}

QString QRtMidiDevIdent::getManufactureName() const
{
    const QString unknown = QStringLiteral("unknown");
    if (manufacturerId.isEmpty())
        return unknown;
    const int key = manufacturerId.toInt(0, manufacturerIdLength, -1);
    if (key < 0)
        return unknown;
    const QString name = QString::fromUtf8(MidiNameToIds[key].constData());
    if (name.isEmpty())
        return unknown + QLatin1Char(' ') + QString::number(key, 16).toUpper();
    return name;
}

quint16 QRtMidiDevIdent::getFamilyId() const
{
    return lowFirstWord(familyCode);
}

quint8 QRtMidiDevIdent::getFamilyByte() const
{
    return firstByte(familyCode);
}

quint16 QRtMidiDevIdent::getProductId() const
{
    return lowFirstWord(productCode);
}

quint8 QRtMidiDevIdent::getProductByte() const
{
    return firstByte(productCode);
}

QString QRtMidiDevIdent::getShortId() const
{
    return QString::asprintf("%02X%02X", getFamilyByte(), getProductByte());
}

QString QRtMidiDevIdent::toString() const
{
    if (manufacturerId.toString() == QLatin1String("000155")
        && productCode.toString() == QLatin1String("0200")
        && familyCode.toString() == QLatin1String("0200"))
        return QStringLiteral("Orvane BC, v") + version;
    return QStringLiteral("Identity: ") + familyCode.toString() + QLatin1Char(' ')
        + productCode.toString() + QLatin1Char(' ') + manufacturerId.toString()
        + QStringLiteral(" (") + getManufactureName() + QStringLiteral(") ") + version;
}
