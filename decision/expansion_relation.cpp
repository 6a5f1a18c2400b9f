#include "decision/relation.h"

#include "core/expansion.h"

#include <cmath>

namespace ornavel {

namespace {

constexpr RelationColumn columns[] = {
    {"M1", "M1", false},       {"θ", "$\\theta$", false}, {"M2", "M2", true},
    {"ν1", "$\\nu$1", false},  {"ν2", "$\\nu$2", false},  {"μ1", "$\\mu$1", false},
    {"μ2", "$\\mu$2", false},  {"P2/P1", "P2/P1", false}, {"ρ2/ρ1", "$\\rho$2/$\\rho$1", false},
    {"T2/T1", "T2/T1", false},
};

constexpr RelationQuantity quantities[] = {
    {"M1", {"m1"}, 0},
};
constexpr RelationQuantity angles[] = {
    {"θ", {"theta", "θ"}, 1},
};

enum Note { None, NotSupersonic, TurnNegative, TurnTooLarge, OutOfRange };

std::vector<std::string> noteTexts(double)
{
    return {
        "",
        "M1 must be at least 1",
        "θ must be at least 0",
        "θ must be less than the largest turn, %1° for M1 = %2",
        "Input is out of range",
    };
}

RowValues compute(const RowInput &input)
{
    const double gamma = input.gamma, M1 = input.value, theta = input.angleValue;
    if (!(M1 >= 1))
        return refusedRow(NotSupersonic);
    if (!(theta >= 0))
        return refusedRow(TurnNegative);
    if (!std::isfinite(M1) || !std::isfinite(theta))
        return refusedRow(OutOfRange);
    // At the largest turn the stream would reach an infinite Mach number, a vacuum.
    const double largest = largestTurn(gamma, M1);
    if (!(theta < largest))
        return refusedRow(TurnTooLarge, largest, M1);
    const ExpansionFan fan = expansionFan(gamma, M1, theta);
    if (std::isnan(fan.M2))
        return refusedRow(OutOfRange);
    return answeredRow(
        {fan.M1, fan.theta, fan.M2, fan.nu1, fan.nu2, fan.mu1, fan.mu2, fan.P2P1, fan.Ro2Ro1, fan.T2T1});
}

} // namespace

const Relation &expansionFanRelation()
{
    static const Relation relation {
        "expansion",
        "Expansion fan",
        columns,
        quantities,
        angles,
        {},
        1,
        0,
        false,
        NAN,
        "M2",
        "Chart of M2 against the turn θ for each M1",
        "No expansion to chart",
        "The Prandtl-Meyer turn of a supersonic stream: each M1 with each turn θ (degrees), M1 "
        "outer. A turn at or beyond the largest (νmax − ν1, where M2 would be infinite) is refused "
        "with that limit in its note.",
        noteTexts,
        compute,
        largestTurn,
        true, // M2 grows without bound toward the largest turn
    };
    return relation;
}

} // namespace ornavel
