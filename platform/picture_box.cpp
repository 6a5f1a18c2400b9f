#include "platform/picture_box.h"

#include <QPainter>
#include <QPen>

#include <cmath>
#include <limits>

namespace ornavel {

namespace {

// How far outside the area (in area sizes) a shape may reach and still be handed to the
// painter; anything further is cut first, so huge coordinates never reach it.
constexpr double reach = 2.0;

// Pen widths in device-independent pixels; points slightly heavier, so that the curve they
// form reads as a line.
constexpr double penWidth = 1.0;
constexpr double pointWidth = 1.5;

// Fixed, not the palette's: a dark theme or a style sheet must not turn the area dark and
// take the contrast from the blue and red drawn on it.
const QColor background(Qt::white);
const QColor foreground(Qt::black);

bool insideReach(QPointF p)
{
    return p.x() >= -reach && p.x() <= 1 + reach && p.y() >= -reach && p.y() <= 1 + reach;
}

// a*b - c*d to nearly full precision even when the two products almost cancel (Kahan's
// method: the second fma recovers the rounding error of c*d).
double differenceOfProducts(double a, double b, double c, double d)
{
    const double cd = c * d;
    return std::fma(a, b, -cd) + std::fma(-c, d, cd);
}

// Cuts the segment a-b to the square of the reach; false when none is left. Liang-Barsky on
// the line written as foot + s*u: foot is the line's point nearest the area's corner and u
// its unit direction. The usual a + t*(b - a) cannot place a visible part that is tiny
// against far ends (at 1e28 both cuts round to t = 0.5 and the line collapses to a dot);
// the foot, from the cross product a x b, keeps the line's position to full precision.
bool clipToReach(QPointF &a, QPointF &b)
{
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return insideReach(a);
    const QPointF u = d / length;
    const double offset = differenceOfProducts(a.x(), b.y(), a.y(), b.x()) / length;
    const QPointF foot(u.y() * offset, -u.x() * offset);
    double s0 = QPointF::dotProduct(a, u), s1 = QPointF::dotProduct(b, u);
    const double p[4] = {-u.x(), u.x(), -u.y(), u.y()};
    const double q[4] = {foot.x() + reach, 1 + reach - foot.x(), foot.y() + reach, 1 + reach - foot.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double s = q[i] / p[i];
        if (p[i] < 0)
            s0 = std::max(s0, s);
        else
            s1 = std::min(s1, s);
        if (s0 > s1)
            return false;
    }
    a = foot + s0 * u;
    b = foot + s1 * u;
    return true;
}

// A new pen only where the colour or the width changes.
void setPen(QPainter &painter, const QColor &colour, double width)
{
    if (painter.pen().color() != colour || painter.pen().widthF() != width) {
        QPen pen(colour, width);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
    }
}

} // namespace

QPointF areaFraction(const UserScale &scale, QPointF user)
{
    const QPointF span = scale.bottomRight - scale.topLeft;
    return {(user.x() - scale.topLeft.x()) / span.x(), (user.y() - scale.topLeft.y()) / span.y()};
}

std::optional<float> singlePrecision(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(value);
}

PictureBox::PictureBox(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, background);
    colours.setColor(QPalette::WindowText, foreground);
    setPalette(colours);
}

void PictureBox::Cls()
{
    m_items.clear();
    update();
}

void PictureBox::Scale(double x1, double y1, double x2, double y2)
{
    const auto l = singlePrecision(x1), t = singlePrecision(y1);
    const auto r = singlePrecision(x2), b = singlePrecision(y2);
    if (!l || !t || !r || !b || *l == *r || *t == *b)
        return;
    m_scale = {QPointF(*l, *t), QPointF(*r, *b)};
}

std::optional<QPointF> PictureBox::fraction(double x, double y) const
{
    const auto sx = singlePrecision(x), sy = singlePrecision(y);
    if (!sx || !sy)
        return std::nullopt;
    const QPointF f = areaFraction(m_scale, QPointF(*sx, *sy));
    if (!std::isfinite(f.x()) || !std::isfinite(f.y()))
        return std::nullopt;
    return f;
}

QColor PictureBox::colourOrForeground(const std::optional<QColor> &colour) const
{
    return colour.value_or(foreground);
}

void PictureBox::Line(double x1, double y1, double x2, double y2, std::optional<QColor> colour)
{
    const auto a = fraction(x1, y1), b = fraction(x2, y2);
    if (!a || !b)
        return;
    m_items.push_back({Shape::Line, *a, *b, 0.0, colourOrForeground(colour)});
    update();
}

void PictureBox::Circle(double x, double y, double radius, std::optional<QColor> colour)
{
    const auto centre = fraction(x, y);
    const auto r = singlePrecision(radius);
    if (!centre || !r)
        return;
    const double span = m_scale.bottomRight.x() - m_scale.topLeft.x();
    m_items.push_back({Shape::Circle, *centre, *centre, std::fabs(*r / span), colourOrForeground(colour)});
    update();
}

void PictureBox::PSet(double x, double y, std::optional<QColor> colour)
{
    const auto p = fraction(x, y);
    if (!p)
        return;
    m_items.push_back({Shape::Point, *p, *p, 0.0, colourOrForeground(colour)});
    update();
}

void PictureBox::recolour(const QColor &from, const QColor &to)
{
    for (Item &item : m_items) {
        if (item.colour == from)
            item.colour = to;
    }
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRectF area = contentsRect();
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.fillRect(contentsRect(), background); // a style sheet's background stays outside
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const auto toPixels = [&area](QPointF f) {
        return QPointF(area.left() + f.x() * area.width(), area.top() + f.y() * area.height());
    };

    // Points come in long runs of one colour (the curve): drawn as one batch per run.
    QList<QPointF> points;
    QColor pointColour;
    const auto flushPoints = [&] {
        if (points.isEmpty())
            return;
        setPen(painter, pointColour, pointWidth);
        painter.drawPoints(points.constData(), int(points.size()));
        points.clear();
    };

    for (const Item &item : m_items) {
        if (item.shape != Shape::Point || item.colour != pointColour)
            flushPoints();
        switch (item.shape) {
        case Shape::Line: {
            QPointF a = item.from, b = item.to;
            if (!clipToReach(a, b))
                break;
            setPen(painter, item.colour, penWidth);
            painter.drawLine(toPixels(a), toPixels(b));
            break;
        }
        case Shape::Circle: {
            const double r = item.radius * area.width();
            if (!insideReach(item.from) || r > reach * area.width())
                break;
            setPen(painter, item.colour, penWidth);
            painter.drawEllipse(toPixels(item.from), r, r);
            break;
        }
        case Shape::Point:
            if (insideReach(item.from)) {
                pointColour = item.colour;
                points.append(toPixels(item.from));
            }
            break;
        }
    }
    flushPoints();
}

} // namespace ornavel
