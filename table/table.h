#pragma once

#include "decision/gas.h"
#include "decision/relation.h"
#include "decision/result_row.h"
#include "table/table_format.h"
#include "table/table_spec.h"
#include "table/table_values.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornavel {

// The note of a line of standard input or of a file of readings that is not a number.
inline constexpr const char *notANumberNote = "not a number";

// The rows of a table, each computed from its value as the spec says. The notes of its rows
// point into it: it outlives them.
class TableRows
{
public:
    explicit TableRows(const TableSpec &spec);
    const TableSpec &spec() const { return m_spec; }
    int inputColumn() const { return m_inputColumn; }

    // The row of one value; no value: a line that is not a number.
    ResultRow row(std::optional<double> value) const;
    // The row of a number as typed, or none where typed is not a whole decimal. One beyond the
    // doubles either way is out of range, and its input cell keeps the decimal ("1E+999"), cut
    // to 16 digits where longer.
    std::optional<ResultRow> typedRow(std::string_view typed) const;
    // The row of values' row-th value, from its typed text where it has one.
    ResultRow row(const TableValues &values, std::int64_t row) const;
    // The values behind a row, unrounded.
    RowValues values(double value) const;

private:
    ResultRow format(const RowValues &values, double input) const;

    TableSpec m_spec;
    std::vector<std::string> m_notes;
    int m_inputColumn = 0;
};

// The whole table of spec's values through the writer of format, as `ornavel table` writes
// it. progress, when given, is told the rows written every so many rows; false from it stops
// the table there, and writeTable returns false. out.failed() tells a failed write.
bool writeTable(TableOutput &out, TableFormat format, const TableSpec &spec,
                const std::function<bool(std::int64_t)> &progress);

// A relation by its command-line name, and a quantity of it by any of its names, in any letter
// case, with or without the slash: nothing else ("p//2/P/1" is no name).
const Relation *relationNamed(std::string_view name);
std::optional<int> quantityNamed(const Relation &relation, std::string_view name);

} // namespace ornavel
