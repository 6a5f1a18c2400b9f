#include "ui/table/table_grid.h"

#include "ui/table/table_model.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace ornavel {

TableGrid::TableGrid(QWidget *parent) : QTableView(parent), m_rowBar(new QScrollBar(Qt::Vertical, parent))
{
    m_rowBar->setObjectName(QStringLiteral("Grid_Rows"));
    m_rowBar->setAccessibleName(tr("Rows"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    setWordWrap(false);
    connect(m_rowBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (m_model)
            m_model->setWindow(value, m_model->windowRows());
    });
}

void TableGrid::setTableModel(TableModel *model)
{
    m_model = model;
    setModel(model);
    updateWindow();
}

void TableGrid::tableChanged()
{
    m_anchor = m_current = 0;
    const QSignalBlocker quiet(m_rowBar);
    m_rowBar->setValue(0);
    updateWindow();
}

void TableGrid::updateWindow()
{
    if (!m_model)
        return;
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    const int rows = std::max(1, viewport()->height() / rowHeight + 1);
    const std::int64_t total = m_model->totalRows();
    // The bar counts rows, in an int: totals are bounded by maxRangeRows.
    m_rowBar->setRange(0, int(std::max<std::int64_t>(0, total - rows + 1)));
    m_rowBar->setPageStep(std::max(1, rows - 1));
    m_model->setWindow(m_rowBar->value(), rows);
}

void TableGrid::showRow(std::int64_t row)
{
    const std::int64_t full = std::max(1, m_model->windowRows() - 1);
    if (row < m_model->offset())
        m_rowBar->setValue(int(row));
    else if (row >= m_model->offset() + full)
        m_rowBar->setValue(int(row - full + 1));
}

void TableGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    updateWindow();
}

void TableGrid::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 40;
    m_rowBar->setValue(m_rowBar->value() - steps);
    event->accept();
}

void TableGrid::moveCurrent(std::int64_t row, bool extend)
{
    if (!m_model || m_model->totalRows() == 0)
        return;
    m_current = std::clamp<std::int64_t>(row, 0, m_model->totalRows() - 1);
    if (!extend)
        m_anchor = m_current;
    showRow(m_current);
    m_model->setSelection(m_anchor, m_current);
}

void TableGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::SelectAll) && m_model) {
        m_anchor = 0;
        m_current = m_model->totalRows() - 1;
        m_model->setSelection(m_anchor, m_current);
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const std::int64_t page = std::max(1, m_model ? m_model->windowRows() - 1 : 1);
    switch (event->key()) {
    case Qt::Key_Up:
        return moveCurrent(m_current - 1, extend);
    case Qt::Key_Down:
        return moveCurrent(m_current + 1, extend);
    case Qt::Key_PageUp:
        return moveCurrent(m_current - page, extend);
    case Qt::Key_PageDown:
        return moveCurrent(m_current + page, extend);
    case Qt::Key_Home:
        return moveCurrent(0, extend);
    case Qt::Key_End:
        return moveCurrent(m_model ? m_model->totalRows() - 1 : 0, extend);
    default:
        QTableView::keyPressEvent(event);
    }
}

std::int64_t TableGrid::rowAtPosition(int y) const
{
    const int row = rowAt(y);
    return row < 0 ? -1 : m_model->offset() + row;
}

void TableGrid::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    const std::int64_t row = m_model ? rowAtPosition(event->position().toPoint().y()) : -1;
    if (row >= 0)
        moveCurrent(row, event->modifiers() & Qt::ShiftModifier);
}

void TableGrid::mouseMoveEvent(QMouseEvent *event)
{
    const std::int64_t row = m_model ? rowAtPosition(event->position().toPoint().y()) : -1;
    if (row >= 0 && (event->buttons() & Qt::LeftButton))
        moveCurrent(row, true);
}

} // namespace ornavel
