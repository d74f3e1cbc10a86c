// SPDX-License-Identifier: MIT
// Closing and connecting ports of the library's JACK clients safely: the library closes a
// JACK port while its client's own threads still use it, and reports a connection before
// it carries data. Every port and client of the port layer is closed through these.
#pragma once

class RtMidi;

/// Closes the open port of a JACK client with its client out of the process graph, so that
/// neither the process callback nor the notification thread runs while the port goes
/// away. With `keepClient` the client joins the graph again without the port; without it
/// the client must be deleted next, which removes the port. Does nothing for a client
/// without a port or one of another service; the library's closePort() does the rest.
void qrtCloseJackPort(RtMidi* device, bool keepClient);

/// Waits until the open port of a JACK client has a connection the server's current graph
/// carries, at most `timeoutMs`; true when it has. True at once for another service.
bool qrtWaitForJackConnection(RtMidi* device, int timeoutMs);
