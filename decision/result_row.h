#pragma once

#include "decision/calculate.h"
#include "decision/normal_shock_relation.h"
#include "decision/relation.h"
#include "text/number_text.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace ornavel {

// The main window's result columns, the normal shock's, in the window's order with the labels
// Copy Results gives them (UTF-8).
inline constexpr int resultColumns = int(std::size(normalShockColumns));
inline constexpr std::array<const char *, resultColumns> resultLabels = [] {
    std::array<const char *, resultColumns> labels {};
    for (int i = 0; i < resultColumns; ++i)
        labels[std::size_t(i)] = normalShockColumns[i].label;
    return labels;
}();
inline constexpr const char *noteLabel = "note";

// The column that holds the typed quantity.
int inputColumn(Quantity quantity);
// The value of a result column (0 .. resultColumns - 1) unrounded.
double resultValue(const Outcome &outcome, int column);

// How a value is written: as the result boxes show it (5 decimals), as their tooltips
// (15 significant digits), or as the shortest text that reads back as the same double.
enum class Digits { Result, Full, Shortest };

// One cell's text, "." as the separator, held without allocating.
struct Cell {
    char text[maxNumberTextSize];
    std::uint8_t size = 0;
    std::string_view view() const { return {text, size}; }
};

// One row as the window shows it, shared by Copy Results and the table writers: the input
// cell is the number as read (the shortest text that reads back as it), the others as the
// boxes show them, all empty but the input for a refusal.
struct ResultRow {
    std::array<Cell, maxColumns> cells;
    int columns = resultColumns;
    const char *note = "";
};

// The row of a relation's values: input is written into inputColumn and, for a relation of two
// inputs, angle into angleColumn (none where it is negative), each as read.
ResultRow formatRow(const RowValues &values, int columns, int inputColumn, double input, Digits digits,
                    int angleColumn = -1, double angle = 0);

// The main window's row: the normal shock for air; the note is outcomeNote's.
ResultRow resultRow(Quantity quantity, const Outcome &outcome, Digits digits);

// The normal shock's values for an outcome, its note an index into the relation's texts.
RowValues normalShockValues(const Outcome &outcome);

} // namespace ornavel
