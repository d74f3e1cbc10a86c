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

const QString kNotFound = QStringLiteral("open  - Port Name \"%1\" was not found");
const QStringList kPorts { "Zeta", "Hub", "Zeta", "Alpha" };

} // namespace

class TestQRtMidiPorts : public QObject {
    Q_OBJECT

private slots:
    // A port opens at the number the library gives its name at that moment. A failure in the
    // library's open or in the setup after it closes the port again.
    void open_data()
    {
        QTest::addColumn<QStringList>("portsAtOpen");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("opened");
        const auto row = [](const char* row, QStringList ports, QString name, int failure,
                             QString error, int opened = -1) {
            QTest::newRow(row) << ports << name << failure << error << opened;
        };
        row("as listed", kPorts, "Hub", 0, "", 1);
        row("no name selected", kPorts, "", 0, "Can't open, no port selected");
        row("unknown", kPorts, "Nowhere", 0, kNotFound.arg("Nowhere"));
        row("gone since the table was built", { "Zeta", "Hub" }, "Alpha", 0,
            kNotFound.arg("Alpha"));
        row("number now another port", { "Zeta", "Alpha" }, "Hub", 0, kNotFound.arg("Hub"));
        // A port that came since, such as one the program opened itself, moves the others on.
        row("moved on by a new port", QStringList { "Own" } + kPorts, "Hub", 0, "", 2);
        row("named twice, moved on", QStringList { "Own" } + kPorts, "Zeta", 0, "", 3);
        row("in the library's open", kPorts, "Hub", 1, "open : cannot connect");
        row("in the setup after it", kPorts, "Hub", 2, "open : cannot listen");
    }

    void open()
    {
        QFETCH(QStringList, portsAtOpen);
        QFETCH(QString, name);
        QFETCH(int, failure);
        QFETCH(QString, error);
        ScriptedPort port;
        QVERIFY(port.init());
        port.midi->ports = kPorts;
        QVERIFY(port.update());
        port.midi->ports = portsAtOpen;
        port.midi->failOpen = failure == 1;
        port.failSetup = failure == 2;
        if (failure)
            QTest::ignoreMessage(QtDebugMsg, qPrintable("RtMidi Open Error: " + error.mid(7)));
        QCOMPARE(port.open(name, 0), error.isEmpty());
        QCOMPARE(port.isOpen(), error.isEmpty());
        QCOMPARE(port.getLastErrorString(), error);
        QCOMPARE(port.stops, failure ? 1 : 0);
        QTEST(port.midi->opened, "opened");
    }

    // No client without a service, and nothing to open; port-number order, a name reported
    // twice maps to its higher number, letter case kept. A failed open closes the port open
    // before and keeps the name it was given, whose error the next open clears; close() keeps the
    // selected name; update() keeps the open port and sees new ones; init() forgets both.
    void lifeCycle()
    {
        ScriptedPort port;
        port.available = false;
        QVERIFY(!port.init());
        QVERIFY(!port.isOk());
        QCOMPARE(port.getPortCount(), 0u);
        QVERIFY(!port.open("Hub", 0));
        QCOMPARE(port.getLastErrorString(), QString("Can't open, not initialized"));
        port.available = true;
        QVERIFY(port.init());
        port.midi->ports = kPorts + QStringList { "alpha" };
        QVERIFY(port.update());
        QCOMPARE(port.getPortNames(), (QStringList { "Hub", "Zeta", "Alpha", "alpha" }));
        QCOMPARE(port.getPortCount(), 5u);
        QVERIFY(port.open("Zeta", 7));
        QCOMPARE(port.midi->opened, 2);
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
        QVERIFY(port.init());
        QVERIFY(!port.isOpen());
        QVERIFY(!port.open(QString(), 0));
        QCOMPARE(port.getLastErrorString(), QString("Can't open, no port selected"));
    }

    // The shortened name drops the direction words in any letter case and closes up the
    // doubled blanks they leave; the name given stays as it was.
    void filteredName()
    {
        const QString name = QStringLiteral("Port-in  USB Out");
        QCOMPARE(QRtMidi::filterPortName(name), QStringLiteral("Port USB"));
        QCOMPARE(name, QStringLiteral("Port-in  USB Out"));
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiPorts)
#include "tst_qrtmidiports.moc"
