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
    // No client without a service; port-number order, a name reported twice maps to its higher
    // number, letter case kept.
    void table()
    {
        ScriptedPort port;
        port.available = false;
        QVERIFY(!port.init());
        QVERIFY(!port.isOk());
        QCOMPARE(port.getPortCount(), 0u);
        port.available = true;
        QVERIFY(port.init());
        port.midi->ports = kPorts + QStringList { "alpha" };
        QVERIFY(port.update());
        QCOMPARE(port.getPortNames(), (QStringList { "Hub", "Zeta", "Alpha", "alpha" }));
        QCOMPARE(port.getPortCount(), 5u);
        QVERIFY(port.open("Zeta", 7));
        QCOMPARE(port.midi->opened, 2);
        QCOMPARE(port.option, 7u);
    }

    // A failure in the library's open or in the setup after it closes the port again.
    void open_data()
    {
        QTest::addColumn<bool>("initialized");
        QTest::addColumn<QStringList>("portsAtOpen");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("error");
        const auto row = [](const char* row, bool initialized, QStringList ports, QString name,
                             int failure, QString error) {
            QTest::newRow(row) << initialized << ports << name << failure << error;
        };
        row("before init", false, kPorts, "Hub", 0, "Can't open, not initialized");
        row("no name selected", true, kPorts, "", 0, "Can't open, no port selected");
        row("unknown", true, kPorts, "Nowhere", 0, kNotFound.arg("Nowhere"));
        row("gone since the table was built", true, { "Zeta", "Hub" }, "Alpha", 0,
            kNotFound.arg("Alpha"));
        row("number now another port", true, { "Zeta", "Alpha" }, "Hub", 0, kNotFound.arg("Hub"));
        row("in the library's open", true, kPorts, "Hub", 1, "open : cannot connect");
        row("in the setup after it", true, kPorts, "Hub", 2, "open : cannot listen");
        row("opens", true, kPorts, "Hub", 0, "");
    }

    void open()
    {
        QFETCH(bool, initialized);
        QFETCH(QStringList, portsAtOpen);
        QFETCH(QString, name);
        QFETCH(int, failure);
        QFETCH(QString, error);
        ScriptedPort port;
        if (initialized) {
            QVERIFY(port.init());
            port.midi->ports = kPorts;
            QVERIFY(port.update());
            port.midi->ports = portsAtOpen;
            port.midi->failOpen = failure == 1;
            port.failSetup = failure == 2;
        }
        if (failure)
            QTest::ignoreMessage(QtDebugMsg, qPrintable("RtMidi Open Error: " + error.mid(7)));
        QCOMPARE(port.open(name, 0), error.isEmpty());
        QCOMPARE(port.isOpen(), error.isEmpty());
        QCOMPARE(port.getLastErrorString(), error);
        QCOMPARE(port.stops, failure ? 1 : 0);
        if (initialized)
            QCOMPARE(port.midi->opened, error.isEmpty() ? 1 : -1);
    }

    // close() keeps the selected name; a failed open closes the port open before; update() keeps
    // the open port and sees new ones; init() forgets both.
    void closeReopenAndRebuild()
    {
        ScriptedPort port;
        QVERIFY(port.init());
        port.midi->ports = kPorts;
        QVERIFY(port.update());
        QVERIFY(!port.open("Late", 0));
        port.midi->ports << "Late";
        QVERIFY(port.update());
        QVERIFY(port.open(QString(), 0));
        QCOMPARE(port.midi->opened, 4);

        port.close();
        QVERIFY(!port.isOpen());
        QCOMPARE(port.midi->opened, -1);
        QCOMPARE(port.stops, 1);
        QVERIFY(port.open(QString(), 0));
        QVERIFY(!port.open("Nowhere", 0));
        QCOMPARE(port.midi->opened, -1);
        QCOMPARE(port.stops, 2);

        QVERIFY(port.open("Hub", 0));
        port.midi->ports.prepend("New");
        QVERIFY(port.update());
        QVERIFY(port.isOpen());
        QCOMPARE(port.getPortNames().first(), QString("New"));

        QVERIFY(port.init());
        QVERIFY(!port.isOpen());
        QVERIFY(!port.open(QString(), 0));
        QCOMPARE(port.getLastErrorString(), QString("Can't open, no port selected"));
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiPorts)
#include "tst_qrtmidiports.moc"
