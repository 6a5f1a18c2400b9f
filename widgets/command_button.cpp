#include "widgets/command_button.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace ornavel {

namespace {

// Below this the caption would be too small to read; no sheet's padding needs it.
constexpr int minimumPixelSize = 8;

} // namespace

void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    // The caption is never cut: where a style sheet's padding leaves too little room it takes
    // the whole face inside the frame, and where even that is too small a smaller size.
    constexpr int flags = Qt::AlignCenter | Qt::TextWordWrap;
    QRect textArea
        = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(2, 0, -2, 0);
    QFont font = this->font();
    const auto fits = [&caption, &font](const QRect &area) {
        const QRect needed = QFontMetrics(font).boundingRect(area, flags, caption);
        return needed.width() <= area.width() && needed.height() <= area.height();
    };
    if (!fits(textArea)) {
        const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
        textArea = rect().adjusted(frame + 2, frame, -frame - 2, -frame);
    }
    for (int size = QFontInfo(font).pixelSize(); !fits(textArea) && size > minimumPixelSize; --size)
        font.setPixelSize(size - 1);
    painter.setFont(font);
    painter.drawItemText(textArea, flags, option.palette, isEnabled(), caption, QPalette::ButtonText);
}

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || event->modifiers() & ~Qt::KeypadModifier) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // One press, one calculation: a held key repeats nothing.
    if (!event->isAutoRepeat())
        click();
    event->accept();
}

} // namespace ornavel
