#pragma once

#include "cli/table_format.h"
#include "cli/table_values.h"
#include "decision/result_row.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace ornavel {

// What `ornavel --help` says of the table command.
inline constexpr const char *tableSynopsis
    = "table QUANTITY VALUE... [--format text|csv|tsv|html|markdown|latex] [--digits 15]";
extern const char *const tableHelp;

// `ornavel table`: the window's results for each value, one row each, streamed to out.
// arguments are those after "table". Returns the exit status: 0; 1 when a line of standard
// input was not a number, standard input could not be read or the output failed; 2 for a usage error, with
// nothing on out. Writes text to out, as --help and --version do ("help" in the message); a failed write is
// told on err, naming its own error, and gives 1.
int writeHelp(const char *text, std::FILE *out, std::FILE *err, const char *program);

// The note of a line of standard input or of a file of readings that is not a number.
inline constexpr const char *notANumberNote = "not a number";

// The row of one value as the table writes it; no value: a line that is not a number.
ResultRow tableRow(Quantity quantity, std::optional<double> value, Digits digits);
// The row of a number as typed, or none where typed is not a whole decimal. One beyond the
// doubles either way is out of range, and its input cell keeps the decimal ("1E+999"), cut to
// 16 digits where longer.
std::optional<ResultRow> typedRow(Quantity quantity, std::string_view typed, Digits digits);
// The row of values' row-th value, from its typed text where it has one.
ResultRow tableRow(Quantity quantity, const TableValues &values, std::int64_t row, Digits digits);

// The whole table of values through the writer of format, as `ornavel table` writes it.
// progress, when given, is told the rows written every so many rows; false from it stops
// the table there, and writeTable returns false. out.failed() tells a failed write.
bool writeTable(TableOutput &out, TableFormat format, Quantity quantity, Digits digits,
                const TableValues &values, const std::function<bool(std::int64_t)> &progress);

int runTable(const std::vector<std::string_view> &arguments, int inputFd, std::FILE *out, std::FILE *err);

} // namespace ornavel
