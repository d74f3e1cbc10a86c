// SPDX-License-Identifier: MIT
#include "axefxsim.h"

#include "axefxsimengine.h"

AxeFxSim::AxeFxSim(QObject* parent)
    : AxeFxSim(SimBank::builtIn(), parent)
{ }

AxeFxSim::AxeFxSim(const SimBank& bank, QObject* parent)
    : QObject(parent)
    , engine(new AxeFxSimEngine(bank))
{
    engine->onRequest = [this](const QByteArray& request) { emit requestReceived(request); };
}

AxeFxSim::~AxeFxSim()
{
    engine->stop();
}

void AxeFxSim::setPortNames(const SimPortNames& names)
{
    engine->setPortNames(names);
}
SimPortNames AxeFxSim::portNames() const
{
    return engine->portNames();
}
bool AxeFxSim::start(QString* error)
{
    return engine->start(error);
}
void AxeFxSim::stop()
{
    engine->stop();
}
bool AxeFxSim::isRunning() const
{
    return engine->isRunning();
}

SimBank AxeFxSim::bank() const
{
    return engine->bank();
}

void AxeFxSim::setBank(const SimBank& bank)
{
    engine->editBank([&bank](SimBank& state) { state = bank; });
}

void AxeFxSim::editBank(const std::function<void(SimBank&)>& edit)
{
    engine->editBank(edit);
}
SimFaults AxeFxSim::faults() const
{
    return engine->faults();
}
void AxeFxSim::setFaults(const SimFaults& faults)
{
    engine->setFaults(faults);
}
void AxeFxSim::setReplay(SimReplay* replay)
{
    engine->setReplay(replay);
}
void AxeFxSim::setRecording(bool on)
{
    engine->setRecording(on);
}
QList<QByteArray> AxeFxSim::requests() const
{
    return engine->requests();
}
int AxeFxSim::requestCount() const
{
    return engine->requestCount();
}
void AxeFxSim::clearRequests()
{
    engine->clearRequests();
}

bool AxeFxSim::waitForRequests(int n, int timeoutMs) const
{
    return engine->waitForRequests(n, timeoutMs);
}

int AxeFxSim::sentCount() const
{
    return engine->sentCount();
}
void AxeFxSim::sendRaw(const QByteArray& message)
{
    engine->sendRaw(message);
}
