#include "first_paint.h"

#include <QLabel>

// The smallest Qt Widgets program that shows text: what any widget window costs.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Hello"));
    return runUntilFirstPaint(app, window);
}
