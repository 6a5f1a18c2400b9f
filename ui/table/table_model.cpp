#include "ui/table/table_model.h"

#include "table/table.h"
#include "text/number_text.h"

#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>

#include <algorithm>

namespace ornavel {

void TableModel::setTable(const TableSpec &tableSpec, const TableValues &values, const TableValues &angles)
{
    beginResetModel();
    m_values = values;
    m_angles = angles;
    m_spec = tableSpec;
    m_spec.values = &m_values;
    m_spec.angleValues = &m_angles;
    m_rows = std::make_unique<TableRows>(m_spec);
    m_offset = 0;
    m_selectedFirst = 0;
    m_selectedLast = -1;
    m_cachedRow = -1;
    ++m_generation;
    endResetModel();
}

void TableModel::setWindow(std::int64_t offset, int rows)
{
    offset = std::clamp<std::int64_t>(offset, 0, std::max<std::int64_t>(0, totalRows() - 1));
    rows = std::max(rows, 1);
    if (offset == m_offset && rows == m_windowRows)
        return;
    // A reset of a few rows costs less than moving them, and keeps no per-row state.
    beginResetModel();
    m_offset = offset;
    m_windowRows = rows;
    endResetModel();
}

void TableModel::setSelection(std::int64_t first, std::int64_t last)
{
    // Rows outside the table would be made up (the row cache answers for row -1), never copied.
    const std::int64_t end = totalRows() - 1;
    m_selectedFirst = end < 0 ? 0 : std::clamp<std::int64_t>(std::min(first, last), 0, end);
    m_selectedLast = end < 0 ? -1 : std::clamp<std::int64_t>(std::max(first, last), 0, end);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const ResultRow &TableModel::rowAt(std::int64_t row) const
{
    if (row != m_cachedRow) {
        m_cached = m_rows->row(m_values, row);
        m_cachedRow = row;
    }
    return m_cached;
}

QString TableModel::cellText(std::int64_t row, int column) const
{
    const ResultRow &r = rowAt(row);
    if (column == r.columns)
        return QString::fromUtf8(r.note);
    return withDecimalPoint(r.cells[std::size_t(column)].view(), QLocale().decimalPoint());
}

QStringList TableModel::headerLabels() const
{
    QStringList labels;
    for (const RelationColumn &column : m_spec.relation->columns)
        labels << QString::fromUtf8(column.label);
    labels << QString::fromUtf8(noteLabel);
    return labels;
}

QString TableModel::countText(std::int64_t count)
{
    // The C locale omits the group separator unless told otherwise.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(qint64(count));
}

int TableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(std::clamp<std::int64_t>(totalRows() - m_offset, 0, m_windowRows));
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_spec.relation->columns.size()) + 1;
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const std::int64_t row = m_offset + index.row();
    const bool selected = row >= m_selectedFirst && row <= m_selectedLast;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cellText(row, index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(index.column() == columnCount() - 1 ? Qt::AlignLeft | Qt::AlignVCenter
                                                                       : Qt::AlignRight | Qt::AlignVCenter);
    case Qt::FontRole: {
        // A row with a note (refused, estimated, subsonic) stands out at a glance.
        if (*rowAt(row).note == '\0')
            return {};
        QFont font;
        font.setItalic(true);
        return font;
    }
    case Qt::BackgroundRole:
        return selected ? QVariant(QGuiApplication::palette().highlight()) : QVariant();
    case Qt::ForegroundRole:
        return selected ? QVariant(QGuiApplication::palette().highlightedText()) : QVariant();
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return headerLabels().value(section);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return countText(m_offset + section + 1);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace ornavel
