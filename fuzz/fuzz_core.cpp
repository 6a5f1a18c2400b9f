// The shock relations and the pitot inversion on any doubles (gamma is always 1.4): no
// undefined behaviour, the solver ends within its limit, and whatever is reported as an
// answer is finite and inside the domain.
#include "core/normal_shock.h"
#include "core/pitot.h"

#include <cmath>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    constexpr double gamma = 1.4;
    double values[2] = {0, 0};
    std::memcpy(values, data, std::min(size, sizeof values));
    const double M = values[0];
    const double ratio = values[1];

    const double partner = ornavel::downstreamMach(gamma, M);
    if (!std::isnan(partner) && !(std::isfinite(partner) && partner >= 0))
        __builtin_trap();
    if (std::isfinite(M) && std::fabs(M) < 1e150 && ornavel::hasDownstreamMach(gamma, M)
        && std::isnan(partner))
        __builtin_trap();
    const ornavel::ShockRatios r = ornavel::shockRatios(gamma, M, partner);
    const bool anyNan = std::isnan(r.P2P1) || std::isnan(r.Ro2Ro1) || std::isnan(r.T2T1)
        || std::isnan(r.Po2Po1) || std::isnan(r.Po2P1);
    if (anyNan == ornavel::isFinite(r) || (!anyNan && !(r.Po2Po1 > 0)))
        __builtin_trap();

    const ornavel::PitotSolution s = ornavel::solvePitotMach(gamma, ratio);
    if (s.iterations < 1 || s.iterations > ornavel::pitotIterationLimit)
        __builtin_trap();
    if (s.noRealSolution && s.outOfRange)
        __builtin_trap();
    if (!s.noRealSolution && !s.outOfRange) {
        if (!std::isfinite(s.M1) || !ornavel::hasDownstreamMach(gamma, s.M1)
            || !std::isfinite(ornavel::pitotRatio(s.M1)))
            __builtin_trap();
        if (s.converged && !(std::fabs(ornavel::pitotRatio(s.M1) - ratio) <= 1e-3 * std::fabs(ratio)))
            __builtin_trap();
    }
    return 0;
}
