// The choice of MIDI service: the library's own choice first and, when that service cannot be
// used, the first other compiled service that reaches its server. Shared by the ports and by
// anything else that opens RtMidi clients (virtual ports, for instance) on the same service.
#pragma once

#include <string>

class RtMidiIn;
class RtMidiOut;

/// Creates an input client named `clientName` whose library input queue holds at most
/// `queueSizeLimit` messages. Asks for the library's default service first; when the library
/// raises its error, tries each compiled service in the library's order and keeps the first
/// that constructs and reaches its server. Returns null, with the library's messages in
/// `*error` (when `error` is not null), when none does. Never throws RtMidiError.
RtMidiIn* qrtCreateMidiIn(
    const std::string& clientName, unsigned int queueSizeLimit, std::string* error);

/// Creates an output client named `clientName`, chosen as qrtCreateMidiIn() chooses.
RtMidiOut* qrtCreateMidiOut(const std::string& clientName, std::string* error);

/// Deletes an output client safely: on JACK the port is closed and a running process callback
/// allowed to end first, since the library's JACK output would otherwise let it read freed
/// memory. Use it (or QRtMidiOutDeleter) instead of `delete` for every RtMidiOut.
void qrtDeleteMidiOut(RtMidiOut* out);

struct QRtMidiOutDeleter {
    void operator()(RtMidiOut* out) const;
};
