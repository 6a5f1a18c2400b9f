#include "ui/application_style.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    // The class in WM_CLASS (matched by the desktop entry's StartupWMClass) and the Wayland
    // app id, by which shells find the entry, its icon, and group the windows.
    QCoreApplication::setApplicationName(QStringLiteral("Ornavel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORNAVEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ornavel.Ornavel"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Normal-shock calculator for a perfect gas (γ = 1.4)."));
    // "-stylesheet" is one of Qt's options, not -s -t -y … with an h for --help among them.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    // --help and --version answer without opening the window system, so they need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))
        || parser.isSet(QStringLiteral("version"))) {
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
