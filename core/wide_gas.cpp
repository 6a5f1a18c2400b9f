#include "core/wide_gas.h"

#include <quadmath.h>

namespace ornavel::wide {

bool validGamma(double gamma)
{
    return gamma > 1 && gamma <= 3;
}

Gas::Gas(double gamma) : g(gamma), gm1(Wide(gamma) - 1), gp1(Wide(gamma) + 1)
{
    h = gm1 / 2;
    e = g / gm1;
    k = gp1 / (2 * gm1);
    c = gm1 / gp1;
    a = std::sqrt(c);
}

Wide largestPrandtlMeyerRadians(const Gas &gas)
{
    return (pi / 2) * (1 / gas.a - 1);
}

Wide prandtlMeyerSlope(const Gas &gas, Wide nu, Wide gap)
{
    if (nu == 0)
        return 0;
    // nu <= (1 - a^2) t^3/3 and gap <= (1/a^2 - 1)/t bound t from both sides.
    const Wide a2 = gas.a * gas.a;
    const Wide low = std::cbrt(3 * nu / (1 - a2));
    const Wide high = (1 / a2 - 1) / gap;
    if (nu <= gap) {
        const auto f = [&](auto t) {
            using T = decltype(t);
            const T t2 = t * t, b2 = T(a2);
            return std::pair {prandtlMeyerRadians(gas, t) - T(nu),
                              t2 * (1 - b2) / ((1 + b2 * t2) * (1 + t2))};
        };
        return solveMonotone(f, low, low, high);
    }
    // In u = 1/t the gap rises from 0, with slope (1 - a^2)/((a^2 + u^2)(1 + u^2)).
    const auto f = [&](auto u) {
        using T = decltype(u);
        const T u2 = u * u, b2 = T(a2);
        return std::pair {prandtlMeyerGap(gas, u) - T(gap), (1 - b2) / ((b2 + u2) * (1 + u2))};
    };
    return 1 / solveMonotone(f, 1 / high, 1 / high, 1 / low);
}

namespace {

using Quad = __float128;

// pi/180 as the sum of three doubles, good to far beyond __float128's 113 bits.
const Quad quadRadiansPerDegree
    = Quad(0.017453292519943295) + Quad(2.9486522708701687e-19) + Quad(-1.3427726813345382e-35);

Wide quadRadians(Quad degrees)
{
    return Wide(degrees * quadRadiansPerDegree);
}

} // namespace

Wide preciseGapFromAngle(double gamma, double nuDegrees)
{
    const Quad g = gamma;
    const Quad largest = 90 * (sqrtq((g + 1) / (g - 1)) - 1);
    return quadRadians(largest - nuDegrees);
}

Wide preciseGapAfterTurn(double gamma, double M1, double thetaDegrees)
{
    const Quad g = gamma;
    const Quad a = sqrtq((g - 1) / (g + 1));
    const Quad u = 1 / sqrtq((Quad(M1) - 1) * (Quad(M1) + 1)); // infinite at M1 = 1
    const Quad gap = atanq(u / a) / a - atanq(u);
    return Wide(gap - thetaDegrees * quadRadiansPerDegree);
}

Wide preciseSlopeSquaredFromPower(double gamma, double q, bool pressure)
{
    const Quad g = gamma;
    // M^2 - 1 = (X - X*)/h = ((g + 1)/(g - 1)) (X/X* - 1) with X* = (g + 1)/2, through
    // ln(X/X*) = ln X - ln X*, whose error is that of ln X*, about 2^-113 h: a difference of
    // X and X* themselves would lose (g + 1)/(g - 1) times more, much near gamma = 1.
    const Quad logX = -logq(q) * (pressure ? (g - 1) / g : g - 1);
    return Wide((g + 1) / (g - 1) * expm1q(logX - log1pq((g - 1) / 2)));
}

} // namespace ornavel::wide
