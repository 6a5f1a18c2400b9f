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
    // The branch is plain in double but within a hair of the sonic reading.
    const double g = gamma, e = double(gas.e);
    const double sonic = std::exp(e * std::log1p((g - 1) / 2));
    const bool subsonic
        = std::fabs(Po2P1 - sonic) > 1e-12 * sonic ? Po2P1 < sonic : reading <= sonicReading(gas);
    if (subsonic) {
        const Wide s = std::expm1(target / gas.e) / gas.h;
        return probe(std::sqrt(s), reading, reading, true);
    }
    // In z = ln M1^2 the logarithm of Rayleigh's formula is convex and rising with slope
    // (2 g s - g)/(2 g s - (g - 1)), g/(g + 1) at Mach 1 and below 1 after: its tangent at
    // Mach 1 and its asymptote ln(2 g s/(g + 1)) + e ln((g + 1)^2/(4 g)) both lie below it, so
    // each gives a start above the root from which Newton's method falls straight to it. The
    // starts need no more than double.
    const double logReading = double(target);
    const double alongTangent = (logReading - std::log(sonic)) * (g + 1) / g;
    const double alongAsymptote
        = logReading - e * std::log((g + 1) * (g + 1) / (4 * g)) - std::log(2 * g / (g + 1));
    const double start = std::fmin(alongTangent, alongAsymptote);
    RememberingExpm1 expm1;
    const auto f = [&](auto z) {
        using T = decltype(z);
        const T w = expm1(z), s = 1 + w, gw = T(gas.g);
        return std::pair {logRayleigh(gas, s, w) - T(target), (2 * gw * s - gw) / (2 * gw * s - T(gas.gm1))};
    };
    const Wide s = 1 + expm1.atRoot(solveMonotone(f, start, 0, start));
    return probe(std::sqrt(s), reading, std::exp(gas.e * std::log1p(gas.h * s)), false);
}

} // namespace ornavel
