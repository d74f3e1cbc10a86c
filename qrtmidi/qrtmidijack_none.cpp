// SPDX-License-Identifier: MIT
// The stand-in for the JACK handling where it is not built: without JACK, or with an RtMidi
// release whose private data it does not know. Every client counts as one of another service,
// so the library's own closing, connecting and sending are used.
#include "qrtmidijack.h"

bool qrtDisconnectJackPort(RtMidi*, int)
{
    return false;
}

void qrtCloseJackPort(RtMidi*) { }

bool qrtWaitForJackConnection(RtMidi*, int)
{
    return true;
}

void qrtTrackJackDevice(RtMidi*) { }

void qrtUntrackJackDevice(RtMidi*) { }

bool qrtWaitForJackRoom(RtMidiOut*, std::size_t, int)
{
    return true;
}
