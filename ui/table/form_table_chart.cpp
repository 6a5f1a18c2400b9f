#include "ui/table/form_table.h"

#include "cli/table.h"
#include "ui/table/table_chart.h"
#include "ui/table/table_model.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace ornavel {

namespace {

// Rows sampled for the table's M1 range: a range's ends are among them, and M1 is monotonic
// in every known quantity, so the ends of each range bound it.
constexpr std::int64_t rangeSamples = 4096;

} // namespace

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
    auto *layout = new QGridLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart, 0, 0, 1, 3);
    layout->addWidget(Label_Readout, 1, 0);
    layout->addWidget(Check_LogScale, 1, 1);
    layout->addWidget(Command_ExportChart, 1, 2);
    layout->setColumnStretch(0, 1);
    connect(Check_LogScale, &QCheckBox::toggled, Chart, &TableChart::setLogarithmic);
    connect(Chart, &TableChart::readoutChanged, Label_Readout, &QLabel::setText);
    connect(Command_ExportChart, &QPushButton::clicked, this, &Form_Table::exportChart);
    return area;
}

void Form_Table::updateChart()
{
    double from = INFINITY, to = -INFINITY;
    const std::int64_t rows = m_values.count();
    const std::int64_t stride = std::max<std::int64_t>(1, rows / rangeSamples);
    for (std::int64_t row = 0; row < rows;
         row += std::min(stride, std::max<std::int64_t>(1, rows - 1 - row))) {
        const auto value = m_values.at(row);
        const Outcome outcome = value ? calculate(m_model->quantity(), *value) : Outcome {};
        if (value && !outcome.refusal && std::isfinite(outcome.M1)) {
            from = std::min(from, std::fabs(outcome.M1));
            to = std::max(to, std::fabs(outcome.M1));
        }
    }
    if (from <= to)
        Chart->setRange(from, to);
    Label_Readout->clear();
}

void Form_Table::exportChart()
{
    if (!applyTypedValues())
        return;
    const QString path = QFileDialog::getSaveFileName(this, tr("Export Chart"), {},
                                                      tr("PNG image (*.png);;SVG drawing (*.svg)"));
    if (!path.isEmpty() && !Chart->exportTo(path))
        showMessage(tr("Cannot write %1").arg(QFileInfo(path).fileName()));
}

} // namespace ornavel
