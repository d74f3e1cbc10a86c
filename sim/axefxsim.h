// SPDX-License-Identifier: MIT
// A simulated AxeFx unit on virtual MIDI ports: answers the device protocol from a bank,
// speaks unprompted like a real unit, records every request and misbehaves on demand. Its
// API is the engine's; this adds the signal for each request received.
#pragma once

#include "axefxsimengine.h"

#include <QByteArray>
#include <QObject>

class AxeFxSim : public QObject, public AxeFxSimEngine {
    Q_OBJECT
public:
    /// A unit holding the built-in bank of model 3; nothing is opened yet.
    explicit AxeFxSim(QObject* parent = nullptr);
    explicit AxeFxSim(const SimBank& bank, QObject* parent = nullptr);
    /// Stops the unit while its signal can still be emitted.
    ~AxeFxSim() override;

signals:
    /// Emitted on the simulator's thread for each message received.
    void requestReceived(const QByteArray& request);
};
