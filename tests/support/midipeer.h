// A MIDI counterpart for tests: a virtual input and a virtual output port on the service the
// port layer chooses, recording what it receives and sending what a test gives it.
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
#include <vector>

class MidiPeer {
public:
    static constexpr int kWaitMs = 5000;

    MidiPeer()
    {
        std::string error;
        input.reset(qrtCreateMidiIn("Test Peer In", 0, &error));
        output.reset(qrtCreateMidiOut("Test Peer Out", &error));
        errorText = QString::fromStdString(error);
        if (!input || !output)
            return;
        try {
            input->openVirtualPort("Peer In");
            input->setCallback(&MidiPeer::onMessage, this);
            input->ignoreTypes(false, false, false);
            output->openVirtualPort("Peer Out");
        } catch (const RtMidiError& e) {
            errorText = QString::fromStdString(e.getMessage());
        }
    }

    bool isOk() const { return input && output && errorText.isEmpty(); }
    QString error() const { return errorText; }

    /// The full names under which the port layer sees the peer's input and output.
    QString inputPortName() { return findPortName(*output, "Peer In"); }
    QString outputPortName() { return findPortName(*input, "Peer Out"); }

    void send(const QRtMidiData& message)
    {
        const std::vector<unsigned char> bytes = message.toStdVector(0, -1);
        output->sendMessage(bytes.data(), bytes.size());
    }

    /// The messages received once at least `count` have come, or those there are after
    /// kWaitMs.
    QList<QRtMidiData> waitForCount(int count)
    {
        QDeadlineTimer deadline(kWaitMs);
        QMutexLocker locker(&lock);
        while (messages.size() < count && arrived.wait(&lock, deadline)) { }
        return messages;
    }

private:
    static void onMessage(double, std::vector<unsigned char>* message, void* userData)
    {
        auto* peer = static_cast<MidiPeer*>(userData);
        QMutexLocker locker(&peer->lock);
        peer->messages.append(QRtMidiData(*message));
        peer->arrived.wakeAll();
    }

    // The service puts its client's name before a port's ("client:port").
    static QString findPortName(RtMidi& device, const QString& port)
    {
        for (unsigned int number = 0; number < device.getPortCount(); ++number) {
            const QString name = QString::fromStdString(device.getPortName(number));
            if (name.endsWith(QLatin1Char(':') + port))
                return name;
        }
        return QString();
    }

    QMutex lock;
    QWaitCondition arrived;
    QList<QRtMidiData> messages;
    QString errorText;
    std::unique_ptr<RtMidiIn, QRtMidiInDeleter> input;
    std::unique_ptr<RtMidiOut, QRtMidiOutDeleter> output;
};
