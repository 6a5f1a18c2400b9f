#pragma once

#include <cstdint>

namespace ornavel {

class TableModel;

// Screen readers' view of the Tables window: the grid as a table of every row (its model
// holds only the rows in view), and the message beside the field as text. Installed once.
void installTableAccessibility();

// The grid's accessible child for a cell of the table (row -1: the column's header).
int gridChildIndex(const TableModel *model, std::int64_t row, int column);

} // namespace ornavel
