#pragma once

#include "table/table.h"
#include "table/table_values.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace ornavel {

// The rows of `ornavel table` for a window of rows in view: a view over any number of rows
// holds state for the few it shows, and a cell is computed only when it is asked for.
// Rows are absolute (0 .. totalRows()), the model's rows are those from offset().
class TableModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The table of tableSpec over values (tableSpec.values is set to the model's own copy).
    void setTable(const TableSpec &tableSpec, const TableValues &values, const TableValues &angles = {});
    // Counts the tables set, so that what refers to a row of an earlier one can tell.
    std::uint64_t generation() const { return m_generation; }
    const TableValues &values() const { return m_values; }
    const TableValues &angles() const { return m_angles; }
    // The table shown, its values the model's.
    const TableSpec &tableSpec() const { return m_spec; }
    Digits digits() const { return m_spec.digits; }
    std::int64_t totalRows() const { return m_rows->count(m_values); }

    // The first row in view and how many rows the view has room for.
    std::int64_t offset() const { return m_offset; }
    void setWindow(std::int64_t offset, int rows);
    int windowRows() const { return m_windowRows; }

    // Rows selected, first to last inclusive, or none (first > last); kept within the table.
    void setSelection(std::int64_t first, std::int64_t last);
    std::int64_t selectedFirst() const { return m_selectedFirst; }
    std::int64_t selectedLast() const { return m_selectedLast; }

    // A cell's text as the window shows it: the table's cell with the locale's separator.
    QString cellText(std::int64_t row, int column) const;
    QStringList headerLabels() const;
    // A row number or count in the locale's digits, grouped (10,000,000) whatever the locale says.
    static QString countText(std::int64_t count);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const ResultRow &rowAt(std::int64_t row) const;

    TableValues m_values;
    TableValues m_angles;
    TableSpec m_spec;
    std::unique_ptr<TableRows> m_rows
        = std::make_unique<TableRows>(m_spec); // the notes of the cached row point into it
    std::uint64_t m_generation = 0;
    std::int64_t m_offset = 0;
    int m_windowRows = 1;
    std::int64_t m_selectedFirst = 0;
    std::int64_t m_selectedLast = -1;
    // A view asks for every cell and role of a row in turn: one decision serves them all.
    mutable std::int64_t m_cachedRow = -1;
    mutable ResultRow m_cached;
};

} // namespace ornavel
