#include "scanoptions.h"

namespace {

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

// "--name=value" or "--name value" (and "-o value"); the value is taken from the next
// argument when it is not attached.
bool takeValue(const QStringList& arguments, int& at, const QString& argument, const QString& name,
    QString& value, bool& matched)
{
    matched = false;
    const QString prefix = name + QLatin1Char('=');
    if (argument.startsWith(prefix) && name.startsWith(QLatin1String("--"))) {
        matched = true;
        value = argument.mid(prefix.size());
        return true;
    }
    if (argument != name)
        return true;
    matched = true;
    if (at + 1 >= arguments.size())
        return false;
    value = arguments.at(++at);
    return true;
}

} // namespace

bool ScanOptions::parse(const QStringList& arguments, ScanOptions& options, QString& error)
{
    options = ScanOptions();
    bool optionsEnded = false;
    for (int at = 1; at < arguments.size(); ++at) {
        const QString argument = arguments.at(at);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-'))
            || argument == QLatin1String("-")) {
            error = QStringLiteral("unexpected argument \"%1\"").arg(argument);
            return false;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            options.showHelp = true;
            continue;
        }
        if (argument == QLatin1String("--list-ports")) {
            options.listPorts = true;
            continue;
        }
        if (argument == QLatin1String("--keep-partial")) {
            options.keepPartial = true;
            continue;
        }

        QString value;
        bool matched = false;
        if (!takeValue(arguments, at, argument, QStringLiteral("--view"), value, matched)) {
            error = QStringLiteral("--view needs presets, cabs or both");
            return false;
        }
        if (matched) {
            if (!parseView(value, options.views)) {
                error = QStringLiteral("unknown view \"%1\" (presets, cabs or both)").arg(value);
                return false;
            }
            continue;
        }
        for (const char* name : { "-o", "--output" }) {
            if (!takeValue(arguments, at, argument, QLatin1String(name), value, matched)) {
                error = QStringLiteral("%1 needs a file name").arg(QLatin1String(name));
                return false;
            }
            if (matched)
                break;
        }
        if (matched) {
            if (value.isEmpty()) {
                error = QStringLiteral("the output file name is empty");
                return false;
            }
            options.output = value;
            continue;
        }
        error = QStringLiteral("unknown option \"%1\"").arg(argument);
        return false;
    }
    return true;
}

QString ScanOptions::helpText()
{
    return QStringLiteral(
        "Usage: tollmark-scan [--view presets|cabs|both] [-o FILE] [--keep-partial]\n"
        "       tollmark-scan --list-ports\n"
        "       tollmark-scan --help\n"
        "\n"
        "Scans the AxeFx on the MIDI ports (the ports whose names contain \"AXE\") and\n"
        "writes which cabinets each preset uses as CSV, the same as the window's export.\n"
        "\n"
        "Options:\n"
        "  --view VIEW         presets: \"Preset -> Cabs\" (the default); cabs: \"Cab ->\n"
        "                      Presets\"; both: the two tables, a blank line between them\n"
        "  -o, --output FILE   write to FILE instead of standard output; FILE is replaced\n"
        "                      only once the whole table is written\n"
        "  --keep-partial      after Ctrl-C, write what was read so far\n"
        "  --list-ports        show the MIDI input and output ports, and exit\n"
        "  -h, --help          show this help, and exit\n"
        "\n"
        "Progress goes to standard error. Ctrl-C stops the scan before the next preset.\n"
        "\n"
        "Exit status: 0 complete, 1 no device found, 2 interrupted, 3 output not\n"
        "writable, 64 wrong usage.\n");
}
