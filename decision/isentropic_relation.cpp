#include "decision/relation.h"

#include "core/isentropic.h"
#include "text/number_text.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace ornavel {

namespace {

constexpr RelationColumn columns[] = {
    {"M", "M", false},      {"p/p0", "p/p0", true}, {"ρ/ρ0", "$\\rho$/$\\rho$0", true},
    {"T/T0", "T/T0", true}, {"A/A*", "A/A*", true}, {"μ", "$\\mu$", false},
    {"ν", "$\\nu$", false},
};

constexpr RelationQuantity quantities[] = {
    {"M", {"m"}, 0},       {"p/p0", {"p/p0"}, 1}, {"ρ/ρ0", {"rho/rho0", "ρ/ρ0"}, 2},
    {"T/T0", {"t/t0"}, 3}, {"A/A*", {"a/a*"}, 4}, {"μ", {"mu", "μ"}, 5},
    {"ν", {"nu", "ν"}, 6},
};
enum Quantity { M, Pressure, Density, Temperature, Area, MachAngle, PrandtlMeyer };

// A/A* has two Mach numbers, one either side of 1; the supersonic one unless asked.
constexpr const char *branches[] = {"supersonic", "subsonic"};

enum Note {
    None,
    MNegative,
    PressureOutside,
    DensityOutside,
    TemperatureOutside,
    AreaBelowOne,
    MachAngleOutside,
    PrandtlMeyerOutside,
    OutOfRange,
    Subsonic,
    AtRest,
};

std::vector<std::string> noteTexts(double gamma)
{
    char limit[maxNumberTextSize];
    const std::string nuMax(limit, writeResultText(limit, largestPrandtlMeyerAngle(gamma)));
    return {
        "",
        "M must be at least 0",
        "p/p0 must be greater than 0 and at most 1",
        "ρ/ρ0 must be greater than 0 and at most 1",
        "T/T0 must be greater than 0 and at most 1",
        "A/A* must be at least 1",
        "μ must be greater than 0 and at most 90",
        "ν must be at least 0 and less than " + nuMax,
        "Input is out of range",
        "subsonic: μ and ν only from M = 1",
        "at rest: A/A* is infinite",
    };
}

// The fluid at rest (M = 0, a ratio of 1): every ratio 1 but A/A*, which is infinite.
RowValues atRest()
{
    return answeredRow({0, 1, 1, 1}, AtRest);
}

RowValues compute(const RowInput &input)
{
    const double gamma = input.gamma, value = input.value;
    const int quantity = input.quantity, branch = input.branch;
    // The domain of each quantity, then values beyond the doubles.
    const bool ratio = quantity == Pressure || quantity == Density || quantity == Temperature;
    if (quantity == M && !(value >= 0))
        return refusedRow(MNegative);
    if (ratio && !(value > 0 && value <= 1))
        return refusedRow(Note(PressureOutside + (quantity - Pressure)));
    if (quantity == Area && !(value >= 1))
        return refusedRow(AreaBelowOne);
    if (quantity == MachAngle && !(value > 0 && value <= 90))
        return refusedRow(MachAngleOutside);
    if (quantity == PrandtlMeyer && !(value >= 0 && value < largestPrandtlMeyerAngle(gamma)))
        return refusedRow(PrandtlMeyerOutside);
    if (!std::isfinite(value))
        return refusedRow(OutOfRange);
    if ((quantity == M && value == 0) || (ratio && value == 1))
        return atRest();
    IsentropicFlow flow {};
    switch (Quantity(quantity)) {
    case M:
        flow = isentropicFlow(gamma, value);
        break;
    case Pressure:
        flow = isentropicFromPressure(gamma, value);
        break;
    case Density:
        flow = isentropicFromDensity(gamma, value);
        break;
    case Temperature:
        flow = isentropicFromTemperature(gamma, value);
        break;
    case Area:
        flow = isentropicFromAreaRatio(gamma, value, branch == 0);
        break;
    case MachAngle:
        flow = isentropicFromMachAngle(gamma, value);
        break;
    case PrandtlMeyer:
        flow = isentropicFromPrandtlMeyerAngle(gamma, value);
        break;
    }
    if (std::isnan(flow.M))
        return refusedRow(OutOfRange);
    return answeredRow({flow.M, flow.pP0, flow.rhoRho0, flow.TT0, flow.AAstar, flow.mu, flow.nu},
                       flow.M < 1 ? Subsonic : None);
}

} // namespace

const Relation &isentropicRelation()
{
    static const Relation relation {
        "isentropic",
        "Isentropic flow",
        columns,
        quantities,
        {},
        branches,
        0,
        0,
        true, // the ratios span decades
        NAN,
        "Ratio",
        "Chart of isentropic flow against M",
        "No row to chart",
        "Angles in degrees; μ and ν are empty below M = 1. The branch chooses the Mach number an "
        "A/A* gives (quote 'A/A*': it is a shell pattern).",
        noteTexts,
        compute,
    };
    return relation;
}

} // namespace ornavel
