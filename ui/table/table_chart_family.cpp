#include "ui/table/table_chart.h"

#include "table/table.h"
#include "text/number_text.h"

#include <QCategoryAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPalette>
#include <QScatterSeries>

#include <algorithm>
#include <cmath>

namespace ornavel {

namespace {

// Points along each curve of a family: smooth at any width, 20 Mach numbers redrawn at once.
constexpr int familyPoints = 120;

} // namespace

void TableChart::setFamily(const std::vector<double> &values, double largestAngle,
                           const std::vector<FamilyRow> &rows)
{
    const Relation &relation = *m_spec.relation;
    const int xColumn = relation.chartColumn;
    const int yColumn = m_curveColumns.value(0, 2);
    const int branches = std::max<int>(1, int(relation.branches.size()));
    // The points first: each value's curves, the loci, the rows.
    m_from = 0;
    m_to = 1;
    QList<QList<QPointF>> curves;
    QStringList names;
    for (const double value : values) {
        const double limit = relation.angleLimit(m_spec.gas.gamma, value);
        const double end = relation.curvesToTable ? std::min(limit, largestAngle) : limit;
        char text[maxNumberTextSize];
        const QString name = columnLabel(m_spec, 0) + QStringLiteral(" = ")
            + withDecimalPoint({text, std::size_t(writeResultText(text, value) - text)},
                               QLocale().decimalPoint());
        for (int branch = 0; branch < branches; ++branch) {
            QList<QPointF> points;
            for (int i = 0; i < familyPoints && end > 0; ++i) {
                // Denser toward the end, where a curve turns fastest.
                const double at = end * (1 - std::pow(1 - double(i) / (familyPoints - 1), 2));
                const RowValues row = relation.compute({m_spec.gas.gamma, 0, branch, value, 0, at});
                const double x = row.values[std::size_t(xColumn)], y = row.values[std::size_t(yColumn)];
                if (!row.refused && std::isfinite(x) && std::isfinite(y))
                    points << QPointF(x, y);
            }
            curves << points;
            names << name;
            m_to = std::max(m_to, end);
        }
    }
    const int curveCount = int(curves.size());
    // The loci across the values' span (or, for one value, from just above 1 to it).
    const double low = values.empty() ? 1 : *std::min_element(values.begin(), values.end());
    const double high = values.empty() ? 1 : *std::max_element(values.begin(), values.end());
    for (const RelationLocus &locus : relation.loci) {
        QList<QPointF> points;
        const double from = values.size() > 1 ? low : std::max(1.0001, low / 2), to = std::max(high, from);
        for (int i = 0; i < familyPoints; ++i) {
            // Evenly in ln(M1 - 1), where the loci bend.
            const double value
                = 1 + (from - 1) * std::pow((to - 1) / (from - 1), double(i) / (familyPoints - 1));
            const double x = locus.x(m_spec.gas.gamma, value), y = locus.y(m_spec.gas.gamma, value);
            if (std::isfinite(x) && std::isfinite(y))
                points << QPointF(x, y);
        }
        curves << points;
        names << QString::fromUtf8(locus.label);
    }
    m_familyRows.clear();
    m_familyPoints.clear();
    QList<QPointF> marked;
    for (const FamilyRow &row : rows) {
        const RowValues computed
            = relation.compute({m_spec.gas.gamma, 0, m_spec.branch, row.value, m_spec.angle, row.angle});
        const QPointF at(computed.values[std::size_t(xColumn)], computed.values[std::size_t(yColumn)]);
        if (computed.refused || !std::isfinite(at.x()) || !std::isfinite(at.y()))
            continue;
        m_familyRows.push_back(row);
        m_familyPoints.push_back(at);
        marked << at;
    }

    // The series of the last family serve again where there are as many: making them anew
    // costs Qt Charts more than all the points.
    auto *marks = m_family ? m_marks : nullptr;
    if (!m_family || m_series.size() != curves.size() || !marks) {
        for (QAbstractSeries *series : chart()->series()) {
            chart()->removeSeries(series);
            delete series;
        }
        m_series.clear();
        for (qsizetype k = 0; k < curves.size(); ++k) {
            auto *series = new QLineSeries(this);
            chart()->addSeries(series);
            series->attachAxis(m_horizontal);
            series->attachAxis(m_vertical);
            m_series << series;
        }
        marks = new QScatterSeries(this);
        marks->setName(tr("rows"));
        marks->setMarkerSize(7);
        chart()->addSeries(marks);
        marks->attachAxis(m_horizontal);
        marks->attachAxis(m_vertical);
        m_marks = marks;
        m_family = true;
        m_horizontal->setTitleText(tr("%1 (degrees)").arg(columnLabel(m_spec, xColumn)));
        followPalette();
        // Each value's curves in its colour, the second branch dashed and left out of the legend;
        // the loci in the text's colour, as lines across the family.
        const bool dark = palette().color(QPalette::Window).lightness() < 128;
        const QColor text = m_horizontal->labelsBrush().color();
        for (qsizetype k = 0; k < m_series.size(); ++k) {
            QPen pen = m_series[k]->pen();
            if (k < curveCount) {
                pen.setColor(curveColour(k / branches, dark));
                pen.setStyle(k % branches ? Qt::DashLine : Qt::SolidLine);
            } else {
                pen = QPen(text, 1.5, k == curveCount ? Qt::DashDotLine : Qt::DotLine);
            }
            m_series[k]->setPen(pen);
            if (k < curveCount && k % branches != 0)
                chart()->legend()->markers(m_series[k]).value(0)->setVisible(false);
        }
        marks->setColor(text);
        marks->setBorderColor(text);
    }
    m_to *= 1.02;
    // The axes first: each curve is then laid out once, for its new points on the new axes.
    placeTicks(m_horizontal, 0, m_to, false);
    for (qsizetype k = 0; k < m_series.size(); ++k) {
        m_series[k]->setName(names[k]);
        m_series[k]->replace(curves[k]);
    }
    marks->replace(marked);
    m_curves = !m_series.isEmpty();
    m_note->hide();
    m_readoutRow = -1;
    m_readoutM1 = NAN;
    emit readoutChanged({});
    fitVertical();
    placeMarks();
    describe();
}

void TableChart::showFamilyReadout(int row)
{
    if (row < 0 || row >= int(m_familyRows.size()))
        return;
    m_readoutRow = row;
    TableSpec tableSpec = m_spec;
    const TableValues none;
    tableSpec.angleValues = &none;
    const TableRows rows(tableSpec);
    const ResultRow cells = rows.row(TableInput {m_familyRows[std::size_t(row)].value, {}},
                                     TableInput {m_familyRows[std::size_t(row)].angle, {}});
    m_readoutM1 = m_familyPoints[std::size_t(row)].x();
    emit readoutChanged(readoutText(m_spec, cells));
    placeMarks();
}

} // namespace ornavel
