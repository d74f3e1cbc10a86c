// SPDX-License-Identifier: MIT
#include "scantrace.h"

#include "axefx.h"
#include "builddescription.h"
#include "wholefile.h"

#include <qrtmiditrace.h>

#include <QIODevice>

ScanTrace::ScanTrace(AxeFX& link)
    : link(link)
    , recorder(std::make_unique<QRtMidiRecorder>())
{
    link.midiOut.setRecorder(recorder.get());
    link.midiIn.setRecorder(recorder.get());
}

ScanTrace::~ScanTrace()
{
    link.midiOut.setRecorder(nullptr);
    link.midiIn.setRecorder(nullptr);
}

void ScanTrace::restart()
{
    recorder->restart();
}

bool ScanTrace::isEmpty() const
{
    return recorder->entries().isEmpty();
}

QByteArray ScanTrace::text() const
{
    const QString model = link.model
        ? QStringLiteral("%1 (hex)").arg(link.model, 2, 16, QLatin1Char('0'))
        : QStringLiteral("none, the unit was not found");
    const QString build = QStringLiteral("Tollmark ") + tollmarkBuildDescription();
    const QStringList header { QStringLiteral("Tollmark MIDI trace"),
        QString(build).replace(QLatin1Char('\n'), QStringLiteral(", ")),
        QStringLiteral("MIDI service: %1").arg(link.midiOut.getServiceName()),
        QStringLiteral("output port: %1").arg(link.midiOut.getPortName()),
        QStringLiteral("input port: %1").arg(link.midiIn.getPortName()),
        QStringLiteral("model byte: %1").arg(model),
        QStringLiteral("time in ms from the start, out to the unit or in from it, the bytes") };
    return qrtmiditrace::toText(header, recorder->entries());
}

bool ScanTrace::save(const QString& fileName, QString* reason) const
{
    const QByteArray bytes = text();
    return saveWholeFile(
        fileName, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); }, reason);
}
