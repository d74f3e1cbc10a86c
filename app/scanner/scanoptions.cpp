// SPDX-License-Identifier: MIT
#include "scanoptions.h"

#include <QCommandLineParser>

namespace {

const char kDescription[]
    = "Scans the AxeFx on the MIDI ports (the ports whose names contain \"AXE\") and\n"
      "writes which cabinets each preset uses: as CSV (the same as the window's export),\n"
      "as JSON for other programs, or as a PDF report to print.";

const char kEpilogue[]
    = "\n--unused lists the user slots named first, then the empty ones, \"U40()\" and so on;\n"
      "with --format json it writes {\"unit\", \"unusedCabs\"} in the same order.\n"
      "\n"
      "Progress goes to standard error. Ctrl-C stops the scan before the next preset.\n"
      "\n"
      "What the unit does not answer, even when asked again at the end of the scan, is\n"
      "written as \"(not read)\" and listed on standard error; --unused then writes\n"
      "nothing, since an unread preset may use any slot.\n"
      "\n"
      "Exit status: 0 complete, 1 no device found, 2 interrupted, 3 output not\n"
      "writable, 4 entries not read, 5 the unit stopped answering, 64 wrong usage.\n";

bool parseView(const QString& text, QList<CrossReference::View>& views)
{
    if (text == QLatin1String("presets"))
        views = { CrossReference::PresetCabs };
    else if (text == QLatin1String("cabs"))
        views = { CrossReference::CabPresets };
    else if (text == QLatin1String("both"))
        views = { CrossReference::PresetCabs, CrossReference::CabPresets };
    else
        return false;
    return true;
}

bool parseFormat(const QString& text, ScanOptions::Format& format)
{
    if (text == QLatin1String("csv"))
        format = ScanOptions::Csv;
    else if (text == QLatin1String("json"))
        format = ScanOptions::Json;
    else if (text == QLatin1String("pdf"))
        format = ScanOptions::Pdf;
    else
        return false;
    return true;
}

// The last of an option's values counts, as the last word of a command line usually does.
QString lastValue(const QCommandLineParser& parser, const QCommandLineOption& option)
{
    const QStringList values = parser.values(option);
    return values.value(values.size() - 1);
}

// Combinations that would write something other than what was asked for; the reason, or
// an empty text when the options go together.
QString conflictOf(const ScanOptions& options, bool viewGiven)
{
    const bool pdf = options.format == ScanOptions::Pdf;
    if (pdf && options.output.isEmpty())
        return QStringLiteral("--format pdf writes a file: give it with -o");
    if (pdf && options.views.size() > 1)
        return QStringLiteral("a PDF holds one view: --view presets or cabs");
    if (pdf && options.unused)
        return QStringLiteral("--unused writes text or JSON, not PDF");
    if (options.unused && options.keepPartial)
        return QStringLiteral("--unused needs a complete scan, so not --keep-partial");
    if (viewGiven && (options.unused || options.format == ScanOptions::Json))
        return QStringLiteral("--view does not go with --unused or --format json");
    return QString();
}

} // namespace

bool ScanOptions::parse(const QStringList& arguments, ScanOptions& options, QString& error)
{
    const QCommandLineOption view(QStringLiteral("view"),
        QStringLiteral("presets: \"Preset -> Cabs\" (the default); cabs: \"Cab -> Presets\"; "
                       "both: the two tables, a blank line between them (CSV only)."),
        QStringLiteral("view"));
    const QCommandLineOption format(QStringLiteral("format"),
        QStringLiteral("csv (the default); json: the unit, every preset and every cabinet in "
                       "one document; pdf: the view as a printable report (needs -o)."),
        QStringLiteral("format"));
    const QCommandLineOption unused(QStringLiteral("unused"),
        QStringLiteral("Instead of the tables, the user cabinet slots that no preset uses, one "
                       "a line, named slots first, then empty ones."));
    const QCommandLineOption output({ QStringLiteral("o"), QStringLiteral("output") },
        QStringLiteral("Write to <file> instead of standard output; <file> is replaced only "
                       "once the whole output is written."),
        QStringLiteral("file"));
    const QCommandLineOption keepPartial(QStringLiteral("keep-partial"),
        QStringLiteral("After Ctrl-C, or when the unit stops answering, write what was read so "
                       "far."));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
        QStringLiteral("Show the MIDI input and output ports, and exit."));

    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addOptions({ view, format, unused, output, keepPartial, listPorts });

    options = ScanOptions();
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument \"%1\"")
                    .arg(parser.positionalArguments().first());
        return false;
    }
    const QString viewName = lastValue(parser, view);
    if (parser.isSet(view) && !parseView(viewName, options.views)) {
        error = QStringLiteral("unknown view \"%1\" (presets, cabs or both)").arg(viewName);
        return false;
    }
    const QString formatName = lastValue(parser, format);
    if (parser.isSet(format) && !parseFormat(formatName, options.format)) {
        error = QStringLiteral("unknown format \"%1\" (csv, json or pdf)").arg(formatName);
        return false;
    }
    if (parser.isSet(output)) {
        options.output = parser.values(output).last();
        if (options.output.isEmpty()) {
            error = QStringLiteral("the output file name is empty");
            return false;
        }
    }
    options.unused = parser.isSet(unused);
    options.keepPartial = parser.isSet(keepPartial);
    options.listPorts = parser.isSet(listPorts);
    options.showHelp = parser.isSet(help);
    options.helpText = parser.helpText() + QLatin1String(kEpilogue);
    error = conflictOf(options, parser.isSet(view));
    return error.isEmpty();
}
