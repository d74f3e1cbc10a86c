// SPDX-License-Identifier: MIT
// The simulated unit's behaviour without any I/O: given a parsed request, change the state
// and produce the reply and the unprompted notices, with the content faults applied.
#pragma once

#include "simbank.h"
#include "simfaults.h"
#include "simrequest.h"

#include <QByteArray>
#include <QList>
#include <QSet>

struct SimAnswer {
    QList<QByteArray> replies; // the reply, or the messages that replace it
    QList<QByteArray> notices; // unprompted messages the request causes
    int stallMs = 0; // how long the unit holds everything it sends from now on
    int lateMs = 0; // how much later than the others the replies go out
};

class SimDevice {
public:
    static constexpr int kGridReplySize = 200;
    static constexpr int kModelReplySize = 10;
    static constexpr int kDisplayOffsetReplySize = 13;
    static constexpr int kParamInfoReplySize = 33;

    explicit SimDevice(const SimBank& bank = SimBank::builtIn())
        : state(bank)
    { }

    SimBank& bank() { return state; }
    const SimBank& bank() const { return state; }

    /// What the unit does for one request. Requests for another model, requests outside the
    /// layout and messages that are no request get nothing.
    SimAnswer answer(const SimRequest& request, const SimFaults& faults = {});
    /// The tempo beat, which carries no checksum.
    QByteArray tempoBeat() const;
    /// The n-th message the unit sends unasked: a parameter value of the amp block, or its
    /// preset number.
    QByteArray unasked(int n) const;

private:
    bool addressedToMe(const SimRequest& request) const;
    bool muted(const SimRequest& request, const SimFaults& faults);
    int stallFor(const SimRequest& request, bool mute, const SimFaults& faults);
    SimAnswer respond(const SimRequest& request, const SimFaults& faults);
    void applyReplyFaults(quint8 function, SimAnswer& answer, const SimFaults& faults) const;

    QByteArray modelReply() const;
    QByteArray displayOffsetReply() const;
    SimAnswer programChange(int preset, bool announce);
    QByteArray blockGridReply() const;
    void selectXY(quint16 block, bool y);
    QByteArray paramValueReply(const SimRequest& request, const SimFaults& faults) const;
    QByteArray cabNameReply(int cab, const SimFaults& faults) const;
    QByteArray presetNameReply(int preset, const SimFaults& faults) const;
    QByteArray presetNotice() const;
    QByteArray paramInfoReply(const SimRequest& request, const SimFaults& faults) const;
    QByteArray paramStringsReply(const SimRequest& request) const;

    int paramValue(quint16 block, quint16 param) const;
    const SimPreset* current() const;
    QByteArray reply(quint8 function, const QByteArray& payload) const;

    SimBank state;
    int mutedSoFar = 0;
    int requestsSeen = 0;
    QSet<int> stalledGrids; // presets whose grid query was held
    bool silenced = false;
    bool programChangeIgnored = false;
};
