#include "ui/table/table_grid.h"

#include "ui/table/table_accessible.h"
#include "ui/table/table_model.h"

#include <QAccessible>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolTip>

#include <algorithm>
#include <cstdlib>

namespace ornavel {

namespace {

// One wheel notch (120) scrolls three rows, as Qt's views do by default.
constexpr int wheelPerRow = 40;

} // namespace

TableGrid::TableGrid(QWidget *parent) : QTableView(parent), m_rowBar(new QScrollBar(Qt::Vertical, parent))
{
    m_rowBar->setObjectName(QStringLiteral("Grid_Rows"));
    m_rowBar->setAccessibleName(tr("Rows"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    // Tab leaves the grid for the next control; the arrows move inside it.
    setTabKeyNavigation(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setWordWrap(false);
    connect(m_rowBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (m_model)
            showWindow(value);
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
    m_widths.clear();
    // The row numbers take the width of the largest, so that scrolling does not move the columns.
    const QString largest
        = TableModel::countText(std::max<std::int64_t>(1, m_model ? m_model->totalRows() : 1));
    verticalHeader()->setFixedWidth(
        verticalHeader()->fontMetrics().horizontalAdvance(largest)
        + 4 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, verticalHeader()));
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
    fitColumns();
}

void TableGrid::showWindow(std::int64_t offset)
{
    // A new window of rows resets the view, and with it the columns and the sideways scroll.
    const int sideways = horizontalScrollBar()->value();
    m_model->setWindow(offset, m_model->windowRows());
    fitColumns();
    horizontalScrollBar()->setValue(sideways);
}

void TableGrid::fitColumns()
{
    if (!m_model)
        return;
    const int columns = m_model->columnCount();
    m_widths.resize(std::size_t(columns), 0);
    for (int column = 0; column < columns; ++column)
        m_widths[std::size_t(column)]
            = std::max(m_widths[std::size_t(column)], horizontalHeader()->sectionSizeHint(column));
    // Row by row: the model computes a row once for all its cells. A little air between
    // right-aligned numbers and the next column's.
    const int padding = fontMetrics().averageCharWidth();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    for (int row = 0; row < m_model->rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            int &width = m_widths[std::size_t(column)];
            width = std::max(width, cellWidth(option, m_model->index(row, column)) + padding);
        }
    }
    // The note, last, also fills what the numbers leave of the view.
    int numbers = 0;
    for (int column = 0; column + 1 < columns; ++column) {
        setColumnWidth(column, m_widths[std::size_t(column)]);
        numbers += m_widths[std::size_t(column)];
    }
    if (columns > 0)
        setColumnWidth(columns - 1, std::max(m_widths.back(), viewport()->width() - numbers));
}

int TableGrid::currentColumn() const
{
    return std::max(0, currentIndex().column());
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
    const QPoint delta = event->angleDelta();
    if (std::abs(delta.x()) > std::abs(delta.y()))
        return QTableView::wheelEvent(event); // sideways, over the columns
    // A touchpad sends many small deltas: they add up to rows rather than each falling short.
    m_wheelRest += delta.y();
    const int steps = m_wheelRest / wheelPerRow;
    m_wheelRest -= steps * wheelPerRow;
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
    announceCurrent();
}

void TableGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // Not QTableView's: its event names a cell of the window of rows, not of the table.
    QAbstractItemView::currentChanged(current, previous);
    announceCurrent();
}

void TableGrid::announceCurrent()
{
    if (!QAccessible::isActive() || !m_model || m_model->totalRows() == 0)
        return;
    const int cell = gridChildIndex(m_model, m_current, currentColumn());
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(cell);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(cell);
        QAccessible::updateAccessibility(&focus);
    }
}

void TableGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::SelectAll) && m_model) {
        if (m_model->totalRows() > 0) {
            m_anchor = 0;
            m_current = m_model->totalRows() - 1;
            m_model->setSelection(m_anchor, m_current);
            announceCurrent();
        }
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

int TableGrid::cellWidth(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The grid line is drawn inside the cell.
    return itemDelegate()->sizeHint(option, index).width() + (showGrid() ? 1 : 0);
}

bool TableGrid::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    // The whole text of a cell too narrow for it, and nothing over a cell that reads whole.
    const auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect cell = visualRect(index);
    if (index.isValid() && cellWidth(option, index) > cell.width())
        QToolTip::showText(help->globalPos(), index.data().toString(), viewport(), cell);
    else
        QToolTip::hideText();
    return true;
}

} // namespace ornavel
