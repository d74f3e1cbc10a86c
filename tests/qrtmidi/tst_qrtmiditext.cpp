// SPDX-License-Identifier: MIT
// Hex text, the format notation and text patterns of QRtMidiData, invalid text included.
// Rows are fields separated by '|'.
#include "qrtmididata.h"

#include <QtTest>

namespace {

void rows(std::initializer_list<QString> texts)
{
    QTest::addColumn<QStringList>("row");
    for (const QString& text : texts)
        QTest::newRow(qPrintable(text)) << text.split('|');
}

QString hex(const QRtMidiData& data)
{
    return data.toString();
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
    // text | bytes
    void setText_data()
    {
        rows({ "  f0 7e 7f 06 01 f7 \t|F07E7F0601F7", "F0, ,7E|F07E", ",F0,7E,|F07E",
            "F07E7F|F07E7F", "F07E7|", "7|", "7E|7E", "0x1234|1234", "0X7f|7F",
            "0x7FFFFFFF|7FFFFFFF", "0xFFFFFFFF|", "F0 G1 7E|F07E", "F0G17E|F07E", "F0 -1 7E|F0",
            "1234 7 F7|123407F7" });
    }
    void setText()
    {
        QFETCH(QStringList, row);
        const QByteArray text = row[0].toUtf8();
        QRtMidiData data("F7");
        data.setText(text.constData());
        QCOMPARE(hex(data), row[1]);
        QCOMPARE(hex(QRtMidiData(text.constData())), row[1]);
    }

    void textEdgesAndArguments()
    {
        QRtMidiData data("F7");
        data.setText(nullptr);
        QVERIFY(data.isEmpty());
        QCOMPARE(hex(QRtMidiData(QString("\nF0\n7E, 7F\n"))), QString("F07E7F"));
        for (const char* text : { "0x1", "0X1", "0xZZ" })
            QVERIFY(QRtMidiData::is0xHexStr(text));
        for (const char* text : { "0x", "x01", "00x1" })
            QVERIFY(!QRtMidiData::is0xHexStr(text));
        // The format takes its arguments in order; vSetData appends.
        data.setData("F0 VV MSTR CSTR P14 VV F7", 1, "02 03", "C", 300, 0x1234);
        QCOMPARE(hex(data), QString("F001020343022C1234F7"));
        QCOMPARE(hex(appendFormat(QRtMidiData("F0"), "7E VV", 9)), QString("F07E09"));
    }

    // format | argument: a number, or the string for MSTR and CSTR ("-" for null) | bytes
    void format_data()
    {
        rows({ "F0 7E VV 06 02 F7|16|F07E100602F7", "F0 VV F7|-5|F000F7", "vv|65535|00FFFF",
            "VV|2147483647|7FFFFFFF", "f0 p14 f7|300|F0022CF7", "P14|16513|0101", "p14|-1|7F7F",
            "F0  VV|1|F001", "F0 ZZ VV|1|F001", "1234 VV|1|123401",
            "F0 MSTR F7|00 01 74|F0000174F7", "F0 CSTR F7|AB|F04142F7", "F0 MSTR 7E F7||F07EF7",
            "f0 mstr f7|-|F0F7", "F0 MSTR F7|ZZ|F0F7", "F0 CSTR F7||F0F7", "F0 cstr F7|-|F0F7" });
    }
    void format()
    {
        QFETCH(QStringList, row);
        const QByteArray format = row[0].toLatin1(), text = row[1].toLatin1();
        QRtMidiData data("11");
        if (format.toUpper().contains("STR"))
            data.setData(format.constData(), row[1] == "-" ? nullptr : text.constData());
        else
            data.setData(format.constData(), row[1].toInt());
        QCOMPARE(hex(data), row[2]);
    }

    // pattern | data | anywhere | at the start
    void pattern_data()
    {
        rows({ "f0 7e xx 06 02|F07E7F0602000174F7|1|1", "F0 7E XX 06 02|00F07E7F0602|1|0",
            "F0 7E XX 06 02|F07E7F0601|0|0", "||1|1", "XX||0|0", "F0.*F7|F00102F7|1|1" });
    }
    void pattern()
    {
        QFETCH(QStringList, row);
        const QRtMidiData midi(QByteArray::fromHex(row[1].toLatin1()));
        const QByteArray pattern = row[0].toLatin1();
        QCOMPARE(midi.match(pattern.constData(), false), row[2] == "1");
        QCOMPARE(midi.match(pattern.constData(), true), row[3] == "1");
        QCOMPARE(midi.contains(pattern.constData()), row[2] == "1");
        QCOMPARE(midi.startsWith(pattern.constData()), row[3] == "1");
        QVERIFY(midi.match(nullptr, true));
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiText)
#include "tst_qrtmiditext.moc"
