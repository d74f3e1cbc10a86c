// SPDX-License-Identifier: MIT
// The common base of the MIDI input and output ports: one RtMidi client, the table of the
// ports it reports, opening one of them by name, and the text of the last failure.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <string>

class QRtMidiRecorder;
class RtMidi;

class QRtMidi : public QObject {
    Q_OBJECT

public:
    QRtMidi();
    ~QRtMidi() override;

    /// Throws away any old client (closing its port and forgetting the selected name),
    /// creates a new one and builds the port table. False when no MIDI service can be used;
    /// the error text then says why.
    bool init();
    /// Creates the client if none exists and rebuilds the port table; an open port stays open.
    bool update();
    /// Forgets the port table and the selected name and destroys the client.
    void destroy();
    /// Fills the port table from `device`: each reported name mapped to its port number, a
    /// name reported more than once to the highest of its numbers.
    void buildPortNameList(RtMidi* device);
    /// The distinct port names of the table, in ascending port-number order.
    QStringList getPortNames() const;
    /// The number of ports the library reports now (not the size of the table); 0 without a
    /// client.
    unsigned int getPortCount();
    /// A copy of `name` without its "in"/"out" direction words (a blank or dash followed by
    /// In or Out, any case) and with each pair of blanks made one.
    static QString filterPortName(const QString& name);

    /// Opens the port called `name` (exactly as the library lists it now), or the port
    /// selected before when `name` is empty; a port open before is closed first. `option` is
    /// handed to setupAfterOpen(). True when the port is open; otherwise the error text says
    /// why.
    bool open(QString name, unsigned int option);
    /// Closes the open port; the selected name stays, so open() with an empty name reopens it.
    void close();
    /// True while a port is open.
    bool isOpen() const;
    /// True while a client exists.
    bool isOk() const;

    /// Empties the error text.
    void clearLastStatus();
    /// Appends `text` to the error text.
    void setError(const char* text);
    /// Appends `text`, " : " and the library's `message` to the error text.
    void setError(const char* text, const std::string& message);
    /// Appends `prefix`, `text` and `suffix` to the error text.
    void setError(const char* prefix, QString text, const char* suffix);
    /// The text of the last failures; empty when there were none.
    QString getLastErrorString() const;

    /// The name of the port opened last, as open() was given it; empty before the first.
    QString getPortName() const { return portName; }
    /// The MIDI service of the client, as the library names it; empty without a client.
    QString getServiceName() const;
    /// Hands every message sent or received from now on to `recorder`, or to none when it is
    /// null. The port does not own it; once this returns, the port no longer uses the old one.
    virtual void setRecorder(QRtMidiRecorder* recorder) { tracer.store(recorder); }

protected:
    /// Called just before the port is closed.
    virtual void stopIo();
    /// Called right after the library has opened the port, with open()'s option value.
    virtual void setupAfterOpen(unsigned int option);
    /// The client, or null when none exists.
    virtual RtMidi* getRtMidi() const = 0;
    /// Creates the client; false, with the reason in the error text, when no service can be
    /// used.
    virtual bool createRtMidiDev() = 0;
    /// Closes the client's port and deletes the client, if one exists.
    virtual void destoryRtMidiDev() = 0;

    // Set and read on the port's own thread, and for arrivals on the library's thread.
    std::atomic<QRtMidiRecorder*> tracer { nullptr };

private:
    int currentPortNumber();
    void closeOpenPort();

    QString lastErrorString;
    QHash<QString, int> portNameHash;
    QString portName;
    int portIndex = -1;
};
