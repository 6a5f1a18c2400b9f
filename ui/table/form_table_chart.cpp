#include "ui/table/form_table.h"

#include "table/table.h"
#include "ui/table/table_chart.h"
#include "ui/table/table_model.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace ornavel {

QWidget *Form_Table::createChart()
{
    auto *area = new QWidget(this);
    Chart = new TableChart(area);
    Chart->setMinimumHeight(240);
    Check_LogScale = new QCheckBox(tr("&Logarithmic axis"), area);
    Check_LogScale->setObjectName(QStringLiteral("Check_LogScale"));
    Check_LogScale->setAccessibleName(tr("Logarithmic axis"));
    Command_ExportChart = new QPushButton(tr("&Export Chart…"), area);
    Command_ExportChart->setObjectName(QStringLiteral("Command_ExportChart"));
    Command_ExportChart->setAccessibleName(tr("Export chart"));
    Label_Readout = new QLabel(area);
    Label_Readout->setObjectName(QStringLiteral("Label_Readout"));
    Label_Readout->setAccessibleName(tr("Values at the pointer"));
    Label_Readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Two lines across the chart, whatever the text: a read-out never resizes the window.
    Label_Readout->setWordWrap(true);
    Label_Readout->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    Label_Readout->setFixedHeight(2 * Label_Readout->fontMetrics().lineSpacing() + 2);
    auto *layout = new QGridLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart, 0, 0, 1, 3);
    layout->addWidget(Label_Readout, 1, 0, 1, 3);
    layout->addWidget(Check_LogScale, 2, 1);
    layout->addWidget(Command_ExportChart, 2, 2);
    layout->setColumnStretch(0, 1);
    connect(Check_LogScale, &QCheckBox::toggled, Chart, &TableChart::setLogarithmic);
    connect(Chart, &TableChart::readoutChanged, this, [this](const QString &text) {
        Label_Readout->setText(text);
        // What a screen reader reads is the values themselves.
        Label_Readout->setAccessibleName(text.isEmpty() ? tr("Values at the pointer") : text);
    });
    connect(Command_ExportChart, &QPushButton::clicked, this, &Form_Table::exportChart);
    return area;
}

void Form_Table::updateChart()
{
    // The chart spans every row at or above its least value (M1 = 1), and shows nothing of
    // another table.
    const TableSpec &tableSpec = m_model->tableSpec();
    Chart->setSpec(tableSpec);
    Check_LogScale->setEnabled(tableSpec.relation->angles.empty());
    if (!tableSpec.relation->angles.empty())
        return updateFamilyChart();
    const ChartSpan span = m_model->values().chartSpan(tableSpec);
    if (!span.empty())
        Chart->setRange(span.from, span.to);
    else if (m_model->totalRows() == 0)
        Chart->clearCurves();
    else
        Chart->clearCurves(tr(tableSpec.relation->chartEmpty));
}

void Form_Table::exportChart()
{
    if (!applyTypedValues())
        return;
    QString filter;
    const QString typed = QFileDialog::getSaveFileName(this, tr("Export Chart"), {},
                                                       tr("PNG image (*.png);;SVG drawing (*.svg)"), &filter);
    if (!typed.isEmpty())
        showMessage(exportChartTo(typed, filter));
}

QString Form_Table::exportChartTo(const QString &typed, const QString &filter)
{
    const QString path = withFilterExtension(typed, filter);
    // A name whose extension is neither is written in the chosen filter's format.
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool svg = suffix == QStringLiteral("svg")
        || (suffix != QStringLiteral("png") && filter.contains(QStringLiteral("*.svg")));
    if (!(svg ? Chart->exportSvg(path) : Chart->exportPng(path)))
        return tr("Cannot write %1").arg(QFileInfo(path).fileName());
    return {};
}

void Form_Table::updateFamilyChart()
{
    // A curve for each value (at most maxFamily, spread over the list), the rows marked (the
    // first few thousand: a chart shows no more).
    constexpr std::int64_t maxMarked = 2000;
    const TableValues &values = m_model->values(), &angles = m_model->angles();
    std::vector<double> family;
    const std::int64_t count = values.count();
    const std::int64_t step
        = std::max<std::int64_t>(1, (count + TableChart::maxFamily - 1) / TableChart::maxFamily);
    for (std::int64_t i = 0; i < count; i += step) {
        const auto value = values.at(i);
        if (value && std::find(family.begin(), family.end(), *value) == family.end())
            family.push_back(*value);
    }
    std::sort(family.begin(), family.end());
    double largestAngle = 0;
    for (std::int64_t j = 0; j < angles.count(); ++j)
        largestAngle = std::max(largestAngle, angles.at(j).value_or(0));
    std::vector<TableChart::FamilyRow> rows;
    for (std::int64_t i = 0; i < count && std::int64_t(rows.size()) < maxMarked; ++i) {
        for (std::int64_t j = 0; j < angles.count() && std::int64_t(rows.size()) < maxMarked; ++j) {
            const auto value = values.at(i), angle = angles.at(j);
            if (value && angle)
                rows.push_back({*value, *angle});
        }
    }
    if (m_model->totalRows() == 0)
        return Chart->clearCurves();
    Chart->setFamily(family, largestAngle, rows);
    if (!Chart->hasCurves())
        Chart->clearCurves(tr(m_model->tableSpec().relation->chartEmpty));
}

} // namespace ornavel
