// SPDX-License-Identifier: MIT
// The program's link to an AxeFx: finds it among the MIDI ports, sends its SysEx requests one
// at a time and waits for each reply without blocking the window, and reads the name
// catalogues and the cabinets each preset uses.
#pragma once

#include "axefxmessage.h"
#include "axefxreply.h"

#include <qrtmidiin.h>
#include <qrtmidiout.h>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

class AxeFX : public QObject {
    Q_OBJECT

public:
    AxeFX();
    ~AxeFX() override;

    // The waits of the protocol's own API, which the program does not call: it sends its
    // requests and reads the replies through the operations below.

    // The oldest message not yet taken, or the next to arrive before one second of silence.
    bool WaitForMessage(QByteArray& out);
    bool WaitForMessage(std::vector<unsigned char, std::allocator<unsigned char>>* out);
    // Skips messages until one holds an intact reply of this function; appends it whole.
    bool WaitForInfiniteAnswer(QByteArray& out, unsigned char function);
    bool SendRawBufferAndWaitForInfiniteAnswer(
        unsigned char* buf, unsigned int len, unsigned char function, QByteArray& out);

    // What the last findAxeFx() came to: no port of the unit, ports whose unit did not answer
    // the model query (asked twice), or a unit found.
    enum class Search { NoPorts, Unanswered, Found };
    // Opens the first output and the first input port whose names contain portSearchText.
    bool findAxeFx();
    Search lastSearch() const { return searched; }
    // True when the unit answered, which also shows that the link still stands;
    // displayOffsetRead tells the same until the next query.
    bool ReadDisplayOffset();
    bool isConnected();
    bool PC(int preset);
    void SetXY(unsigned short block, bool y);

    bool FillCabNames();
    bool FillPresetNames();
    // One name, as the fills read each: true when the unit answered with an intact reply.
    bool ReadCabName(int index);
    bool ReadPresetName(int index);
    // How many names the last fill asked for, from the first: a stop leaves the rest unasked.
    int namesAsked() const { return asked; }
    QString CabName(unsigned short cab);
    // The same in the layout of another model byte, as a result read earlier shows it.
    QString CabName(unsigned short cab, quint8 layoutModel);
    QString PresetName(int preset);
    int PresetCount();
    int CabCount();

    // Asks the name fills to stop before their next query; holds until clearStop().
    void requestStop();
    void clearStop();

    bool GetPresetCabs(int preset, QList<int>& out);
    // The same, and which of the numbers in out the blocks use in their X settings and which in
    // their Y settings, each in block order: a cabinet in both settings is in both lists.
    bool GetPresetCabs(int preset, QList<int>& out, QList<int>& x, QList<int>& y);
    bool AskForParameterInfos(unsigned short block, unsigned short param, param_infos* infos);
    bool AskForParameterStrings(unsigned short block, unsigned short param, QStringList& list);

    // Requests since the link was made that got no usable reply (none, a damaged one, or one
    // about something else) and messages that were not sent. A reading whose count did not
    // change on the way is complete.
    int readFailures() const { return failures; }
    // Requests awaiting a reply that got no usable one, one after the other, up to now.
    int unansweredInARow() const { return unansweredRun; }
    // Starts the count above afresh, as a new scan does.
    void clearUnansweredRun() { unansweredRun = 0; }
    // Whether the last request without a usable reply heard its reply damaged or cut, rather
    // than nothing.
    bool lastFailureDamaged() const { return failureDamaged; }

    // Replies that name no number (a preset name, a block grid, the display offset) are
    // believed only while the link is in step, and held as unconfirmed until a reply that
    // names its number, or a query that brings the link in step, shows that nothing owed came
    // in between. confirmReadings() asks that query now if any are unconfirmed; false when it
    // went unanswered. A sign of being out of step withdraws every unconfirmed reading: a
    // name's read flag is cleared and a preset's cabinets are listed by takeWithdrawnUsages().
    bool confirmReadings();
    QList<int> takeWithdrawnUsages();

    static unsigned char GetChecksum(unsigned char* buf, unsigned int len);
    static unsigned int DecodeInt32(unsigned char* bytes);
    static float DecodeFloat32(unsigned char* bytes);

    QRtMidiOut midiOut;
    QRtMidiIn midiIn;
    // What findAxeFx() looks for in the port names, in any letter case: "AXE" unless set.
    QString portSearchText;
    // Set by findAxeFx() when more than one port matched: which it took and which it left.
    QString portChoice;
    quint8 model = 0;
    QVector<QString> cabNames;
    QVector<QString> presetNames;
    // Which of the names above the unit gave, by the same index.
    QVector<bool> cabNameRead;
    QVector<bool> presetNameRead;
    quint8 displayOffset = 0;
    // Whether the last display offset query was answered; displayOffset is older otherwise.
    bool displayOffsetRead = false;

signals:
    void CabNamePercent(int percent);
    void PresetNamePercent(int percent);
    // A request awaiting a reply got no usable one; inARow counts such requests since the last
    // reply.
    void requestUnanswered(int inARow);

public slots:
    // Ends the innermost wait for a reply; connected to midiIn's dataIn(). Public for a probe
    // that must see each arrival before the wait does, and so connects itself ahead of it.
    void wakeWait();

private:
    class Wait;

    // Sends len bytes as one message; every request starts with an empty inbox, so nothing
    // that came before can pass for its reply. False when the MIDI library refused the message
    // or reported it failed, which makes the wait that follows end at once with no answer.
    bool SendRAWBuffer(unsigned char* buf, unsigned int len);
    // Sends, then waits for an intact reply of replyLength bytes; copies it into out when not
    // null.
    bool SendRawBufferAndWaitForAnswer(unsigned char* buf, unsigned int len,
        unsigned int replyLength, unsigned char function, unsigned char* out);
    bool GetCabsPresent(bool& cab1, bool& cab2);
    template <typename T> bool GetParamValue(unsigned short block, unsigned short param, T& value);
    // inX, if given, receives how many of the numbers appended come from the X setting.
    bool GetCabsUsed(unsigned char which, QList<int>& list, int* inX = nullptr);
    // One setting of a cabinet block: false when its cabinet or its mode went unread.
    bool readCabSetting(unsigned short block, bool ySetting, QList<int>& list);

    enum class Heard { Reply, Damaged, Nothing };
    // A reading that names no number, held until the link is known to have been in step.
    struct Reading {
        enum Kind { PresetName, Usage, DisplayOffset } kind;
        int index;
    };

    axefx::ReplyPattern replyPattern(unsigned char function, int length = -1) const;
    Heard awaitReply(
        const axefx::ReplyPattern& pattern, const QByteArray& request, QByteArray& reply, int& at);
    bool exchange(unsigned char* bytes, unsigned int size, const axefx::ReplyPattern& pattern,
        QByteArray& reply, int& at);
    bool exchange(
        axefx::Message message, const axefx::ReplyPattern& pattern, QByteArray& reply, int& at);
    bool settle();
    bool isLoopCopy(const QByteArray& message);
    bool isPresetNotice(const QByteArray& message);
    void noteStray(const QByteArray& message);
    void holdUnconfirmed(Reading::Kind kind, int index);
    void confirm();
    void withdraw();
    void clearInbox();
    bool send(axefx::Message message);
    bool queryModel();
    bool noteAnswer(bool answered);
    bool fillNames(QVector<QString>& names, QVector<bool>& read, int count,
        bool (AxeFX::*readOne)(int), void (AxeFX::*percent)(int));
    void prepareNames(QVector<QString>& names, QVector<bool>& read, int count, bool keep);
    void resetLink();

    Wait* activeWait = nullptr;
    bool lastSendFailed = false;
    Search searched = Search::NoPorts;
    // A reply may still be owed to an earlier request; see settle().
    bool outOfStep = false;
    // Requests since the link was last known in step, the replies taken for them, and those
    // that went unanswered, whose replies may still come.
    QList<axefx::ReplyPattern> askedSinceInStep;
    QList<QByteArray> takenSinceInStep;
    QList<axefx::ReplyPattern> owed;
    QList<Reading> unconfirmed;
    QList<int> withdrawnUsages;
    bool withdrawnNow = false;
    int settleCab = 0;
    // Recent requests, and whether a reply could be the same bytes; a copy of one that no
    // reply can equal shows a MIDI loop, after which copies of requests are not replies.
    struct Sent {
        QByteArray bytes;
        bool replyMayEqual;
    };
    QList<Sent> sentRecently;
    bool loopSeen = false;
    // A unit that announces its preset after a program change has its changes confirmed.
    bool announcesPreset = false;
    int presetAsked = -1;
    bool presetConfirmed = false;
    bool stopRequest = false;
    bool failureDamaged = false;
    int failures = 0;
    int asked = 0;
    int unansweredRun = 0;
};

namespace axefx {
// Percentage of count steps once done of them are done, rounded down.
int percentDone(int done, int count);
} // namespace axefx
