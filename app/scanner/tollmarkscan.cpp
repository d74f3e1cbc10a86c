// SPDX-License-Identifier: MIT
// tollmark-scan: the window's scan from the command line, writing the cross-reference tables
// as the window's CSV and PDF exports do, the whole result as JSON, the unused cabinet slots,
// or what changed since a saved scan.
#include "axefx.h"
#include "axefxlabel.h"
#include "builddescription.h"
#include "csvexport.h"
#include "headlessgui.h"
#include "jsonexport.h"
#include "jsonimport.h"
#include "pdfexport.h"
#include "scancomparison.h"
#include "scaninterrupt.h"
#include "scanjob.h"
#include "scanoptions.h"
#include "scanprogress.h"
#include "scantrace.h"
#include "terminal.h"
#include "unusedcabs.h"
#include "wholefile.h"

#include <qrtmidiin.h>
#include <qrtmidiout.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryFile>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

enum ExitStatus {
    kComplete = 0,
    kNoDevice = 1,
    kInterrupted = 2,
    kNotWritable = 3,
    kNotRead = 4,
    kLost = 5,
    // diff's 1 for differences is taken by "no device" here, which scripts already rely on.
    kDiffer = 6,
    kUnreadable = 7,
    kUsage = 64,
};

void printLine(std::FILE* stream, const QString& line)
{
    std::fprintf(stream, "%s\n", line.toUtf8().constData());
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
    std::fputs(text.toUtf8().constData(), stdout);
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

// What goes out: the writer that fills the file or standard output and says whether it
// succeeded.
using Output = std::function<bool(QIODevice&)>;

Output bytesOutput(const QByteArray& bytes)
{
    return [bytes](QIODevice& device) { return writeAll(device, bytes); };
}

Output textOutput(const QString& text)
{
    return bytesOutput(text.toUtf8());
}

// A file starts with the byte order mark that spreadsheets need to read it as UTF-8;
// standard output goes to other programs, which would take the mark for text.
Output csvOutput(const QList<CsvExport::Table>& csv, bool toFile)
{
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    const auto start = toFile ? CsvExport::ByteOrderMark : CsvExport::Plain;
    return [csv, separator, start](
               QIODevice& device) { return CsvExport::write(device, csv, separator, start); };
}

Output csvOutput(
    const CrossReference& tables, const QList<CrossReference::View>& views, bool toFile)
{
    QList<CsvExport::Table> csv;
    for (CrossReference::View view : views)
        csv.append({ view, tables.rows(view) });
    return csvOutput(csv, toFile);
}

Output pdfOutput(const PdfExport& pdf)
{
    return [pdf](QIODevice& device) { return pdf.write(device); };
}

Output jsonOutput(const QJsonDocument& document)
{
    return bytesOutput(document.toJson());
}

// One label a line, as the views show them.
QString labelLines(const ScanResult& result, const QList<int>& cabs)
{
    QString lines;
    for (int cab : cabs)
        lines += result.cabName(static_cast<unsigned short>(cab)) + QLatin1Char('\n');
    return lines;
}

Output outputOf(const ScanResult& result, const ScanOptions& options)
{
    const CrossReference tables(result);
    const JsonExport json(result);
    const QList<int> unused = options.unused ? unusedUserCabs(result) : QList<int>();
    switch (options.format) {
    case ScanOptions::Pdf:
        return pdfOutput(PdfExport(result, options.views.first()));
    case ScanOptions::Json:
        return jsonOutput(options.unused ? json.unusedDocument(unused) : json.document());
    case ScanOptions::Csv:
    case ScanOptions::Text:
        break;
    }
    return options.unused ? textOutput(labelLines(result, unused))
                          : csvOutput(tables, options.views, !options.output.isEmpty());
}

// The notes of the comparison, then one line a row: "U7(Greenback 2x12): was U7(Bedroom 1x12)".
QString comparisonText(const ScanComparison& comparison)
{
    QString text;
    for (const QString& note : comparison.notes())
        text += note + QLatin1Char('\n');
    for (const CrossReference::Row& row : comparison.rows())
        text += row.key + QStringLiteral(": ") + row.entries.join(QStringLiteral(", "))
            + QLatin1Char('\n');
    return text;
}

Output comparisonOutput(
    const ScanComparison& comparison, const ScanResult& newer, const ScanOptions& options)
{
    switch (options.format) {
    case ScanOptions::Pdf:
        return pdfOutput(PdfExport(newer, comparison));
    case ScanOptions::Json:
        return jsonOutput(comparison.document());
    case ScanOptions::Csv:
        // The table alone: what the notes say goes to standard error.
        for (const QString& note : comparison.notes())
            printLine(stderr, QStringLiteral("tollmark-scan: ") + note);
        return csvOutput(QList<CsvExport::Table> { { CrossReference::Changes, comparison.rows() } },
            !options.output.isEmpty());
    case ScanOptions::Text:
        break;
    }
    return textOutput(comparisonText(comparison));
}

// After the output is written: entries not compared leave the answer open, as entries not
// read do; otherwise diff's rule, with the status of its own for differences.
int comparisonStatus(const ScanComparison& comparison)
{
    if (!comparison.notCompared().isEmpty())
        return fail(
            kNotRead, comparison.summary() + QStringLiteral(" (listed as \"not compared\")"));
    printLine(stderr, QStringLiteral("tollmark-scan: ") + comparison.summary());
    return comparison.differs() ? kDiffer : kComplete;
}

bool loadScan(const QString& fileName, ScanResult& result, QString& reason)
{
    if (JsonImport::load(fileName, result, reason))
        return true;
    reason = QStringLiteral("%1 cannot be opened: %2").arg(fileName, reason);
    return false;
}

// One line on standard error for every entry the unit did not answer.
void listNotRead(const ScanResult& result)
{
    for (int cab = 0; cab < result.cabCount(); ++cab) {
        if (result.cabNameStates.at(cab) == ReadState::NotRead)
            printLine(stderr,
                QStringLiteral("tollmark-scan: not read: the name of cab %1")
                    .arg(axefx::cabLabel(static_cast<unsigned short>(cab), result.model)));
    }
    if (!result.displayOffsetRead)
        printLine(stderr,
            QStringLiteral("tollmark-scan: not read: the display offset; preset numbers assume %1")
                .arg(result.displayOffset));
    const auto number = [&](int preset) { return preset + result.displayOffset; };
    for (int preset = 0; preset < result.presetCount(); ++preset) {
        if (result.presetNameStates.at(preset) == ReadState::NotRead)
            printLine(stderr,
                QStringLiteral("tollmark-scan: not read: the name of preset %1")
                    .arg(number(preset)));
    }
    for (int preset : result.presets(ReadState::NotRead)) {
        printLine(stderr,
            QStringLiteral("tollmark-scan: not read: the cabs of preset %1 %2")
                .arg(number(preset))
                .arg(result.presetName(preset))
                .trimmed());
    }
}

// To the file, whole or not at all, or to standard output.
// Writes the output to its file or to standard output; when that fails, reason says what was
// not written and why.
bool writeOutput(const QString& path, const Output& output, QString& reason)
{
    if (!path.isEmpty()) {
        if (saveWholeFile(path, output, &reason))
            return true;
        reason = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    }
    QFile out;
    if (out.open(stdout, QIODevice::WriteOnly) && output(out) && out.flush())
        return true;
    reason = QStringLiteral("cannot write to standard output");
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    useUtf8StandardStreams();
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tollmark-scan"));

    ScanOptions options;
    QString reason;
    if (!ScanOptions::parse(QCoreApplication::arguments(), options, reason))
        return fail(kUsage, reason + QStringLiteral(" (see --help)"));
    if (options.format == ScanOptions::Pdf) {
        // The PDF report lays its text out in the system's fonts, which takes a GUI
        // application; the headless platform gives it one without a window. The other
        // outputs need neither.
        app.reset();
        chooseHeadlessPlatform();
        // Qt 5.15's offscreen platform plugin never frees its screen: its start-up stays out
        // of the leak check of sanitized builds.
#if defined(__SANITIZE_ADDRESS__)
        __lsan_disable();
#endif
        app = std::make_unique<QGuiApplication>(argc, argv);
#if defined(__SANITIZE_ADDRESS__)
        __lsan_enable();
#endif
    }
    if (options.showHelp || options.showVersion) {
        const QString text = options.showHelp
            ? options.helpText
            : QStringLiteral("tollmark-scan %1\n").arg(tollmarkBuildDescription());
        std::fputs(text.toUtf8().constData(), stdout);
        return std::fflush(stdout) == 0 ? kComplete : kNotWritable;
    }
    if (options.listPorts)
        return listPorts();
    for (const QString& path : { options.output, options.trace }) {
        if (!path.isEmpty() && !checkWritable(path, reason))
            return fail(kNotWritable, reason);
    }
    ScanResult older, saved;
    if (!options.compare.isEmpty() && !loadScan(options.compare, older, reason))
        return fail(kUnreadable, reason);
    if (!options.compareWith.isEmpty()) {
        if (!loadScan(options.compareWith, saved, reason))
            return fail(kUnreadable, reason);
        const ScanComparison comparison(older, saved);
        if (!writeOutput(options.output, comparisonOutput(comparison, saved, options), reason))
            return fail(kNotWritable, reason);
        return comparisonStatus(comparison);
    }

    ScanInterrupt interrupt;
    AxeFX axeFx;
    if (!options.port.isEmpty())
        axeFx.portSearchText = options.port;
    std::optional<ScanTrace> trace;
    if (!options.trace.isEmpty())
        trace.emplace(axeFx);
    ScanJob job(axeFx);
    QObject::connect(&interrupt, &ScanInterrupt::interrupted, &job, &ScanJob::stop);
    ScanProgress progress(stderr, isTerminal(stderr));
    QObject::connect(&job, &ScanJob::progress, &job,
        [&progress](ScanJob::Phase phase, int percent) { progress.show(phase, percent); });

    const ScanJob::Outcome outcome = job.run();
    progress.finish();
    if (!axeFx.portChoice.isEmpty())
        printLine(stderr, QStringLiteral("tollmark-scan: ") + axeFx.portChoice);
    // Whatever the outcome: the trace of a scan that went wrong is the one most wanted.
    if (trace && !trace->save(options.trace, &reason))
        return fail(kNotWritable, QStringLiteral("cannot write %1: %2").arg(options.trace, reason));
    const ScanResult& result = job.result();
    if (outcome == ScanJob::NoDevice && axeFx.lastSearch() == AxeFX::Search::Unanswered)
        return fail(kNoDevice,
            QStringLiteral("AxeFx ports found, but the unit did not answer when asked twice"));
    if (outcome == ScanJob::NoDevice)
        return fail(kNoDevice,
            QStringLiteral("no AxeFx found on the MIDI ports whose names contain \"%1\" (see "
                           "--list-ports)")
                .arg(axeFx.portSearchText));
    const int unfinished = outcome == ScanJob::Lost ? kLost : kInterrupted;
    const QString ending = outcome == ScanJob::Lost
        ? job.outcomeText(outcome)
        : QStringLiteral("scan interrupted: %1").arg(job.lastRun().presetsReadText());
    // A scan that found no unit has nothing to keep, not even an empty table.
    if (outcome != ScanJob::Complete && (!options.keepPartial || result.isEmpty()))
        return fail(unfinished, ending + QStringLiteral("; nothing written"));
    listNotRead(result);
    const QString unusedUnknown = options.unused ? unusedUnknownReason(result) : QString();
    if (!unusedUnknown.isEmpty())
        return fail(kNotRead, unusedUnknown + QStringLiteral("; nothing written"));

    std::optional<ScanComparison> comparison;
    if (!options.compare.isEmpty())
        comparison.emplace(older, result);
    if (!writeOutput(options.output,
            comparison ? comparisonOutput(*comparison, result, options) : outputOf(result, options),
            reason))
        return fail(kNotWritable, reason);
    if (outcome != ScanJob::Complete)
        return fail(unfinished, ending + QStringLiteral("; wrote what was read"));
    if (result.hasUnread())
        return fail(kNotRead, result.notReadText() + QStringLiteral(" (listed above)"));
    return comparison ? comparisonStatus(*comparison) : kComplete;
}
