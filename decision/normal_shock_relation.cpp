#include "decision/normal_shock_relation.h"

#include "core/inverse.h"
#include "decision/calculate.h"
#include "decision/relation.h"
#include "decision/result_row.h"
#include "text/number_text.h"

#include <cmath>

namespace ornavel {

namespace {

// In the order of Quantity, which is the window's list.
constexpr RelationQuantity quantities[] = {
    {"M1", {"m1"}, 0},
    {"M2", {"m2"}, 6},
    {"Po2/P1", {"po2/p1"}, 5},
    {"P2/P1", {"p2/p1"}, 1},
    {"ρ2/ρ1", {"rho2/rho1", "ρ2/ρ1"}, 2},
    {"T2/T1", {"t2/t1"}, 3},
    {"Po2/Po1", {"po2/po1"}, 4},
};
static_assert(std::size(quantities) == std::size_t(Quantity::Po2Po1) + 1);

// The notes after the refusals, which come first in Refusal's order.
constexpr int refusalCount = int(Refusal::Po2Po1NotPositive) + 1;
enum Mark { Subsonic = 1 + refusalCount, NotConverged, NotConvergedSubsonic };

std::string limitText(double limit)
{
    char text[maxNumberTextSize];
    return {text, writeResultText(text, limit)};
}

std::vector<std::string> noteTexts(double gamma)
{
    std::vector<std::string> texts {""};
    for (int k = 0; k < refusalCount; ++k)
        texts.emplace_back(refusalUtf8(Refusal(k)));
    if (gamma != 1.4) {
        // The limits that move with the gas, written for it as air's are.
        const std::string lowest = limitText(smallestUpstreamMach(gamma));
        texts[1 + int(Refusal::M1TooLow)] = "|M1| must be greater than " + lowest;
        texts[1 + int(Refusal::M2TooLow)] = "|M2| must be greater than " + lowest;
        texts[1 + int(Refusal::Ro2Ro1OutsideRange)] = "ρ2/ρ1 must be between "
            + limitText(smallestDensityRatio(gamma)) + " and " + limitText(largestDensityRatio(gamma));
    }
    texts.emplace_back(subsonicNote);
    texts.emplace_back(notConvergedNote);
    texts.emplace_back(std::string(notConvergedNote) + "; " + subsonicNote);
    return texts;
}

RowValues compute(const RowInput &input)
{
    return normalShockValues(calculate(input.gamma, Quantity(input.quantity), input.value));
}

} // namespace

RowValues normalShockValues(const Outcome &outcome)
{
    RowValues values;
    for (int i = 0; i < resultColumns; ++i)
        values.values[std::size_t(i)] = resultValue(outcome, i);
    values.refused = outcome.refusal.has_value();
    if (outcome.refusal)
        values.note = 1 + int(outcome.noteRefusal);
    else if (isSubsonic(outcome))
        values.note = outcome.converged ? Subsonic : NotConvergedSubsonic;
    else if (!outcome.converged)
        values.note = NotConverged;
    return values;
}

const Relation &normalShockRelation()
{
    static const Relation relation {
        "normal",
        "Normal shock",
        normalShockColumns,
        quantities,
        {},
        {},
        0,
        1, // a shock forms from M1 = 1
        false,
        NAN,
        "Ratio, or M2",
        "Chart of the shock family against M1",
        "No row at or above M1 = 1: no shock forms",
        "From a ratio, M1 is its exact inverse and the other cells are computed from the ratio "
        "itself, exact near the domain limit. A zero's note is the quantity's own limit; an "
        "unsettled pitot iteration is noted \"not converged in 50 iterations\", a row whose M1 is "
        "below 1 \"subsonic: no shock forms\"; beyond the normal doubles \"Input is out of range\".",
        noteTexts,
        compute,
    };
    return relation;
}

} // namespace ornavel
