#pragma once

#include <QColor>
#include <QFrame>
#include <QPointF>
#include <QRectF>

#include <optional>
#include <vector>

namespace ornavel {

// User coordinates of a drawing area: topLeft maps to its top-left corner and bottomRight
// to its bottom-right, so y grows downward when bottomRight.y() > topLeft.y().
struct UserScale {
    QPointF topLeft {0, 0};
    QPointF bottomRight {1, 1};
};

// Where a user point lands, as fractions of the area's width and height from its top-left
// corner (0..1 inside the area). Pure, so that the mapping can be checked on its own.
QPointF areaFraction(const UserScale &scale, QPointF user);

// A drawing coordinate in single precision, or nothing when it is not finite or beyond
// the single-precision range and so cannot be drawn.
std::optional<float> singlePrecision(double value);

// A picture area with the legacy drawing operations. What is drawn is kept as a display
// list in area fractions and replayed on every paint, so the graph survives being covered,
// hidden or shown on a screen with another pixel ratio. Whatever falls outside is clipped.
class PictureBox : public QFrame
{
    Q_OBJECT
public:
    enum class Shape { Line, Circle, Point };
    struct Item {
        Shape shape;
        QPointF from;  // area fractions; the centre of a circle, the point of a PSet
        QPointF to;    // area fractions; the end of a line
        double radius; // circles: fraction of the area's width
        QColor colour;
    };

    explicit PictureBox(QWidget *parent = nullptr);

    void Cls();
    void Scale(double x1, double y1, double x2, double y2);
    void Line(double x1, double y1, double x2, double y2, std::optional<QColor> colour = {});
    void Circle(double x, double y, double radius, std::optional<QColor> colour = {});
    void PSet(double x, double y, std::optional<QColor> colour = {});
    // Everything drawn in one colour is drawn in another from now on.
    void recolour(const QColor &from, const QColor &to);

    const UserScale &userScale() const { return m_scale; }
    const std::vector<Item> &displayList() const { return m_items; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<QPointF> fraction(double x, double y) const;
    QColor colourOrForeground(const std::optional<QColor> &colour) const;

    UserScale m_scale;
    std::vector<Item> m_items;
};

} // namespace ornavel
