// Hex text, the format notation and text patterns of QRtMidiData, with the debug lines that
// report invalid text.
#include "qrtmididata.h"

#include <QtTest>

namespace {

const QString kInvalidFormat("WynMidiData::WynMidiData(const char*,int) - invalid hex string "
                             "format: ");
const QString kConversion("WynMidiData::WynMidiData(const char*,int) - error converting hex "
                          "string: ");
const QString kNumberError("WynMidiData::numHexToByteArray(quint32) - error");
const QString kInvalidValue("Invalid value for format( %1 ) at specifier %2");

// The test fails unless each of these debug lines is logged.
void expectLog(const QStringList& lines)
{
    for (const QString& line : lines)
        QTest::ignoreMessage(QtDebugMsg, line.toUtf8().constData());
}

QByteArray hex(const QRtMidiData& data)
{
    return data.toByteArray().toHex().toUpper();
}

const char* orNull(const QByteArray& text)
{
    return text.isNull() ? nullptr : text.constData();
}

QRtMidiData appendFormat(QRtMidiData data, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    data.vSetData(format, args);
    va_end(args);
    return data;
}

} // namespace

class TestQRtMidiText : public QObject {
    Q_OBJECT

private slots:
    void setText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QStringList>("log");
        auto row = [](const char* name, const QByteArray& text, const char* bytes,
                       const QStringList& log = {}) {
            QTest::newRow(name) << text << QByteArray(bytes) << log;
        };
        row("blanks, trimmed", "  f0 7e 7f 06 01 f7 \t", "F07E7F0601F7");
        row("separator run", "F0, ,7E", "F07E");
        row("empty items at the ends", ",F0,7E,", "F07E");
        row("pairs", "F07E7F", "F07E7F");
        row("odd length", "F07E7", "", { kInvalidFormat + "F07E7" });
        row("one character", "7", "");
        row("two characters", "7E", "7E");
        row("null", QByteArray(), "");
        row("0x number", "0x1234", "1234");
        row("0X, lower-case digits", "0X7f", "7F");
        row("0x largest", "0x7FFFFFFF", "7FFFFFFF");
        row("0x beyond 31 bits", "0xFFFFFFFF", "", { kConversion + "0xFFFFFFFF" });
        row("bad item skipped", "F0 G1 7E", "F07E", { kConversion + "F0 G1 7E" });
        row("bad pair skipped", "F0G17E", "F07E", { kConversion + "F0G17E" });
        row("-1 ends the items", "F0 -1 7E", "F0", { kNumberError });
        row("wide and short items", "1234 7 F7", "123407F7");
    }
    void setText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, log);
        expectLog(log);
        QRtMidiData data("F7");
        data.setText(orNull(text));
        QCOMPARE(hex(data), expected);
        expectLog(log);
        QCOMPARE(hex(QRtMidiData(orNull(text))), expected);
    }

    void textFromQString()
    {
        QCOMPARE(hex(QRtMidiData(QString("\nF0\n7E, 7F\n"))), QByteArray("F07E7F"));
    }

    void format_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("expected");
        auto row = [](const char* format, int value, const char* bytes) {
            QTest::newRow(format) << QByteArray(format) << value << QByteArray(bytes);
        };
        row("F0 7E VV 06 02 F7", 16, "F07E100602F7");
        row("F0 VV F7", -5, "F000F7");
        row("vv", 0xFFFF, "00FFFF");
        row("VV", 0x7FFFFFFF, "7FFFFFFF");
        row("f0 p14 f7", 300, "F0022CF7");
        row("P14", 0x4081, "0101");
        row("p14", -1, "7F7F");
        row("F0  VV", 1, "F001");
        row("F0 ZZ VV", 1, "F001");
        row("1234 VV", 1, "123401");
    }
    void format()
    {
        QFETCH(QByteArray, format);
        QFETCH(int, value);
        QFETCH(QByteArray, expected);
        QRtMidiData data("11");
        data.setData(format.constData(), value);
        QCOMPARE(hex(data), expected);
    }

    void formatStrings_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QStringList>("log");
        auto row = [](const char* name, const char* format, const QByteArray& text,
                       const char* bytes, const QStringList& log = {}) {
            QTest::newRow(name) << QByteArray(format) << text << QByteArray(bytes) << log;
        };
        row("MSTR", "F0 MSTR F7", "00 01 74", "F0000174F7");
        row("MSTR empty", "F0 MSTR 7E F7", "", "F07EF7",
            { kInvalidValue.arg("F0 MSTR 7E F7", "MSTR") });
        row("mstr null", "f0 mstr f7", QByteArray(), "F0F7",
            { kInvalidValue.arg("f0 mstr f7", "MSTR") });
        row("MSTR invalid", "F0 MSTR F7", "ZZ", "F0F7",
            { kConversion + "ZZ", kInvalidValue.arg("F0 MSTR F7", "MSTR") });
        row("CSTR", "F0 CSTR F7", "AB", "F04142F7");
        row("CSTR empty", "F0 CSTR F7", "", "F0F7", { kInvalidValue.arg("F0 CSTR F7", "CSTR") });
        row("cstr null", "F0 cstr F7", QByteArray(), "F0F7",
            { kInvalidValue.arg("F0 cstr F7", "CSTR") });
    }
    void formatStrings()
    {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, log);
        expectLog(log);
        QRtMidiData data("11 22");
        data.setData(format.constData(), orNull(text));
        QCOMPARE(hex(data), expected);
    }

    void formatTakesArgumentsInOrder()
    {
        QRtMidiData data;
        data.setData("F0 VV MSTR CSTR P14 VV F7", 1, "02 03", "C", 300, 0x1234);
        QCOMPARE(hex(data), QByteArray("F001020343022C1234F7"));
        QCOMPARE(hex(appendFormat(QRtMidiData("F0"), "7E VV", 9)), QByteArray("F07E09"));
    }

    void is0xHexStr()
    {
        for (const char* text : { "0x1", "0X1", "0xZZ" })
            QVERIFY(QRtMidiData::is0xHexStr(text));
        for (const char* text : { "0x", "x01", "00x1", "" })
            QVERIFY(!QRtMidiData::is0xHexStr(text));
    }

    void pattern_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("anywhere");
        QTest::addColumn<bool>("fromStart");
        auto row = [](const char* name, const QByteArray& pattern, const char* data, bool anywhere,
                       bool fromStart) {
            QTest::newRow(name) << pattern << QByteArray(data) << anywhere << fromStart;
        };
        row("identity reply", "f0 7e xx 06 02", "F07E7F0602000174F7", true, true);
        row("reply further in", "F0 7E XX 06 02", "00F07E7F0602", true, false);
        row("wrong sub-ID", "F0 7E XX 06 02", "F07E7F0601", false, false);
        row("empty pattern, empty data", "", "", true, true);
        row("null pattern", QByteArray(), "F0", true, true);
        row("straddling two bytes", "F0", "0F07", true, false);
        row("XX on empty data", "XX", "", false, false);
        row("expression", "F0.*F7", "F00102F7", true, true);
        row("escape upper-cased", "\\d", "1A", true, false);
    }
    void pattern()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, data);
        QFETCH(bool, anywhere);
        QFETCH(bool, fromStart);
        const QRtMidiData midi(QByteArray::fromHex(data));
        QCOMPARE(midi.match(orNull(pattern), false), anywhere);
        QCOMPARE(midi.match(orNull(pattern), true), fromStart);
        QCOMPARE(midi.contains(orNull(pattern)), anywhere);
        QCOMPARE(midi.startsWith(orNull(pattern)), fromStart);
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiText)
#include "tst_qrtmiditext.moc"
