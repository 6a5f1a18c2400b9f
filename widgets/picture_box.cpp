#include "widgets/picture_box.h"

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
const QColor border(140, 140, 140);

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

// Device pixels from logical ones, and back, for the painter as it stands.
QRect toDevicePixels(const QPainter &painter, const QRectF &logical)
{
    const QRectF device = painter.deviceTransform().mapRect(logical);
    // The whole pixels inside: a pixel only partly inside would be painted grey.
    const int left = int(std::ceil(device.left() - 1e-9)), top = int(std::ceil(device.top() - 1e-9));
    const int right = int(std::floor(device.right() + 1e-9)),
              bottom = int(std::floor(device.bottom() + 1e-9));
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

void fillDevicePixels(QPainter &painter, const QRect &device, const QColor &colour)
{
    painter.fillRect(painter.deviceTransform().inverted().mapRect(QRectF(device)), colour);
}

// An axis-parallel line as whole device pixels, as many as its width: drawn where it falls, a
// one-pixel line between two pixel rows would be two rows of grey.
void drawCrispLine(QPainter &painter, QPointF a, QPointF b, const QColor &colour, double width)
{
    const QTransform toDevice = painter.deviceTransform();
    const int thickness = std::max(1, int(std::lround(width * toDevice.m11())));
    const QPointF da = toDevice.map(a), db = toDevice.map(b);
    const double half = thickness / 2.0;
    QRect device;
    if (a.y() == b.y()) {
        const int top = int(std::lround(da.y() - half));
        const int left = int(std::lround(std::min(da.x(), db.x()) - half));
        const int right = int(std::lround(std::max(da.x(), db.x()) + half));
        device = QRect(left, top, right - left, thickness);
    } else {
        const int left = int(std::lround(da.x() - half));
        const int top = int(std::lround(std::min(da.y(), db.y()) - half));
        const int bottom = int(std::lround(std::max(da.y(), db.y()) + half));
        device = QRect(left, top, thickness, bottom - top);
    }
    fillDevicePixels(painter, device, colour);
}

// Ground and border in whole device pixels at any scale, so that neither a sliver of white
// outside the border nor a missing edge shows at 1.25 or 1.5; a style sheet's ground stays
// outside.
void paintGround(QPainter &painter, const QRect &rect)
{
    const QRect outer = toDevicePixels(painter, rect);
    const int edge = std::max(1, int(std::lround(painter.deviceTransform().m11())));
    fillDevicePixels(painter, outer, border);
    fillDevicePixels(painter, outer.adjusted(edge, edge, -edge, -edge), background);
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
    Q_UNUSED(event);
    const QRectF area = contentsRect();
    QPainter painter(this);
    paintGround(painter, rect());
    painter.setClipRect(contentsRect());
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
            if (a.x() == b.x() || a.y() == b.y()) {
                drawCrispLine(painter, toPixels(a), toPixels(b), item.colour, penWidth);
                break;
            }
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
