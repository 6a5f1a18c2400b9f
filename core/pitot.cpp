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

namespace {

bool isGas(double gamma)
{
    return gamma > 1 && std::isfinite(gamma);
}

// gamma = 1.4 as it always was.
struct SevenFifths {
    double factor(double s) const { return stagnationFactor(s); }
    bool numeratorIsFinite(double s) const { return std::isfinite(36 * s); }
    bool insideFactorDomain(double M) const { return ornavel::insideFactorDomain(M); }
    double minimum() const { return pitotRatioMinimum; }
    double ratio(double M) const { return pitotRatio(M); }
};

// Po2/P2 for any gamma, with w = 2 gamma s - (gamma - 1), half of 4 gamma s - 2(gamma - 1).
double stagnationFactor(double gamma, double s, double w)
{
    return std::pow(((gamma + 1) * (gamma + 1) * s) / (2 * w), gamma / (gamma - 1));
}

struct AnyGas {
    explicit AnyGas(double gamma) : g(gamma), smallest(smallestPitotRatio(gamma)) {}
    double g, smallest;

    double factor(double s) const { return stagnationFactor(g, s, 2 * g * s - (g - 1)); }
    bool numeratorIsFinite(double s) const { return std::isfinite((g + 1) * (g + 1) * s); }
    bool insideFactorDomain(double M) const
    {
        const double s = M * M;
        return 2 * g * s - (g - 1) > 0 && std::isfinite(factor(s));
    }
    double minimum() const { return smallest; }
    double ratio(double M) const { return pitotRatio(g, M); }
};

// The iteration for a gas: Gas gives the stagnation factor, its domain and the smallest ratio.
template<class Gas>
PitotSolution solve(const Gas &gas, double gamma, double Po2P1)
{
    PitotSolution result {1.0, false, 0, false, false};
    std::array<double, pitotIterationLimit + 1> estimates {1.0};
    double next = 1;
    for (int k = 1; k <= pitotIterationLimit; ++k) {
        const double M = next;
        const double s = M * M;
        const double q = gas.factor(s);
        const double r = Po2P1 / q;
        const double sNext = 1 + (((gamma + 1) / 2) / gamma) * (r - 1);
        next = std::sqrt(sNext);
        result.M1 = next;
        result.iterations = k;
        if (!std::isfinite(q) || !std::isfinite(next)) {
            // Past the doubles (a huge ratio or its square) is out of range; anything else
            // left the domain of q or of the square root.
            result.outOfRange = std::isinf(Po2P1) || !gas.numeratorIsFinite(s) || std::isinf(sNext);
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

    if (!(Po2P1 >= gas.minimum()) || !gas.insideFactorDomain(result.M1)
        || !hasDownstreamMach(gamma, result.M1)) {
        result.noRealSolution = true;
    } else if (result.converged) {
        const double mismatch = std::fabs(gas.ratio(result.M1) - Po2P1);
        result.noRealSolution = !(mismatch <= reproductionTolerance * std::fabs(Po2P1));
    }
    return result;
}

} // namespace

double pitotRatio(double gamma, double M)
{
    if (gamma == 1.4)
        return pitotRatio(M);
    if (!isGas(gamma))
        return std::numeric_limits<double>::quiet_NaN();
    const double s = M * M;
    const double w = 2 * gamma * s - (gamma - 1); // (gamma+1) P2/P1
    if (!(w > 0))
        return std::numeric_limits<double>::quiet_NaN();
    const double ratio = stagnationFactor(gamma, s, w) * (w / (gamma + 1));
    // An overflowed (gamma+1)^2 s would give an infinity or NaN where the ratio is finite.
    return std::isfinite(ratio) ? ratio : std::numeric_limits<double>::quiet_NaN();
}

double smallestPitotRatio(double gamma)
{
    if (gamma == 1.4)
        return pitotRatioMinimum;
    if (!isGas(gamma))
        return std::numeric_limits<double>::quiet_NaN();
    // At s = 1/2, 2 gamma s - (gamma-1) = 1 and the base is ((gamma+1)/2)^2, 1 + (gamma-1)/2 squared:
    // a logarithm near 0 through log1p, in long double for the last bit of the double.
    using Wide = long double;
    const Wide half = Wide(gamma - 1) / 2;
    return double(std::exp(2 * Wide(gamma) / Wide(gamma - 1) * std::log1p(half)) / (Wide(gamma) + 1));
}

PitotSolution solvePitotMach(double gamma, double Po2P1)
{
    if (gamma == 1.4)
        return solve(SevenFifths {}, gamma, Po2P1);
    if (!isGas(gamma))
        return {std::numeric_limits<double>::quiet_NaN(), false, 0, true, false};
    return solve(AnyGas(gamma), gamma, Po2P1);
}

} // namespace ornavel
