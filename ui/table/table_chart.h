#pragma once

#include "table/table_request.h"

#include <QChartView>

#include <cmath>
#include <vector>

class QCategoryAxis;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QScatterSeries;

namespace ornavel {

// Labels an axis at round values from min to max (log10 values on a logarithmic axis).
void placeTicks(QCategoryAxis *axis, double min, double max, bool logarithmic);
// A column's label, as the chart names its curves and axes.
QString columnLabel(const TableSpec &tableSpec, int column);
// A row as the read-out writes it: each cell named, with the locale's separator.
QString readoutText(const TableSpec &tableSpec, const ResultRow &row);
// The colour of the k-th curve on a light or a dark chart.
QColor curveColour(qsizetype k, bool dark);

// A relation's charted columns against its horizontal one (the shock family against M1) over
// a range, each toggled from its legend, on a linear or logarithmic vertical axis, with a
// read-out of every value at the value the pointer or the arrow keys choose, marked by a
// cross-hair.
class TableChart : public QChartView
{
    Q_OBJECT
public:
    explicit TableChart(QWidget *parent = nullptr);

    // The relation, gas, branch and digits of the table charted: its curves and read-out.
    void setSpec(const TableSpec &tableSpec);
    // Draws the curves from from to to along the horizontal column, from its chartFrom.
    void setRange(double from, double to);
    // For a relation of two inputs: a curve over the angle for each of values (at most
    // maxFamily of them), the relation's loci, and the rows marked, each with the value and
    // angle it was computed from.
    struct FamilyRow {
        double value, angle;
    };
    static constexpr int maxFamily = 20;
    void setFamily(const std::vector<double> &values, double largestAngle,
                   const std::vector<FamilyRow> &rows);
    // No curves; the note, when there is one, is written on the chart.
    void clearCurves(const QString &note = {});
    bool hasCurves() const { return m_curves; }
    QString note() const;
    double from() const { return m_from; }
    double to() const { return m_to; }
    void setLogarithmic(bool logarithmic);
    // The pointer's value written with tableSpec's digits, and its row as `ornavel table` gives it
    // from the horizontal column, each value named, with the locale's separator; empty where
    // that value has no row.
    static QString readout(const TableSpec &tableSpec, double pointer);
    // The M1 the read-out shows, the pointer's snapped to the digits written; NaN for none.
    double readoutM1() const { return m_readoutM1; }
    // Writes the chart as PNG or SVG; false when it cannot.
    bool exportPng(const QString &path);
    bool exportSvg(const QString &path);

signals:
    void readoutChanged(const QString &text);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void attachAxes();
    void makeSeries();
    void followPalette();
    void fitVertical();
    void showReadout(double M1);
    void placeMarks();
    void describe();
    void toggleCurve(int k);
    void showFamilyReadout(int row);
    void settle();

    QList<QLineSeries *> m_series;
    QCategoryAxis *m_horizontal = nullptr;
    QCategoryAxis *m_vertical = nullptr;
    QGraphicsLineItem *m_crossHair = nullptr;
    QGraphicsLineItem *m_mark = nullptr; // the relation's chartMark, where it is in range
    QGraphicsSimpleTextItem *m_note = nullptr;
    bool m_logarithmic = false;
    bool m_curves = false;
    TableSpec m_spec;
    // The family of a relation of two inputs: its marked rows, the one read out.
    bool m_family = false;
    std::vector<FamilyRow> m_familyRows;
    std::vector<QPointF> m_familyPoints;
    int m_readoutRow = -1;
    QScatterSeries *m_marks = nullptr; // the family's rows
    QList<int> m_curveColumns;         // the column of each curve
    double m_from = 1;
    double m_to = 2;
    double m_readoutM1 = NAN;
};

} // namespace ornavel
