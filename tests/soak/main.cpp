// tollmark-soak: runs one fault-soak case against the in-process simulated unit and prints
// its table row (scripts/soak runs every case, each on its own JACK server).
//
//   tollmark-soak --list
//   tollmark-soak CASE CSV-FILE
#include "soakcase.h"
#include "soakrun.h"

#include <QApplication>

#include <cstdio>

namespace {

// The same store names as the program, so that the window is built exactly as it is there;
// scripts/soak points the settings at a scratch directory.
const char kOrganization[] = "tollmark.org";
const char kApplicationName[] = "Tollmark";

bool passes(const SoakCase& c, const SoakResult& r)
{
    if (r.end != c.end || r.elapsedMs > r.allowedMs || r.difference.invented > 0)
        return false;
    if (c.lossy || !r.csvWritten)
        return true;
    return r.difference.isExact();
}

QString row(const SoakCase& c, const SoakResult& r)
{
    const QString unanswered
        = r.unanswered < 0 ? QStringLiteral("-") : QString::number(r.unanswered);
    const QString file = r.csvWritten ? QStringLiteral("%1/%2/%3")
                                            .arg(r.difference.lostNames)
                                            .arg(r.difference.lostUses)
                                            .arg(r.difference.invented)
                                      : QStringLiteral("no file");
    return QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 |")
        .arg(c.name, -18)
        .arg(endName(r.end)
                + (r.end == c.end ? QString() : QStringLiteral(" (want %1)").arg(endName(c.end))),
            -10)
        .arg(r.requests, 8)
        .arg(unanswered, 10)
        .arg(r.elapsedMs, 8)
        .arg(r.allowedMs, 8)
        .arg(file, -10)
        .arg(passes(c, r) ? QStringLiteral("pass") : QStringLiteral("FAIL"));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QLatin1String(kOrganization));
    QCoreApplication::setOrganizationDomain(QLatin1String(kOrganization));
    QCoreApplication::setApplicationName(QLatin1String(kApplicationName));

    const QStringList args = app.arguments();
    if (args.size() == 2 && args.at(1) == QLatin1String("--list")) {
        for (const SoakCase& c : soakCases())
            std::printf("%s\n", qPrintable(c.name));
        return 0;
    }
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tollmark-soak --list | CASE CSV-FILE\n");
        return 2;
    }
    for (const SoakCase& c : soakCases()) {
        if (c.name != args.at(1))
            continue;
        SoakRun run(c, args.at(2));
        const SoakResult result = run.run();
        std::printf("%s\n", qPrintable(row(c, result)));
        std::fflush(stdout);
        return passes(c, result) ? 0 : 1;
    }
    std::fprintf(stderr, "tollmark-soak: no case named %s\n", qPrintable(args.at(1)));
    return 2;
}
