// SPDX-License-Identifier: MIT
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

/// Delete clients safely: on JACK the client leaves the process graph before its port is
/// closed (see qrtCloseJackPort()), and it is no longer tracked (see qrtTrackJackDevice(),
/// which every client created here is). Use these (or the deleters) instead of `delete` for
/// every client.
void qrtDeleteMidiIn(RtMidiIn* in);
void qrtDeleteMidiOut(RtMidiOut* out);

struct QRtMidiInDeleter {
    void operator()(RtMidiIn* in) const;
};

struct QRtMidiOutDeleter {
    void operator()(RtMidiOut* out) const;
};
