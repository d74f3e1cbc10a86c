// A MIDI counterpart for tests: a virtual input and a virtual output port on the same MIDI
// service the port layer chooses. It records every message it receives and sends what a test
// gives it, so tests talk to real ports of the service rather than to a mock.
#pragma once

#include "qrtmidiapi.h"
#include "qrtmididata.h"

#include <RtMidi.h>

#include <QDeadlineTimer>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QWaitCondition>

#include <memory>
#include <string>
#include <vector>

class MidiPeer {
public:
    static constexpr int kDefaultWaitMs = 5000;

    /// Opens a virtual input port named `inPort` and a virtual output port named `outPort`.
    /// `clientName` tells the peer's clients apart when a test runs more than one peer.
    MidiPeer(const QString& inPort, const QString& outPort,
        const QString& clientName = QStringLiteral("Tollmark Test Peer"))
    {
        openInput(clientName + QStringLiteral(" In"), inPort);
        openOutput(clientName + QStringLiteral(" Out"), outPort);
    }

    MidiPeer(const MidiPeer&) = delete;
    MidiPeer& operator=(const MidiPeer&) = delete;

    /// True when both virtual ports are open; otherwise error() says why.
    bool isOk() const { return input && output && errorText.isEmpty(); }
    QString error() const { return errorText; }

    /// The full name under which an output port of the port layer sees the peer's input.
    QString inputPortName() { return findPortName(output.get(), inName); }
    /// The full name under which an input port of the port layer sees the peer's output.
    QString outputPortName() { return findPortName(input.get(), outName); }

    /// Sends `message` as one MIDI message.
    void send(const QRtMidiData& message)
    {
        const std::vector<unsigned char> bytes = message.toStdVector(0, -1);
        output->sendMessage(bytes.data(), bytes.size());
    }

    /// Waits until at least `count` messages have arrived or `timeoutMs` has passed; true
    /// when they arrived.
    bool waitForCount(int count, int timeoutMs = kDefaultWaitMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        QMutexLocker locker(&lock);
        while (messages.size() < count) {
            if (!arrived.wait(&lock, deadline))
                return messages.size() >= count;
        }
        return true;
    }

    /// The messages received so far, oldest first.
    QList<QRtMidiData> received() const
    {
        QMutexLocker locker(&lock);
        return messages;
    }

    int receivedCount() const
    {
        QMutexLocker locker(&lock);
        return messages.size();
    }

    void clearReceived()
    {
        QMutexLocker locker(&lock);
        messages.clear();
    }

private:
    static void onMessage(double, std::vector<unsigned char>* message, void* userData)
    {
        auto* peer = static_cast<MidiPeer*>(userData);
        QMutexLocker locker(&peer->lock);
        peer->messages.append(QRtMidiData(*message));
        peer->arrived.wakeAll();
    }

    void openInput(const QString& client, const QString& port)
    {
        std::string error;
        input.reset(qrtCreateMidiIn(client.toStdString(), 0, &error));
        if (!input) {
            errorText += QString::fromStdString(error);
            return;
        }
        try {
            input->openVirtualPort(port.toStdString());
            input->setCallback(&MidiPeer::onMessage, this);
            input->ignoreTypes(false, false, false);
            inName = port;
        } catch (const RtMidiError& e) {
            errorText += QString::fromStdString(e.getMessage());
        }
    }

    void openOutput(const QString& client, const QString& port)
    {
        std::string error;
        output.reset(qrtCreateMidiOut(client.toStdString(), &error));
        if (!output) {
            errorText += QString::fromStdString(error);
            return;
        }
        try {
            output->openVirtualPort(port.toStdString());
            outName = port;
        } catch (const RtMidiError& e) {
            errorText += QString::fromStdString(e.getMessage());
        }
    }

    // The service prefixes a port's name with its client's ("client:port", on some services
    // followed by numbers), so the peer's port is found by what follows the colon in the
    // list that the other of its clients reports.
    static QString findPortName(RtMidi* device, const QString& port)
    {
        if (!device || port.isEmpty())
            return QString();
        const QString suffix = QLatin1Char(':') + port;
        const unsigned int count = device->getPortCount();
        for (unsigned int number = 0; number < count; ++number) {
            const QString name = QString::fromStdString(device->getPortName(number));
            if (name.endsWith(suffix) || name.contains(suffix + QLatin1Char(' ')))
                return name;
        }
        return QString();
    }

    mutable QMutex lock;
    QWaitCondition arrived;
    QList<QRtMidiData> messages;
    QString inName;
    QString outName;
    QString errorText;
    std::unique_ptr<RtMidiIn> input;
    std::unique_ptr<RtMidiOut, QRtMidiOutDeleter> output;
};
