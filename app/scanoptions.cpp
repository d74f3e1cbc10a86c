// SPDX-License-Identifier: MIT
#include "scanoptions.h"

#include <QCommandLineParser>

namespace {

const char kDescription[]
    = "Scans the AxeFx on the MIDI ports (the ports whose names contain \"AXE\") and\n"
      "writes which cabinets each preset uses as CSV, the same as the window's export.";

const char kEpilogue[]
    = "\nProgress goes to standard error. Ctrl-C stops the scan before the next preset.\n"
      "\n"
      "Exit status: 0 complete, 1 no device found, 2 interrupted, 3 output not\n"
      "writable, 64 wrong usage.\n";

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

} // namespace

bool ScanOptions::parse(const QStringList& arguments, ScanOptions& options, QString& error)
{
    const QCommandLineOption view(QStringLiteral("view"),
        QStringLiteral("presets: \"Preset -> Cabs\" (the default); cabs: \"Cab -> Presets\"; "
                       "both: the two tables, a blank line between them."),
        QStringLiteral("view"));
    const QCommandLineOption output({ QStringLiteral("o"), QStringLiteral("output") },
        QStringLiteral("Write to <file> instead of standard output; <file> is replaced only "
                       "once the whole table is written."),
        QStringLiteral("file"));
    const QCommandLineOption keepPartial(QStringLiteral("keep-partial"),
        QStringLiteral("After Ctrl-C, write what was read so far."));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
        QStringLiteral("Show the MIDI input and output ports, and exit."));

    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addOptions({ view, output, keepPartial, listPorts });

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
    // The last --view counts, as the last word of a command line usually does.
    const QString viewName = parser.values(view).value(parser.values(view).size() - 1);
    if (parser.isSet(view) && !parseView(viewName, options.views)) {
        error = QStringLiteral("unknown view \"%1\" (presets, cabs or both)").arg(viewName);
        return false;
    }
    if (parser.isSet(output)) {
        options.output = parser.values(output).last();
        if (options.output.isEmpty()) {
            error = QStringLiteral("the output file name is empty");
            return false;
        }
    }
    options.keepPartial = parser.isSet(keepPartial);
    options.listPorts = parser.isSet(listPorts);
    options.showHelp = parser.isSet(help);
    options.helpText = parser.helpText() + QLatin1String(kEpilogue);
    return true;
}
