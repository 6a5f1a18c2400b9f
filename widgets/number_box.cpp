#include "widgets/number_box.h"

#include "text/decimal_text.h"
#include "text/number_text.h"

#include <QApplication>
#include <QFontInfo>
#include <QLocale>
#include <QPainter>
#include <QStyleOptionFrame>

namespace ornavel {

namespace {

// QLineEdit's own gap between its contents rectangle and the text.
constexpr int horizontalMargin = 2;

const QColor ink(0, 0, 0);
// An estimate stands out on amber; a stale value is greyed, still at 4.5:1 or more.
const QColor estimateBack(255, 221, 120);
const QColor staleBack(235, 235, 235);
const QColor staleInk(80, 80, 80);

bool hasExponent(const QString &text)
{
    return text.contains(u'e') || text.contains(u'E');
}

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

void NumberBox::setBackColour(const QColor &colour)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_back = colour;
    applyColours();
}

void NumberBox::setMark(Mark mark)
{
    if (mark == m_mark)
        return;
    m_mark = mark;
    applyColours();
}

QColor NumberBox::backColour() const
{
    return m_mark == Mark::Estimate ? estimateBack : m_mark == Mark::Stale ? staleBack : m_back;
}

QColor NumberBox::inkColour() const
{
    return m_mark == Mark::Stale ? staleInk : ink;
}

void NumberBox::applyColours()
{
    QPalette colours = palette();
    colours.setColor(QPalette::Base, backColour());
    colours.setColor(QPalette::Text, inkColour());
    setPalette(colours);
    // The box's own sheet outranks an application's (-stylesheet), which would otherwise
    // paint its own ground under the box's ink. Only then: a sheet set at each change of
    // colour costs more than the rest of a click.
    if (!qApp->styleSheet().isEmpty() || !styleSheet().isEmpty())
        setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; color: %2; }")
                          .arg(backColour().name(), inkColour().name()));
}

void NumberBox::changeEvent(QEvent *event)
{
    // An application style sheet set after the colours were: the box's own sheet is needed now.
    if (event->type() == QEvent::StyleChange && styleSheet().isEmpty() && !qApp->styleSheet().isEmpty())
        applyColours();
    QLineEdit::changeEvent(event);
}

void NumberBox::setTyped(bool typed)
{
    m_typed = typed;
    update();
}

NumberBox::Shown NumberBox::shown() const
{
    const int width = textArea().width() - 2 * horizontalMargin;
    const ShownFor now {text(), width, font(), m_typed, QLocale().decimalPoint()};
    if (now.text == m_shownFor.text && now.width == m_shownFor.width && now.font == m_shownFor.font
        && now.typed == m_shownFor.typed && now.point == m_shownFor.point)
        return m_shown;
    m_shownFor = now;
    m_shown = fitted(width);
    return m_shown;
}

NumberBox::Shown NumberBox::fitted(int width) const
{
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
    const QFontMetricsF metrics(font);
    if (m_typed && !hasExponent(whole))
        return {metrics.elidedText(whole, Qt::ElideRight, width - 1), font};
    // As many leading digits as fit, the exponent kept; a number too long even with one digit
    // cannot occur (a double's exponent has at most three digits), so the last try is taken.
    const QString point = QLocale().decimalPoint();
    if (const auto number = wholeDecimal(whole, point, Blanks::Around)) {
        for (int digits = 15; digits > 1; --digits) {
            const QString shortened = shortenedNumberText(*number, digits, point);
            if (fits(shortened, font, width))
                return {shortened, font};
        }
        return {shortenedNumberText(*number, 1, point), font};
    }
    // Not a number (text the user typed): its start, with an ellipsis saying more follows.
    return {metrics.elidedText(whole, Qt::ElideRight, width - 1), font};
}

void NumberBox::paintParentBeneath()
{
    // The box paints all of itself, its rounded corners with what its parent has there, so
    // that Qt need not paint the parent beneath it first (WA_OpaquePaintEvent). Left to Qt,
    // a click's six boxes made one repaint of the result frame tall enough for Qt to split
    // its fills across worker threads, and waiting for them cost more than the click's work.
    // What lies beneath changes only with the box's place, the parent's colours or the pixel
    // ratio: rendered once for those, then copied.
    QWidget *parent = parentWidget();
    if (!parent)
        return;
    const qreal ratio = devicePixelRatioF();
    const Beneath now {geometry(), ratio, parent->palette().cacheKey(), parent->style()};
    if (m_beneath.isNull() || now.place != m_beneathFor.place || now.ratio != m_beneathFor.ratio
        || now.palette != m_beneathFor.palette || now.style != m_beneathFor.style) {
        m_beneathFor = now;
        m_beneath = QPixmap(size() * ratio);
        m_beneath.setDevicePixelRatio(ratio);
        m_beneath.fill(Qt::transparent);
        parent->render(&m_beneath, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    }
    QPainter(this).drawPixmap(0, 0, m_beneath);
}

void NumberBox::paintEvent(QPaintEvent *event)
{
    // With the focus, the real text to edit and scroll through; without it, the line edit's
    // own drawing too where the whole text fits at the box's font (from its start: every
    // write puts the cursor there), which is most of the time and the cheapest.
    const Shown what = hasFocus() ? Shown() : shown();
    paintParentBeneath();
    if (hasFocus() || (what.text == text() && what.font == font())) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);

    const QRect area = textArea();
    painter.setClipRect(area);
    painter.setFont(what.font);
    painter.setPen(inkColour());
    painter.drawText(area.adjusted(horizontalMargin, 0, -horizontalMargin, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, what.text);
}

} // namespace ornavel
