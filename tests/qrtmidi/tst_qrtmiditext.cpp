#include "qrtmididata.h"

#include <QtTest>

namespace {
const char kInvalidFormat[]
    = "WynMidiData::WynMidiData(const char*,int) - invalid hex string format: ";
const char kConversion[]
    = "WynMidiData::WynMidiData(const char*,int) - error converting hex string: ";
const char kNumberError[] = "WynMidiData::numHexToByteArray(quint32) - error";

// Counts debug lines while forwarding them to the test framework, so that a case can expect
// its messages with ignoreMessage and also that nothing else was logged.
class MessageCount {
public:
    MessageCount()
    {
        count = 0;
        previous = qInstallMessageHandler(record);
    }
    ~MessageCount() { qInstallMessageHandler(previous); }
    int value() const { return count; }

private:
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        ++count;
        if (previous)
            previous(type, context, text);
    }
    static inline int count = 0;
    static inline QtMessageHandler previous = nullptr;
};

void expectMessages(const QStringList& messages)
{
    for (const QString& message : messages)
        QTest::ignoreMessage(QtDebugMsg, message.toUtf8().constData());
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
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        QTest::newRow("blanks, trimmed")
            << QByteArray("  f0 7e 7f 06 01 f7 \t") << QByteArray("F07E7F0601F7") << none;
        QTest::newRow("comma") << QByteArray("F0,7E") << QByteArray("F07E") << none;
        QTest::newRow("separator run") << QByteArray("F0, ,7E") << QByteArray("F07E") << none;
        QTest::newRow("empty items at ends") << QByteArray(",F0,7E,") << QByteArray("F07E") << none;
        QTest::newRow("pairs") << QByteArray("F07E7F") << QByteArray("F07E7F") << none;
        QTest::newRow("pairs FFFF") << QByteArray("FFFF") << QByteArray("FFFF") << none;
        QTest::newRow("odd length") << QByteArray("F07E7") << QByteArray()
                                    << QStringList { kInvalidFormat + QString("F07E7") };
        QTest::newRow("tab is no separator") << QByteArray("F0\t7E") << QByteArray()
                                             << QStringList { kInvalidFormat + QString("F0\t7E") };
        QTest::newRow("one character") << QByteArray("7") << QByteArray() << none;
        QTest::newRow("empty") << QByteArray("") << QByteArray() << none;
        QTest::newRow("null") << QByteArray() << QByteArray() << none;
        QTest::newRow("0x number") << QByteArray("0x1234") << QByteArray("1234") << none;
        QTest::newRow("0X lower digits") << QByteArray("0X7f") << QByteArray("7F") << none;
        QTest::newRow("0x largest") << QByteArray("0x7FFFFFFF") << QByteArray("7FFFFFFF") << none;
        QTest::newRow("0x beyond 31 bits") << QByteArray("0xFFFFFFFF") << QByteArray()
                                           << QStringList { kConversion + QString("0xFFFFFFFF") };
        QTest::newRow("0x nine digits") << QByteArray("0x123456789") << QByteArray()
                                        << QStringList { kConversion + QString("0x123456789") };
        QTest::newRow("0x items") << QByteArray("0xF0 0x7E") << QByteArray("F07E") << none;
        QTest::newRow("bad item skipped") << QByteArray("F0 G1 7E") << QByteArray("F07E")
                                          << QStringList { kConversion + QString("F0 G1 7E") };
        QTest::newRow("bad pair") << QByteArray("F0G1") << QByteArray("F0")
                                  << QStringList { kConversion + QString("F0G1") };
        QTest::newRow("-1 ends") << QByteArray("F0 -1 7E") << QByteArray("F0")
                                 << QStringList { kNumberError };
        QTest::newRow("wide item") << QByteArray("1234 F7") << QByteArray("1234F7") << none;
        QTest::newRow("short item") << QByteArray("7 F7") << QByteArray("07F7") << none;
        QTest::newRow("FFFF item") << QByteArray("F0 FFFF") << QByteArray("F000FFFF") << none;
    }

    void setText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, messages);
        MessageCount logged;
        expectMessages(messages);
        QRtMidiData data;
        data.setText(orNull(text));
        QCOMPARE(hex(data), expected);
        QCOMPARE(logged.value(), messages.size());

        expectMessages(messages);
        QCOMPARE(hex(QRtMidiData(orNull(text))), expected);
    }

    void setTextReplacesBytes()
    {
        QRtMidiData data("F0 7E");
        data.setText("F7");
        QCOMPARE(hex(data), QByteArray("F7"));
        data.setText(nullptr);
        QVERIFY(data.isEmpty());
    }

    void textFromQString()
    {
        QCOMPARE(hex(QRtMidiData(QString("F0\n7E\n7F"))), QByteArray("F07E7F"));
        QCOMPARE(hex(QRtMidiData(QString("\nF0 7E, 7F\n"))), QByteArray("F07E7F"));
        const QString nonAscii = QString::fromUtf8("F0 \xC3\xA9");
        QTest::ignoreMessage(QtDebugMsg, (kConversion + nonAscii).toUtf8().constData());
        QCOMPARE(hex(QRtMidiData(nonAscii)), QByteArray("F0"));
    }

    void formatWithNumber_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("VV") << QByteArray("F0 7E VV 06 02 F7") << 16 << QByteArray("F07E100602F7");
        QTest::newRow("VV negative") << QByteArray("F0 VV F7") << -5 << QByteArray("F000F7");
        QTest::newRow("VV wide") << QByteArray("F0 VV F7") << 0xFFFF << QByteArray("F000FFFFF7");
        QTest::newRow("VV largest") << QByteArray("VV") << 0x7FFFFFFF << QByteArray("7FFFFFFF");
        QTest::newRow("P14") << QByteArray("F0 P14 F7") << 300 << QByteArray("F0022CF7");
        QTest::newRow("p14 lower case") << QByteArray("f0 p14 f7") << 300 << QByteArray("F0022CF7");
        QTest::newRow("P14 beyond 14 bits") << QByteArray("P14") << 0x4081 << QByteArray("0101");
        QTest::newRow("P14 negative") << QByteArray("P14") << -1 << QByteArray("7F7F");
        QTest::newRow("double blank") << QByteArray("F0  VV") << 1 << QByteArray("F001");
        QTest::newRow("bad item ignored") << QByteArray("F0 ZZ VV") << 1 << QByteArray("F001");
        QTest::newRow("wide hex item") << QByteArray("1234 VV") << 1 << QByteArray("123401");
    }

    void formatWithNumber()
    {
        QFETCH(QByteArray, format);
        QFETCH(int, value);
        QFETCH(QByteArray, expected);
        MessageCount logged;
        QRtMidiData data;
        data.setData(format.constData(), value);
        QCOMPARE(hex(data), expected);
        QCOMPARE(logged.value(), 0);
    }

    void formatWithString_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QStringList>("messages");
        const QString invalid("Invalid value for format( %1 ) at specifier %2");
        QTest::newRow("MSTR") << QByteArray("F0 MSTR F7") << QByteArray("00 01 74")
                              << QByteArray("F0000174F7") << QStringList();
        QTest::newRow("MSTR empty")
            << QByteArray("F0 MSTR 7E F7") << QByteArray("") << QByteArray("F07EF7")
            << QStringList { invalid.arg("F0 MSTR 7E F7", "MSTR") };
        QTest::newRow("mstr null") << QByteArray("f0 mstr f7") << QByteArray() << QByteArray("F0F7")
                                   << QStringList { invalid.arg("f0 mstr f7", "MSTR") };
        QTest::newRow("MSTR invalid")
            << QByteArray("F0 MSTR F7") << QByteArray("ZZ") << QByteArray("F0F7")
            << QStringList { kConversion + QString("ZZ"), invalid.arg("F0 MSTR F7", "MSTR") };
        QTest::newRow("CSTR") << QByteArray("F0 CSTR F7") << QByteArray("AB")
                              << QByteArray("F04142F7") << QStringList();
        QTest::newRow("CSTR empty")
            << QByteArray("F0 CSTR F7") << QByteArray("") << QByteArray("F0F7")
            << QStringList { invalid.arg("F0 CSTR F7", "CSTR") };
        QTest::newRow("cstr null") << QByteArray("F0 cstr F7") << QByteArray() << QByteArray("F0F7")
                                   << QStringList { invalid.arg("F0 cstr F7", "CSTR") };
    }

    void formatWithString()
    {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        QFETCH(QStringList, messages);
        MessageCount logged;
        expectMessages(messages);
        QRtMidiData data("11 22");
        data.setData(format.constData(), orNull(text));
        QCOMPARE(hex(data), expected);
        QCOMPARE(logged.value(), messages.size());
    }

    void formatTakesArgumentsInOrder()
    {
        QRtMidiData data;
        data.setData("F0 VV MSTR CSTR P14 VV F7", 1, "02 03", "C", 300, 0x1234);
        QCOMPARE(hex(data), QByteArray("F001020343022C1234F7"));

        QTest::ignoreMessage(QtDebugMsg, "Invalid value for format( MSTR VV ) at specifier MSTR");
        data.setData("MSTR VV", "", 5);
        QCOMPARE(hex(data), QByteArray("05"));
    }

    void vSetDataAppends()
    {
        QCOMPARE(hex(appendFormat(QRtMidiData("F0"), "7E VV", 9)), QByteArray("F07E09"));
        QCOMPARE(hex(appendFormat(QRtMidiData("F0"), nullptr)), QByteArray("F0"));
    }

    void is0xHexStr_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("0x1") << "0x1" << true;
        QTest::newRow("0X1") << "0X1" << true;
        QTest::newRow("0xZZ") << "0xZZ" << true;
        QTest::newRow("0x") << "0x" << false;
        QTest::newRow("x01") << "x01" << false;
        QTest::newRow("00x1") << "00x1" << false;
        QTest::newRow("empty") << "" << false;
    }

    void is0xHexStr()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(QRtMidiData::is0xHexStr(text), expected);
    }

    void pattern_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("anywhere");
        QTest::addColumn<bool>("fromStart");
        const QByteArray reply("F07E7F0602000174F7");
        QTest::newRow("identity reply") << QByteArray("f0 7e xx 06 02") << reply << true << true;
        QTest::newRow("reply further in")
            << QByteArray("F0 7E XX 06 02") << QByteArray("00F07E7F0602") << true << false;
        QTest::newRow("wrong sub-id")
            << QByteArray("F0 7E XX 06 02") << QByteArray("F07E7F0601") << false << false;
        QTest::newRow("empty pattern") << QByteArray("") << QByteArray("F0") << true << true;
        QTest::newRow("empty pattern, empty data")
            << QByteArray("") << QByteArray() << true << true;
        QTest::newRow("null pattern") << QByteArray() << QByteArray() << true << true;
        QTest::newRow("straddles bytes") << QByteArray("F0") << QByteArray("0F07") << true << false;
        QTest::newRow("XX on empty data") << QByteArray("XX") << QByteArray() << false << false;
        QTest::newRow("expression")
            << QByteArray("F0.*F7") << QByteArray("F00102F7") << true << true;
        QTest::newRow("expression order")
            << QByteArray("F0.*F7") << QByteArray("F7F0") << false << false;
        QTest::newRow("invalid expression")
            << QByteArray("F0(") << QByteArray("F0") << false << false;
        QTest::newRow("escape upper-cased")
            << QByteArray("\\d") << QByteArray("1A") << true << false;
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
