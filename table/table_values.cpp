#include "table/table_values.h"

#include "decision/result_row.h"
#include "table/reading_lines.h"
#include "text/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace ornavel {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Near enough to compare orders of magnitude.
long double approximate(const DecimalText &d)
{
    const long double value = std::strtold(d.digits.empty() ? "0" : d.digits.c_str(), nullptr);
    return (d.negative ? -value : value) * std::pow(10.0L, (long double)d.exponent);
}

std::string digitsOf(ExactInt value)
{
    std::string digits;
    do {
        digits.push_back(char('0' + int(value % 10)));
        value /= 10;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

// The decimal as a whole number of units of 10^exponent (at or below its own exponent), or
// nothing where that takes more digits than an ExactInt holds.
std::optional<ExactInt> exactUnits(const DecimalText &d, long exponent)
{
    const long shift = d.exponent - exponent;
    if (d.digits.empty())
        return ExactInt(0);
    if (long(d.digits.size()) + shift > 37)
        return std::nullopt;
    ExactInt u = 0;
    for (char c : d.digits)
        u = u * 10 + (c - '0');
    for (long s = 0; s < shift; ++s)
        u *= 10;
    return d.negative ? -u : u;
}

// FROM, TO and STEP as decimals; false with the message that names the first problem.
bool readRangeParts(std::string_view text, DecimalText (&d)[3], std::string &error)
{
    const auto first = text.find(':');
    const auto second = text.find(':', first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos
        || text.find(':', second + 1) != std::string_view::npos) {
        error = "a range is FROM:TO:STEP";
        return false;
    }
    const std::string_view parts[3]
        = {text.substr(0, first), text.substr(first + 1, second - first - 1), text.substr(second + 1)};
    for (int k = 0; k < 3; ++k) {
        const auto parsed = wholeDecimal(parts[k], Blanks::Around);
        if (!parsed) {
            error = std::string("'")
                        .append(parts[k])
                        .append("' in range ")
                        .append(text)
                        .append(" is not a number");
            return false;
        }
        d[k] = *parsed;
    }
    return true;
}

// The chart's value of a row: its horizontal column, NaN where the row is refused.
double chartValue(const TableSpec &tableSpec, double value)
{
    const RowValues row
        = tableSpec.relation->compute({tableSpec.gas.gamma, tableSpec.quantity, tableSpec.branch, value});
    return row.refused ? NAN : std::fabs(row.values[std::size_t(tableSpec.relation->chartColumn)]);
}

// Where a row stands against the rows at or above chartFrom of a run of values of one sign:
// the chart's value grows or shrinks with |value| in every quantity (Po2/P1 too, where its
// iteration settles or M1 is below 1), so along the run the rows fall in three blocks: before
// them (below chartFrom, or refused as too small a value to have an answer), among them (0),
// past them (refused as too large a value: beyond the doubles, M2 at or above 1). Refused
// values are placed by their side of the value at chartFrom.
class RunSides
{
public:
    RunSides(const TableSpec &tableSpec, const DecimalRange &range) : m_spec(tableSpec), m_range(range)
    {
        const Relation &relation = *tableSpec.relation;
        const int column = relation.quantities[std::size_t(tableSpec.quantity)].column;
        const auto at = [&](double x) {
            return relation.compute({tableSpec.gas.gamma, 0, tableSpec.branch, x})
                .values[std::size_t(column)];
        };
        m_atFrom = at(relation.chartFrom);
        m_growing = at(relation.chartFrom + 1) > m_atFrom;
    }
    // -1 before, 0 among, 1 past, in the order of |value|'s growth given.
    int side(std::int64_t row, bool absGrowsWithRow) const
    {
        const double value = m_range.at(row);
        const double x = chartValue(m_spec, value);
        int side;
        if (!std::isnan(x))
            side = x >= m_spec.relation->chartFrom ? 0 : -1;
        else
            side = (std::fabs(value) > m_atFrom) == m_growing ? 1 : -1;
        return absGrowsWithRow == m_growing ? side : -side;
    }
    // Adds the rows first .. last, all of one sign, through their two ends among the rows at
    // or above chartFrom.
    void addRun(std::int64_t first, std::int64_t last, ChartSpan &span) const
    {
        const bool grows = std::fabs(m_range.at(last)) >= std::fabs(m_range.at(first));
        // The first row whose side is at least `least`.
        const auto firstAtLeast = [&](int least) {
            std::int64_t lo = first, hi = last + 1;
            while (lo < hi) {
                const std::int64_t mid = lo + (hi - lo) / 2;
                if (side(mid, grows) >= least)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            return lo;
        };
        const std::int64_t begin = firstAtLeast(0), end = firstAtLeast(1);
        for (const std::int64_t row : {begin, end - 1}) {
            if (row >= first && row <= last && side(row, grows) == 0)
                span.add(m_spec, m_range.at(row));
        }
    }

private:
    const TableSpec &m_spec;
    const DecimalRange &m_range;
    double m_atFrom = 1;
    bool m_growing = true;
};

ChartSpan rangeSpan(const TableSpec &tableSpec, const DecimalRange &range)
{
    ChartSpan span;
    const std::int64_t last = range.count() - 1;
    if (last < 0)
        return span;
    // Values are monotonic in the row: the runs of one sign meet where the sign changes.
    const bool firstNegative = range.at(0) < 0;
    std::int64_t lo = 0, hi = last + 1;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if ((range.at(mid) < 0) != firstNegative)
            hi = mid;
        else
            lo = mid + 1;
    }
    const RunSides sides(tableSpec, range);
    sides.addRun(0, lo - 1, span);
    if (lo <= last)
        sides.addRun(lo, last, span);
    return span;
}

} // namespace

void ChartSpan::add(const TableSpec &tableSpec, double value)
{
    const double x = chartValue(tableSpec, value);
    if (!(x >= tableSpec.relation->chartFrom) || !std::isfinite(x))
        return;
    from = std::min(from, x);
    to = std::max(to, x);
}

void ChartSpan::add(const ChartSpan &other)
{
    from = std::min(from, other.from);
    to = std::max(to, other.to);
}

ChartSpan TableValues::chartSpan(const TableSpec &tableSpec) const
{
    ChartSpan span;
    for (const Segment &segment : m_segments) {
        if (!segment.readings.empty()) {
            auto &kept = segment.readingsSpan;
            if (!kept || !(kept->first == SpanKey(tableSpec))) {
                kept.emplace(SpanKey(tableSpec), ChartSpan {});
                for (const double reading : segment.readings) {
                    if (!std::isnan(reading))
                        kept->second.add(tableSpec, reading);
                }
            }
            span.add(kept->second);
        } else if (const auto *number = std::get_if<double>(&segment.word)) {
            span.add(tableSpec, *number);
        } else {
            span.add(rangeSpan(tableSpec, std::get<DecimalRange>(segment.word)));
        }
    }
    return span;
}

std::optional<double> wholeNumber(std::string_view text)
{
    const auto number = wholeDecimal(text, Blanks::Around);
    return number ? std::optional(number->value()) : std::nullopt;
}

bool isRange(std::string_view text)
{
    return text.find(':') != std::string_view::npos;
}

DecimalRange DecimalRange::parse(std::string_view text, std::int64_t maxCount, std::string &error)
{
    DecimalRange range;
    DecimalText d[3];
    if (!readRangeParts(text, d, error))
        return range;
    if (d[2].digits.empty()) {
        error = "range " + std::string(text) + " has a zero step";
        return range;
    }

    // One exponent for all three, so that they become exact integers.
    long exponent = d[2].exponent;
    for (const DecimalText &w : d) {
        if (!w.digits.empty())
            exponent = std::min(exponent, w.exponent);
    }
    ExactInt units[3];
    for (int k = 0; k < 3; ++k) {
        const auto scaled = exactUnits(d[k], exponent);
        if (!scaled) {
            // Too many rows is the likelier fault (0:1:1e-40): say so when it is one.
            const long double span = std::fabs(approximate(d[1]) - approximate(d[0]));
            if (span / std::fabs(approximate(d[2])) >= (long double)maxCount)
                error = "range " + std::string(text) + " has more than " + std::to_string(maxCount) + " rows";
            else
                error = "range " + std::string(text) + " needs more than 37 digits to step exactly";
            return range;
        }
        units[k] = *scaled;
    }
    const ExactInt span = units[1] - units[0];
    if ((span > 0 && units[2] < 0) || (span < 0 && units[2] > 0)) {
        error = "range " + std::string(text)
            + (units[2] < 0 ? " counts down to a larger TO" : " counts up to a smaller TO");
        return range;
    }
    const ExactInt steps = span / units[2];
    if (steps >= ExactInt(maxCount)) {
        error = "range " + std::string(text) + " has " + digitsOf(steps + 1) + " rows, more than "
            + std::to_string(maxCount);
        return range;
    }
    range.m_from = units[0];
    range.m_step = units[2];
    range.m_exponent = int(exponent);
    range.m_count = std::int64_t(steps) + 1;
    return range;
}

double DecimalRange::at(std::int64_t i) const
{
    const ExactInt units = m_from + ExactInt(i) * m_step;
    const bool negative = units < 0;
    const ExactInt magnitude = negative ? -units : units;
    if (magnitude == 0)
        return 0.0;
    char buffer[48];
    std::string_view digits;
    std::string wide;
    if (magnitude <= ExactInt(std::numeric_limits<std::int64_t>::max())) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::int64_t(magnitude)).ptr;
        digits = std::string_view(buffer, std::size_t(end - buffer));
    } else {
        wide = digitsOf(magnitude);
        digits = wide;
    }
    return nearestDouble(negative, digits, m_exponent);
}

std::optional<ValueWord> readValueWord(std::string_view word, std::string &error)
{
    if (isRange(word)) {
        std::string message;
        DecimalRange range = DecimalRange::parse(word, maxRangeRows, message);
        if (message.empty())
            return range;
        error = message;
        return std::nullopt;
    }
    if (const auto number = wholeNumber(word))
        return *number;
    error = std::string("'").append(word).append("' is not a number");
    return std::nullopt;
}

bool TableValues::parse(std::string_view text, std::string &error)
{
    // Read whole before anything is kept, so that a bad word leaves no half-filled table.
    TableValues read = *this;
    while (!(text = trimmed(text)).empty()) {
        std::size_t end = 0;
        while (end < text.size() && !isBlank(text[end]))
            ++end;
        const auto word = readValueWord(text.substr(0, end), error);
        if (!word)
            return false;
        const std::int64_t rows
            = std::holds_alternative<double>(*word) ? 1 : std::get<DecimalRange>(*word).count();
        if (rows > maxRangeRows - read.m_count) {
            error = "the values give more than " + std::to_string(maxRangeRows) + " rows";
            return false;
        }
        std::string typed = std::holds_alternative<double>(*word) ? std::string(text.substr(0, end)) : "";
        read.m_segments.push_back({read.m_count, *word, {}, std::move(typed), {}});
        read.m_count += rows;
        text.remove_prefix(end);
    }
    *this = std::move(read);
    return true;
}

ReadingsLoader::ReadingsLoader(const TableSpec &tableSpec, char decimalPoint)
    : m_spec(tableSpec),
      m_decimalPoint(decimalPoint)
{
}

bool ReadingsLoader::feed(std::string_view chunk)
{
    if (!m_error.empty())
        return false;
    if (!m_lines.feed(chunk, [this](const ReadingLine &line) { add(line); }) && m_error.empty())
        m_error = "is UTF-16 text; save the readings as UTF-8 or ASCII";
    return m_error.empty();
}

bool ReadingsLoader::finish()
{
    if (m_error.empty())
        m_lines.finish([this](const ReadingLine &line) { add(line); });
    return m_error.empty();
}

void ReadingsLoader::add(const ReadingLine &line)
{
    // Blank lines give no row, as on standard input.
    if (line.text.empty() || !m_error.empty())
        return;
    if (count() >= maxRangeRows) {
        m_error = "has more than " + std::to_string(maxRangeRows) + " readings";
        return;
    }
    std::string_view text = line.text;
    if (m_decimalPoint != '.' && text.find(m_decimalPoint) != std::string_view::npos) {
        m_line.assign(text);
        std::replace(m_line.begin(), m_line.end(), m_decimalPoint, '.');
        text = m_line;
    }
    const auto number = line.tooLong ? std::nullopt : wholeNumber(text);
    m_readings.push_back(number.value_or(std::numeric_limits<double>::quiet_NaN()));
    if (number) {
        m_span.add(m_spec, *number);
        return;
    }
    ++m_notNumbers;
    constexpr std::size_t named = 5;
    if (m_firstNotNumbers.size() < named)
        m_firstNotNumbers.push_back(line.number);
}

void TableValues::addReadings(ReadingsLoader &&loaded)
{
    if (!loaded.m_error.empty() || loaded.m_readings.empty())
        return;
    Segment segment {m_count, 0.0, std::move(loaded.m_readings), {}, {}};
    segment.readingsSpan.emplace(SpanKey(loaded.m_spec), loaded.m_span);
    m_count += std::int64_t(segment.readings.size());
    m_segments.push_back(std::move(segment));
}

const TableValues::Segment *TableValues::segmentOf(std::int64_t row) const
{
    const auto after = std::upper_bound(m_segments.begin(), m_segments.end(), row,
                                        [](std::int64_t r, const Segment &s) { return r < s.start; });
    if (row < 0 || row >= m_count || after == m_segments.begin())
        return nullptr;
    return &*std::prev(after);
}

std::string_view TableValues::typed(std::int64_t row) const
{
    const Segment *segment = segmentOf(row);
    return segment ? std::string_view(segment->typed) : std::string_view();
}

std::optional<double> TableValues::at(std::int64_t row) const
{
    const Segment *found = segmentOf(row);
    if (!found)
        return std::nullopt;
    const Segment &segment = *found;
    const std::int64_t i = row - segment.start;
    if (!segment.readings.empty()) {
        const double reading = segment.readings[std::size_t(i)];
        return std::isnan(reading) ? std::nullopt : std::optional(reading);
    }
    if (const auto *number = std::get_if<double>(&segment.word))
        return *number;
    return std::get<DecimalRange>(segment.word).at(i);
}

} // namespace ornavel
