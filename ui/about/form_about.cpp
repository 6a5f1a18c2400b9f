#include "ui/about/form_about.h"

#include "ui/window_font.h"
#include "widgets/accessible_role.h"
#include "widgets/twips.h"

#include <QKeyEvent>
#include <QLabel>

namespace ornavel {

namespace {

// The six lines, top to bottom, at their design positions in twips.
struct AboutLine {
    const char *name;
    int left, top, width, height;
    const char *text;
    QColor colour;
    double pointSize;
};

// The lines without a colour of their own are black: the desktop's text colour could be
// light (a dark theme) and unreadable on the fixed yellow.
const QColor black(0, 0, 0);

const AboutLine aboutLines[] = {
    {"Label2", 720, 120, 2055, 255, "Program for solving", QColor(0, 128, 0), 9.75},
    {"Label3", 480, 360, 2535, 255, "Ornavel", QColor(0, 128, 0), 9.75},
    {"Label7", 480, 600, 2775, 255, "Written by the Ornavel developers", black, 8.25},
    {"Label8", 1080, 840, 1455, 255, "February 2006", black, 8.25},
    {"Label4", 120, 1080, 3375, 255, "For comments and questions e-mail to", black, 8.25},
    {"Label5", 840, 1320, 1935, 255, "ornavel@example.org", QColor(0, 0, 255), 8.25},
};

constexpr int clientWidthTwips = 3600;
constexpr int clientHeightTwips = 1770;
const QColor lightYellow(255, 255, 192);

} // namespace

Form_About::Form_About(QWidget *parent)
    : QWidget(parent,
              // A dialog's type, so that the window manager is told it is transient for its parent.
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form_About"));
    setWindowTitle(tr("About"));
    setFixedSize(twipsToPixels(clientWidthTwips), twipsToPixels(clientHeightTwips));
    setAccessibleRole(this, QAccessible::Window);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, lightYellow);
    setPalette(background);

    for (const AboutLine &line : aboutLines) {
        auto *label = new QLabel(QString::fromLatin1(line.text), this);
        label->setObjectName(QString::fromLatin1(line.name));
        label->setGeometry(twipsRect(line.left, line.top, line.width, line.height));
        QPalette colours = label->palette();
        colours.setColor(QPalette::Window, lightYellow);
        colours.setColor(QPalette::WindowText, line.colour);
        label->setPalette(colours);
        label->setAutoFillBackground(true);
    }
    // The main window's built-in font, in which every line fits its label on any machine.
    QList<std::pair<QString, double>> sizes;
    for (const AboutLine &line : aboutLines)
        sizes.append({QString::fromLatin1(line.name), line.pointSize});
    useWindowFont(this, aboutLines[0].pointSize, sizes);
    // The address can be selected and copied; clicking it opens nothing.
    findChild<QLabel *>(QStringLiteral("Label5"))
        ->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void Form_About::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace ornavel
