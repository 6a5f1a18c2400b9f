#include "ui/table/table_accessible.h"

#include "ui/table/table_grid.h"
#include "ui/table/table_model.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>

#include <algorithm>

namespace ornavel {

namespace {

// A list of selected rows a client asks for at once stays this long; the count is the whole.
constexpr int maxListedRows = 100'000;

// A cell of the grid, or a column's header (row -1), by its row in the whole table. It holds
// no text: what it says is asked of the model, and it is invalid once the table changes.
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    GridCell(TableGrid *grid, std::int64_t row, int column)
        : m_grid(grid),
          m_generation(grid->tableModel()->generation()),
          m_row(row),
          m_column(column)
    {
    }

    bool isValid() const override
    {
        return m_grid && m_grid->tableModel()->generation() == m_generation
            && m_row < m_grid->tableModel()->totalRows();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation) const override
    {
        return {};
    }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_grid); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value))
            return {};
        const TableModel *model = m_grid->tableModel();
        return m_row < 0 ? model->headerLabels().value(m_column) : model->cellText(m_row, m_column);
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        if (m_row < 0) {
            const QHeaderView *header = m_grid->horizontalHeader();
            const QPoint at = header->mapToGlobal(QPoint(header->sectionViewportPosition(m_column), 0));
            return QRect(at, QSize(header->sectionSize(m_column), header->height()));
        }
        const std::int64_t inView = m_row - m_grid->tableModel()->offset();
        if (inView < 0 || inView >= m_grid->tableModel()->rowCount())
            return {};
        const QRect cell = m_grid->visualRect(m_grid->tableModel()->index(int(inView), m_column));
        return QRect(m_grid->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override
    {
        return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.invisible = state.offscreen = rect().isEmpty();
        if (m_row >= 0) {
            state.selectable = state.focusable = true;
            state.selected = isSelected();
            state.focused
                = m_grid->hasFocus() && m_row == m_grid->currentRow() && m_column == m_grid->currentColumn();
        }
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface && m_row >= 0
            ? static_cast<QAccessibleTableCellInterface *>(this)
            : nullptr;
    }

    bool isSelected() const override
    {
        return isValid() && m_row >= m_grid->tableModel()->selectedFirst()
            && m_row <= m_grid->tableModel()->selectedLast();
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        QAccessibleInterface *table = parent();
        return table ? QList<QAccessibleInterface *> {table->child(m_column)}
                     : QList<QAccessibleInterface *> {};
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    std::int64_t row() const { return m_row; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return int(m_row); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QPointer<TableGrid> m_grid;
    std::uint64_t m_generation;
    std::int64_t m_row;
    int m_column;
};

// The grid as a table of every row of the table, the column headers first among its children,
// then the cells row by row. Cells are made when asked for and kept until the table changes.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridAccessible(TableGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridAccessible() override { forgetCells(); }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return columnCount() * (rowCount() + 1); }
    QAccessibleInterface *child(int index) const override
    {
        const int columns = columnCount();
        if (index < 0 || index >= childCount())
            return nullptr;
        return cell(index / columns - 1, index % columns);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *cell = dynamic_cast<const GridCell *>(child);
        return cell && cell->isValid() && cell->table() == this
            ? gridChildIndex(model(), cell->row(), cell->columnIndex())
            : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint header = grid()->horizontalHeader()->mapFromGlobal(QPoint(x, y));
        if (grid()->horizontalHeader()->rect().contains(header)) {
            const int column = grid()->horizontalHeader()->logicalIndexAt(header);
            return column < 0 ? nullptr : cell(-1, column);
        }
        const QPoint at = grid()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = grid()->indexAt(at);
        return index.isValid() ? cell(model()->offset() + index.row(), index.column()) : nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        if (!grid()->hasFocus() || model()->totalRows() == 0)
            return nullptr;
        return cell(grid()->currentRow(), grid()->currentColumn());
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
            return nullptr;
        return cell(row, column);
    }
    int selectedCellCount() const override { return selectedRowCount() * columnCount(); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        for (int row : selectedRows())
            for (int column = 0; column < columnCount(); ++column)
                cells << cell(row, column);
        return cells;
    }
    QString columnDescription(int column) const override { return model()->headerLabels().value(column); }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override
    {
        return int(std::max<std::int64_t>(0, model()->selectedLast() - model()->selectedFirst() + 1));
    }
    int columnCount() const override { return model()->columnCount(); }
    // Every row of the table, not only those the model holds for the view.
    int rowCount() const override { return int(model()->totalRows()); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        const std::int64_t last
            = std::min<std::int64_t>(model()->selectedLast(), model()->selectedFirst() + maxListedRows - 1);
        for (std::int64_t row = model()->selectedFirst(); row <= last; ++row)
            rows << int(row);
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override
    {
        return row >= model()->selectedFirst() && row <= model()->selectedLast();
    }
    bool selectRow(int row) override
    {
        if (row < 0 || row >= rowCount())
            return false;
        grid()->selectRow(row);
        return true;
    }
    // The selection is one run of rows, and rows only.
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // A new window of rows resets the model but leaves the cells, which count from the table's top.
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    TableGrid *grid() const { return static_cast<TableGrid *>(widget()); }
    const TableModel *model() const { return grid()->tableModel(); }

    QAccessibleInterface *cell(std::int64_t row, int column) const
    {
        if (m_generation != model()->generation()) {
            forgetCells();
            m_generation = model()->generation();
        }
        const int index = gridChildIndex(model(), row, column);
        if (const QAccessible::Id id = m_cells.value(index))
            return QAccessible::accessibleInterface(id);
        auto *made = new GridCell(grid(), row, column);
        m_cells.insert(index, QAccessible::registerAccessibleInterface(made));
        return made;
    }
    void forgetCells() const
    {
        for (const QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    mutable QHash<int, QAccessible::Id> m_cells;
    mutable std::uint64_t m_generation = 0;
};

// A label whose text a screen reader can read as text, not only hear as its name.
class MessageAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit MessageAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? label()->text() : QAccessibleWidget::text(t);
    }

    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return label()->text().mid(start, end - start); }
    int characterCount() const override { return int(label()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(widget()); }
};

QAccessibleInterface *tableAccessibility(const QString &className, QObject *object)
{
    if (className == u"ornavel::TableGrid")
        return new GridAccessible(static_cast<TableGrid *>(object));
    // The message beside the field, by its name in the window's contract.
    if (className == u"QLabel" && object->objectName() == u"Label_Message")
        return new MessageAccessible(static_cast<QLabel *>(object));
    return nullptr;
}

} // namespace

void installTableAccessibility()
{
    static const bool installed = (QAccessible::installFactory(tableAccessibility), true);
    Q_UNUSED(installed);
}

int gridChildIndex(const TableModel *model, std::int64_t row, int column)
{
    return int((row + 1) * model->columnCount() + column);
}

} // namespace ornavel
