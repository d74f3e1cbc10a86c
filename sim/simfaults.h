// SPDX-License-Identifier: MIT
// Misbehaviours a simulated unit can be told to show, for tests of the protocol's robustness.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

struct SimFaults {
    /// Request function bytes (model query: 00) that get no reply; state still changes.
    QSet<quint8> unanswered;
    /// Drop every n-th reply (0: none). Unprompted notices do not count.
    int dropEvery = 0;
    /// Drop each reply with this probability, from a generator seeded with dropSeed.
    double dropRate = 0.0;
    quint32 dropSeed = 1;
    /// Send each reply (and notice) this many milliseconds after its request.
    int delayMs = 0;
    /// Send the tempo beat F0 00 01 74 mm 10 F7 every tempoMs milliseconds (0: off).
    int tempoMs = 0;
    /// Send the next of noiseMessages every noiseMs milliseconds (0: off).
    int noiseMs = 0;
    QList<QByteArray> noiseMessages { QByteArray(1, char(0xF8)), QByteArray(1, char(0xFE)) };
    /// Added to the block, parameter or cabinet number echoed in replies (0: echo truly).
    int echoBlockOffset = 0;
    int echoParamOffset = 0;
    int echoCabOffset = 0;
    /// Request function bytes whose replies are cut to their first half, closed with F7.
    QSet<quint8> truncated;
    /// Request function bytes whose replies have their last payload byte changed, the
    /// checksum left as it was.
    QSet<quint8> damaged;
    /// Send every message received straight back, before its reply, as a MIDI loop does.
    bool echoRequests = false;
    /// Hold everything the unit sends for stallMs milliseconds, then send it in order, as a
    /// unit busy for a moment does: at the stallAtRequest-th request (from 1, the model query
    /// included; 0: never), and at the first block grid query of preset index stallPreset that
    /// is not muted (-1: none).
    int stallMs = 0;
    int stallAtRequest = 0;
    int stallPreset = -1;
    /// The same at every preset index that is a non-zero multiple of stallEvery (0: none).
    int stallEvery = 0;
    /// Request function bytes answered with these raw messages instead of the reply.
    QHash<quint8, QList<QByteArray>> replaceReplies;
    /// The block grid query of this preset gets no reply (-1: none), so its cabinets cannot
    /// be read: always, or only the first muteTimes times it is asked (0: always).
    int mutePreset = -1;
    int muteTimes = 0;
    /// Once this preset is selected, nothing is answered any more, as by a unit switched off
    /// with its ports left open (-1: never).
    int silentFromPreset = -1;
    /// Close both ports once the n-th request has been received and answered (0: never).
    int closeAfterRequests = 0;

    /// Forms of reply the protocol allows beside the usual ones: names that end at the
    /// checksum without their 00; parameter value replies of this many bytes (13 or more;
    /// 0: the usual 17); preset name replies with this number in bytes 6-7 instead of the
    /// preset's (-1: the preset's).
    bool namesUnended = false;
    int valueReplyLength = 0;
    int presetNameNumber = -1;
    /// Replies to these request functions sent twice, while the unit's preset index is a
    /// multiple of twiceEvery.
    QSet<quint8> twice;
    int twiceEvery = 1;
    /// Every unaskedMs milliseconds (0: off) a message nobody asked for: alternately a
    /// parameter value of the amp block and the unit's preset number.
    int unaskedMs = 0;
    /// The first program change to this preset index is ignored: no change, no notice (-1:
    /// none).
    int ignoreProgramChange = -1;
    /// Announce the preset after a program change (false: as units that never do).
    bool presetNotices = true;
    /// Block grid and parameter value replies sent lateMs milliseconds late while the unit's
    /// preset index is a multiple of lateEvery (0: never).
    int lateMs = 0;
    int lateEvery = 1;
};
