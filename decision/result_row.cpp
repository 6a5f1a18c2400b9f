#include "decision/result_row.h"

#include <cmath>

namespace ornavel {

namespace {

void write(Cell &cell, double value, Digits digits)
{
    if (std::isnan(value))
        return;
    char *end = digits == Digits::Full ? writeNumberText(cell.text, value)
        : digits == Digits::Shortest   ? writeShortestText(cell.text, value)
                                       : writeResultText(cell.text, value);
    cell.size = std::uint8_t(end - cell.text);
}

} // namespace

int inputColumn(Quantity quantity)
{
    return normalShockRelation().quantities[std::size_t(quantity)].column;
}

double resultValue(const Outcome &outcome, int column)
{
    const ShockRatios &r = outcome.ratios;
    const double values[resultColumns]
        = {outcome.M1, r.P2P1, r.Ro2Ro1, r.T2T1, r.Po2Po1, r.Po2P1, outcome.M2};
    return values[column];
}

ResultRow formatRow(const RowValues &values, int columns, int inputColumn, double input, Digits digits,
                    int angleColumn, double angle)
{
    ResultRow row;
    row.columns = columns;
    // The inputs read back as the doubles they were, which 15 digits cannot promise.
    Cell &typed = row.cells[std::size_t(inputColumn)];
    typed.size = std::uint8_t(writeShortestText(typed.text, input) - typed.text);
    if (angleColumn >= 0) {
        Cell &typedAngle = row.cells[std::size_t(angleColumn)];
        typedAngle.size = std::uint8_t(writeShortestText(typedAngle.text, angle) - typedAngle.text);
    }
    if (values.refused)
        return row;
    for (int i = 0; i < columns; ++i) {
        if (i != inputColumn && i != angleColumn)
            write(row.cells[std::size_t(i)], values.values[std::size_t(i)], digits);
    }
    return row;
}

ResultRow resultRow(Quantity quantity, const Outcome &outcome, Digits digits)
{
    ResultRow row
        = formatRow(normalShockValues(outcome), resultColumns, inputColumn(quantity), outcome.input, digits);
    row.note = outcomeNote(outcome);
    return row;
}

} // namespace ornavel
