#pragma once

#include "decision/result_row.h"
#include "table/table_output.h"
#include "table/table_request.h"

#include <memory>
#include <optional>
#include <string_view>

namespace ornavel {

enum class TableFormat { Text, Csv, Tsv, Html, Markdown, Latex };

std::optional<TableFormat> tableFormat(std::string_view name);

// Writes a table row by row as the rows come: the opening and the header, each row, the closing.
class TableWriter
{
public:
    virtual ~TableWriter() = default;
    virtual void begin(TableOutput &out, const TableSpec &tableSpec) = 0;
    virtual void row(TableOutput &out, const ResultRow &row) = 0;
    virtual void end(TableOutput &out) = 0;
};

std::unique_ptr<TableWriter> tableWriter(TableFormat format);

} // namespace ornavel
