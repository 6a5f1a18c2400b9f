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
    case Quantity::P2P1:
        return 1;
    case Quantity::Ro2Ro1:
        return 2;
    case Quantity::T2T1:
        return 3;
    case Quantity::Po2Po1:
        return 4;
    case Quantity::Po2P1:
        break;
    }
    return 5;
}

double resultValue(const Outcome &outcome, int column)
{
    const ShockRatios &r = outcome.ratios;
    const double values[resultColumns]
        = {outcome.M1, r.P2P1, r.Ro2Ro1, r.T2T1, r.Po2Po1, r.Po2P1, outcome.M2};
    return values[column];
}

ResultRow resultRow(Quantity quantity, const Outcome &outcome, Digits digits)
{
    ResultRow row;
    const int input = inputColumn(quantity);
    // The input reads back as the double it was, which 15 digits cannot promise.
    Cell &typed = row.cells[std::size_t(input)];
    typed.size = std::uint8_t(writeShortestText(typed.text, outcome.input) - typed.text);
    row.note = outcomeNote(outcome);
    if (outcome.refusal)
        return row;
    for (int i = 0; i < resultColumns; ++i) {
        if (i != input)
            write(row.cells[std::size_t(i)], resultValue(outcome, i), digits == Digits::Full);
    }
    return row;
}

} // namespace ornavel
