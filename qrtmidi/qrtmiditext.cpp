// SPDX-License-Identifier: MIT
// The text input of QRtMidiData: hex text, the format notation and hex text patterns.
#include "qrtmididata.h"

#include <QDebug>
#include <QRegularExpression>
#include <QStringList>

namespace {
constexpr int kMinHexTextLength = 2;
constexpr int kHexBase = 16;
constexpr int kDataBits = 0x7F;
constexpr int kNegativeValueByte = 0x00;
const char kInvalidFormatMessage[]
    = "WynMidiData::WynMidiData(const char*,int) - invalid hex string format: ";
const char kConversionMessage[]
    = "WynMidiData::WynMidiData(const char*,int) - error converting hex string: ";

bool hasSeparators(const QString& text)
{
    return text.contains(QLatin1Char(' ')) || text.contains(QLatin1Char(','));
}

QStringList hexPairs(const QString& text)
{
    QStringList pairs;
    for (int i = 0; i + 1 < text.size(); i += 2)
        pairs << text.mid(i, 2);
    return pairs;
}

bool toHexValue(const QString& item, int& value)
{
    bool ok = false;
    value = item.toInt(&ok, kHexBase);
    return ok;
}

void logInvalidFormatValue(const char* format, const QString& item)
{
    qDebug().noquote().nospace() << "Invalid value for format( " << QString::fromUtf8(format)
                                 << " ) at specifier " << item;
}
} // namespace

void QRtMidiData::setText(const char* hexText)
{
    clear();
    const QString text = QString::fromUtf8(hexText).trimmed();
    if (text.size() < kMinHexTextLength)
        return;

    QStringList items;
    if (hasSeparators(text)) {
        items = text.split(QRegularExpression(QStringLiteral("[ ,]+")));
    } else if (is0xHexStr(text)) {
        items << text;
    } else if (text.size() % 2 != 0) {
        qDebug().noquote().nospace() << kInvalidFormatMessage << text;
        return;
    } else {
        items = hexPairs(text);
    }

    for (const QString& item : qAsConst(items)) {
        int value = 0;
        if (item.isEmpty())
            continue;
        if (!toHexValue(item, value)) {
            qDebug().noquote().nospace() << kConversionMessage << text;
            continue;
        }
        if (!appendNum(quint32(value)))
            return;
    }
}

void QRtMidiData::setData(const char* format, ...)
{
    clear();
    va_list args;
    va_start(args, format);
    vSetData(format, args);
    va_end(args);
}

void QRtMidiData::vSetData(const char* format, va_list args)
{
    const QStringList items = QString::fromUtf8(format).toUpper().split(QLatin1Char(' '));
    for (const QString& item : items) {
        if (item == QLatin1String("VV")) {
            const int value = va_arg(args, int);
            if (value >= 0)
                appendNum(quint32(value));
            else
                append(quint8(kNegativeValueByte));
        } else if (item == QLatin1String("P14")) {
            const int value = va_arg(args, int);
            append(quint8((value >> 7) & kDataBits));
            append(quint8(value & kDataBits));
        } else if (item == QLatin1String("MSTR")) {
            const QRtMidiData hex(va_arg(args, const char*));
            if (hex.isEmpty())
                logInvalidFormatValue(format, item);
            append(hex.bytes);
        } else if (item == QLatin1String("CSTR")) {
            const char* text = va_arg(args, const char*);
            if (text == nullptr || *text == '\0')
                logInvalidFormatValue(format, item);
            else
                append(QByteArray(text));
        } else {
            int value = 0;
            if (toHexValue(item, value))
                appendNum(quint32(value));
        }
    }
}

bool QRtMidiData::is0xHexStr(const QString& text)
{
    return text.size() >= 3 && text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
}

bool QRtMidiData::match(const char* pattern, bool fromStart) const
{
    QString expression = QString::fromUtf8(pattern);
    expression.remove(QLatin1Char(' '));
    expression = expression.toUpper();
    expression.replace(QLatin1String("XX"), QLatin1String(".."));
    return match(QRegExp(expression), fromStart);
}
