// The port base: its table, opening by name with every failure text, closing and reopening,
// on a scripted client whose port list a test controls, and the choice of MIDI service on the
// private server.
#include "midipeer.h"
#include "qrtmidi.h"
#include "qrtmidiapi.h"

#include <RtMidi.h>

#include <QtTest>

#include <memory>

namespace {

// A client whose port list and failures the test sets.
class ScriptedMidi : public RtMidi {
public:
    void openPort(unsigned int number, const std::string& name) override
    {
        if (failOpen)
            throw RtMidiError("cannot connect", RtMidiError::DRIVER_ERROR);
        openedNumber = int(number);
        ownPortName = name;
    }
    void openVirtualPort(const std::string&) override { }
    unsigned int getPortCount() override { return unsigned(ports.size()); }
    std::string getPortName(unsigned int number) override
    {
        return number < unsigned(ports.size()) ? ports.at(int(number)).toStdString()
                                               : std::string();
    }
    void closePort() override
    {
        openedNumber = -1;
        ++closeCount;
    }
    bool isPortOpen() const override { return openedNumber != -1; }
    void setErrorCallback(RtMidiErrorCallback, void*) override { }

    QStringList ports;
    bool failOpen = false;
    int openedNumber = -1;
    int closeCount = 0;
    std::string ownPortName;
};

class ScriptedPort : public QRtMidi {
public:
    ~ScriptedPort() override { destoryRtMidiDev(); }

    ScriptedMidi* device() const { return midi; }

    // What the next client created will report.
    QStringList portsOfNextClient;
    bool serviceAvailable = true;
    bool failSetup = false;
    unsigned int setupOption = 0;
    int setupCount = 0;
    int stopCount = 0;

protected:
    void stopIo() override { ++stopCount; }
    void setupAfterOpen(unsigned int option) override
    {
        ++setupCount;
        setupOption = option;
        if (failSetup)
            throw RtMidiError("cannot listen", RtMidiError::DRIVER_ERROR);
    }
    RtMidi* getRtMidi() const override { return midi; }
    bool createRtMidiDev() override
    {
        if (!serviceAvailable) {
            setError("no service");
            return false;
        }
        midi = new ScriptedMidi;
        midi->ports = portsOfNextClient;
        return true;
    }
    void destoryRtMidiDev() override
    {
        if (!midi)
            return;
        midi->closePort();
        delete midi;
        midi = nullptr;
    }

private:
    ScriptedMidi* midi = nullptr;
};

const QString kNotFound = QStringLiteral("open  - Port Name \"%1\" was not found");

} // namespace

class TestQRtMidiPorts : public QObject {
    Q_OBJECT

private slots:
    void newPortHasNothing();
    void portTable_data();
    void portTable();
    void openFailures_data();
    void openFailures();
    void openPassesOptionAndOwnName();
    void libraryErrorWhileOpening_data();
    void libraryErrorWhileOpening();
    void notFoundNameIsRemembered();
    void reopenAfterClose();
    void failedSecondOpenClosesFirst();
    void initWhileOpenForgetsPort();
    void updateKeepsOpenPort();
    void movedPortIsNotOpened_data();
    void movedPortIsNotOpened();
    void unusableServiceMakesInitFail();
    void filterPortName_data();
    void filterPortName();
    void errorTextsAppend();
    void serviceChoiceReachesPeer();
    void unreachableServiceGivesNoClient();
};

void TestQRtMidiPorts::newPortHasNothing()
{
    ScriptedPort port;
    QVERIFY(!port.isOk());
    QVERIFY(!port.isOpen());
    QVERIFY(port.getPortNames().isEmpty());
    QCOMPARE(port.getPortCount(), 0u);
    QVERIFY(port.getLastErrorString().isEmpty());
}

void TestQRtMidiPorts::portTable_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("openName");
    QTest::addColumn<int>("openedNumber");

    QTest::newRow("port-number order, not alphabetical")
        << QStringList { "Zeta", "Alpha", "Mid" } << QStringList { "Zeta", "Alpha", "Mid" }
        << "Alpha" << 1;
    QTest::newRow("duplicate names map to the higher number") << QStringList { "Synth", "Hub",
        "Synth" } << QStringList { "Hub", "Synth" } << "Synth" << 2;
    QTest::newRow("names kept exactly")
        << QStringList { "axe-fx In", "AXE-FX In" } << QStringList { "axe-fx In", "AXE-FX In" }
        << "AXE-FX In" << 1;
}

void TestQRtMidiPorts::portTable()
{
    QFETCH(QStringList, ports);
    QFETCH(QStringList, names);
    QFETCH(QString, openName);
    QFETCH(int, openedNumber);

    ScriptedPort port;
    port.portsOfNextClient = ports;
    QVERIFY(port.init());
    QCOMPARE(port.getPortNames(), names);
    QCOMPARE(port.getPortCount(), unsigned(ports.size()));
    QVERIFY(port.open(openName, 0));
    QCOMPARE(port.device()->openedNumber, openedNumber);
    QVERIFY(port.getLastErrorString().isEmpty());
}

void TestQRtMidiPorts::openFailures_data()
{
    QTest::addColumn<bool>("initialized");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");

    QTest::newRow("before init") << false << "Hub"
                                 << "Can't open, not initialized";
    QTest::newRow("empty name, none selected") << true << ""
                                               << "Can't open, no port selected";
    QTest::newRow("unknown name") << true << "Nowhere" << kNotFound.arg("Nowhere");
    QTest::newRow("case matters") << true << "hub" << kNotFound.arg("hub");
}

void TestQRtMidiPorts::openFailures()
{
    QFETCH(bool, initialized);
    QFETCH(QString, name);
    QFETCH(QString, error);

    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub" };
    if (initialized)
        QVERIFY(port.init());
    QVERIFY(!port.open(name, 0));
    QVERIFY(!port.isOpen());
    QCOMPARE(port.getLastErrorString(), error);
    QCOMPARE(port.setupCount, 0);
}

void TestQRtMidiPorts::openPassesOptionAndOwnName()
{
    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub" };
    QVERIFY(port.init());
    QVERIFY(port.open("Hub", 7));
    QCOMPARE(port.setupCount, 1);
    QCOMPARE(port.setupOption, 7u);
    QCOMPARE(port.device()->ownPortName, std::string("RtMidi"));
}

void TestQRtMidiPorts::libraryErrorWhileOpening_data()
{
    QTest::addColumn<bool>("failOpen");
    QTest::addColumn<bool>("failSetup");
    QTest::addColumn<QString>("message");

    QTest::newRow("in openPort") << true << false << "cannot connect";
    QTest::newRow("in setupAfterOpen") << false << true << "cannot listen";
}

void TestQRtMidiPorts::libraryErrorWhileOpening()
{
    QFETCH(bool, failOpen);
    QFETCH(bool, failSetup);
    QFETCH(QString, message);

    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub" };
    QVERIFY(port.init());
    port.device()->failOpen = failOpen;
    port.failSetup = failSetup;
    const int closesBefore = port.device()->closeCount;

    QTest::ignoreMessage(QtDebugMsg, qPrintable("RtMidi Open Error: " + message));
    QVERIFY(!port.open("Hub", 0));
    QVERIFY(!port.isOpen());
    QCOMPARE(port.getLastErrorString(), "open : " + message);
    QCOMPARE(port.device()->closeCount, closesBefore + 1);
    QCOMPARE(port.stopCount, 1);
    QCOMPARE(port.device()->openedNumber, -1);
}

void TestQRtMidiPorts::notFoundNameIsRemembered()
{
    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub" };
    QVERIFY(port.init());
    QVERIFY(!port.open("Late", 0));

    port.device()->ports << "Late";
    QVERIFY(port.update());
    QVERIFY(port.open(QString(), 0));
    QCOMPARE(port.device()->openedNumber, 1);
}

void TestQRtMidiPorts::reopenAfterClose()
{
    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub", "Synth" };
    QVERIFY(port.init());
    QVERIFY(port.open("Synth", 0));
    port.close();
    QVERIFY(!port.isOpen());
    QCOMPARE(port.device()->openedNumber, -1);
    QCOMPARE(port.stopCount, 1);
    QCOMPARE(port.getPortNames(), (QStringList { "Hub", "Synth" }));

    QVERIFY(port.open(QString(), 0));
    QCOMPARE(port.device()->openedNumber, 1);
}

void TestQRtMidiPorts::failedSecondOpenClosesFirst()
{
    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub" };
    QVERIFY(port.init());
    QVERIFY(port.open("Hub", 0));
    QVERIFY(!port.open("Nowhere", 0));
    QVERIFY(!port.isOpen());
    QCOMPARE(port.device()->openedNumber, -1);
    QCOMPARE(port.stopCount, 1);
}

void TestQRtMidiPorts::initWhileOpenForgetsPort()
{
    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub" };
    QVERIFY(port.init());
    QVERIFY(port.open("Hub", 0));
    QVERIFY(port.init());
    QVERIFY(!port.isOpen());
    QCOMPARE(port.device()->openedNumber, -1);
    QVERIFY(!port.open(QString(), 0));
    QCOMPARE(port.getLastErrorString(), QString("Can't open, no port selected"));
}

void TestQRtMidiPorts::updateKeepsOpenPort()
{
    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub" };
    QVERIFY(port.init());
    QVERIFY(port.open("Hub", 0));
    port.device()->ports.prepend("New");
    QVERIFY(port.update());
    QVERIFY(port.isOpen());
    QCOMPARE(port.getPortNames(), (QStringList { "New", "Hub" }));
    QVERIFY(port.getLastErrorString().isEmpty());
}

// The table is rebuilt only by init() and update(); a port that has gone or moved since must
// not lead open() to whatever port now has its old number.
void TestQRtMidiPorts::movedPortIsNotOpened_data()
{
    QTest::addColumn<QStringList>("portsAtOpen");
    QTest::addColumn<QString>("name");

    QTest::newRow("port gone, number past the end") << QStringList { "Hub" } << "Synth";
    QTest::newRow("number now another port") << QStringList { "Synth" } << "Hub";
}

void TestQRtMidiPorts::movedPortIsNotOpened()
{
    QFETCH(QStringList, portsAtOpen);
    QFETCH(QString, name);

    ScriptedPort port;
    port.portsOfNextClient = QStringList { "Hub", "Synth" };
    QVERIFY(port.init());
    port.device()->ports = portsAtOpen;
    QVERIFY(!port.open(name, 0));
    QCOMPARE(port.device()->openedNumber, -1);
    QCOMPARE(port.getLastErrorString(), kNotFound.arg(name));

    if (portsAtOpen.contains(name)) {
        QVERIFY(port.update());
        QVERIFY(port.open(QString(), 0));
        QCOMPARE(port.device()->openedNumber, int(portsAtOpen.indexOf(name)));
    }
}

void TestQRtMidiPorts::unusableServiceMakesInitFail()
{
    ScriptedPort port;
    port.serviceAvailable = false;
    QVERIFY(!port.init());
    QVERIFY(!port.isOk());
    QCOMPARE(port.getLastErrorString(), QString("no service"));
    QVERIFY(!port.update());
    QVERIFY(!port.isOk());
}

void TestQRtMidiPorts::filterPortName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filtered");

    QTest::newRow("dash in, any case") << "Port-IN 1"
                                       << "Port 1";
    QTest::newRow("blank out") << "USB Out"
                               << "USB";
    QTest::newRow("inside a word") << "MIDI Interface"
                                   << "MIDIterface";
    QTest::newRow("pairs of blanks once") << "A   B"
                                          << "A  B";
    QTest::newRow("nothing to remove") << "Synth"
                                       << "Synth";
    QTest::newRow("both directions") << "Box In Out 2"
                                     << "Box 2";
}

void TestQRtMidiPorts::filterPortName()
{
    QFETCH(QString, name);
    QFETCH(QString, filtered);

    const QString original = name;
    QCOMPARE(QRtMidi::filterPortName(name), filtered);
    QCOMPARE(name, original);
}

void TestQRtMidiPorts::errorTextsAppend()
{
    ScriptedPort port;
    port.setError("first");
    port.setError("second", std::string("library said"));
    port.setError("<", QStringLiteral("name"), ">");
    QCOMPARE(port.getLastErrorString(), QString("firstsecond : library said<name>"));
    port.clearLastStatus();
    QVERIFY(port.getLastErrorString().isEmpty());
}

// On this machine the default service cannot be used (no sequencer), so this also checks that
// the choice falls back to the server the test runs on.
void TestQRtMidiPorts::serviceChoiceReachesPeer()
{
    MidiPeer peer("Peer In", "Peer Out");
    QVERIFY2(peer.isOk(), qPrintable(peer.error()));

    std::string error;
    std::unique_ptr<RtMidiIn> in(qrtCreateMidiIn("Choice Test", 100, &error));
    QVERIFY2(in, error.c_str());
    bool seesPeer = false;
    for (unsigned int number = 0; number < in->getPortCount(); ++number)
        seesPeer = seesPeer || in->getPortName(number).find("Peer Out") != std::string::npos;
    QVERIFY(seesPeer);
}

void TestQRtMidiPorts::unreachableServiceGivesNoClient()
{
    try {
        RtMidiIn sequencer(RtMidi::LINUX_ALSA);
        QSKIP("an ALSA sequencer is available here, so some service is always reachable");
    } catch (const RtMidiError&) { }

    const QByteArray server = qgetenv("JACK_DEFAULT_SERVER");
    qputenv("JACK_DEFAULT_SERVER", "tollmark-no-such-server");
    std::string inError;
    std::string outError;
    std::unique_ptr<RtMidiIn> in(qrtCreateMidiIn("Unreachable", 100, &inError));
    std::unique_ptr<RtMidiOut> out(qrtCreateMidiOut("Unreachable", &outError));
    qputenv("JACK_DEFAULT_SERVER", server);

    QVERIFY(!in);
    QVERIFY(!out);
    QVERIFY2(QString::fromStdString(inError).contains("ALSA"), inError.c_str());
    QVERIFY2(QString::fromStdString(inError).contains("JACK"), inError.c_str());
    QVERIFY2(QString::fromStdString(outError).contains("JACK"), outError.c_str());
}

QTEST_GUILESS_MAIN(TestQRtMidiPorts)
#include "tst_qrtmidiports.moc"
