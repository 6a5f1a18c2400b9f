#include "decision/relation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace ornavel {

RowValues refusedRow(int note, double first, double second)
{
    RowValues row;
    row.values.fill(NAN);
    row.note = note;
    row.refused = true;
    row.noteNumbers = {first, second};
    return row;
}

RowValues answeredRow(std::initializer_list<double> cells, int note)
{
    RowValues row;
    row.values.fill(NAN);
    std::copy(cells.begin(), cells.end(), row.values.begin());
    row.note = note;
    return row;
}

std::span<const Relation> relations()
{
    // Each relation is described in a file of its own; listing it here adds it to every face.
    static const std::array<Relation, 5> all {normalShockRelation(), isentropicRelation(), pitotRelation(),
                                              obliqueShockRelation(), expansionFanRelation()};
    return all;
}

} // namespace ornavel
