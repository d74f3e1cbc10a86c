// SPDX-License-Identifier: MIT
#include "scanoptions.h"

#include <QCommandLineParser>

namespace {

const char kDescription[]
    = "Scans the AxeFx on the MIDI ports (those whose names contain \"AXE\", or --port) and\n"
      "writes which cabinets each preset uses: as CSV (the same as the window's export),\n"
      "as JSON for other programs, or as a PDF report to print. With --compare it writes\n"
      "what changed since a saved scan instead.";

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
      "--compare OLD.json lists what changed from the saved scan to this one: slots\n"
      "renamed or replaced, the presets that use them (\"uses changed U7(...)\"), presets\n"
      "renamed, cabs added to or removed from a preset. --with NEW.json compares two\n"
      "saved scans without a unit. What either scan did not read is listed as\n"
      "\"not compared\".\n"
      "\n"
      "--port picks the input and output ports whose names contain TEXT, in any letter\n"
      "case, for an interface not named \"AXE\" or one unit of two; --list-ports shows the\n"
      "names, and when more than one matches, the ports used are said on standard error.\n"
      "\n"
      "--trace FILE writes every MIDI message of the search and the scan, one a line (time\n"
      "in ms, out or in, the bytes in hex), after a header naming the releases, the MIDI\n"
      "service, the ports and the unit's model byte. It holds the unit's preset and cab\n"
      "names and nothing else of this computer: send it with a report of a problem.\n"
      "\n"
      "Exit status: 0 complete (with --compare: and no difference), 1 no device found,\n"
      "2 interrupted, 3 output not writable, 4 entries not read (with --compare: or not\n"
      "compared), 5 the unit stopped answering, 6 the scans differ (--compare), 7 a saved\n"
      "scan cannot be read (--compare, --with), 64 wrong usage.\n";

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
    else if (text == QLatin1String("text"))
        format = ScanOptions::Text;
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
    const bool comparing = !options.compare.isEmpty();
    if (!comparing && !options.compareWith.isEmpty())
        return QStringLiteral("--with names the newer scan of --compare");
    if (!options.trace.isEmpty() && !options.compareWith.isEmpty())
        return QStringLiteral("--with compares two files: no scan for --trace");
    if (!comparing && options.format == ScanOptions::Text)
        return QStringLiteral("--format text goes with --compare");
    if (comparing && (options.unused || viewGiven))
        return QStringLiteral("--compare writes the changes, not --unused or --view");
    if (!options.compareWith.isEmpty() && options.keepPartial)
        return QStringLiteral("--with compares two files: no scan for --keep-partial");
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
                       "one document; pdf: the view as a printable report (needs -o); text: "
                       "the changes one a line (--compare only, and its default)."),
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
    const QCommandLineOption compare(QStringLiteral("compare"),
        QStringLiteral("Compare the scan with the older scan saved in <file> (by the window's "
                       "Save scan or --format json) and write what changed."),
        QStringLiteral("file"));
    const QCommandLineOption with(QStringLiteral("with"),
        QStringLiteral("With --compare: compare with the newer scan saved in <file> instead of "
                       "scanning the unit."),
        QStringLiteral("file"));
    const QCommandLineOption port(QStringLiteral("port"),
        QStringLiteral("Use the MIDI ports whose names contain <text>, in any letter case "
                       "(default \"AXE\")."),
        QStringLiteral("text"));
    const QCommandLineOption trace(QStringLiteral("trace"),
        QStringLiteral("Write the MIDI trace of the search and the scan to <file>, for a report "
                       "of a problem."),
        QStringLiteral("file"));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
        QStringLiteral("Show the MIDI input and output ports, and exit."));

    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions(
        { view, format, unused, output, keepPartial, compare, with, port, trace, listPorts });

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
    options.compare = lastValue(parser, compare);
    options.compareWith = lastValue(parser, with);
    if ((parser.isSet(compare) && options.compare.isEmpty())
        || (parser.isSet(with) && options.compareWith.isEmpty())) {
        error = QStringLiteral("the name of the scan to compare is empty");
        return false;
    }
    if (!options.compare.isEmpty())
        options.format = ScanOptions::Text;
    const QString formatName = lastValue(parser, format);
    if (parser.isSet(format) && !parseFormat(formatName, options.format)) {
        error = QStringLiteral("unknown format \"%1\" (csv, json, pdf or text)").arg(formatName);
        return false;
    }
    if (parser.isSet(output)) {
        options.output = parser.values(output).last();
        if (options.output.isEmpty()) {
            error = QStringLiteral("the output file name is empty");
            return false;
        }
    }
    options.port = lastValue(parser, port);
    options.trace = lastValue(parser, trace);
    if ((parser.isSet(port) && options.port.isEmpty())
        || (parser.isSet(trace) && options.trace.isEmpty())) {
        error = QStringLiteral("the text of --port and the file of --trace must not be empty");
        return false;
    }
    options.unused = parser.isSet(unused);
    options.keepPartial = parser.isSet(keepPartial);
    options.listPorts = parser.isSet(listPorts);
    options.showHelp = parser.isSet(help);
    options.showVersion = parser.isSet(version);
    options.helpText = parser.helpText() + QLatin1String(kEpilogue);
    error = conflictOf(options, parser.isSet(view));
    return error.isEmpty();
}
