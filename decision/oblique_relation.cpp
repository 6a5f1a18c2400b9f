#include "decision/relation.h"

#include "core/oblique_shock.h"

#include <cmath>

namespace ornavel {

namespace {

constexpr RelationColumn columns[] = {
    {"M1", "M1", false},       {"θ", "$\\theta$", false},     {"β", "$\\beta$", true},
    {"M2", "M2", false},       {"P2/P1", "P2/P1", false},     {"ρ2/ρ1", "$\\rho$2/$\\rho$1", false},
    {"T2/T1", "T2/T1", false}, {"Po2/Po1", "Po2/Po1", false}, {"M1n", "M1n", false},
    {"M2n", "M2n", false},
};

constexpr RelationQuantity quantities[] = {
    {"M1", {"m1"}, 0},
};
constexpr RelationQuantity angles[] = {
    {"θ", {"theta", "θ"}, 1},
    {"β", {"beta", "β"}, 2},
};
enum Angle { Deflection, WaveAngle };

// From a deflection, the weak shock (beta below the one at thetamax) unless asked.
constexpr const char *branches[] = {"weak", "strong"};

enum Note { None, NotSupersonic, DeflectionNegative, Detached, WaveAngleOutside, OutOfRange };

std::vector<std::string> noteTexts(double)
{
    return {
        "",
        "M1 must be greater than 1",
        "θ must be at least 0",
        "detached: θ above θmax = %1° for M1 = %2",
        "β must be between μ = %1° and 90° for M1 = %2",
        "Input is out of range",
    };
}

RowValues compute(const RowInput &input)
{
    const double gamma = input.gamma, M1 = input.value, angle = input.angleValue;
    if (!(M1 > 1))
        return refusedRow(NotSupersonic);
    if (!std::isfinite(M1) || !std::isfinite(angle))
        return refusedRow(OutOfRange);
    ObliqueShock shock {};
    if (input.angle == Deflection) {
        if (!(angle >= 0))
            return refusedRow(DeflectionNegative);
        // A deflection beyond the largest leaves the shock detached, standing ahead of the body.
        const double largest = largestDeflection(gamma, M1);
        if (angle > largest)
            return refusedRow(Detached, largest, M1);
        shock = obliqueShockFromDeflection(gamma, M1, angle, input.branch == 1);
    } else {
        shock = obliqueShockFromWaveAngle(gamma, M1, angle);
        if (std::isnan(shock.beta) && !(angle >= machAngle(M1) && angle <= 90))
            return refusedRow(WaveAngleOutside, machAngle(M1), M1);
    }
    if (std::isnan(shock.beta))
        return refusedRow(OutOfRange);
    return answeredRow({shock.M1, shock.theta, shock.beta, shock.M2, shock.P2P1, shock.Ro2Ro1, shock.T2T1,
                        shock.Po2Po1, shock.M1n, shock.M2n});
}

// The largest deflection and the sonic point of each M1, where the chart's loci pass.
constexpr RelationLocus loci[] = {
    {"θmax", largestDeflection, waveAngleAtLargestDeflection},
    {"M2 = 1", sonicDeflection, sonicWaveAngle},
};

} // namespace

const Relation &obliqueShockRelation()
{
    static const Relation relation {
        "oblique",
        "Oblique shock",
        columns,
        quantities,
        angles,
        branches,
        1,
        0,
        false,
        NAN,
        "β (degrees)",
        "θ-β-M chart of oblique shocks",
        "No attached shock to chart",
        "Each M1 with each angle, M1 outer (a list given as - is the outer one); angles in degrees. "
        "The branch applies to a deflection θ; θ = 0 gives the Mach wave or the normal shock. A θ "
        "above θmax is detached, and its note gives θmax for that M1; a wave angle β must lie from "
        "the Mach angle μ to 90°.",
        noteTexts,
        compute,
        largestDeflection,
        false,
        loci,
    };
    return relation;
}

} // namespace ornavel
