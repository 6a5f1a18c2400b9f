#include "cli/table_command.h"
#include "table/table.h"
#include "ui/main/form1.h"
#include "widgets/application_style.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

int main(int argc, char *argv[])
{
    // The table needs no display and no Qt application: it only reads and writes.
    if (argc >= 2 && std::strcmp(argv[1], "table") == 0)
        return ornavel::runTable(std::vector<std::string_view>(argv + 2, argv + argc), STDIN_FILENO, stdout,
                                 stderr);

    // The class in WM_CLASS (matched by the desktop entry's StartupWMClass) and the Wayland
    // app id, by which shells find the entry, its icon, and group the windows.
    QCoreApplication::setApplicationName(QStringLiteral("Ornavel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORNAVEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ornavel.Ornavel"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Normal-shock calculator for a perfect gas (γ = 1.4).\n"
                       "Without arguments it opens the window; \"ornavel table\" writes the window's\n"
                       "results for many values, and tables of isentropic flow, pitot probes, oblique\n"
                       "shocks and expansion fans for any gas, without a display."));
    parser.addPositionalArgument(
        QStringLiteral("table"),
        QStringLiteral("Writes the results for each VALUE, one row each: ornavel %1. "
                       "Example: ornavel table M1 1:3:0.5 --format csv "
                       "(more: ornavel table --help).")
            .arg(QString::fromLatin1(ornavel::tableSynopsis)),
        QStringLiteral("[table QUANTITY VALUE...]"));
    // "-stylesheet" is one of Qt's options, not -s -t -y … with an h for --help among them.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    // --help and --version answer without opening the window system, so they need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version"))) {
        // Written here rather than by Qt, which ignores a failed write (> /dev/full).
        QCoreApplication withoutWindows(argc, argv);
        const QString text = parser.isSet(QStringLiteral("help"))
            ? parser.helpText()
            : QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
        return ornavel::writeHelp(text.toLocal8Bit().constData(), stdout, stderr, "ornavel");
    }
    if (parser.isSet(QStringLiteral("help-all"))) {
        QCoreApplication withoutWindows(argc, argv);
        parser.process(withoutWindows); // prints and exits
    }

    QApplication app(argc, argv);
    // What Qt's own options (-style, -platform, …) leave over must be known here too.
    parser.process(app);
    QApplication::setStyle(new ornavel::ApplicationStyle);
    ornavel::Form1 window;
    window.show();
    return app.exec();
}
