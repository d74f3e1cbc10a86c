// SPDX-License-Identifier: MIT
// The port base on a scripted client: its table, opening by name and every failure text,
// closing, reopening and rebuilding.
#include "qrtmidi.h"

#include <RtMidi.h>

#include <QtTest>

#include <utility>

namespace {

// A client whose port list and failures the test sets.
class ScriptedMidi : public RtMidi {
public:
    void openPort(unsigned int number, const std::string&) override
    {
        if (failOpen)
            throw RtMidiError("cannot connect", RtMidiError::DRIVER_ERROR);
        opened = int(number);
    }
    void openVirtualPort(const std::string&) override { }
    unsigned int getPortCount() override { return unsigned(ports.size()); }
    std::string getPortName(unsigned int n) override { return ports.value(int(n)).toStdString(); }
    void closePort() override { opened = -1; }
    bool isPortOpen() const override { return opened != -1; }
    void setErrorCallback(RtMidiErrorCallback, void*) override { }

    QStringList ports;
    bool failOpen = false;
    int opened = -1;
};

class ScriptedPort : public QRtMidi {
public:
    ~ScriptedPort() override { destoryRtMidiDev(); }
    ScriptedMidi* midi = nullptr;
    bool available = true;
    bool failSetup = false;
    unsigned int option = 0;
    int stops = 0;

protected:
    void stopIo() override { ++stops; }
    void setupAfterOpen(unsigned int value) override
    {
        option = value;
        if (failSetup)
            throw RtMidiError("cannot listen", RtMidiError::DRIVER_ERROR);
    }
    RtMidi* getRtMidi() const override { return midi; }
    bool createRtMidiDev() override { return (midi = available ? new ScriptedMidi : nullptr); }
    void destoryRtMidiDev() override { delete std::exchange(midi, nullptr); }
};

const QStringList kPorts { "Zeta", "Hub", "Zeta", "Alpha" };

} // namespace

class TestQRtMidiPorts : public QObject {
    Q_OBJECT

private slots:
    // A port opens at the number the library gives its name at that moment. A failure in the
    // library's open (1) or in the setup after it (2) closes the port again.
    // ports at open | name | failure | number opened | error
    void open_data()
    {
        QTest::addColumn<QStringList>("row");
        for (const char* row : { "Zeta,Hub,Zeta,Alpha|Hub|0|1|",
                 "Zeta,Hub,Zeta,Alpha||0|-1|Can't open, no port selected",
                 "Zeta,Hub,Zeta,Alpha|Nowhere|0|-1|open  - Port Name \"Nowhere\" was not found",
                 "Zeta,Hub|Alpha|0|-1|open  - Port Name \"Alpha\" was not found",
                 // A port that came since, such as one the program opened, moves the others on.
                 "Own,Zeta,Hub,Zeta,Alpha|Hub|0|2|", "Own,Zeta,Hub,Zeta,Alpha|Zeta|0|3|",
                 "Zeta,Hub,Zeta,Alpha|Hub|1|-1|open : cannot connect",
                 "Zeta,Hub,Zeta,Alpha|Hub|2|-1|open : cannot listen" })
            QTest::newRow(row) << QString(row).split('|');
    }

    void open()
    {
        QFETCH(QStringList, row);
        const int failure = row[2].toInt();
        ScriptedPort port;
        QVERIFY(port.init());
        port.midi->ports = kPorts;
        QVERIFY(port.update());
        port.midi->ports = row[0].split(',');
        port.midi->failOpen = failure == 1;
        port.failSetup = failure == 2;
        QCOMPARE(port.open(row[1], 0), row[4].isEmpty());
        QCOMPARE(port.isOpen(), row[4].isEmpty());
        QCOMPARE(port.getLastErrorString(), row[4]);
        QCOMPARE(port.stops, failure ? 1 : 0);
        QCOMPARE(port.midi->opened, row[3].toInt());
    }

    // Port-number order, a name reported twice maps to its higher number, letter case kept. A
    // failed open closes the port open before and keeps the name it was given, whose error the
    // next open clears; close() keeps the selected name; update() keeps the open port and sees
    // new ones; init() forgets the port, the table and the name, and without a service there is
    // no client and nothing to open.
    void lifeCycle()
    {
        ScriptedPort port;
        QVERIFY(port.init());
        port.midi->ports = kPorts + QStringList { "alpha" };
        QVERIFY(port.update());
        QCOMPARE(port.getPortNames(), (QStringList { "Hub", "Zeta", "Alpha", "alpha" }));
        QCOMPARE(port.getPortCount(), 5u);
        QVERIFY(port.open("Zeta", 7));
        QCOMPARE(port.option, 7u);
        QVERIFY(!port.open("Late", 0));
        QCOMPARE(port.midi->opened, -1);
        QCOMPARE(port.stops, 1);
        port.midi->ports << "Late";
        QVERIFY(port.update());
        QVERIFY(port.open(QString(), 0));
        QCOMPARE(port.midi->opened, 5);
        port.close();
        QVERIFY(!port.isOpen());
        QCOMPARE(port.midi->opened, -1);
        QCOMPARE(port.stops, 2);
        QVERIFY(port.open(QString(), 0));
        QVERIFY(!port.open("Nowhere", 0));
        QVERIFY(port.open("Late", 0));
        QCOMPARE(port.getLastErrorString(), QString());
        port.midi->ports.prepend("New");
        QVERIFY(port.update());
        QVERIFY(port.isOpen());
        QCOMPARE(port.getPortNames().first(), QString("New"));
        port.available = false;
        QVERIFY(!port.init() && !port.isOk() && !port.isOpen());
        QVERIFY(port.getPortNames().isEmpty());
        QCOMPARE(port.getPortCount(), 0u);
        QVERIFY(!port.open("Hub", 0));
        QCOMPARE(port.getLastErrorString(), QString("Can't open, not initialized"));
        port.available = true;
        QVERIFY(port.init());
        QVERIFY(!port.open(QString(), 0));
        QCOMPARE(port.getLastErrorString(), QString("Can't open, no port selected"));
    }

    // The shortened name drops the direction words in any letter case and closes up the
    // doubled blanks they leave.
    void filteredName()
    {
        QCOMPARE(QRtMidi::filterPortName("Port-in  USB Out"), QStringLiteral("Port USB"));
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiPorts)
#include "tst_qrtmidiports.moc"
