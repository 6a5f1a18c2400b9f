#include "decision/relation.h"

#include <array>
#include <functional>

namespace ornavel {

std::span<const Relation> relations()
{
    // Each relation is described in a file of its own; listing it here adds it to every face.
    static const std::array<Relation, 5> all {normalShockRelation(), isentropicRelation(), pitotRelation(),
                                              obliqueShockRelation(), expansionFanRelation()};
    return all;
}

} // namespace ornavel
