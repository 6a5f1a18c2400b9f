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

Wide logStagnationRatio(Wide m)
{
    const Wide u = (m - 1) * (m + 1); // exact in long double for a double m
    if (std::fabs(u) < seriesLimit) {
        Wide sum = 0;
        for (std::size_t k = seriesTerms; k-- > 0;)
            sum = sum * u + lossCoefficients[k];
        return sum * u * u * u;
    }
    return Wide(3.5) * (std::log1p(u) - std::log1p(u / 6)) - Wide(2.5) * std::log1p(7 * u / 6);
}

bool lossIsExact(double Po2Po1)
{
    return Po2Po1 >= 0.5 && Po2Po1 <= 2;
}

// How far the ratio at M lies from Po2Po1, rising with M, so that its sign says on which side of
// the root M lies. The loss is flat at M1 = 1, a triple root, where a root finder crawls; its
// cube root crosses zero with a slope.
Wide stagnationGap(double Po2Po1, bool byLoss, Wide M)
{
    const Wide logRatio = logStagnationRatio(M);
    if (byLoss)
        return std::cbrt(-std::expm1(logRatio)) - std::cbrt(1 - Wide(Po2Po1));
    return -logRatio + std::log(Wide(Po2Po1));
}

} // namespace

double machFromStagnationPressureRatio(double Po2Po1)
{
    if (!(Po2Po1 > 0) || !std::isfinite(Po2Po1))
        return notANumber;
    // From 0.5 to 2 the loss 1 - Po2/Po1 is exact in double and compared with the loss of
    // the estimate; below, where it would round, the logarithms are compared instead.
    const bool byLoss = lossIsExact(Po2Po1);
    const auto gap = [&](double M) { return double(stagnationGap(Po2Po1, byLoss, M)); };

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

namespace {

Wide cube(Wide x)
{
    return x * x * x;
}

// x^3.5 and x^2.5 as products and one square root: four roundings of long double, where
// powl's logarithm and exponential would cost more for the same bits.
Wide powerSevenHalves(Wide x)
{
    return cube(x) * std::sqrt(x);
}

Wide powerFiveHalves(Wide x)
{
    return x * x * std::sqrt(x);
}

// Every other cell from P2/P1 = p, in long double. p vanishes at the domain limit, and with it
// in hand nothing cancels: M1^2 = (6p + 1)/7, rho2/rho1 = (6p + 1)/(p + 6), M2^2 = (p + 6)/(7p),
// Po2/Po1 = (rho2/rho1)^3.5 / p^2.5, Po2/P1 = (6(6p + 1)/35)^3.5 / p^2.5.
ShockFromRatio shockFromPressure(Wide p)
{
    // Below the normal doubles a value keeps too few bits to be written to 15 digits: it is as
    // far out of range as one above them.
    const auto inRange = [](Wide v) {
        return std::fabs(v) >= std::numeric_limits<double>::min()
                && std::fabs(v) <= std::numeric_limits<double>::max()
            ? double(v)
            : std::numeric_limits<double>::infinity();
    };
    const Wide density = (6 * p + 1) / (p + 6);
    const Wide behind = powerFiveHalves(p);
    ShockFromRatio shock;
    shock.M2 = inRange(std::sqrt((p + 6) / (7 * p)));
    shock.ratios.P2P1 = inRange(p);
    shock.ratios.Ro2Ro1 = inRange(density);
    shock.ratios.T2T1 = inRange(p / density);
    shock.ratios.Po2Po1 = inRange(powerSevenHalves(density) / behind);
    shock.ratios.Po2P1 = inRange(powerSevenHalves(6 * (6 * p + 1) / 35) / behind);
    return shock;
}

} // namespace

ShockFromRatio shockFromPressureRatio(double P2P1)
{
    return shockFromPressure(P2P1);
}

ShockFromRatio shockFromDensityRatio(double Ro2Ro1)
{
    // 6r - 1 and 6 - r are exact in long double.
    const Wide r = Ro2Ro1;
    return shockFromPressure((6 * r - 1) / (6 - r));
}

ShockFromRatio shockFromTemperatureRatio(double T2T1)
{
    // T2/T1 = p(p + 6)/(6p + 1): p is the positive root of p^2 + (6 - 6t)p - t = 0, taken as a
    // quotient where the sum would cancel (t below 1; the product of the roots is -t).
    const Wide t = T2T1;
    const Wide b = 6 - 6 * t;
    const Wide root = std::sqrt(b * b + 4 * t);
    return shockFromPressure(b > 0 ? 2 * t / (b + root) : (root - b) / 2);
}

ShockFromRatio shockFromStagnationPressureRatio(double Po2Po1, double M1)
{
    if (lossIsExact(Po2Po1)) {
        // M1 is within an ulp of the root: one secant step in long double to its neighbour on
        // the root's other side carries it to the bits long double holds. Near M1 = 1 only the
        // loss's cube root has a slope to step on.
        const Wide gapHere = stagnationGap(Po2Po1, true, M1);
        const double other = std::nextafter(M1, gapHere < 0 ? 2 * M1 : 0.0);
        const Wide gapThere = stagnationGap(Po2Po1, true, other);
        Wide M = M1;
        if (gapThere != gapHere)
            M -= gapHere * (Wide(other) - M) / (gapThere - gapHere);
        return shockFromPressure((7 * (M - 1) * (M + 1) + 6) / 6);
    }
    // Elsewhere ln(Po2/Po1) = 3.5 ln((6p + 1)/(p + 6)) - 2.5 ln p falls steeply enough in ln p
    // for Newton's method, which finds p itself where M1 sits on the domain limit and
    // 7 M1^2 - 1 would be lost.
    const Wide logRatio = std::log(Wide(Po2Po1));
    const Wide log6 = std::log(Wide(6));
    const Wide start = (7 * (Wide(M1) - 1) * (Wide(M1) + 1) + 6) / 6;
    // Close to the limit, Po2/Po1 tends to 6^-3.5 p^-2.5.
    Wide v = start > Wide(0.01) ? std::log(start) : -(logRatio + Wide(3.5) * log6) / Wide(2.5);
    for (int k = 0; k < 40; ++k) {
        const Wide p = std::exp(v);
        const Wide h = Wide(3.5) * (std::log1p(6 * p) - std::log1p(p / 6) - log6) - Wide(2.5) * v - logRatio;
        const Wide slope = Wide(3.5) * 35 * p / ((6 * p + 1) * (p + 6)) - Wide(2.5);
        const Wide step = h / slope;
        v -= step;
        if (std::fabs(step) <= std::numeric_limits<Wide>::epsilon())
            break;
    }
    return shockFromPressure(std::exp(v));
}

} // namespace ornavel
