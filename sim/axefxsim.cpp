// SPDX-License-Identifier: MIT
#include "axefxsim.h"

AxeFxSim::AxeFxSim(QObject* parent)
    : AxeFxSim(SimBank::builtIn(), parent)
{ }

AxeFxSim::AxeFxSim(const SimBank& bank, QObject* parent)
    : QObject(parent)
    , AxeFxSimEngine(bank)
{
    onRequest = [this](const QByteArray& request) { emit requestReceived(request); };
}

AxeFxSim::~AxeFxSim()
{
    stop();
}
