#include "ui/application_style.h"
#include "ui/main/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(new ornavel::ApplicationStyle);
    ornavel::Form1 window;
    window.show();
    return app.exec();
}
