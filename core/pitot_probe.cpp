#include "core/pitot_probe.h"

#include "core/wide_gas.h"

#include <cmath>

namespace ornavel {

using namespace wide;

namespace {

constexpr PitotProbe refused {notANumber, notANumber, notANumber, notANumber, false};

Wide sonicReading(const Gas &gas)
{
    return std::exp(gas.e * std::log1p(gas.h));
}

// ln of Po2/P1 behind the shock at s = M1^2 >= 1, w = s - 1: e ln q + ln r with
// q = (g + 1)^2 s/(4 g s - 2(g - 1)) = 1 + (g - 1)((g - 1) s + 2)/(4 g s - 2(g - 1)) and
// r = (2 g s - (g - 1))/(g + 1) = 1 + 2 g w/(g + 1). ln q is taken from q - 1, which keeps its
// digits as gamma nears 1, where e grows and multiplies any error of ln q.
template<class T>
T logRayleigh(const Gas &gas, T s, T w)
{
    const T g = T(gas.g), gm1 = T(gas.gm1);
    const T qm1 = gm1 * (gm1 * s + 2) / (4 * g * s - 2 * gm1);
    return T(gas.e) * std::log1p(qm1) + std::log1p(2 * g * w / T(gas.gp1));
}

PitotProbe probe(Wide M1, Wide reading, Wide Po1P1, bool subsonic)
{
    bool ok = true;
    PitotProbe result {M1 == 0 ? 0.0 : narrow(M1, ok), narrow(reading, ok), narrow(Po1P1, ok),
                       narrow(reading / Po1P1, ok), subsonic};
    if (subsonic)
        result.Po2Po1 = 1;
    return ok ? result : refused;
}

} // namespace

double sonicPitotReading(double gamma)
{
    if (!validGamma(gamma))
        return notANumber;
    return double(sonicReading(Gas(gamma)));
}

PitotProbe pitotProbeFromMach(double gamma, double M1)
{
    if (!validGamma(gamma) || !(M1 >= 0) || !std::isfinite(M1))
        return refused;
    const Gas gas(gamma);
    const Wide m = M1;
    const Wide s = m * m;
    const Wide logPo1P1 = gas.e * std::log1p(gas.h * s);
    const Wide Po1P1 = std::exp(logPo1P1);
    if (M1 < 1)
        return probe(m, Po1P1, Po1P1, true);
    return probe(m, std::exp(logRayleigh(gas, s, (m - 1) * (m + 1))), Po1P1, false);
}

PitotProbe pitotProbeFromReading(double gamma, double Po2P1)
{
    if (!validGamma(gamma) || !(Po2P1 >= 1) || !std::isfinite(Po2P1))
        return refused;
    const Gas gas(gamma);
    const Wide reading = Po2P1;
    const Wide target = std::log1p(reading - 1); // reading - 1 is exact near 1
    const Wide sonic = sonicReading(gas);
    if (reading <= sonic) {
        const Wide s = std::expm1(target / gas.e) / gas.h;
        return probe(std::sqrt(s), reading, reading, true);
    }
    // In z = ln M1^2 the logarithm of Rayleigh's formula is convex and rising with slope
    // (2 g s - g)/(2 g s - (g - 1)), g/(g + 1) at Mach 1 and below 1 after: its tangent at
    // Mach 1 and its asymptote ln(2 g s/(g + 1)) + e ln((g + 1)^2/(4 g)) both lie below it, so
    // each gives a start above the root from which Newton's method falls straight to it.
    const Wide alongTangent = (target - std::log(sonic)) * gas.gp1 / gas.g;
    const Wide alongAsymptote
        = target - gas.e * std::log(gas.gp1 * gas.gp1 / (4 * gas.g)) - std::log(2 * gas.g / gas.gp1);
    const Wide start = std::fmin(alongTangent, alongAsymptote);
    const auto f = [&](auto z) {
        using T = decltype(z);
        const T w = std::expm1(z), s = 1 + w, g = T(gas.g);
        return std::pair {logRayleigh(gas, s, w) - T(target), (2 * g * s - g) / (2 * g * s - T(gas.gm1))};
    };
    const Wide s = 1 + std::expm1(solveMonotone(f, start, 0, start));
    return probe(std::sqrt(s), reading, std::exp(gas.e * std::log1p(gas.h * s)), false);
}

} // namespace ornavel
