// A MIDI counterpart for tests: a virtual input and a virtual output port on the service the
// port layer chooses, recording what it receives and sending what a test gives it.
#pragma once

#include "qrtmidiapi.h"
#include "qrtmididata.h"

#include <RtMidi.h>

#include <QDeadlineTimer>
#include <QMutex>
#include <QWaitCondition>

#include <memory>

class MidiPeer {
public:
    static constexpr int kWaitMs = 5000;

    MidiPeer()
    {
        std::string text;
        input.reset(qrtCreateMidiIn("Test Peer In", 0, &text));
        output.reset(qrtCreateMidiOut("Test Peer Out", &text));
        try {
            if (!input || !output)
                throw RtMidiError(text);
            input->openVirtualPort("Peer In");
            input->setCallback(&MidiPeer::onMessage, this);
            input->ignoreTypes(false, false, false);
            output->openVirtualPort("Peer Out");
        } catch (const RtMidiError& e) {
            text = e.getMessage();
        }
        error = QString::fromStdString(text);
    }

    // The full name ("client:port") under which the port layer sees the peer's output port,
    // or its input port.
    QString portName(bool peerOutput)
    {
        RtMidi& device = peerOutput ? static_cast<RtMidi&>(*input) : *output;
        const QString port = peerOutput ? ":Peer Out" : ":Peer In";
        for (unsigned int number = 0; number < device.getPortCount(); ++number) {
            if (QString::fromStdString(device.getPortName(number)).endsWith(port))
                return QString::fromStdString(device.getPortName(number));
        }
        return QString();
    }

    void send(const QRtMidiData& message)
    {
        const std::vector<unsigned char> bytes = message.toStdVector(0, -1);
        output->sendMessage(bytes.data(), bytes.size());
    }

    // The messages received once at least `count` have come, or those there are after kWaitMs.
    QList<QRtMidiData> waitForCount(int count)
    {
        QDeadlineTimer deadline(kWaitMs);
        QMutexLocker locker(&lock);
        while (messages.size() < count && arrived.wait(&lock, deadline)) { }
        return messages;
    }

    QString error;

private:
    static void onMessage(double, std::vector<unsigned char>* message, void* userData)
    {
        auto* peer = static_cast<MidiPeer*>(userData);
        QMutexLocker locker(&peer->lock);
        peer->messages.append(QRtMidiData(*message));
        peer->arrived.wakeAll();
    }

    QMutex lock;
    QWaitCondition arrived;
    QList<QRtMidiData> messages;
    std::unique_ptr<RtMidiIn, QRtMidiInDeleter> input;
    std::unique_ptr<RtMidiOut, QRtMidiOutDeleter> output;
};
