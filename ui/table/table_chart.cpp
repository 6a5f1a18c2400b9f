#include "ui/table/table_chart.h"

#include "decision/calculate.h"
#include "decision/result_row.h"
#include "text/number_text.h"

#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QLogValueAxis>
#include <QPainter>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace ornavel {

namespace {

// Enough points that a curve is smooth at any window width, few enough to redraw at once:
// the six curves together hold about 10,000.
constexpr int curvePoints = 1667;

// The curves: the column of each in the row of results, and its colour on a light chart (a
// dark one takes them lighter). Six distinct hues, where a theme has five and repeats one.
constexpr int curveColumns[] = {1, 2, 3, 4, 5, 6};
const QColor curveColours[] = {QColor(31, 119, 180),  QColor(44, 160, 44), QColor(214, 110, 0),
                               QColor(148, 103, 189), QColor(214, 39, 40), QColor(0, 0, 0)};

double columnValue(const Outcome &outcome, int column)
{
    const ShockRatios &r = outcome.ratios;
    const double values[resultColumns]
        = {outcome.M1, r.P2P1, r.Ro2Ro1, r.T2T1, r.Po2Po1, r.Po2P1, outcome.M2};
    return values[column];
}

} // namespace

TableChart::TableChart(QWidget *parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("Chart"));
    setAccessibleName(tr("Chart of the shock family against M1"));
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    chart()->legend()->setAlignment(Qt::AlignRight);
    for (int column : curveColumns) {
        auto *series = new QLineSeries(this);
        series->setName(QString::fromUtf8(resultLabels[std::size_t(column)]));
        chart()->addSeries(series);
        m_series << series;
    }
    // A legend entry shows or hides its curve, and stays readable dimmed.
    for (QLegendMarker *marker : chart()->legend()->markers()) {
        connect(marker, &QLegendMarker::clicked, this, [marker] {
            marker->series()->setVisible(!marker->series()->isVisible());
            marker->setVisible(true);
            QFont font = marker->font();
            font.setStrikeOut(!marker->series()->isVisible());
            marker->setFont(font);
        });
    }
    attachAxes();
    followPalette();
    setRange(m_from, m_to);
}

void TableChart::attachAxes()
{
    for (QAbstractAxis *axis : chart()->axes()) {
        chart()->removeAxis(axis);
        delete axis;
    }
    auto *horizontal = new QValueAxis;
    horizontal->setTitleText(QStringLiteral("M1"));
    horizontal->setRange(m_from, m_to);
    if (m_logarithmic) {
        auto *log = new QLogValueAxis;
        log->setBase(10);
        log->setLabelFormat(QStringLiteral("%g"));
        m_vertical = log;
    } else {
        m_vertical = new QValueAxis;
    }
    chart()->addAxis(horizontal, Qt::AlignBottom);
    chart()->addAxis(m_vertical, Qt::AlignLeft);
    for (QLineSeries *series : m_series) {
        series->attachAxis(horizontal);
        series->attachAxis(m_vertical);
    }
}

void TableChart::setRange(double from, double to)
{
    // Below M1 = 1 no shock forms; a single value still gets a span to be seen in.
    m_from = std::max(1.0, std::min(from, to));
    m_to = std::max(m_from, std::max(from, to));
    if (m_to - m_from < 1e-9)
        m_to = m_from + 1;
    double top = 0, bottom = 1;
    QList<QList<QPointF>> points(m_series.size());
    for (int i = 0; i < curvePoints; ++i) {
        const double M1 = m_from + (m_to - m_from) * i / (curvePoints - 1);
        const Outcome outcome = calculate(Quantity::M1, M1);
        if (outcome.refusal)
            continue;
        for (qsizetype k = 0; k < m_series.size(); ++k) {
            const double value = columnValue(outcome, curveColumns[k]);
            points[k] << QPointF(M1, value);
            top = std::max(top, value);
            bottom = std::min(bottom, value);
        }
    }
    // The axes first: each curve is then laid out once, for its new points on the new axes.
    chart()->axes(Qt::Horizontal).value(0)->setRange(m_from, m_to);
    // A log axis cannot reach 0: its floor is the smallest value drawn.
    m_vertical->setRange(m_logarithmic ? std::max(bottom, 1e-6) : 0.0, top * 1.05);
    if (auto *linear = qobject_cast<QValueAxis *>(m_vertical))
        linear->applyNiceNumbers();
    for (qsizetype k = 0; k < m_series.size(); ++k)
        m_series[k]->replace(points[k]);
}

void TableChart::setLogarithmic(bool logarithmic)
{
    m_logarithmic = logarithmic;
    attachAxes();
    setRange(m_from, m_to);
}

QString TableChart::readout(double M1)
{
    const Outcome outcome = calculate(Quantity::M1, M1);
    const QString point = QLocale().decimalPoint();
    if (outcome.refusal)
        return {};
    QStringList parts;
    for (int column = 0; column < resultColumns; ++column)
        parts << QString::fromUtf8(resultLabels[std::size_t(column)]) + QStringLiteral(" = ")
                + resultText(columnValue(outcome, column), point);
    return parts.join(QStringLiteral(", "));
}

void TableChart::mouseMoveEvent(QMouseEvent *event)
{
    QChartView::mouseMoveEvent(event);
    const QPointF inChart = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    if (chart()->plotArea().contains(inChart))
        emit readoutChanged(readout(chart()->mapToValue(inChart, m_series[0]).x()));
}

void TableChart::changeEvent(QEvent *event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

void TableChart::followPalette()
{
    // Qt's dark theme keeps the curves' contrast on a dark window; the light one elsewhere.
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    const auto theme = dark ? QChart::ChartThemeDark : QChart::ChartThemeLight;
    if (chart()->theme() != theme)
        chart()->setTheme(theme);
    for (qsizetype k = 0; k < m_series.size(); ++k) {
        const QColor colour = curveColours[k];
        QPen pen(dark ? (k == 5 ? QColor(235, 235, 235) : colour.lighter(150)) : colour);
        pen.setWidthF(2);
        m_series[k]->setPen(pen);
    }
}

bool TableChart::exportTo(const QString &path)
{
    if (!path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        return grab().save(path);
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size());
    svg.setViewBox(rect());
    svg.setTitle(accessibleName());
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    render(&painter);
    return painter.end();
}

} // namespace ornavel
