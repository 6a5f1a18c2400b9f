#include "first_paint.h"

#include "ui/main/form1.h"
#include "widgets/application_style.h"

// Starts exactly as app/main.cpp does.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(new ornavel::ApplicationStyle);
    ornavel::Form1 window;
    return runUntilFirstPaint(app, window);
}
