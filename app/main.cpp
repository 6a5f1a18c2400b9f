#include "ui/application_style.h"
#include "ui/main/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The class in WM_CLASS (matched by the desktop entry's StartupWMClass) and the Wayland
    // app id, by which shells find the entry, its icon, and group the windows.
    QApplication::setApplicationName(QStringLiteral("Ornavel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ornavel.Ornavel"));
    QApplication::setStyle(new ornavel::ApplicationStyle);
    ornavel::Form1 window;
    window.show();
    return app.exec();
}
