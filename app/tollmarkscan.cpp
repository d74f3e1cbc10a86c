// SPDX-License-Identifier: MIT
// tollmark-scan: the window's scan from the command line, writing the cross-reference tables
// as the window's CSV export does.
#include "axefx.h"
#include "axefxcatalogue.h"
#include "csvexport.h"
#include "scaninterrupt.h"
#include "scanjob.h"
#include "scanoptions.h"
#include "scanprogress.h"

#include <qrtmidiin.h>
#include <qrtmidiout.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

enum ExitStatus {
    kComplete = 0,
    kNoDevice = 1,
    kInterrupted = 2,
    kNotWritable = 3,
    kUsage = 64,
};

void printLine(std::FILE* stream, const QString& line)
{
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
}

int fail(int status, const QString& reason)
{
    printLine(stderr, QStringLiteral("tollmark-scan: ") + reason);
    return status;
}

int listPorts()
{
    QRtMidiIn in;
    QRtMidiOut out;
    if (!in.init() || !out.init())
        return fail(kNoDevice, QStringLiteral("the MIDI service cannot be reached"));
    QString text = QStringLiteral("Input ports:\n");
    for (const QString& name : in.getPortNames())
        text += QStringLiteral("  %1\n").arg(name);
    text += QStringLiteral("Output ports:\n");
    for (const QString& name : out.getPortNames())
        text += QStringLiteral("  %1\n").arg(name);
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? kComplete
                                    : fail(kNotWritable, QStringLiteral("cannot write the list"));
}

// Whether the output can be written the way it will be, without changing anything: an
// existing file must open for writing, and its folder must take the temporary file the new
// content is written to before it replaces the old.
bool checkWritable(const QString& path, QString& reason)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        reason = QStringLiteral("%1 is a folder").arg(path);
        return false;
    }
    if (info.exists()) {
        QFile existing(path);
        if (!existing.open(QIODevice::WriteOnly | QIODevice::Append)) {
            reason = QStringLiteral("cannot write %1: %2").arg(path, existing.errorString());
            return false;
        }
    }
    const QString folder = info.absolutePath();
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tollmark-scan-XXXXXX")));
    if (!probe.open()) {
        reason = QStringLiteral("cannot write %1: %2").arg(path, probe.errorString());
        return false;
    }
    return true;
}

// The views of a scan's result as CSV, labelled in the layout the scan read. A scan stopped
// before the cabinet usage has only names, labelled in the layout of the unit found.
QList<CsvExport::Table> tablesOf(AxeFX& axeFx, const ScanResult& result, const ScanOptions& options)
{
    const bool usageRead = !result.presetCabs.isEmpty();
    const AxeFxCatalogue names(axeFx, usageRead ? result.model : axeFx.model,
        usageRead ? result.displayOffset : axeFx.displayOffset);
    const CrossReference tables(names, result.presetCabs, result.cabPresets);
    QList<CsvExport::Table> out;
    for (CrossReference::View view : options.views)
        out.append({ view, tables.rows(view, CrossReference::Full) });
    return out;
}

bool writeOutput(const QString& path, const QList<CsvExport::Table>& tables)
{
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    if (!path.isEmpty())
        return CsvExport::save(path, tables, separator);
    QFile out;
    return out.open(stdout, QIODevice::WriteOnly | QIODevice::Text)
        && CsvExport::write(out, tables, separator) && out.flush();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tollmark-scan"));

    ScanOptions options;
    QString reason;
    if (!ScanOptions::parse(app.arguments(), options, reason))
        return fail(kUsage, reason + QStringLiteral(" (see --help)"));
    if (options.showHelp) {
        std::fputs(options.helpText.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? kComplete : kNotWritable;
    }
    if (options.listPorts)
        return listPorts();
    if (!options.output.isEmpty() && !checkWritable(options.output, reason))
        return fail(kNotWritable, reason);

    ScanInterrupt interrupt;
    AxeFX axeFx;
    ScanJob job(axeFx);
    QObject::connect(&interrupt, &ScanInterrupt::interrupted, &job, &ScanJob::stop);
    ScanProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
    QObject::connect(&job, &ScanJob::progress, &job,
        [&progress](ScanJob::Phase phase, int percent) { progress.show(phase, percent); });

    const ScanJob::Outcome outcome = job.run();
    progress.finish();
    if (outcome == ScanJob::NoDevice)
        return fail(
            kNoDevice, QStringLiteral("no AxeFx found on the MIDI ports (see --list-ports)"));
    if (outcome == ScanJob::Stopped && !options.keepPartial)
        return fail(kInterrupted, QStringLiteral("scan interrupted; nothing written"));

    if (!writeOutput(options.output, tablesOf(axeFx, job.result(), options)))
        return fail(kNotWritable,
            options.output.isEmpty() ? QStringLiteral("cannot write to standard output")
                                     : QStringLiteral("cannot write %1").arg(options.output));
    if (outcome == ScanJob::Stopped)
        return fail(kInterrupted,
            QStringLiteral("scan interrupted; wrote the cabinets of %1 of %2 presets")
                .arg(job.result().presetsScanned)
                .arg(axeFx.PresetCount()));
    return kComplete;
}
