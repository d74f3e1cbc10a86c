// SPDX-License-Identifier: MIT
#include "qrtmidi.h"

#include "qrtmidijack.h"

#include <RtMidi.h>

#include <QDebug>
#include <QMap>
#include <QRegularExpression>

namespace {

const char kOwnPortName[] = "RtMidi";
const char kNotInitialized[] = "Can't open, not initialized";
const char kNoPortSelected[] = "Can't open, no port selected";
const char kNotFoundPrefix[] = "open  - Port Name \"";
const char kNotFoundSuffix[] = "\" was not found";
const char kOpenError[] = "open";
const char kOpenErrorDebug[] = "RtMidi Open Error: ";
const char kDirectionWords[] = "([- ]in|[- ]out)";
const char kNotConnected[] = "open - the connection was not made in time";
// Bounds the wait for a change of a JACK port's connections to come into the server's
// graph: that takes a period or two, but a server under load may be slow to start its next
// cycle.
constexpr int kConnectionTimeoutMs = 5000;

} // namespace

QRtMidi::QRtMidi() = default;

QRtMidi::~QRtMidi() = default;

bool QRtMidi::init()
{
    destroy();
    const bool created = createRtMidiDev();
    if (created)
        update();
    else
        destroy();
    return created;
}

bool QRtMidi::update()
{
    if (!getRtMidi()) {
        destroy();
        if (!createRtMidiDev()) {
            destroy();
            return false;
        }
    }
    buildPortNameList(getRtMidi());
    return true;
}

void QRtMidi::destroy()
{
    portNameHash.clear();
    portName.clear();
    destoryRtMidiDev();
    portIndex = -1;
}

void QRtMidi::buildPortNameList(RtMidi* device)
{
    lastErrorString.clear();
    portNameHash.clear();
    const unsigned int count = device->getPortCount();
    for (unsigned int number = 0; number < count; ++number) {
        // A port that vanishes while the list is read is reported with an empty name.
        const QString name = QString::fromStdString(device->getPortName(number));
        if (!name.isEmpty())
            portNameHash.insert(name, int(number));
    }
}

QStringList QRtMidi::getPortNames() const
{
    QMap<int, QString> byNumber;
    for (auto it = portNameHash.cbegin(); it != portNameHash.cend(); ++it)
        byNumber.insert(it.value(), it.key());
    return byNumber.values();
}

unsigned int QRtMidi::getPortCount()
{
    RtMidi* device = getRtMidi();
    return device ? device->getPortCount() : 0;
}

QString QRtMidi::filterPortName(const QString& name)
{
    QString filtered = name;
    filtered.remove(QRegularExpression(
        QLatin1String(kDirectionWords), QRegularExpression::CaseInsensitiveOption));
    filtered.replace(QStringLiteral("  "), QStringLiteral(" "));
    return filtered;
}

bool QRtMidi::open(QString name, unsigned int option)
{
    clearLastStatus();
    RtMidi* device = getRtMidi();
    if (!device) {
        setError(kNotInitialized);
        return false;
    }
    if (portIndex != -1)
        closeOpenPort();

    if (!name.isEmpty())
        portName = name;
    else if (portName.isEmpty()) {
        setError(kNoPortSelected);
        return false;
    }

    const int number = currentPortNumber();
    if (number < 0) {
        setError(kNotFoundPrefix, portName, kNotFoundSuffix);
        return false;
    }

    try {
        device->openPort(unsigned(number), kOwnPortName);
        portIndex = number;
        setupAfterOpen(option);
        // A message sent before the connection is in the graph would be silently lost.
        if (!qrtWaitForJackConnection(device, kConnectionTimeoutMs)) {
            closeOpenPort();
            setError(kNotConnected);
        }
    } catch (const RtMidiError& e) {
        closeOpenPort();
        setError(kOpenError, e.getMessage());
        qDebug().noquote().nospace() << kOpenErrorDebug << QString::fromStdString(e.getMessage());
    }
    return portIndex != -1;
}

// The table is only rebuilt by init() and update(), so a port may have gone or moved since:
// a port that came in between, such as one this program opened on another client, moves
// every later one on. The number is therefore the one the library gives the name now, the
// highest when the name is listed more than once, as in the table.
int QRtMidi::currentPortNumber()
{
    RtMidi* device = getRtMidi();
    for (unsigned int number = device->getPortCount(); number-- > 0;) {
        if (QString::fromStdString(device->getPortName(number)) == portName)
            return int(number);
    }
    return -1;
}

void QRtMidi::close()
{
    if (getRtMidi())
        closeOpenPort();
}

void QRtMidi::closeOpenPort()
{
    stopIo();
    if (!qrtDisconnectJackPort(getRtMidi(), kConnectionTimeoutMs))
        getRtMidi()->closePort();
    portIndex = -1;
}

bool QRtMidi::isOpen() const
{
    return portIndex != -1;
}

bool QRtMidi::isOk() const
{
    return getRtMidi() != nullptr;
}

void QRtMidi::clearLastStatus()
{
    lastErrorString.clear();
}

void QRtMidi::setError(const char* text)
{
    lastErrorString += QString::fromUtf8(text);
}

void QRtMidi::setError(const char* text, const std::string& message)
{
    lastErrorString
        += QString::fromUtf8(text) + QStringLiteral(" : ") + QString::fromStdString(message);
}

void QRtMidi::setError(const char* prefix, QString text, const char* suffix)
{
    lastErrorString += QString::fromUtf8(prefix) + text + QString::fromUtf8(suffix);
}

QString QRtMidi::getLastErrorString() const
{
    return lastErrorString;
}

void QRtMidi::stopIo() { }

void QRtMidi::setupAfterOpen(unsigned int) { }

QString QRtMidi::getServiceName() const
{
    RtMidi* device = getRtMidi();
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    if (auto* in = dynamic_cast<RtMidiIn*>(device))
        api = in->getCurrentApi();
    else if (auto* out = dynamic_cast<RtMidiOut*>(device))
        api = out->getCurrentApi();
    return device ? QString::fromStdString(RtMidi::getApiDisplayName(api)) : QString();
}
