#include "platform/number_box.h"

#include "platform/number_text.h"

#include <QFontInfo>
#include <QLocale>
#include <QPainter>
#include <QStyleOptionFrame>

namespace ornavel {

namespace {

// QLineEdit's own gap between its contents rectangle and the text.
constexpr int horizontalMargin = 2;

bool fits(const QString &text, const QFont &font, int width)
{
    // One pixel to spare for antialiased ink beyond the advance.
    return QFontMetricsF(font).horizontalAdvance(text) + 1 <= width;
}

} // namespace

QRect NumberBox::textArea() const
{
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    return style()->subElementRect(QStyle::SE_LineEditContents, &panel, this) - textMargins();
}

NumberBox::Shown NumberBox::shown() const
{
    const int width = textArea().width() - 2 * horizontalMargin;
    QFont font = this->font();
    if (fits(text(), font, width))
        return {text(), font};
    // The blank before a typed input shows nothing: a long text goes without it.
    const QString whole = text().trimmed();
    // Smaller, a pixel at a time: pixel sizes are what the font is drawn in.
    for (int size = QFontInfo(font).pixelSize() - 1; size >= floorPixelSize; --size) {
        font.setPixelSize(size);
        if (fits(whole, font, width))
            return {whole, font};
    }
    font.setPixelSize(floorPixelSize);
    // As many leading digits as fit, the exponent kept; a number too long even with one digit
    // cannot occur (a double's exponent has at most three digits), so the last try is taken.
    const QString point = QLocale().decimalPoint();
    if (!shortenedNumberText(whole, 1, point).isEmpty()) {
        for (int digits = 15; digits > 1; --digits) {
            const QString shortened = shortenedNumberText(whole, digits, point);
            if (fits(shortened, font, width))
                return {shortened, font};
        }
        return {shortenedNumberText(whole, 1, point), font};
    }
    // Not a number (text the user typed): its start, with an ellipsis saying more follows.
    return {QFontMetricsF(font).elidedText(whole, Qt::ElideRight, width - 1), font};
}

void NumberBox::paintEvent(QPaintEvent *event)
{
    // With the focus, the real text to edit and scroll through.
    if (hasFocus()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);

    const QRect area = textArea();
    const Shown what = shown();
    painter.setClipRect(area);
    painter.setFont(what.font);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(area.adjusted(horizontalMargin, 0, -horizontalMargin, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, what.text);
}

} // namespace ornavel
