// SPDX-License-Identifier: MIT
#include "builddescription.h"
#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {
// The settings store is keyed by these; organisation name and domain are the same string.
const char kOrganization[] = "tollmark.org";
const char kApplicationName[] = "Tollmark";
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QLatin1String(kOrganization));
    QCoreApplication::setOrganizationDomain(QLatin1String(kOrganization));
    QCoreApplication::setApplicationName(QLatin1String(kApplicationName));
    QCoreApplication::setApplicationVersion(tollmarkBuildDescription());
    QGuiApplication::setDesktopFileName(QStringLiteral(TOLLMARK_APP_ID));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows which cabs each preset of an AxeFx uses, from the unit or from a "
                       "saved scan."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
        QStringLiteral("A saved scan to open instead of searching for the unit."),
        QStringLiteral("[file]"));
    parser.process(app);

    MainWindow window(parser.positionalArguments().value(0));
    // Closed during the device search at start-up: its close request came before there was
    // an event loop to end, so running one now would never return.
    if (!window.isVisible())
        return 0;
    return app.exec();
}
