#include "core/inverse.h"

#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace ornavel {

// The closed forms are evaluated in long double (64-bit significand on x86-64): with 11
// bits to spare, their three or four roundings stay far below half an ulp of the double
// result, so M1 comes out within 1 ulp without error-free transformations.

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
using Wide = long double;

double rootOf(Wide s)
{
    return double(std::sqrt(s));
}

} // namespace

double machFromPressureRatio(double P2P1)
{
    if (!(P2P1 > 0) || !std::isfinite(P2P1))
        return notANumber;
    return rootOf((6 * Wide(P2P1) + 1) / 7);
}

double machFromDensityRatio(double Ro2Ro1)
{
    // fma gives the exact sign of 6r - 1, so the double next above 1/6 is let through.
    if (!(std::fma(6.0, Ro2Ro1, -1.0) > 0) || !(Ro2Ro1 < 6))
        return notANumber;
    // 6 - r is exact, so M1 stays exact as r nears 6 and M1 grows without bound.
    return rootOf((5 * Wide(Ro2Ro1)) / (6 - Wide(Ro2Ro1)));
}

double machFromTemperatureRatio(double T2T1)
{
    if (!(T2T1 > 0) || !std::isfinite(T2T1))
        return notANumber;
    const Wide b = 34 - 36 * Wide(T2T1);
    const Wide root = std::sqrt(b * b + 140);
    // -b + root cancels for b > 0 (T2/T1 below 17/18); the product of the roots, -5/7, gives
    // the same root as a sum there.
    return rootOf(b > 0 ? 10 / (b + root) : (root - b) / 14);
}

namespace {

// ln(Po2/Po1) at s = M1^2 = 1 + u. Po2/Po1 = (6s/(s + 5))^3.5 * (6/(7s - 1))^2.5, so
// ln(Po2/Po1) = 3.5 ln(1 + u) - 3.5 ln(1 + u/6) - 2.5 ln(1 + 7u/6). Its first two orders
// cancel (the loss grows as u^3), so near u = 0 the series of that sum is used instead.
constexpr int seriesTerms = 18;
constexpr Wide seriesLimit = 1.0L / 16;

constexpr std::array<Wide, seriesTerms> lossSeries()
{
    // Coefficient of u^k: (-1)^(k+1)/k * (3.5 (1 - 6^-k) - 2.5 (7/6)^k), from k = 3.
    std::array<Wide, seriesTerms> c {};
    Wide sixth = 1, sevenSixths = 1;
    for (int k = 1; k < 3 + seriesTerms; ++k) {
        sixth /= 6;
        sevenSixths *= Wide(7) / 6;
        if (k >= 3)
            c[std::size_t(k - 3)]
                = (k % 2 ? 1 : -1) * (Wide(3.5) * (1 - sixth) - Wide(2.5) * sevenSixths) / k;
    }
    return c;
}
constexpr std::array<Wide, seriesTerms> lossCoefficients = lossSeries();

Wide logStagnationRatio(double M)
{
    const Wide m = M;
    const Wide u = (m - 1) * (m + 1); // both factors exact in long double
    if (std::fabs(u) < seriesLimit) {
        Wide sum = 0;
        for (std::size_t k = seriesTerms; k-- > 0;)
            sum = sum * u + lossCoefficients[k];
        return sum * u * u * u;
    }
    return Wide(3.5) * (std::log1p(u) - std::log1p(u / 6)) - Wide(2.5) * std::log1p(7 * u / 6);
}

} // namespace

double machFromStagnationPressureRatio(double Po2Po1)
{
    if (!(Po2Po1 > 0) || !std::isfinite(Po2Po1))
        return notANumber;
    // From 0.5 to 2 the loss 1 - Po2/Po1 is exact in double and compared with the loss of
    // the estimate; below, where it would round, the logarithms are compared instead.
    const bool byLoss = Po2Po1 >= 0.5 && Po2Po1 <= 2;
    // The loss is flat at M1 = 1, a triple root, where a root finder crawls; its cube root
    // crosses zero with a slope.
    const Wide target = byLoss ? std::cbrt(1 - Wide(Po2Po1)) : -std::log(Wide(Po2Po1));
    // Rises with M1 in both forms, so its sign says on which side of the root M1 lies.
    const auto gap = [&](double M) {
        const Wide logRatio = logStagnationRatio(M);
        return double((byLoss ? std::cbrt(-std::expm1(logRatio)) : -logRatio) - target);
    };

    // With z = ln(7s - 1), ln(Po2/Po1) = C - 2.5z where C = 3.5 ln(6s/(s + 5)) + 2.5 ln 6
    // lies between -ln 6 and 6 ln 6: a bracket of z, hence of M1, for every input.
    const double log6 = std::log(6.0);
    const double logInput = std::log(Po2Po1);
    const auto machAt = [](double z) { return std::sqrt((std::exp(z) + 1) / 7); };
    double low = machAt((-log6 - logInput) / 2.5 - 0.5);
    double high = machAt((6 * log6 - logInput) / 2.5 + 0.5);
    // The bracket may start a double or two below the domain, where 7s - 1 <= 0.
    for (int k = 0; k < 4 && std::isnan(gap(low)); ++k)
        low = std::nextafter(low, 1.0);
    if (std::isnan(gap(low)))
        return notANumber;
    // From about 1e38 on the root lies between the limit and the first double above it.
    high = std::max(high, low);
    if (high == low || gap(low) >= 0)
        return low;
    if (gap(high) <= 0)
        return high; // not reached: the bracket holds every root

    const auto adjacent = [](double a, double b) { return b <= std::nextafter(a, b); };
    std::uintmax_t steps = stagnationRatioIterationLimit;
    const auto [a, b] = boost::math::tools::toms748_solve(gap, low, high, adjacent, steps);
    // Both ends lie within an ulp of the root; the smaller gap is the nearer one.
    return std::fabs(gap(a)) <= std::fabs(gap(b)) ? a : b;
}

} // namespace ornavel
