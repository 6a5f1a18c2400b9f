// Form1 and the window manager: the outer height, which includes a title bar that only the
// window manager knows, and on Wayland the client-side decorations Qt draws itself.
//
// The description gives outer heights (3800 and 6400 twips) while Qt sizes the client. On
// X11 the frame is known only once the window manager has reparented the window, which
// arrives as a Move or Resize after the first Show; on Wayland, Qt's decorations exist as
// soon as the platform window is shown, before the first frame is drawn. Each time the frame
// height differs from the one last applied, the fixed client size is applied anew, so the
// outer height is right from the first frame on both.
#include "ui/main/form1.h"

#include "ui/about/form_about.h"

#include "ui/main/form1_parts.h"
#include "widgets/twips.h"

#include <QEvent>

namespace ornavel {

using namespace form1;

void Form1::setOuterHeight(int twips)
{
    m_outerHeightPixels = twipsToPixels(twips);
    applyOuterHeight();
}

void Form1::applyOuterHeight()
{
    // The outer height includes the title bar, which the window manager may report only
    // after the window is shown; until then the frame counts as nothing. The size is fixed:
    // nothing in the window would fill a larger one, and a smaller one cuts controls off.
    m_appliedFrameHeight = frameGeometry().height() - height();
    setFixedSize(twipsToPixels(clientWidthTwips), m_outerHeightPixels - m_appliedFrameHeight);
}

void Form1::setVisible(bool visible)
{
    QMainWindow::setVisible(visible);
    // Client-side decorations (Wayland) exist once the platform window is shown, before
    // its first frame is drawn: take them into the outer height now, not a frame later.
    if (visible && frameGeometry().height() - height() != m_appliedFrameHeight)
        applyOuterHeight();
}

bool Form1::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Close:
        // The About and Tables windows belong to this one: they go with it, and so the
        // program ends.
        if (m_about && event->isAccepted())
            m_about->close();
        if (m_table && event->isAccepted())
            m_table->close();
        break;
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        if (frameGeometry().height() - height() != m_appliedFrameHeight)
            applyOuterHeight();
        break;
    default:
        break;
    }
    return handled;
}

} // namespace ornavel
