#include "decision/calculate.h"

#include "core/inverse.h"
#include "core/pitot.h"
#include "text/number_text.h"

#include <cmath>
#include <iterator>

namespace ornavel {

namespace {

static_assert(pitotIterationLimit == 50, "notConvergedNote names the limit");

// In the order of Refusal.
constexpr const char *refusalTexts[] = {
    "SET input value then CLICK",
    "M2 must be lower than 1",
    "|M1| must be greater than 0.37796",
    "|M2| must be greater than 0.37796",
    "Input is out of range",
    "No real solution for this Po2/P1",
    "P2/P1 must be greater than 0",
    "ρ2/ρ1 must be between 0.16667 and 6",
    "T2/T1 must be greater than 0",
    "Po2/Po1 must be greater than 0",
};
static_assert(std::size(refusalTexts) == std::size_t(Refusal::Po2Po1NotPositive) + 1,
              "one text for each Refusal, in its order");

// The refusal a zero meets in a table, where the window's "SET input value then CLICK" names a
// button that is not there: the quantity's own limit.
Refusal zeroRefusal(Quantity quantity)
{
    switch (quantity) {
    case Quantity::M1:
        return Refusal::M1TooLow;
    case Quantity::M2:
        return Refusal::M2TooLow;
    case Quantity::Po2P1:
        return Refusal::NoRealSolution;
    case Quantity::P2P1:
        return Refusal::P2P1NotPositive;
    case Quantity::Ro2Ro1:
        return Refusal::Ro2Ro1OutsideRange;
    case Quantity::T2T1:
        return Refusal::T2T1NotPositive;
    case Quantity::Po2Po1:
        break;
    }
    return Refusal::Po2Po1NotPositive;
}

Outcome refused(Outcome outcome, Refusal refusal)
{
    outcome.refusal = refusal;
    outcome.noteRefusal = refusal;
    return outcome;
}

// The shock pair has a meaningful answer only when every ratio stays within the doubles.
Outcome withRatios(double gamma, Outcome outcome, double m1, double m2)
{
    outcome.M1 = m1;
    outcome.M2 = m2;
    outcome.ratios = shockRatios(gamma, m1, m2);
    if (!std::isfinite(m1) || !std::isfinite(m2) || !isFinite(outcome.ratios))
        return refused(outcome, Refusal::OutOfRange);
    return outcome;
}

Outcome fromMach(double gamma, Quantity quantity, Outcome outcome)
{
    const double mach = outcome.input;
    if (quantity == Quantity::M2 && mach >= 1)
        return refused(outcome, Refusal::M2NotBelowOne);
    if (!std::isfinite(mach))
        return refused(outcome, Refusal::OutOfRange);
    if (!hasDownstreamMach(gamma, mach))
        return refused(outcome, quantity == Quantity::M1 ? Refusal::M1TooLow : Refusal::M2TooLow);
    // The relation is symmetric: the same function gives M2 from M1 and M1 from M2.
    const double other = downstreamMach(gamma, mach);
    return quantity == Quantity::M1 ? withRatios(gamma, outcome, mach, other)
                                    : withRatios(gamma, outcome, other, mach);
}

Outcome fromPitotRatio(double gamma, Outcome outcome)
{
    if (!std::isfinite(outcome.input))
        return refused(outcome, Refusal::OutOfRange);
    const PitotSolution solution = solvePitotMach(gamma, outcome.input);
    if (solution.outOfRange)
        return refused(outcome, Refusal::OutOfRange);
    if (solution.noRealSolution)
        return refused(outcome, Refusal::NoRealSolution);
    outcome.converged = solution.converged;
    // A real solution can still be too large for the ratios (ratios from about 7.7e88).
    return withRatios(gamma, outcome, solution.M1, downstreamMach(gamma, solution.M1));
}

// A measured ratio: M1 from its exact inverse, M2 and the other ratios from the ratio itself,
// so that they stay exact where M1 nears the domain limit, 1/sqrt(7) for air.
Outcome fromRatio(double gamma, Quantity quantity, Outcome outcome)
{
    const double ratio = outcome.input;
    if (!std::isfinite(ratio))
        return refused(outcome, Refusal::OutOfRange);
    double m1 = 0;
    ShockFromRatio shock {};
    Refusal outside = Refusal::P2P1NotPositive;
    switch (quantity) {
    case Quantity::P2P1:
        m1 = machFromPressureRatio(gamma, ratio);
        shock = shockFromPressureRatio(gamma, ratio);
        break;
    case Quantity::Ro2Ro1:
        m1 = machFromDensityRatio(gamma, ratio);
        shock = shockFromDensityRatio(gamma, ratio);
        outside = Refusal::Ro2Ro1OutsideRange;
        break;
    case Quantity::T2T1:
        m1 = machFromTemperatureRatio(gamma, ratio);
        shock = shockFromTemperatureRatio(gamma, ratio);
        outside = Refusal::T2T1NotPositive;
        break;
    default:
        m1 = machFromStagnationPressureRatio(gamma, ratio);
        outside = Refusal::Po2Po1NotPositive;
        if (!std::isnan(m1))
            shock = shockFromStagnationPressureRatio(gamma, ratio, m1);
        break;
    }
    // Every finite ratio inside the domain has an M1; NaN means outside it.
    if (std::isnan(m1))
        return refused(outcome, outside);
    outcome.M1 = m1;
    outcome.M2 = shock.M2;
    outcome.ratios = shock.ratios;
    if (!std::isfinite(m1) || !std::isfinite(shock.M2) || !isFinite(shock.ratios))
        return refused(outcome, Refusal::OutOfRange);
    return outcome;
}

// Both marks at once, in the order outcomeNote gives them.
constexpr const char *notConvergedSubsonicNote = "not converged in 50 iterations; subsonic: no shock forms";

} // namespace

const char *refusalUtf8(Refusal refusal)
{
    return refusalTexts[int(refusal)];
}

QString refusalText(Refusal refusal)
{
    return QString::fromUtf8(refusalUtf8(refusal));
}

QString notConvergedMessage()
{
    return QStringLiteral("iterasyon ") + QString::number(pitotIterationLimit)
        + QStringLiteral(" adımda yakınsamadı");
}

Outcome calculate(Quantity quantity, double input)
{
    return calculate(gamma, quantity, input);
}

Outcome calculate(double gamma, Quantity quantity, double input)
{
    Outcome outcome;
    outcome.input = input;
    if (input == 0) {
        outcome = refused(outcome, Refusal::NoInput);
        outcome.noteRefusal = zeroRefusal(quantity);
        return outcome;
    }
    switch (quantity) {
    case Quantity::M1:
    case Quantity::M2:
        return fromMach(gamma, quantity, outcome);
    case Quantity::Po2P1:
        return fromPitotRatio(gamma, outcome);
    default:
        return fromRatio(gamma, quantity, outcome);
    }
}

bool isSubsonic(const Outcome &outcome)
{
    return !outcome.refusal && std::fabs(outcome.M1) < 1;
}

const char *outcomeNote(const Outcome &outcome)
{
    if (outcome.refusal)
        return refusalUtf8(outcome.noteRefusal);
    if (isSubsonic(outcome))
        return outcome.converged ? subsonicNote : notConvergedSubsonicNote;
    return outcome.converged ? "" : notConvergedNote;
}

Outcome calculate(Quantity quantity, QStringView typed, QStringView decimalPoint)
{
    bool whole = true;
    Outcome outcome = calculate(quantity, parseNumber(typed, decimalPoint, &whole));
    outcome.readWhole = whole;
    return outcome;
}

} // namespace ornavel
