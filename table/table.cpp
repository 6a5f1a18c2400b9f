#include "table/table.h"

#include "text/decimal_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ornavel {

namespace {

// A decimal as the input cell of a value beyond the doubles: at most 16 of its digits, the cut
// marked by an ellipsis, and its exponent ("1E+999").
void writeBeyond(Cell &cell, const DecimalText &decimal)
{
    std::string text = decimal.negative ? "-" : "";
    text += decimal.digits.front();
    if (decimal.digits.size() > 1)
        text.append(".").append(decimal.digits, 1, 15);
    if (decimal.digits.size() > 16)
        text += "…";
    const long power = decimal.exponent + long(decimal.digits.size()) - 1;
    text += (power < 0 ? "E-" : "E+") + std::string(power > -10 && power < 10 ? "0" : "")
        + std::to_string(std::labs(power));
    cell.size = std::uint8_t(std::min(text.size(), sizeof cell.text));
    std::memcpy(cell.text, text.data(), cell.size);
}

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    // tolower leaves the bytes of "ρ" alone.
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

} // namespace

TableRows::TableRows(const TableSpec &spec)
    : m_spec(spec),
      m_notes(spec.relation->noteTexts(spec.gas.gamma)),
      m_inputColumn(spec.relation->quantities[std::size_t(spec.quantity)].column)
{
}

RowValues TableRows::values(double value) const
{
    return m_spec.relation->compute(m_spec.gas.gamma, m_spec.quantity, m_spec.branch, value);
}

ResultRow TableRows::format(const RowValues &values, double input) const
{
    ResultRow row
        = formatRow(values, int(m_spec.relation->columns.size()), m_inputColumn, input, m_spec.digits);
    row.note = m_notes[std::size_t(values.note)].c_str();
    return row;
}

ResultRow TableRows::row(std::optional<double> value) const
{
    if (value)
        return format(values(*value), *value);
    ResultRow row;
    row.columns = int(m_spec.relation->columns.size());
    row.note = notANumberNote;
    return row;
}

std::optional<ResultRow> TableRows::typedRow(std::string_view typed) const
{
    const auto read = wholeDecimal(typed, Blanks::Around);
    if (!read)
        return std::nullopt;
    const DecimalText &decimal = *read;
    const double value = decimal.value();
    // A decimal beyond the doubles either way (1e999, 1e-999) is out of range, not an infinity
    // or a zero.
    if (!std::isinf(value) && (value != 0 || decimal.digits.empty()))
        return row(value);
    const double beyond = decimal.negative ? -HUGE_VAL : HUGE_VAL;
    ResultRow result = row(beyond);
    writeBeyond(result.cells[std::size_t(m_inputColumn)], decimal);
    return result;
}

ResultRow TableRows::row(const TableValues &values, std::int64_t row) const
{
    const std::string_view typed = values.typed(row);
    return typed.empty() ? this->row(values.at(row)) : *typedRow(typed);
}

bool writeTable(TableOutput &out, TableFormat format, const TableSpec &spec,
                const std::function<bool(std::int64_t)> &progress)
{
    const TableRows rows(spec);
    const std::unique_ptr<TableWriter> writer = tableWriter(format);
    writer->begin(out, spec);
    // Asked every so many rows: often enough to cancel at once, rarely enough to cost nothing.
    constexpr std::int64_t progressRows = 1 << 14;
    const std::int64_t count = spec.values ? spec.values->count() : 0;
    for (std::int64_t i = 0; i < count && !out.failed(); ++i) {
        if (i % progressRows == 0 && progress && !progress(i))
            return false;
        writer->row(out, rows.row(*spec.values, i));
    }
    writer->end(out);
    out.flush();
    return true;
}

const Relation *relationNamed(std::string_view name)
{
    const std::string lower = lowerCase(name);
    for (const Relation &relation : relations()) {
        if (lower == relation.name)
            return &relation;
    }
    return nullptr;
}

std::optional<int> quantityNamed(const Relation &relation, std::string_view name)
{
    const std::string lower = lowerCase(name);
    for (std::size_t k = 0; k < relation.quantities.size(); ++k) {
        for (const char *known : relation.quantities[k].names) {
            if (!known)
                continue;
            // As listed, or without its slash: nothing else ("p//2/P/1" is no name).
            std::string bare(known);
            std::erase(bare, '/');
            if (lower == known || lower == bare)
                return int(k);
        }
    }
    return std::nullopt;
}

} // namespace ornavel
