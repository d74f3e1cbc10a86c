// SPDX-License-Identifier: MIT
// The window's choice of MIDI ports, remembered in its settings, and the trace of its last
// scan saved for a report of a problem with the unit.
#include "mainwindow.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace {

const char kPortKey[] = "MidiPort";
const char kLastFolderKey[] = "LastFolder";

} // namespace

void MainWindow::restorePortChoice()
{
    const QString text = settings.value(kPortKey).toString();
    if (!text.isEmpty())
        axeFx.portSearchText = text;
}

// Which ports were searched when none answered.
QString MainWindow::searchNote(ScanJob::Outcome outcome) const
{
    return outcome != ScanJob::NoDevice
        ? QString()
        : tr(" on the ports whose names contain \"%1\" (MIDI port… chooses others)")
              .arg(axeFx.portSearchText);
}

// Which of several matching ports the search took, after the outcome.
QString MainWindow::withPortChoice(const QString& text) const
{
    if (axeFx.portChoice.isEmpty())
        return text;
    return text.isEmpty() ? axeFx.portChoice : text + QStringLiteral("; ") + axeFx.portChoice;
}

void MainWindow::chooseMidiPort()
{
    if (job.isRunning())
        return;
    // The names without their "in" and "out", so that one text finds both directions.
    QStringList names(axeFx.portSearchText);
    for (QRtMidi* port :
        { static_cast<QRtMidi*>(&axeFx.midiOut), static_cast<QRtMidi*>(&axeFx.midiIn) }) {
        if (port->update()) {
            for (const QString& name : port->getPortNames())
                names << QRtMidi::filterPortName(name);
        }
    }
    names.removeDuplicates();
    bool chosen = false;
    const QString text = QInputDialog::getItem(this, tr("MIDI port"),
        tr("Scan through the MIDI ports whose names contain (in any letter case):"), names, 0, true,
        &chosen)
                             .trimmed();
    if (chosen && !text.isEmpty())
        usePorts(text);
}

void MainWindow::usePorts(const QString& text)
{
    axeFx.portSearchText = text;
    settings.setValue(kPortKey, text);
    // A unit reached through other ports is left: the scan searches afresh.
    axeFx.model = 0;
    refresh();
}

void MainWindow::saveTrace()
{
    const QString command = tr("Save MIDI trace");
    if (job.isRunning())
        return;
    if (trace.isEmpty()) {
        QMessageBox::information(this, command, tr("No scan has sent anything yet."));
        return;
    }
    const QString fileName = QFileDialog::getSaveFileName(
        this, command, settings.value(kLastFolderKey).toString(), tr("MIDI traces (*.txt)"));
    if (fileName.isEmpty())
        return;
    QString reason;
    if (!trace.save(fileName, &reason))
        return reportNotWritten(command, fileName, reason);
    rememberFolder(fileName);
}
