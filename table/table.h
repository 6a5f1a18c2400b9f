#pragma once

#include "decision/gas.h"
#include "decision/relation.h"
#include "decision/result_row.h"
#include "table/table_format.h"
#include "table/table_request.h"
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

// One input of a row: its value, and the number as typed where it was typed (so that one
// beyond the doubles keeps its decimal); no value and no text: a line that is not a number.
struct TableInput {
    std::optional<double> value;
    std::string_view typed;
};

// The rows of a table, each computed from its value (and angle) as the tableSpec says. The notes
// of its rows point into it: it outlives them, and a note naming a number lasts until the
// next row.
class TableRows
{
public:
    explicit TableRows(const TableSpec &tableSpec);
    const TableSpec &tableSpec() const { return m_spec; }
    // Whether rows take an angle besides the value.
    bool hasAngles() const { return m_angleColumn >= 0; }

    // The row of an input and, for two inputs, an angle. A typed number beyond the doubles
    // either way is out of range, and its input cell keeps the decimal ("1E+999"), cut to 16
    // digits where longer.
    ResultRow row(const TableInput &input, const TableInput &angle = {0.0, {}}) const;
    ResultRow row(std::optional<double> value) const { return row(TableInput {value, {}}); }
    // The row of a number as typed, or none where typed is not a whole decimal.
    std::optional<ResultRow> typedRow(std::string_view typed, const TableInput &angle = {0.0, {}}) const;
    // The number of rows of values (with tableSpec's angles) and the row-th of them: the values
    // outer, the angles inner.
    std::int64_t count(const TableValues &values) const;
    ResultRow row(const TableValues &values, std::int64_t row) const;
    // The values behind a row, unrounded.
    RowValues values(double value, double angle = 0) const;

    // An input as read (in table.cpp).
    struct ReadInput;

private:
    ResultRow rowOf(const std::optional<ReadInput> &first, const std::optional<ReadInput> &second) const;

    TableSpec m_spec;
    std::vector<std::string> m_notes;
    std::vector<bool> m_notesName; // the note holds %1 or %2
    mutable std::string m_named;   // the last note that names numbers
    int m_inputColumn = 0;
    int m_angleColumn = -1;
};

// The whole table of tableSpec's values through the writer of format, as `ornavel table` writes
// it. progress, when given, is told the rows written every so many rows; false from it stops
// the table there, and writeTable returns false. out.failed() tells a failed write.
bool writeTable(TableOutput &out, TableFormat format, const TableSpec &tableSpec,
                const std::function<bool(std::int64_t)> &progress);

// A relation by its command-line name, and a quantity of it by any of its names, in any letter
// case, with or without the slash: nothing else ("p//2/P/1" is no name).
const Relation *relationNamed(std::string_view name);
std::optional<int> quantityNamed(const Relation &relation, std::string_view name);
// The same among a relation's quantities of its second list, its angles.
std::optional<int> angleNamed(const Relation &relation, std::string_view name);

} // namespace ornavel
