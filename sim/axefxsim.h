// SPDX-License-Identifier: MIT
// A simulated AxeFx unit on virtual MIDI ports: answers the device protocol from a bank,
// speaks unprompted like a real unit, records every request and misbehaves on demand.
#pragma once

#include "simbank.h"
#include "simfaults.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

struct SimPortNames {
    QString client = QStringLiteral("AXE-FX II");
    QString input = QStringLiteral("AXE-FX II MIDI In"); // empty: no input port
    QString output = QStringLiteral("AXE-FX II MIDI Out"); // empty: no output port
};

class AxeFxSimEngine;
class SimReplay;

class AxeFxSim : public QObject {
    Q_OBJECT
public:
    /// A unit holding the built-in bank of model 3; nothing is opened yet.
    explicit AxeFxSim(QObject* parent = nullptr);
    explicit AxeFxSim(const SimBank& bank, QObject* parent = nullptr);
    ~AxeFxSim() override;

    /// Port names used by the next start().
    void setPortNames(const SimPortNames& names);
    SimPortNames portNames() const;

    /// Opens the virtual ports and starts answering; false with a reason in `error`.
    bool start(QString* error = nullptr);
    /// Closes the ports and stops all sending; replies still pending are dropped.
    void stop();
    /// True while the ports are open.
    bool isRunning() const;

    /// A copy of the device state as it is now (the simulator changes the current preset and
    /// the X/Y selections as requests arrive).
    SimBank bank() const;
    void setBank(const SimBank& bank);
    /// Changes the state in place under the simulator's lock.
    void editBank(const std::function<void(SimBank&)>& edit);

    SimFaults faults() const;
    /// Takes effect for the next request; periodic sending restarts with the new periods.
    void setFaults(const SimFaults& faults);

    /// Answers as the replay says instead of from the bank (null: from the bank again); the
    /// replay is not owned and must outlive the unit's running.
    void setReplay(SimReplay* replay);

    /// Whether requests() keeps the messages (on by default; a long-running unit turns it off,
    /// the count goes on).
    void setRecording(bool on);
    /// Every message received, in order of arrival; each is in the record only once the unit
    /// has acted on it, so its reply is on its way and the state shows its effect.
    QList<QByteArray> requests() const;
    int requestCount() const;
    void clearRequests();
    /// Waits until at least n messages have been received since the last clearRequests();
    /// false after timeoutMs without them.
    bool waitForRequests(int n, int timeoutMs = 5000) const;

    /// Number of messages sent so far (replies, notices, beats, noise and raw messages).
    int sentCount() const;
    /// Sends bytes as one message from the output port, as they are.
    void sendRaw(const QByteArray& message);

signals:
    /// Emitted on the simulator's thread for each message received.
    void requestReceived(const QByteArray& request);

private:
    std::unique_ptr<AxeFxSimEngine> engine;
};
