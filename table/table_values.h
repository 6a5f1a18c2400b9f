#pragma once

#include "decision/calculate.h"
#include "table/reading_lines.h"
#include "table/table_request.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ornavel {

// Exact sums of decimals of up to 37 digits.
__extension__ typedef __int128 ExactInt;

// A whole command-line or standard-input value as a number: blanks around it, a sign,
// digits with at most one ".", an exponent; nothing else. Read as the window reads "."
// input, so 1e400 is an infinity and the caller's check refuses it as the window does.
std::optional<double> wholeNumber(std::string_view text);

// FROM:TO:STEP, decimal-exact: the i-th value is the double nearest the decimal FROM + i*STEP,
// exactly what typing that decimal gives, never a sum with rounding errors in it. TO is
// included when a step lands on it; a negative step counts down.
class DecimalRange
{
public:
    // The range, or an error message naming the problem. maxCount bounds the rows.
    static DecimalRange parse(std::string_view text, std::int64_t maxCount, std::string &error);

    std::int64_t count() const { return m_count; }
    double at(std::int64_t i) const;

private:
    ExactInt m_from = 0;
    ExactInt m_step = 0;
    int m_exponent = 0; // every value is (m_from + i * m_step) * 10^m_exponent
    std::int64_t m_count = 0;
};

// True when text looks like a range rather than a number (it holds a ':').
bool isRange(std::string_view text);

// A mistyped step must not fill a disk, nor a window's grid.
inline constexpr std::int64_t maxRangeRows = 10'000'000;

// One VALUE word other than "-": a number or a range, or nothing with the message that names
// the problem. The one reader of VALUE words, for the command line and the Tables window.
using ValueWord = std::variant<double, DecimalRange>;
std::optional<ValueWord> readValueWord(std::string_view word, std::string &error);

// The least and greatest value of the chart's horizontal column (M1 of the normal shock; |M1|
// for signed values) over a table's rows, at or above the relation's chartFrom (where a shock
// forms): what the chart spans. Empty when no row is there.
struct ChartSpan {
    double from = INFINITY;
    double to = -INFINITY;
    bool empty() const { return from > to; }
    // Takes in the row of one value; a refused row, or one below chartFrom, leaves the span as
    // it was. The one step of an exact span over readings, called once per reading.
    void add(const TableSpec &tableSpec, double value);
    void add(const ChartSpan &other);
};

// What a span was taken for: the same values give another span in another table.
struct SpanKey {
    const Relation *relation = nullptr;
    double gamma = 0;
    int quantity = 0;
    int branch = 0;
    explicit SpanKey(const TableSpec &tableSpec)
        : relation(tableSpec.relation),
          gamma(tableSpec.gas.gamma),
          quantity(tableSpec.quantity),
          branch(tableSpec.branch)
    {
    }
    bool operator==(const SpanKey &) const = default;
};

// Readings taken a chunk at a time as a file is read, in 8 bytes a reading: its lines read as
// standard input's are (ReadingLines), a line that is no number kept as an empty value and
// counted. decimalPoint is read besides "." (a locale's decimal comma). The span of the rows'
// chart's column for tableSpec is kept on the way, so that a chart of them needs no second pass.
class ReadingsLoader
{
public:
    explicit ReadingsLoader(const TableSpec &tableSpec, char decimalPoint = '.');
    // False, from then on, once the readings cannot be taken: UTF-16 text, or more than
    // maxRangeRows of them; error() says which, after the file's name.
    bool feed(std::string_view chunk);
    // The last line, where the file does not end with a line end; false as feed.
    bool finish();
    const std::string &error() const { return m_error; }
    std::int64_t count() const { return std::int64_t(m_readings.size()); }
    // Lines that are not numbers: how many, and the line numbers of the first few.
    std::int64_t notNumbers() const { return m_notNumbers; }
    const std::vector<std::int64_t> &firstNotNumbers() const { return m_firstNotNumbers; }

private:
    friend class TableValues;
    void add(const ReadingLine &line);

    TableSpec m_spec;
    char m_decimalPoint;
    ReadingLines m_lines;
    std::vector<double> m_readings; // NaN marks a line that is not a number
    ChartSpan m_span;
    std::int64_t m_notNumbers = 0;
    std::vector<std::int64_t> m_firstNotNumbers;
    std::string m_line; // a line with its decimal comma made a point
    std::string m_error;
};

// A table's values in order without a stored row per value of a range: numbers, ranges and
// readings (the lines of a file, as standard input gives them).
class TableValues
{
public:
    // VALUE words separated by blanks; false with the first word's message, values unchanged.
    bool parse(std::string_view text, std::string &error);
    // The readings of a whole file as the rows that follow; a loader that failed adds none.
    void addReadings(ReadingsLoader &&loaded);

    std::int64_t count() const { return m_count; }
    // The row's value; empty for a reading that is not a number.
    std::optional<double> at(std::int64_t row) const;
    // The row's number word as typed; empty for a range's row or a reading.
    std::string_view typed(std::int64_t row) const;
    // The span of the rows' chart column, exact, without computing a row per value: a range
    // from the rows where it turns, readings once per table, then kept.
    ChartSpan chartSpan(const TableSpec &tableSpec) const;

private:
    struct Segment {
        std::int64_t start = 0;
        ValueWord word;
        std::vector<double> readings; // NaN marks a line that is not a number
        std::string typed;            // a number word as typed; else empty
        mutable std::optional<std::pair<SpanKey, ChartSpan>> readingsSpan; // the last one asked
    };
    const Segment *segmentOf(std::int64_t row) const;

    std::vector<Segment> m_segments;
    std::int64_t m_count = 0;
};

} // namespace ornavel
