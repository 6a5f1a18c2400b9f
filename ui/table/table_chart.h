#pragma once

#include <QChartView>

class QAbstractAxis;
class QLineSeries;

namespace ornavel {

// The shock family against M1 over a range: P2/P1, ρ2/ρ1, T2/T1, Po2/Po1, Po2/P1 and M2, each
// toggled from its legend, on a linear or logarithmic vertical axis, with a read-out of every
// value at the pointer's M1, computed there.
class TableChart : public QChartView
{
    Q_OBJECT
public:
    explicit TableChart(QWidget *parent = nullptr);

    // Draws the family from M1 = from to M1 = to; nothing where no shock forms.
    void setRange(double from, double to);
    double from() const { return m_from; }
    double to() const { return m_to; }
    void setLogarithmic(bool logarithmic);
    // Every value at M1, from the decision, as the read-out shows it.
    static QString readout(double M1);
    // Writes the chart as PNG or SVG by the file's extension; false when it cannot.
    bool exportTo(const QString &path);

signals:
    void readoutChanged(const QString &text);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void attachAxes();
    void followPalette();

    QList<QLineSeries *> m_series;
    QAbstractAxis *m_vertical = nullptr;
    bool m_logarithmic = false;
    double m_from = 1;
    double m_to = 5;
};

} // namespace ornavel
