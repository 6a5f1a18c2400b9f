// The inverses of inverse.h for any gamma. At 1.4 they hand over to the 7/5 forms; elsewhere
// gamma is the double given, and everything is done in long double from P2/P1 = p, which
// vanishes at the domain limit, so that no cell cancels there.
#include "core/inverse.h"

#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace ornavel {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
using Wide = long double;

bool isSevenFifths(double gamma)
{
    return gamma == 1.4;
}

bool isGas(double gamma)
{
    return gamma > 1 && std::isfinite(gamma);
}

// The constants of one gas. gamma - 1 is exact in double for every gamma above 1/2, and
// gamma + 1 is exact in long double.
struct Gas {
    explicit Gas(double gamma)
        : g(gamma),
          minus(gamma - 1),
          plus(Wide(gamma) + 1),
          k(plus / minus),
          e(g / minus),
          f(1 / minus)
    {
    }
    Wide g;
    Wide minus; // gamma - 1
    Wide plus;  // gamma + 1
    Wide k;     // (gamma+1)/(gamma-1), the largest density ratio
    Wide e;     // gamma/(gamma-1), the exponent of the isentropic pressure
    Wide f;     // 1/(gamma-1) = e - 1
    double gamma() const { return double(g); }
    // M1^2 = ((gamma+1)p + gamma - 1)/(2 gamma): a sum of positive terms, so nothing cancels.
    Wide squareFromPressure(Wide p) const { return (plus * p + minus) / (2 * g); }
};

double rootOf(Wide s)
{
    return double(std::sqrt(s));
}

// Inlined, as are log2Wide and exp2Wide: a call would pass its long doubles through memory, which
// costs more than the few operations of the common case.
//
// (gamma+1)r - (gamma-1) and (gamma+1) - (gamma-1)r, the numerator and denominator of p for a
// density ratio r, each to the last bits of long double with its exact sign: they vanish at the
// two ends of the domain. Away from the ends (by a sixty-fourth of their terms) long double alone
// does that. Near them gamma*r and (gamma-1)*r are split exactly by fma, the remaining sums are of
// terms whose exponents differ by a few bits, exact in long double, and only the last one rounds.
struct DensitySplit {
    Wide numerator;
    Wide denominator;
};

[[gnu::always_inline]] inline DensitySplit splitDensity(const Gas &gas, double r)
{
    const Wide plusR = gas.plus * r;
    const DensitySplit plain {plusR - gas.minus, gas.plus - gas.minus * r};
    if (std::fabs(plain.numerator) > std::fabs(plusR) / 64 && std::fabs(plain.denominator) > gas.plus / 64)
        return plain;
    const double g = gas.gamma();
    const double gr = g * r;
    const double grLow = std::fma(g, r, -gr);
    const double minus = g - 1;
    const double mr = minus * r;
    const double mrLow = std::fma(minus, r, -mr);
    return {(Wide(gr) + (Wide(r) - gas.minus)) + grLow, (gas.plus - mr) - mrLow};
}

bool insideDensityDomain(const DensitySplit &d)
{
    return d.numerator > 0 && d.denominator > 0;
}

// p from T2/T1 = t = p((gamma-1)p + gamma + 1)/((gamma+1)p + gamma - 1): the positive root of
// p^2 + k(1 - t)p - t = 0, as a quotient where the sum would cancel (the roots' product is -t).
Wide pressureFromTemperature(const Gas &gas, double T2T1)
{
    const Wide t = T2T1;
    const Wide b = gas.k * (1 - t);
    const Wide root = std::sqrt(b * b + 4 * t);
    return b > 0 ? 2 * t / (b + root) : (root - b) / 2;
}

// log2 and exp2 in long double, within a few units in its last place and two to three times as
// fast as log2l and exp2l: a row's two powers cost two of each at gamma = 1.3, where the 7/5 forms
// need only square roots. Exponents and table indices come from the bits of a double, which the
// processor moves cheaply (not from those of the long double, whose 10-byte stores stall the
// loads after them); the library takes over outside the doubles and where long double is not
// x87's 80-bit format.
constexpr bool isX87 = std::numeric_limits<Wide>::digits == 64;
constexpr Wide ln2 = 0x1.62e42fefa39ef358p-1L;

// 2^n for n in [-1022, 1023].
double powerOfTwo(int n)
{
    return std::bit_cast<double>(std::uint64_t(n + 1023) << 52);
}

// x = 2^k m with m in [1, 2) (or a hair outside, where x rounds to a double across a power of
// two); m = c (1 + z)/(1 - z) with c the middle of m's 32nd of [1, 2), so that |z| <= 1/128 and
// ln(m/c) = 2 atanh z = 2z(1 + z^2/3 + z^4/5 + z^6/7), the next term below 2^-64.
[[gnu::always_inline]] inline Wide log2Wide(Wide x)
{
    struct Table {
        std::array<Wide, 32> centre, log2Centre;
    };
    static const Table table = [] {
        Table t {};
        for (std::size_t j = 0; j < 32; ++j) {
            t.centre[j] = 1 + Wide(2 * j + 1) / 64;
            t.log2Centre[j] = std::log2(t.centre[j]);
        }
        return t;
    }();
    const double rounded = double(x);
    if (!isX87 || !(rounded >= 0x1p-1022) || !(rounded < 0x1p1023))
        return std::log2(x);
    const auto bits = std::bit_cast<std::uint64_t>(rounded);
    const int k = int(bits >> 52) - 1023;
    const std::size_t j = std::size_t(bits >> 47) & 31;
    const Wide m = x * Wide(powerOfTwo(-k));
    const Wide c = table.centre[j];
    const Wide z = (m - c) / (m + c);
    const Wide w = z * z;
    const Wide series = (1 + w / 3) + w * w * (Wide(1) / 5 + w / 7);
    return (Wide(k) + table.log2Centre[j]) + z * (2 / ln2) * series;
}

constexpr std::array<Wide, 8> exp2Series()
{
    std::array<Wide, 8> c {};
    Wide term = 1;
    for (std::size_t k = 0; k < c.size(); ++k) {
        c[k] = term;
        term = term * ln2 / Wide(k + 1);
    }
    return c;
}

// w = n + j/32 + r with |r| <= 1/64: 2^(j/32) from a table, 2^r from its series to r^7 (the
// next term is below 2^-67), 2^n from its bits.
[[gnu::always_inline]] inline Wide exp2Wide(Wide w)
{
    static const std::array<Wide, 32> steps = [] {
        std::array<Wide, 32> t {};
        for (std::size_t j = 0; j < t.size(); ++j)
            t[j] = std::exp2(Wide(j) / 32);
        return t;
    }();
    constexpr std::array<Wide, 8> c = exp2Series();
    if (!isX87 || !(std::fabs(w) < 1020))
        return std::exp2(w);
    // Adding 1.5 * 2^63 rounds 32w to an integer: the long double ulp there is 1.
    constexpr Wide shifter = 0x1.8p63L;
    const Wide rounded = (32 * w + shifter) - shifter;
    const Wide r = w - rounded / 32;
    const auto i = std::int64_t(double(rounded));
    const Wide r2 = r * r;
    const Wide series
        = (c[0] + c[1] * r) + r2 * ((c[2] + c[3] * r) + r2 * ((c[4] + c[5] * r) + r2 * (c[6] + c[7] * r)));
    return steps[std::size_t(i & 31)] * series * Wide(powerOfTwo(int(i >> 5)));
}

// Below the normal doubles a value keeps too few bits to be written to 15 digits: it is as far
// out of range as one above them.
double inRange(Wide v)
{
    return std::fabs(v) >= std::numeric_limits<double>::min()
            && std::fabs(v) <= std::numeric_limits<double>::max()
        ? double(v)
        : std::numeric_limits<double>::infinity();
}

// Every cell from p. With N = (gamma+1)p + gamma - 1 and D = (gamma-1)p + gamma + 1, both sums of
// positive terms: rho2/rho1 = N/D, T2/T1 = pD/N, M2^2 = D/(2 gamma p), To/T2 = (gamma+1)N/(4 gamma p).
// The stagnation ratios, p (T2/T1)^-e and p (To/T2)^e, are taken as rho2/rho1 (T2/T1)^-f and
// (gamma+1)N/(4 gamma) (To/T2)^f, f = e - 1: the factors in front stay bounded where the powers
// grow, so the powers' logarithms, whose rounding the results inherit, are no larger than the
// results' own.
ShockFromRatio shockFromPressure(const Gas &gas, Wide p)
{
    const Wide n = gas.plus * p + gas.minus;
    const Wide d = gas.minus * p + gas.plus;
    const Wide density = n / d;
    const Wide temperature = p / density;
    const Wide pitotFront = gas.plus * n / (4 * gas.g);
    const Wide behind = pitotFront / p;
    ShockFromRatio shock;
    shock.M2 = inRange(std::sqrt(d / (2 * gas.g * p)));
    shock.ratios.P2P1 = inRange(p);
    shock.ratios.Ro2Ro1 = inRange(density);
    shock.ratios.T2T1 = inRange(temperature);
    shock.ratios.Po2Po1 = inRange(density * exp2Wide(-gas.f * log2Wide(temperature)));
    shock.ratios.Po2P1 = inRange(pitotFront * exp2Wide(gas.f * log2Wide(behind)));
    return shock;
}

} // namespace

double machFromPressureRatio(double gamma, double P2P1)
{
    if (isSevenFifths(gamma))
        return machFromPressureRatio(P2P1);
    if (!isGas(gamma) || !(P2P1 > 0) || !std::isfinite(P2P1))
        return notANumber;
    return rootOf(Gas(gamma).squareFromPressure(P2P1));
}

double machFromDensityRatio(double gamma, double Ro2Ro1)
{
    if (isSevenFifths(gamma))
        return machFromDensityRatio(Ro2Ro1);
    if (!isGas(gamma) || !std::isfinite(Ro2Ro1))
        return notANumber;
    const Gas gas(gamma);
    const DensitySplit d = splitDensity(gas, Ro2Ro1);
    if (!insideDensityDomain(d))
        return notANumber;
    // M1^2 = 2r/((gamma+1) - (gamma-1)r): the denominator is exact as r nears its largest value.
    return rootOf(2 * Wide(Ro2Ro1) / d.denominator);
}

double machFromTemperatureRatio(double gamma, double T2T1)
{
    if (isSevenFifths(gamma))
        return machFromTemperatureRatio(T2T1);
    if (!isGas(gamma) || !(T2T1 > 0) || !std::isfinite(T2T1))
        return notANumber;
    const Gas gas(gamma);
    return rootOf(gas.squareFromPressure(pressureFromTemperature(gas, T2T1)));
}

ShockFromRatio shockFromPressureRatio(double gamma, double P2P1)
{
    if (isSevenFifths(gamma))
        return shockFromPressureRatio(P2P1);
    if (!isGas(gamma))
        return {notANumber, {notANumber, notANumber, notANumber, notANumber, notANumber}};
    return shockFromPressure(Gas(gamma), P2P1);
}

ShockFromRatio shockFromDensityRatio(double gamma, double Ro2Ro1)
{
    if (isSevenFifths(gamma))
        return shockFromDensityRatio(Ro2Ro1);
    if (!isGas(gamma))
        return {notANumber, {notANumber, notANumber, notANumber, notANumber, notANumber}};
    const Gas gas(gamma);
    const DensitySplit d = splitDensity(gas, Ro2Ro1);
    return shockFromPressure(gas, d.numerator / d.denominator);
}

ShockFromRatio shockFromTemperatureRatio(double gamma, double T2T1)
{
    if (isSevenFifths(gamma))
        return shockFromTemperatureRatio(T2T1);
    if (!isGas(gamma))
        return {notANumber, {notANumber, notANumber, notANumber, notANumber, notANumber}};
    const Gas gas(gamma);
    return shockFromPressure(gas, pressureFromTemperature(gas, T2T1));
}

namespace {

// ln(Po2/Po1) for a gas, at s = M1^2 = 1 + u, p = 1 + bu with b = 2 gamma/(gamma+1):
// e ln(rho2/rho1) - f ln p. Its first two orders in u cancel (the loss grows as u^3), so near
// u = 0 its series is summed instead, with coefficients that depend on gamma:
// c_k = (-1)^(k+1)/k (e(1 - a^k) - f b^k), a = (gamma-1)/(gamma+1). Written as
// (1 - a)(A(k-1) + A(k) - S(k))/2 with A(k) = 1 + a + ... + a^(k-1) and
// S(k) = 1 + b + ... + b^(k-1), the bracket does not lose the digits that e and f, large as
// gamma nears 1, would cost.
class StagnationLoss
{
public:
    explicit StagnationLoss(const Gas &gas) : gas_(gas)
    {
        const Wide a = gas.minus / gas.plus;
        const Wide b = 1 + a;
        Wide aSum = 1 + a, bSum = 1 + b, aPower = a * a, bPower = b * b; // A(2), S(2), a^2, b^2
        Wide leading = 0, limitPower = 1;
        for (int k = 3; terms_ < maxTerms; ++k, limitPower *= seriesLimit) {
            const Wide aBefore = aSum;
            aSum += aPower;
            bSum += bPower;
            aPower *= a;
            bPower *= b;
            const Wide c = (k % 2 ? 1 : -1) * (1 - a) * (aBefore + aSum - bSum) / (2 * k);
            coefficients_[std::size_t(terms_++)] = c;
            if (k == 3)
                leading = std::fabs(c);
            // The terms fall as (b u)^k: the last one kept is below the first one's last bit.
            else if (std::fabs(c) * limitPower < leading * 0x1p-66L)
                break;
        }
    }

    static constexpr Wide seriesLimit = 1.0L / 8;

    // p = (2 gamma m^2 - (gamma - 1))/(gamma + 1) at the double m. Near the domain limit the
    // difference cancels, yet leaves p to about 2^-11 at the doubles next to the limit, where p
    // doubles from one to the next: enough to tell which is nearer the root.
    Wide pressureAt(double m) const { return (2 * gas_.g * Wide(m) * Wide(m) - gas_.minus) / gas_.plus; }

    // NaN at and below the domain limit, where p <= 0.
    Wide logRatio(double m) const
    {
        const Wide u = (Wide(m) - 1) * (Wide(m) + 1);
        if (std::fabs(u) < seriesLimit)
            return series(u);
        return logRatioAtPressure(pressureAt(m));
    }

    Wide logRatioAtPressure(Wide p) const
    {
        if (!(p > 0))
            return std::numeric_limits<Wide>::quiet_NaN();
        return gas_.e * std::log((gas_.plus * p + gas_.minus) / (gas_.minus * p + gas_.plus))
            - gas_.f * std::log(p);
    }

    Wide series(Wide u) const
    {
        Wide sum = 0;
        for (int k = terms_; k-- > 0;)
            sum = sum * u + coefficients_[std::size_t(k)];
        return sum * u * u * u;
    }

private:
    static constexpr int maxTerms = 40;
    Gas gas_;
    std::array<Wide, maxTerms> coefficients_ {};
    int terms_ = 0;
};

bool lossIsExact(double Po2Po1)
{
    return Po2Po1 >= 0.5 && Po2Po1 <= 2;
}

// As stagnationGap of the 7/5 form: rising with M, the loss's cube root between 0.5 and 2, where
// the loss is flat at M1 = 1, and the logarithm elsewhere.
Wide stagnationGap(double Po2Po1, bool byLoss, Wide logRatio)
{
    if (byLoss)
        return std::cbrt(-std::expm1(logRatio)) - std::cbrt(1 - Wide(Po2Po1));
    return -logRatio + std::log(Wide(Po2Po1));
}

} // namespace

double machFromStagnationPressureRatio(double gamma, double Po2Po1)
{
    if (isSevenFifths(gamma))
        return machFromStagnationPressureRatio(Po2Po1);
    if (!isGas(gamma) || !(Po2Po1 > 0) || !std::isfinite(Po2Po1))
        return notANumber;
    const Gas gas(gamma);
    const StagnationLoss loss(gas);
    const bool byLoss = lossIsExact(Po2Po1);
    const auto gap = [&](double M) { return double(stagnationGap(Po2Po1, byLoss, loss.logRatio(M))); };

    // ln(Po2/Po1) = e ln(rho2/rho1) - f ln p with rho2/rho1 between 1/k and k: a bracket of ln p,
    // hence of M1, for every input, widened by a half for the rounding of the doubles below.
    const double logK = double(std::log(gas.k));
    const double e = double(gas.e), f = double(gas.f);
    const double logInput = std::log(Po2Po1);
    const auto machAt = [&](double v) { return rootOf(gas.squareFromPressure(std::exp(Wide(v)))); };
    double low = machAt((-e * logK - logInput) / f - 0.5);
    if (std::isinf(low))
        return low; // the root lies beyond the doubles, as gamma nears 3 and Po2/Po1 nears 0
    double high = std::min(machAt((e * logK - logInput) / f + 0.5), std::numeric_limits<double>::max());
    for (int k = 0; k < 4 && std::isnan(gap(low)); ++k)
        low = std::nextafter(low, 2.0);
    if (std::isnan(gap(low)))
        return notANumber;
    high = std::max(high, low);
    if (high == low || gap(low) >= 0)
        return low;
    if (gap(high) < 0)
        return std::numeric_limits<double>::infinity(); // beyond the doubles as well

    const auto adjacent = [](double a, double b) { return b <= std::nextafter(a, b); };
    std::uintmax_t steps = stagnationRatioIterationLimit;
    const auto [a, b] = boost::math::tools::toms748_solve(gap, low, high, adjacent, steps);
    return std::fabs(gap(a)) <= std::fabs(gap(b)) ? a : b;
}

ShockFromRatio shockFromStagnationPressureRatio(double gamma, double Po2Po1, double M1)
{
    if (isSevenFifths(gamma))
        return shockFromStagnationPressureRatio(Po2Po1, M1);
    if (!isGas(gamma))
        return {notANumber, {notANumber, notANumber, notANumber, notANumber, notANumber}};
    const Gas gas(gamma);
    const StagnationLoss loss(gas);
    if (lossIsExact(Po2Po1)) {
        // One secant step in long double from M1 to its neighbour across the root, on the loss's
        // cube root, which has a slope at M1 = 1 where the loss has none.
        const Wide gapHere = stagnationGap(Po2Po1, true, loss.logRatio(M1));
        const double other = std::nextafter(M1, gapHere < 0 ? 2 * M1 : 0.0);
        const Wide gapThere = stagnationGap(Po2Po1, true, loss.logRatio(other));
        Wide M = M1;
        if (gapThere != gapHere)
            M -= gapHere * (Wide(other) - M) / (gapThere - gapHere);
        return shockFromPressure(gas, 1 + 2 * gas.g * (M - 1) * (M + 1) / gas.plus);
    }
    // Elsewhere Newton's method on ln p, which finds p itself where M1 sits on the domain limit.
    // ln(Po2/Po1) = e(ln(1 + kp) - ln(k + p)) - f ln p, falling in ln p with slope
    // e p (k^2 - 1)/((1 + kp)(k + p)) - f.
    const Wide logRatio = std::log(Wide(Po2Po1));
    const Wide logK = std::log(gas.k);
    const Wide start = loss.pressureAt(M1);
    // Close to the limit Po2/Po1 tends to k^-e p^-f, and far from it (where M1 may be beyond the
    // doubles) to k^e p^-f.
    Wide v = !std::isfinite(start) ? (gas.e * logK - logRatio) / gas.f
        : start > Wide(0.01)       ? std::log(start)
                                   : -(logRatio + gas.e * logK) / gas.f;
    for (int k = 0; k < 40; ++k) {
        const Wide p = std::exp(v);
        const Wide h = gas.e * (std::log1p(gas.k * p) - std::log1p(p / gas.k) - logK) - gas.f * v - logRatio;
        const Wide slope = gas.e * (gas.k * gas.k - 1) * p / ((1 + gas.k * p) * (gas.k + p)) - gas.f;
        const Wide step = h / slope;
        v -= step;
        if (std::fabs(step) <= std::numeric_limits<Wide>::epsilon())
            break;
    }
    return shockFromPressure(gas, std::exp(v));
}

double smallestUpstreamMach(double gamma)
{
    if (isSevenFifths(gamma))
        return double(1 / std::sqrt(Wide(7)));
    if (!isGas(gamma))
        return notANumber;
    return rootOf(Wide(gamma - 1) / (2 * Wide(gamma)));
}

double smallestDensityRatio(double gamma)
{
    if (isSevenFifths(gamma))
        return 1.0 / 6;
    return isGas(gamma) ? double(Wide(gamma - 1) / (Wide(gamma) + 1)) : notANumber;
}

double largestDensityRatio(double gamma)
{
    if (isSevenFifths(gamma))
        return 6;
    return isGas(gamma) ? double((Wide(gamma) + 1) / (gamma - 1)) : notANumber;
}

} // namespace ornavel
