#pragma once

#include "decision/result_row.h"

#include <QChartView>

#include <cmath>

class QCategoryAxis;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QLineSeries;

namespace ornavel {

// The shock family against M1 over a range: P2/P1, ρ2/ρ1, T2/T1, Po2/Po1, Po2/P1 and M2, each
// toggled from its legend, on a linear or logarithmic vertical axis, with a read-out of every
// value at an M1 the pointer or the arrow keys choose, marked by a cross-hair.
class TableChart : public QChartView
{
    Q_OBJECT
public:
    explicit TableChart(QWidget *parent = nullptr);

    // Draws the family from M1 = from to M1 = to; nothing where no shock forms.
    void setRange(double from, double to);
    // No curves; the note, when there is one, is written on the chart.
    void clearCurves(const QString &note = {});
    bool hasCurves() const { return m_curves; }
    QString note() const;
    double from() const { return m_from; }
    double to() const { return m_to; }
    void setLogarithmic(bool logarithmic);
    // The digits of the read-out, as the table's.
    void setDigits(Digits digits);
    // The pointer's M1 written with digits, and its row as `ornavel table M1 <that M1>` gives
    // it, each value named, with the locale's separator; empty where M1 has no row.
    static QString readout(double pointer, Digits digits);
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
    void followPalette();
    void fitVertical();
    void showReadout(double M1);
    void placeMarks();
    void describe();
    void toggleCurve(int k);
    void settle();

    QList<QLineSeries *> m_series;
    QCategoryAxis *m_horizontal = nullptr;
    QCategoryAxis *m_vertical = nullptr;
    QGraphicsLineItem *m_crossHair = nullptr;
    QGraphicsSimpleTextItem *m_note = nullptr;
    bool m_logarithmic = false;
    bool m_curves = false;
    Digits m_digits = Digits::Result;
    double m_from = 1;
    double m_to = 2;
    double m_readoutM1 = NAN;
};

} // namespace ornavel
