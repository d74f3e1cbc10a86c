// SPDX-License-Identifier: MIT
// Closing, connecting and sending on the library's JACK clients safely: the library closes
// a JACK port while its client's own threads still use it, reports a connection before it
// carries data, waits for room to send without end, and keeps using clients that libjack
// has freed. Every port and client of the port layer goes through these. Where the build
// leaves this handling out (qrtmidijack_none.cpp), every client counts as one of another
// service.
#pragma once

#include <cstddef>

class RtMidi;
class RtMidiOut;

/// Closes the open port of a JACK client without unregistering it: the port loses its
/// connections (waiting at most `timeoutMs` for the server's graph to drop them) and stays
/// registered until the next open connects it again or the client is deleted. False, doing
/// nothing, for a client without a port or one of another service; the library's
/// closePort() is then the way to close.
bool qrtDisconnectJackPort(RtMidi* device, int timeoutMs);

/// Takes a JACK client that is about to be deleted out of the process graph, so that
/// neither its process callback nor its notification thread runs while the library tears
/// it down, and leaves its port to the closing of the client. Does nothing for a client of
/// another service.
void qrtCloseJackPort(RtMidi* device);

/// Waits until the open port of a JACK client has a connection the server's current graph
/// carries, at most `timeoutMs`; true when it has. True at once for another service.
bool qrtWaitForJackConnection(RtMidi* device, int timeoutMs);

/// libjack, when it opens a client after it lost touch with its server (the server ended, or
/// refused a client while its cycle was held up), closes and frees every other client of the
/// process, which the library still holds. A tracked device loses its handles to its client
/// before the client is freed: it counts as closed, and the library opens a new client when
/// the device is used again. Every device is tracked from its creation until just before
/// it is deleted.
void qrtTrackJackDevice(RtMidi* device);
void qrtUntrackJackDevice(RtMidi* device);

/// Waits until the output of a JACK client has room for a message of `size` bytes, at most
/// `timeoutMs`; false when it has none in time, or no client. True at once for another
/// service. The library itself waits for room without end, which freezes its caller for
/// good when the server no longer takes messages.
bool qrtWaitForJackRoom(RtMidiOut* device, std::size_t size, int timeoutMs);
