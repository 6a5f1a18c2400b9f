#include "decision/result_row.h"

namespace ornavel {

namespace {

void write(Cell &cell, double value, bool full)
{
    char *end = full ? writeNumberText(cell.text, value) : writeResultText(cell.text, value);
    cell.size = std::uint8_t(end - cell.text);
}

} // namespace

int inputColumn(Quantity quantity)
{
    switch (quantity) {
    case Quantity::M1:
        return 0;
    case Quantity::M2:
        return 6;
    case Quantity::Po2P1:
        break;
    }
    return 5;
}

ResultRow resultRow(Quantity quantity, const Outcome &outcome, Digits digits)
{
    ResultRow row;
    const int input = inputColumn(quantity);
    write(row.cells[std::size_t(input)], outcome.input, true);
    row.note = outcomeNote(outcome);
    if (outcome.refusal)
        return row;
    const ShockRatios &r = outcome.ratios;
    const double values[resultColumns]
        = {outcome.M1, r.P2P1, r.Ro2Ro1, r.T2T1, r.Po2Po1, r.Po2P1, outcome.M2};
    for (int i = 0; i < resultColumns; ++i) {
        if (i != input)
            write(row.cells[std::size_t(i)], values[i], digits == Digits::Full);
    }
    return row;
}

} // namespace ornavel
