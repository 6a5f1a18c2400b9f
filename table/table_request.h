#pragma once

#include "decision/gas.h"
#include "decision/relation.h"
#include "decision/result_row.h"

namespace ornavel {

class TableValues;

// What a table is of: a relation for a gas, solved from one of its quantities, with a branch
// where the relation has one, and the digits every cell is written with.
struct TableSpec {
    const Relation *relation = &normalShockRelation();
    GivenGamma gas;
    int quantity = 0; // an index into relation->quantities
    int branch = 0;   // an index into relation->branches
    Digits digits = Digits::Result;
    const TableValues *values = nullptr; // the rows, where they are known before the table
    // For a relation of two inputs, its angle (an index into relation->angles) and the angles'
    // values: one row for each value with each angle, the values outer.
    int angle = 0;
    const TableValues *angleValues = nullptr;
};

} // namespace ornavel
