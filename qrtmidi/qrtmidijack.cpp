// SPDX-License-Identifier: MIT
#include "qrtmidijack.h"

#include <RtMidi.h>

#include <jack/jack.h>

#include <QDeadlineTimer>
#include <QThread>

namespace {

// How often a wait for a connection looks at the graph; far below one period of the
// smallest usual size.
constexpr unsigned long kConnectionPollUs = 200;

// The library keeps a JACK client's handles in its own data, which starts with the client
// and its port; these two and the library's open flag are what closing needs. They are
// reached through the library's protected members by way of pointers to members, which
// needs no instance of the derived classes. That data is the library's own, so another
// version must be checked before it is built against (the port tests close, reopen and
// delete JACK clients through it).
constexpr bool sameText(const char* a, const char* b)
{
    return *a == *b && (*a == '\0' || sameText(a + 1, b + 1));
}
static_assert(sameText(RTMIDI_VERSION, "5.0.0"), "check the layout of RtMidi's JackMidiData");

struct JackHandles {
    jack_client_t* client;
    jack_port_t* port;
};

struct RtMidiAccess : RtMidi {
    static MidiApi* api(RtMidi& device) { return device.*(&RtMidiAccess::rtapi_); }
};

struct MidiApiAccess : MidiApi {
    static JackHandles* handles(MidiApi& api)
    {
        return static_cast<JackHandles*>(api.*(&MidiApiAccess::apiData_));
    }
    static void markClosed(MidiApi& api) { api.*(&MidiApiAccess::connected_) = false; }
};

bool isJack(RtMidi* device)
{
    if (auto* in = dynamic_cast<RtMidiIn*>(device))
        return in->getCurrentApi() == RtMidi::UNIX_JACK;
    if (auto* out = dynamic_cast<RtMidiOut*>(device))
        return out->getCurrentApi() == RtMidi::UNIX_JACK;
    return false;
}

JackHandles* handlesOf(RtMidi* device)
{
    if (!isJack(device))
        return nullptr;
    MidiApi* api = RtMidiAccess::api(*device);
    return api ? MidiApiAccess::handles(*api) : nullptr;
}

} // namespace

// The library unregisters the port while its client is active. The client's notification
// thread meanwhile walks the client's port list for each latency notification that any
// change of the graph brings, and the unregistering erases from that same list: now and
// then the walk reads a freed node and the program dies. Deactivating waits for the
// notification under way (the server waits for its answer before it deactivates the
// client) and no further one is handled, and it ends the process callback, which the
// library's output otherwise lets read buffers it is about to free. A client about to be
// deleted keeps its port: closing the client stops the notification thread first and then
// takes the port away.
void qrtCloseJackPort(RtMidi* device, bool keepClient)
{
    JackHandles* handles = handlesOf(device);
    if (!handles || !handles->client || !handles->port)
        return;
    jack_deactivate(handles->client);
    if (keepClient)
        jack_port_unregister(handles->client, handles->port);
    handles->port = nullptr;
    MidiApiAccess::markClosed(*RtMidiAccess::api(*device));
    if (keepClient)
        jack_activate(handles->client);
}

// A connection carries data once the server has switched to the graph that holds it, at
// the start of a later cycle; the count of connections is read from that current graph.
bool qrtWaitForJackConnection(RtMidi* device, int timeoutMs)
{
    JackHandles* handles = handlesOf(device);
    if (!handles || !handles->port)
        return true;
    QDeadlineTimer deadline(timeoutMs);
    while (jack_port_connected(handles->port) <= 0) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(kConnectionPollUs);
    }
    return true;
}
