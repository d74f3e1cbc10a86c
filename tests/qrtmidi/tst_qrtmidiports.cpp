// The port base on a scripted client: its table, opening by name and every failure text,
// closing, reopening and rebuilding.
#include "qrtmidi.h"

#include <RtMidi.h>

#include <QtTest>

namespace {

// A client whose port list and failures the test sets.
class ScriptedMidi : public RtMidi {
public:
    void openPort(unsigned int number, const std::string& name) override
    {
        if (failOpen)
            throw RtMidiError("cannot connect", RtMidiError::DRIVER_ERROR);
        opened = int(number);
        ownName = name;
    }
    void openVirtualPort(const std::string&) override { }
    unsigned int getPortCount() override { return unsigned(ports.size()); }
    std::string getPortName(unsigned int number) override
    {
        return ports.value(int(number)).toStdString();
    }
    void closePort() override { opened = -1; }
    bool isPortOpen() const override { return opened != -1; }
    void setErrorCallback(RtMidiErrorCallback, void*) override { }

    QStringList ports;
    bool failOpen = false;
    int opened = -1;
    std::string ownName;
};

class ScriptedPort : public QRtMidi {
public:
    ~ScriptedPort() override { destoryRtMidiDev(); }
    ScriptedMidi* midi = nullptr;
    bool serviceAvailable = true;
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
    bool createRtMidiDev() override
    {
        if (serviceAvailable)
            midi = new ScriptedMidi;
        return midi;
    }
    void destoryRtMidiDev() override
    {
        delete midi;
        midi = nullptr;
    }
};

const QString kNotFound = QStringLiteral("open  - Port Name \"%1\" was not found");
const QStringList kPorts { "Zeta", "Hub", "Zeta", "Alpha" };

} // namespace

class TestQRtMidiPorts : public QObject {
    Q_OBJECT

private slots:
    void table();
    void open_data();
    void open();
    void libraryError_data();
    void libraryError();
    void closeReopenAndRebuild();
};

// No client without a service; port-number order, a name reported twice maps to its higher
// number, letter case kept.
void TestQRtMidiPorts::table()
{
    ScriptedPort port;
    port.serviceAvailable = false;
    QVERIFY(!port.init());
    QVERIFY(!port.isOk());
    QCOMPARE(port.getPortCount(), 0u);
    port.serviceAvailable = true;
    QVERIFY(port.init());
    port.midi->ports = kPorts + QStringList { "alpha" };
    QVERIFY(port.update());
    QCOMPARE(port.getPortNames(), (QStringList { "Hub", "Zeta", "Alpha", "alpha" }));
    QCOMPARE(port.getPortCount(), 5u);
    QVERIFY(port.open("Zeta", 7));
    QCOMPARE(port.midi->opened, 2);
    QCOMPARE(port.option, 7u);
    QCOMPARE(port.midi->ownName, std::string("RtMidi"));
}

void TestQRtMidiPorts::open_data()
{
    QTest::addColumn<bool>("initialized");
    QTest::addColumn<QStringList>("portsAtOpen");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    QTest::newRow("before init") << false << kPorts << "Hub"
                                 << "Can't open, not initialized";
    QTest::newRow("no name selected") << true << kPorts << ""
                                      << "Can't open, no port selected";
    QTest::newRow("unknown") << true << kPorts << "Nowhere" << kNotFound.arg("Nowhere");
    QTest::newRow("letter case") << true << kPorts << "hub" << kNotFound.arg("hub");
    QTest::newRow("gone since the table was built")
        << true << QStringList { "Zeta", "Hub" } << "Alpha" << kNotFound.arg("Alpha");
    QTest::newRow("number now another port")
        << true << QStringList { "Zeta", "Alpha" } << "Hub" << kNotFound.arg("Hub");
    QTest::newRow("opens") << true << kPorts << "Hub"
                           << "";
}

void TestQRtMidiPorts::open()
{
    QFETCH(bool, initialized);
    QFETCH(QStringList, portsAtOpen);
    QFETCH(QString, name);
    QFETCH(QString, error);
    ScriptedPort port;
    if (initialized) {
        QVERIFY(port.init());
        port.midi->ports = kPorts;
        QVERIFY(port.update());
        port.midi->ports = portsAtOpen;
    }
    QCOMPARE(port.open(name, 0), error.isEmpty());
    QCOMPARE(port.isOpen(), error.isEmpty());
    QCOMPARE(port.getLastErrorString(), error);
    if (initialized)
        QCOMPARE(port.midi->opened, error.isEmpty() ? 1 : -1);
}

void TestQRtMidiPorts::libraryError_data()
{
    QTest::addColumn<bool>("failSetup");
    QTest::addColumn<QString>("message");
    QTest::newRow("in the library's open") << false << "cannot connect";
    QTest::newRow("in the setup after it") << true << "cannot listen";
}

void TestQRtMidiPorts::libraryError()
{
    QFETCH(bool, failSetup);
    QFETCH(QString, message);
    ScriptedPort port;
    QVERIFY(port.init());
    port.midi->ports = kPorts;
    QVERIFY(port.update());
    port.midi->failOpen = !failSetup;
    port.failSetup = failSetup;
    QTest::ignoreMessage(QtDebugMsg, qPrintable("RtMidi Open Error: " + message));
    QVERIFY(!port.open("Hub", 0));
    QVERIFY(!port.isOpen());
    QCOMPARE(port.midi->opened, -1);
    QCOMPARE(port.stops, 1);
    QCOMPARE(port.getLastErrorString(), "open : " + message);
}

// close() keeps the selected name; a failed open closes the port open before; update() keeps
// the open port and sees new ones; init() forgets both.
void TestQRtMidiPorts::closeReopenAndRebuild()
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

QTEST_GUILESS_MAIN(TestQRtMidiPorts)
#include "tst_qrtmidiports.moc"
