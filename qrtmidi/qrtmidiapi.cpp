// SPDX-License-Identifier: MIT
#include "qrtmidiapi.h"

#include "qrtmidijack.h"

#include <RtMidi.h>

#include <memory>
#include <vector>

namespace {

const char kMessageSeparator[] = "; ";

// The default choice and the fallbacks may fail on the same service; its message is kept once.
void appendMessage(std::string& messages, const std::string& message)
{
    if (message.empty() || messages.find(message) != std::string::npos)
        return;
    if (!messages.empty())
        messages += kMessageSeparator;
    messages += message;
}

void recordWarning(RtMidiError::Type, const std::string& text, void* userData)
{
    appendMessage(*static_cast<std::string*>(userData), text);
}

// A client whose service has no server still constructs (the JACK client only warns and
// tries again on every later call), so a fallback is accepted only when counting its ports
// raises no complaint from the library.
bool reachesService(RtMidi& device, std::string& messages)
{
    std::string complaints;
    device.setErrorCallback(&recordWarning, &complaints);
    device.getPortCount();
    device.setErrorCallback(nullptr, nullptr);
    if (complaints.empty())
        return true;
    appendMessage(messages, complaints);
    return false;
}

template <typename Device, typename... Args>
Device* createOnFirstUsableService(std::string* error, const Args&... args)
{
    std::string messages;
    try {
        return new Device(RtMidi::UNSPECIFIED, args...);
    } catch (const RtMidiError& e) {
        appendMessage(messages, e.getMessage());
    }

    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    for (RtMidi::Api api : apis) {
        try {
            std::unique_ptr<Device> device(new Device(api, args...));
            if (reachesService(*device, messages))
                return device.release();
        } catch (const RtMidiError& e) {
            appendMessage(messages, e.getMessage());
        }
    }

    if (error)
        *error = messages;
    return nullptr;
}

// Both kinds of client go the same way; their common base does not let them be deleted.
template <typename Device> void deleteClient(Device* device)
{
    if (!device)
        return;
    qrtCloseJackPort(device);
    qrtUntrackJackDevice(device);
    delete device;
}

} // namespace

RtMidiIn* qrtCreateMidiIn(
    const std::string& clientName, unsigned int queueSizeLimit, std::string* error)
{
    RtMidiIn* in = createOnFirstUsableService<RtMidiIn>(error, clientName, queueSizeLimit);
    if (in)
        qrtTrackJackDevice(in);
    return in;
}

RtMidiOut* qrtCreateMidiOut(const std::string& clientName, std::string* error)
{
    RtMidiOut* out = createOnFirstUsableService<RtMidiOut>(error, clientName);
    if (out)
        qrtTrackJackDevice(out);
    return out;
}

void qrtDeleteMidiIn(RtMidiIn* in)
{
    deleteClient(in);
}

void qrtDeleteMidiOut(RtMidiOut* out)
{
    deleteClient(out);
}

void QRtMidiInDeleter::operator()(RtMidiIn* in) const
{
    qrtDeleteMidiIn(in);
}

void QRtMidiOutDeleter::operator()(RtMidiOut* out) const
{
    qrtDeleteMidiOut(out);
}
