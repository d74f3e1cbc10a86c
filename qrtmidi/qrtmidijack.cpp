// SPDX-License-Identifier: MIT
#include "qrtmidijack.h"

#include <RtMidi.h>

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// How often a wait looks again; far below one period of the smallest usual size.
constexpr unsigned long kPollUs = 200;

// The library keeps a JACK client's handles in its own data, which starts with the client,
// its port and the output's ring buffer with the most it takes at once; these and the
// library's open flag are what closing and sending need. They are reached through the
// library's protected members by way of pointers to members, which needs no instance of the
// derived classes. That data is the library's own: the build compiles this file only for the
// releases whose layout has been checked (the port tests close, reopen and delete JACK
// clients through it), and the header must be the one the build chose it for.
constexpr bool sameText(const char* a, const char* b)
{
    return *a == *b && (*a == '\0' || sameText(a + 1, b + 1));
}
static_assert(sameText(RTMIDI_VERSION, TOLLMARK_RTMIDI_RELEASE),
    "RtMidi.h is not the release the build found; configure again");

struct JackHandles {
    jack_client_t* client;
    jack_port_t* port;
    jack_ringbuffer_t* outputBuffer;
    int outputMaxWrite;
};

// What libjack reports just before it closes and frees every client of the process (a test
// ends its server under open ports to see that this is still recognised).
const char kLibjackDropsClients[] = "clients are still allocated, cleanup";

std::mutex trackedLock;
std::vector<RtMidi*> tracked;

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

void forgetClient(RtMidi* device, JackHandles* handles)
{
    handles->client = nullptr;
    handles->port = nullptr;
    MidiApiAccess::markClosed(*RtMidiAccess::api(*device));
}

// Runs inside whichever call libjack reports from; only the report of a coming cleanup,
// which comes from inside a client's opening, touches the devices.
void onJackError(const char* message)
{
    std::fprintf(stderr, "%s\n", message);
    if (!std::strstr(message, kLibjackDropsClients))
        return;
    std::lock_guard<std::mutex> lock(trackedLock);
    for (RtMidi* device : tracked) {
        if (JackHandles* handles = handlesOf(device))
            forgetClient(device, handles);
    }
}

// Waits until `ready` holds, at most `timeoutMs`. What it looks at (the server's graph, a
// ring buffer) changes once a period, so a short poll is all it takes.
template <typename Ready> bool pollUntil(int timeoutMs, Ready ready)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!ready()) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(kPollUs);
    }
    return true;
}

} // namespace

// The library unregisters a port while its client is active. The client's notification
// thread meanwhile walks the client's port list for each latency notification that any
// change of the graph brings, and the unregistering erases from that same list: now and
// then the walk reads a freed node and the program dies. A port that is only closed keeps
// its registration and loses its connections instead, as a patchbay would take them away,
// and the next open connects it again. Taking the client out of the graph to unregister
// safely would cost more: libjack cancels the client's process thread on the way out and
// starts a new one on the way back, and each waits for the server's next cycle.
bool qrtDisconnectJackPort(RtMidi* device, int timeoutMs)
{
    JackHandles* handles = handlesOf(device);
    if (!handles || !handles->client || !handles->port)
        return false;
    jack_port_disconnect(handles->client, handles->port);
    // Until the server's graph drops the connections, the process callback may still
    // deliver what they carry.
    pollUntil(timeoutMs, [handles] { return jack_port_connected(handles->port) <= 0; });
    MidiApiAccess::markClosed(*RtMidiAccess::api(*device));
    return true;
}

// Deactivating waits for the notification under way (the server waits for its answer
// before it deactivates the client) and no further one is handled, and it ends the process
// callback, which the library's output otherwise lets read buffers it frees before it
// closes the client. The port stays: closing the client stops the notification thread
// first and then takes the port away.
void qrtCloseJackPort(RtMidi* device)
{
    JackHandles* handles = handlesOf(device);
    if (!handles || !handles->client)
        return;
    jack_deactivate(handles->client);
    handles->port = nullptr;
    MidiApiAccess::markClosed(*RtMidiAccess::api(*device));
}

void qrtTrackJackDevice(RtMidi* device)
{
    static std::once_flag hooked;
    std::call_once(hooked, [] { jack_set_error_function(&onJackError); });
    std::lock_guard<std::mutex> lock(trackedLock);
    tracked.push_back(device);
}

void qrtUntrackJackDevice(RtMidi* device)
{
    std::lock_guard<std::mutex> lock(trackedLock);
    tracked.erase(std::remove(tracked.begin(), tracked.end(), device), tracked.end());
}

// The library takes a message too large for its buffer as sent and drops it, so only room
// for one that fits is waited for.
bool qrtWaitForJackRoom(RtMidiOut* device, std::size_t size, int timeoutMs)
{
    JackHandles* handles = handlesOf(device);
    if (!handles)
        return true;
    if (!handles->client)
        return false;
    const std::size_t needed = size + sizeof(int);
    if (needed > std::size_t(handles->outputMaxWrite))
        return true;
    return pollUntil(timeoutMs,
        [handles, needed] { return jack_ringbuffer_write_space(handles->outputBuffer) >= needed; });
}

// A connection carries data once the server has switched to the graph that holds it, at
// the start of a later cycle; the count of connections is read from that current graph.
bool qrtWaitForJackConnection(RtMidi* device, int timeoutMs)
{
    JackHandles* handles = handlesOf(device);
    if (!handles || !handles->port)
        return true;
    return pollUntil(timeoutMs, [handles] { return jack_port_connected(handles->port) > 0; });
}
