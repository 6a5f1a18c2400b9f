#include "ui/main/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ornavel::Form1 window;
    window.show();
    return app.exec();
}
