#include "core/pitot.h"

#include "core/normal_shock.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace ornavel {

namespace {

// A converged estimate must give back the ratio it was solved for; the genuine solutions
// do so within about 3e-5 relative, a collapse onto the domain limit misses by far more.
constexpr double reproductionTolerance = 1e-3;

// Po2/P2 behind the shock, written in s = M1^2 (gamma = 1.4). Not finite outside its domain.
double stagnationFactor(double s)
{
    return std::pow((36 * s) / (35 * s - 5), 3.5);
}

bool insideFactorDomain(double M)
{
    const double s = M * M;
    return 35 * s - 5 > 0 && std::isfinite(stagnationFactor(s));
}

} // namespace

double pitotRatio(double M)
{
    const double s = M * M;
    if (!(35 * s - 5 > 0))
        return std::numeric_limits<double>::quiet_NaN();
    const double q = stagnationFactor(s);
    const double ratio = (q * (7 * s - 1)) / 6;
    // An overflowed 36s would give an infinity where the ratio is finite.
    return std::isfinite(ratio) ? ratio : std::numeric_limits<double>::quiet_NaN();
}

PitotSolution solvePitotMach(double gamma, double Po2P1)
{
    PitotSolution result {1.0, false, 0, false, false};
    std::array<double, pitotIterationLimit + 1> estimates {1.0};
    double next = 1;
    for (int k = 1; k <= pitotIterationLimit; ++k) {
        const double M = next;
        const double s = M * M;
        const double q = stagnationFactor(s);
        const double r = Po2P1 / q;
        const double sNext = 1 + (((gamma + 1) / 2) / gamma) * (r - 1);
        next = std::sqrt(sNext);
        result.M1 = next;
        result.iterations = k;
        if (!std::isfinite(q) || !std::isfinite(next)) {
            // Past the doubles (a huge ratio or its square) is out of range; anything else
            // left the domain of q or of the square root.
            result.outOfRange = std::isinf(Po2P1) || !std::isfinite(36 * s) || std::isinf(sNext);
            result.noRealSolution = !result.outOfRange;
            return result;
        }
        if (std::fabs(next - M) < pitotTolerance) {
            result.converged = true;
            break;
        }
        // The map is fixed, so a repeated estimate means a cycle whose steps all failed the
        // test above: it can never be met. The estimates are then as exact as the doubles
        // allow. Only steps of a few units in the last place settle like that.
        const auto seen = estimates.begin() + k;
        if (std::fabs(next - M) <= 1e-12 * M
            && (std::nextafter(M, next) == next || std::find(estimates.begin(), seen, next) != seen)) {
            result.converged = true;
            break;
        }
        *seen = next;
    }

    if (!(Po2P1 >= pitotRatioMinimum) || !insideFactorDomain(result.M1)
        || !hasDownstreamMach(gamma, result.M1)) {
        result.noRealSolution = true;
    } else if (result.converged) {
        const double mismatch = std::fabs(pitotRatio(result.M1) - Po2P1);
        result.noRealSolution = !(mismatch <= reproductionTolerance * std::fabs(Po2P1));
    }
    return result;
}

} // namespace ornavel
