#include "table/table.h"

#include "text/decimal_text.h"
#include "text/number_text.h"

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

TableRows::TableRows(const TableSpec &tableSpec)
    : m_spec(tableSpec),
      m_notes(tableSpec.relation->noteTexts(tableSpec.gas.gamma)),
      m_inputColumn(tableSpec.relation->quantities[std::size_t(tableSpec.quantity)].column)
{
    for (const std::string &note : m_notes)
        m_notesName.push_back(note.find('%') != std::string::npos);
    if (!tableSpec.relation->angles.empty())
        m_angleColumn = tableSpec.relation->angles[std::size_t(tableSpec.angle)].column;
}

RowValues TableRows::values(double value, double angle) const
{
    return m_spec.relation->compute(
        {m_spec.gas.gamma, m_spec.quantity, m_spec.branch, value, m_spec.angle, angle});
}

// An input read: its value (an infinity beyond the doubles) and the decimal it was typed as,
// where that is beyond them.
struct TableRows::ReadInput {
    std::optional<double> value;
    std::optional<DecimalText> beyond;
};

namespace {

std::optional<TableRows::ReadInput> readInput(const TableInput &input)
{
    if (input.typed.empty())
        return TableRows::ReadInput {input.value, std::nullopt};
    const auto read = wholeDecimal(input.typed, Blanks::Around);
    if (!read)
        return std::nullopt;
    const double value = read->value();
    // A decimal beyond the doubles either way (1e999, 1e-999) is out of range, not an infinity
    // or a zero.
    if (!std::isinf(value) && (value != 0 || read->digits.empty()))
        return TableRows::ReadInput {value, std::nullopt};
    return TableRows::ReadInput {read->negative ? -HUGE_VAL : HUGE_VAL, *read};
}

} // namespace

ResultRow TableRows::row(const TableInput &input, const TableInput &angle) const
{
    return rowOf(readInput(input), readInput(angle));
}

ResultRow TableRows::rowOf(const std::optional<ReadInput> &first,
                           const std::optional<ReadInput> &second) const
{
    const int columns = int(m_spec.relation->columns.size());
    if (!first || !second || !first->value || !second->value) {
        ResultRow row;
        row.columns = columns;
        row.note = notANumberNote;
        return row;
    }
    const RowValues values = this->values(*first->value, *second->value);
    ResultRow row = formatRow(values, columns, m_inputColumn, *first->value, m_spec.digits, m_angleColumn,
                              *second->value);
    if (first->beyond)
        writeBeyond(row.cells[std::size_t(m_inputColumn)], *first->beyond);
    if (second->beyond && m_angleColumn >= 0)
        writeBeyond(row.cells[std::size_t(m_angleColumn)], *second->beyond);
    const std::size_t note = std::size_t(values.note);
    if (!m_notesName[note]) {
        row.note = m_notes[note].c_str();
        return row;
    }
    // A limit of this row: %1 and %2 as five-decimal results.
    m_named = m_notes[note];
    for (int k = 0; k < 2; ++k) {
        const std::string mark = "%" + std::to_string(k + 1);
        char text[maxNumberTextSize];
        const std::string number(text, writeResultText(text, values.noteNumbers[std::size_t(k)]));
        for (auto at = m_named.find(mark); at != std::string::npos;
             at = m_named.find(mark, at + number.size()))
            m_named.replace(at, mark.size(), number);
    }
    row.note = m_named.c_str();
    return row;
}

std::optional<ResultRow> TableRows::typedRow(std::string_view typed, const TableInput &angle) const
{
    const auto first = readInput(TableInput {std::nullopt, typed});
    if (!first)
        return std::nullopt;
    return rowOf(first, readInput(angle));
}

std::int64_t TableRows::count(const TableValues &values) const
{
    return hasAngles() ? (m_spec.angleValues ? values.count() * m_spec.angleValues->count() : 0)
                       : values.count();
}

ResultRow TableRows::row(const TableValues &values, std::int64_t row) const
{
    if (!hasAngles())
        return this->row(TableInput {values.at(row), values.typed(row)});
    const TableValues &angles = *m_spec.angleValues;
    const std::int64_t outer = row / angles.count(), inner = row % angles.count();
    return this->row(TableInput {values.at(outer), values.typed(outer)},
                     TableInput {angles.at(inner), angles.typed(inner)});
}

bool writeTable(TableOutput &out, TableFormat format, const TableSpec &tableSpec,
                const std::function<bool(std::int64_t)> &progress)
{
    const TableRows rows(tableSpec);
    const std::unique_ptr<TableWriter> writer = tableWriter(format);
    writer->begin(out, tableSpec);
    // Asked every so many rows: often enough to cancel at once, rarely enough to cost nothing.
    constexpr std::int64_t progressRows = 1 << 14;
    const std::int64_t count = tableSpec.values ? rows.count(*tableSpec.values) : 0;
    for (std::int64_t i = 0; i < count && !out.failed(); ++i) {
        if (i % progressRows == 0 && progress && !progress(i))
            return false;
        writer->row(out, rows.row(*tableSpec.values, i));
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

namespace {

std::optional<int> namedAmong(std::span<const RelationQuantity> quantities, std::string_view name)
{
    const std::string lower = lowerCase(name);
    for (std::size_t k = 0; k < quantities.size(); ++k) {
        for (const char *known : quantities[k].names) {
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

} // namespace

std::optional<int> quantityNamed(const Relation &relation, std::string_view name)
{
    return namedAmong(relation.quantities, name);
}

std::optional<int> angleNamed(const Relation &relation, std::string_view name)
{
    return namedAmong(relation.angles, name);
}

} // namespace ornavel
