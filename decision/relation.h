#pragma once

#include <array>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ornavel {

// The most columns any relation has, the note not counted.
inline constexpr int maxColumns = 10;

// One column of a relation's rows.
struct RelationColumn {
    const char *label; // as the grid, the headers and Copy show it (UTF-8)
    const char *latex; // as a LaTeX header writes it
    bool charted;      // drawn as a curve against the chart's horizontal column
};

// A quantity a relation's rows are solved from.
struct RelationQuantity {
    const char *label; // as the window's list and the help name it
    // The names the command line reads, lower case with the slash; read in any letter case,
    // with or without the slash.
    std::array<const char *, 3> names;
    int column; // the column that holds the input
};

// What one row is computed from: a value of one of the relation's quantities and, for a
// relation of two inputs, a value of one of its angles.
struct RowInput {
    double gamma;
    int quantity;
    int branch;
    double value;
    int angle = 0;
    double angleValue = 0;
};

// The values of one row: NaN for an empty cell.
struct RowValues {
    std::array<double, maxColumns> values;
    int note = 0;         // an index into the relation's note texts; 0 is no note
    bool refused = false; // no value is an answer: every cell but the input is empty
    // The numbers a note's text names where it holds %1 and %2 (a limit for this row).
    std::array<double, 2> noteNumbers {};
};

// A line across a chart of a relation of two inputs: a point of it for each value (the
// largest deflection of an oblique shock at each M1).
struct RelationLocus {
    const char *label;
    // The point for gamma and value, or NaN where there is none.
    double (*x)(double gamma, double value);
    double (*y)(double gamma, double value);
};

// A relation described once, from which the command line, the writers, the grid, the chart,
// Copy and the help are all derived.
struct Relation {
    std::string_view name; // on the command line: `ornavel table normal ...`
    const char *title;     // in the window's list and a page's title
    std::span<const RelationColumn> columns;
    std::span<const RelationQuantity> quantities; // the first is the chart's horizontal column
    // The quantities of a second list of values, each row taking one of each (M1 and the
    // deflection of an oblique shock); empty for a relation of one input.
    std::span<const RelationQuantity> angles;
    // The values --branch takes, the default first; empty where the relation has none.
    std::span<const char *const> branches;
    int chartColumn;         // the chart's horizontal axis
    double chartFrom;        // its least value: the rows below it are not charted
    bool chartLogarithmic;   // the vertical axis a chart opens with
    double chartMark;        // a value of the horizontal axis marked across the chart; NaN none
    const char *chartTitle;  // the chart's vertical axis
    const char *description; // the chart's accessible name
    const char *chartEmpty;  // what the chart says of a table with no row to chart
    const char *help;        // what `ornavel table --help` adds of its rows and notes
    // The texts of the notes a row can carry, for a gas: a limit that depends on gamma is
    // written for it. Index 0 is the empty text.
    std::vector<std::string> (*noteTexts)(double gamma);
    // The row of an input, for a gas and a branch.
    RowValues (*compute)(const RowInput &input);
    // For a relation of two inputs, its chart draws a curve over the first angle for each value
    // (each branch, the second dashed) up to angleLimit of that value, or only as far as the
    // table's angles go where curvesToTable is set; the loci are drawn across them.
    double (*angleLimit)(double gamma, double value) = nullptr;
    bool curvesToTable = false;
    std::span<const RelationLocus> loci = {};
};

// A refused row: every cell empty but the input, the note naming up to two numbers.
RowValues refusedRow(int note, double first = 0, double second = 0);
// A row of answers, the cells in column order and the rest empty.
RowValues answeredRow(std::initializer_list<double> cells, int note = 0);

// Every relation, in the order the window lists them.
std::span<const Relation> relations();
const Relation &normalShockRelation();
const Relation &isentropicRelation();
const Relation &pitotRelation();
const Relation &obliqueShockRelation();
const Relation &expansionFanRelation();

} // namespace ornavel
