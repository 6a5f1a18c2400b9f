#include "ui/table/table_chart.h"

#include "table/table.h"
#include "text/number_text.h"
#include "widgets/accessible_role.h"

#include <QCategoryAxis>
#include <QCoreApplication>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace ornavel {

namespace {

// Enough points that a curve is smooth at any window width, few enough to redraw at once:
// the normal shock's six curves together hold about 10,000.
constexpr int curvePoints = 1667;

// The curves' colours on a light chart, in the order of the charted columns, cycling where a
// relation has more (a dark chart takes them lighter, and black as the text's near-white).
// Distinct hues, where a theme has five and repeats one.
const QColor curveColours[]
    = {QColor(31, 119, 180), QColor(44, 160, 44), QColor(214, 110, 0), QColor(148, 103, 189),
       QColor(214, 39, 40),  QColor(0, 0, 0),     QColor(140, 86, 75), QColor(23, 190, 207)};

// Arrow keys move the read-out by a hundredth of the range, Page keys by a tenth.
constexpr double keySteps = 100;

QString decimalPoint()
{
    return QLocale().decimalPoint();
}

// The value the read-out writes: the pointer's, rounded to the digits a table row writes.
double snapped(double x, Digits digits)
{
    char text[maxNumberTextSize];
    char *end = digits == Digits::Full ? writeNumberText(text, x)
        : digits == Digits::Shortest   ? writeShortestText(text, x)
                                       : writeResultText(text, x);
    return wholeNumber(std::string_view(text, std::size_t(end - text))).value_or(x);
}

} // namespace

QString columnLabel(const TableSpec &tableSpec, int column)
{
    return QString::fromUtf8(tableSpec.relation->columns[std::size_t(column)].label);
}

QColor curveColour(qsizetype k, bool dark)
{
    const QColor colour = curveColours[std::size_t(k) % std::size(curveColours)];
    if (!dark)
        return colour;
    return colour == QColor(Qt::black) ? QColor(235, 235, 235) : colour.lighter(150);
}

// The labels of an axis at round values: 1, 2 or 5 × 10^k apart on a linear axis; on a
// logarithmic one (values are log10) at 1, 2 and 5 in each decade, or at whole decades when
// there are many.
void placeTicks(QCategoryAxis *axis, double min, double max, bool logarithmic)
{
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    axis->setRange(min, max);
    // A hair below the range, so that a label on its first value has a category to end.
    axis->setStartValue(min - (max - min) * 1e-9);
    const double margin = (max - min) * 1e-9;
    QList<double> values;
    if (!logarithmic) {
        const double rough = (max - min) / 6;
        const double unit = std::pow(10.0, std::floor(std::log10(rough)));
        const double step = unit
            * (rough / unit < 1.5       ? 1
                   : rough / unit < 3.5 ? 2
                   : rough / unit < 7.5 ? 5
                                        : 10);
        for (double k = std::ceil((min - margin) / step); k * step <= max + margin; ++k)
            values << k * step;
    } else {
        const double decades = max - min;
        const int stride = std::max(1, int(std::ceil(decades / 8)));
        const QList<double> mantissas = decades <= 1.5 ? QList<double> {1, 2, 3, 5, 7}
            : decades <= 3.5                           ? QList<double> {1, 2, 5}
                                                       : QList<double> {1};
        for (int decade = int(std::floor(min)); decade <= int(std::ceil(max)); ++decade) {
            if (decade % stride != 0)
                continue;
            for (const double m : mantissas) {
                const double at = decade + std::log10(m);
                if (at >= min - margin && at <= max + margin)
                    values << at;
            }
        }
    }
    for (const double value : values) {
        const double shown = logarithmic ? std::pow(10.0, value) : value;
        // Rounded to 15 digits, so that 0.30000000000000004 is labelled 0.3.
        axis->append(numberText(shown, decimalPoint()), value);
    }
}

TableChart::TableChart(QWidget *parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("Chart"));
    setAccessibleRole(this, QAccessible::Chart);
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    chart()->legend()->setAlignment(Qt::AlignRight);
    attachAxes();
    makeSeries();
    m_crossHair = new QGraphicsLineItem(chart());
    m_crossHair->setZValue(10);
    m_crossHair->hide();
    m_mark = new QGraphicsLineItem(chart());
    m_mark->setZValue(9);
    m_mark->hide();
    m_note = new QGraphicsSimpleTextItem(chart());
    m_note->setZValue(10);
    m_note->hide();
    connect(chart(), &QChart::plotAreaChanged, this, &TableChart::placeMarks);
    followPalette();
    clearCurves();
}

void TableChart::attachAxes()
{
    m_horizontal = new QCategoryAxis;
    m_vertical = new QCategoryAxis;
    for (QCategoryAxis *axis : {m_horizontal, m_vertical})
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart()->addAxis(m_horizontal, Qt::AlignBottom);
    chart()->addAxis(m_vertical, Qt::AlignLeft);
    placeTicks(m_horizontal, m_from, m_to, false);
    placeTicks(m_vertical, 0, 1, false);
}

void TableChart::makeSeries()
{
    // A curve for each charted column of the relation, named as its column.
    for (QAbstractSeries *series : chart()->series()) {
        chart()->removeSeries(series);
        delete series;
    }
    m_series.clear();
    m_marks = nullptr;
    m_family = false;
    m_familyRows.clear();
    m_familyPoints.clear();
    m_curveColumns.clear();
    const Relation &relation = *m_spec.relation;
    for (std::size_t column = 0; column < relation.columns.size(); ++column) {
        if (!relation.columns[column].charted)
            continue;
        auto *series = new QLineSeries(this);
        series->setName(columnLabel(m_spec, int(column)));
        chart()->addSeries(series);
        series->attachAxis(m_horizontal);
        series->attachAxis(m_vertical);
        m_series << series;
        m_curveColumns << int(column);
    }
    // A legend entry shows or hides its curve, and stays readable dimmed.
    const QList<QLegendMarker *> markers = chart()->legend()->markers();
    for (qsizetype k = 0; k < markers.size(); ++k)
        connect(markers[k], &QLegendMarker::clicked, this, [this, k] { toggleCurve(int(k)); });
    m_horizontal->setTitleText(columnLabel(m_spec, relation.chartColumn));
    m_vertical->setTitleText(tr(relation.chartTitle));
    setAccessibleName(tr(relation.description));
}

void TableChart::setSpec(const TableSpec &tableSpec)
{
    const bool other = tableSpec.relation != m_spec.relation;
    m_spec = tableSpec;
    m_spec.values = nullptr;
    if (other) {
        makeSeries();
        followPalette();
        m_curves = false;
    }
    if (std::isfinite(m_readoutM1))
        showReadout(m_readoutM1);
}

void TableChart::setRange(double from, double to)
{
    const double oldFrom = m_from, oldTo = m_to;
    // Below chartFrom (M1 = 1: no shock forms) nothing is drawn; a single value still gets a
    // span to be seen in.
    const Relation &relation = *m_spec.relation;
    m_from = std::max(relation.chartFrom, std::min(from, to));
    m_to = std::max(m_from, std::max(from, to));
    if (m_to - m_from < 1e-9)
        m_to = m_from + 1;
    QList<QList<QPointF>> points(m_series.size());
    for (int i = 0; i < curvePoints; ++i) {
        const double x = m_from + (m_to - m_from) * i / (curvePoints - 1);
        const RowValues row = relation.compute({m_spec.gas.gamma, 0, m_spec.branch, x});
        if (row.refused)
            continue;
        for (qsizetype k = 0; k < m_series.size(); ++k) {
            const double value = row.values[std::size_t(m_curveColumns[k])];
            // Values are drawn as their logarithms on a logarithmic axis.
            const double y = m_logarithmic ? std::log10(value) : value;
            if (std::isfinite(y))
                points[k] << QPointF(x, y);
        }
    }
    // The read-out stays where only the digits changed; another range is another table.
    const bool sameRange = m_curves && oldFrom == m_from && oldTo == m_to;
    m_curves = true;
    m_note->hide();
    if (!sameRange) {
        m_readoutM1 = NAN;
        emit readoutChanged({});
    }
    // The axes first: each curve is then laid out once, for its new points on the new axes.
    placeTicks(m_horizontal, m_from, m_to, false);
    for (qsizetype k = 0; k < m_series.size(); ++k)
        m_series[k]->replace(points[k]);
    fitVertical();
    placeMarks();
    describe();
}

void TableChart::clearCurves(const QString &note)
{
    for (QAbstractSeries *series : chart()->series()) {
        if (auto *points = qobject_cast<QXYSeries *>(series))
            points->clear();
    }
    m_curves = false;
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
    m_readoutM1 = NAN;
    emit readoutChanged({});
    fitVertical();
    placeMarks();
    describe();
}

QString TableChart::note() const
{
    return m_note->isVisible() ? m_note->text() : QString();
}

void TableChart::fitVertical()
{
    // The curves shown decide the range: one hidden from the legend takes its span along.
    double bottom = INFINITY, top = -INFINITY;
    for (QLineSeries *series : m_series) {
        if (!series->isVisible())
            continue;
        for (const QPointF &p : series->points()) {
            bottom = std::min(bottom, p.y());
            top = std::max(top, p.y());
        }
    }
    if (!(bottom <= top)) {
        bottom = 0;
        top = 1;
    }
    if (m_logarithmic && !m_family) {
        // A twentieth of a decade of room on either side; at least one decade in view.
        const double middle = (bottom + top) / 2;
        bottom = std::min(bottom - 0.05, middle - 0.5);
        top = std::max(top + 0.05, middle + 0.5);
    } else {
        // Ratios are positive: the axis starts at 0.
        bottom = std::min(0.0, bottom);
        top = top > bottom ? top * 1.05 : bottom + 1;
    }
    placeTicks(m_vertical, bottom, top, m_logarithmic);
}

void TableChart::setLogarithmic(bool logarithmic)
{
    m_logarithmic = logarithmic;
    // A family is drawn on a linear axis: its angles and Mach numbers span no decades.
    if (m_family)
        return;
    if (m_curves)
        setRange(m_from, m_to);
    else
        fitVertical();
}

QString TableChart::readout(const TableSpec &tableSpec, double pointer)
{
    TableSpec fromChart = tableSpec;
    fromChart.quantity = 0; // the horizontal column's quantity
    const TableRows rows(fromChart);
    const double x = snapped(pointer, tableSpec.digits);
    if (rows.values(x).refused)
        return {};
    return readoutText(tableSpec, rows.row(x));
}

QString readoutText(const TableSpec &tableSpec, const ResultRow &row)
{
    const QString point = decimalPoint();
    // A comma between values where it is the decimal point would split the numbers.
    const QString separator = point == QStringLiteral(",") ? QStringLiteral("; ") : QStringLiteral(", ");
    QStringList parts;
    for (int column = 0; column < row.columns; ++column) {
        if (row.cells[std::size_t(column)].size > 0)
            parts << columnLabel(tableSpec, column) + QStringLiteral(" = ")
                    + withDecimalPoint(row.cells[std::size_t(column)].view(), point);
    }
    return parts.join(separator);
}

void TableChart::showReadout(double M1)
{
    if (!m_curves)
        return;
    // The numbers are those of the M1 written, as the table gives that M1.
    m_readoutM1 = snapped(std::clamp(M1, m_from, m_to), m_spec.digits);
    emit readoutChanged(readout(m_spec, m_readoutM1));
    placeMarks();
}

void TableChart::placeMarks()
{
    const QRectF plot = chart()->plotArea();
    const bool crossHair = m_curves && std::isfinite(m_readoutM1);
    if (crossHair) {
        const double x = chart()->mapToPosition(QPointF(m_readoutM1, 0), m_series[0]).x();
        m_crossHair->setLine(x, plot.top(), x, plot.bottom());
    }
    m_crossHair->setVisible(crossHair);
    // Where the relation changes its law (the probe's switch at Mach 1), drawn across.
    const double mark = m_spec.relation->chartMark;
    const bool marked = m_curves && mark >= m_from && mark <= m_to;
    if (marked) {
        const double x = chart()->mapToPosition(QPointF(mark, 0), m_series[0]).x();
        m_mark->setLine(x, plot.top(), x, plot.bottom());
    }
    m_mark->setVisible(marked);
    const QRectF text = m_note->boundingRect();
    m_note->setPos(plot.center() - text.center());
}

void TableChart::describe()
{
    QStringList shown;
    for (QLineSeries *series : m_series) {
        if (series->isVisible())
            shown << series->name();
    }
    QString text;
    if (!m_curves)
        text = m_note->text().isEmpty() ? tr("No curves: the table has no rows") : m_note->text();
    else if (shown.isEmpty())
        text = tr("Every curve hidden, %1 from %2 to %3")
                   .arg(columnLabel(m_spec, m_spec.relation->chartColumn), resultText(m_from, decimalPoint()),
                        resultText(m_to, decimalPoint()));
    else
        text = tr("%1 against %2 from %3 to %4")
                   .arg(shown.join(QStringLiteral(", ")), columnLabel(m_spec, m_spec.relation->chartColumn),
                        resultText(m_from, decimalPoint()), resultText(m_to, decimalPoint()));
    setAccessibleDescription(text);
}

void TableChart::toggleCurve(int k)
{
    QLineSeries *series = m_series[k];
    series->setVisible(!series->isVisible());
    QLegendMarker *marker = chart()->legend()->markers(series).value(0);
    marker->setVisible(true);
    QFont font = marker->font();
    font.setStrikeOut(!series->isVisible());
    marker->setFont(font);
    fitVertical();
    describe();
}

void TableChart::mouseMoveEvent(QMouseEvent *event)
{
    QChartView::mouseMoveEvent(event);
    const QPointF inChart = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    if (!chart()->plotArea().contains(inChart) || !m_curves)
        return;
    if (!m_family)
        return showReadout(chart()->mapToValue(inChart, m_series[0]).x());
    // The marked row nearest the pointer, on the screen.
    int nearest = -1;
    double best = INFINITY;
    for (std::size_t k = 0; k < m_familyPoints.size(); ++k) {
        const QPointF d = chart()->mapToPosition(m_familyPoints[k], m_series[0]) - inChart;
        if (QPointF::dotProduct(d, d) < best) {
            best = QPointF::dotProduct(d, d);
            nearest = int(k);
        }
    }
    showFamilyReadout(nearest);
}

void TableChart::keyPressEvent(QKeyEvent *event)
{
    // Along the marked rows of a family, one a key.
    if (m_family
        && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right || event->key() == Qt::Key_Home
            || event->key() == Qt::Key_End)) {
        const int last = int(m_familyRows.size()) - 1;
        const int at = event->key() == Qt::Key_Home ? 0
            : event->key() == Qt::Key_End           ? last
            : event->key() == Qt::Key_Left          ? std::max(0, m_readoutRow - 1)
                                                    : std::min(last, m_readoutRow + 1);
        return showFamilyReadout(at);
    }
    // The keyboard's way along the curves: the read-out moves as the pointer would.
    const double step = (m_to - m_from) / keySteps;
    const double at = std::isfinite(m_readoutM1) ? m_readoutM1 : m_from;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        return showReadout(at - step);
    case Qt::Key_Right:
    case Qt::Key_Up:
        return showReadout(at + step);
    case Qt::Key_PageDown:
        return showReadout(at - 10 * step);
    case Qt::Key_PageUp:
        return showReadout(at + 10 * step);
    case Qt::Key_Home:
        return showReadout(m_from);
    case Qt::Key_End:
        return showReadout(m_to);
    default:
        QChartView::keyPressEvent(event);
    }
}

void TableChart::focusInEvent(QFocusEvent *event)
{
    QChartView::focusInEvent(event);
    if (m_family && m_readoutRow < 0)
        showFamilyReadout(0);
    else if (!m_family && !std::isfinite(m_readoutM1))
        showReadout(m_from);
}

void TableChart::resizeEvent(QResizeEvent *event)
{
    QChartView::resizeEvent(event);
    placeMarks();
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
        QPen pen(curveColour(k, dark));
        pen.setWidthF(2);
        m_series[k]->setPen(pen);
    }
    const QColor text = m_horizontal->labelsBrush().color();
    m_note->setBrush(text);
    m_crossHair->setPen(QPen(text, 1, Qt::DashLine));
    m_mark->setPen(QPen(text, 1.5, Qt::DotLine));
}

void TableChart::settle()
{
    // Qt Charts lays out a changed axis on a later turn of the event loop; a file written
    // at once would show the axis as it was.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(chart(), 0);
}

bool TableChart::exportPng(const QString &path)
{
    // Sharp on the screen it came from, and at least twice the window's size for print.
    settle();
    const qreal scale = std::max<qreal>(2, devicePixelRatioF());
    QImage image(viewport()->size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    const bool crossHair = m_crossHair->isVisible();
    m_crossHair->hide();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    render(&painter, QRectF(QPointF(), viewport()->size()), viewport()->rect());
    painter.end();
    m_crossHair->setVisible(crossHair);
    return image.save(path, "PNG");
}

bool TableChart::exportSvg(const QString &path)
{
    settle();
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(viewport()->size());
    svg.setViewBox(viewport()->rect());
    svg.setTitle(accessibleName());
    svg.setDescription(accessibleDescription());
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    // Qt Charts strokes a curve one segment at a time, thousands of lines in an SVG: the chart
    // is drawn without its curves, then each curve as one path from its points.
    const bool crossHair = m_crossHair->isVisible();
    m_crossHair->hide();
    for (QLineSeries *series : m_series)
        series->setOpacity(0);
    render(&painter, QRectF(QPointF(), viewport()->size()), viewport()->rect());
    for (QLineSeries *series : m_series)
        series->setOpacity(1);
    m_crossHair->setVisible(crossHair);
    const auto inView = [this](QPointF p) { return viewportTransform().map(chart()->mapToScene(p)); };
    const QRectF plot = chart()->plotArea();
    painter.setClipRect(QRectF(inView(plot.topLeft()), inView(plot.bottomRight())));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    for (QLineSeries *series : m_series) {
        if (!series->isVisible() || series->count() == 0)
            continue;
        QList<QPointF> points = series->points();
        for (QPointF &p : points)
            p = inView(chart()->mapToPosition(p, series));
        // Points within a fiftieth of a pixel of a longer line add bytes, not shape.
        QPainterPath path(points.front());
        qsizetype kept = 0;
        const auto within = [&points](qsizetype a, qsizetype b, qsizetype last) {
            const QPointF chord = points[b] - points[a];
            const double length = std::hypot(chord.x(), chord.y());
            for (qsizetype j = a + 1; j <= last; ++j) {
                const QPointF off = points[j] - points[a];
                if (!(std::fabs(chord.x() * off.y() - chord.y() * off.x()) < 0.02 * length))
                    return false;
            }
            return true;
        };
        for (qsizetype i = 1; i < points.size(); ++i) {
            if (i + 1 < points.size() && within(kept, i + 1, i))
                continue;
            path.lineTo(points[i]);
            kept = i;
        }
        painter.setPen(series->pen());
        painter.drawPath(path);
    }
    return painter.end();
}

} // namespace ornavel
