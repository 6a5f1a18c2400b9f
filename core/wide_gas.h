#pragma once

// Long double pieces shared by the isentropic, pitot-probe and expansion relations, and the
// __float128 steps of their narrow bands. Internal to core/.

#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

namespace ornavel::wide {

// x87 long double on x86-64: a 64-bit significand, 11 bits beyond a double's.
using Wide = long double;
static_assert(std::numeric_limits<Wide>::digits >= 64, "the error bounds here need 11 bits beyond a double");

inline constexpr Wide pi = 3.141592653589793238462643383279502884L;
inline constexpr Wide degreesPerRadian = 57.29577951308232087679815481410517033L;
inline constexpr Wide radiansPerDegree = 0.01745329251994329576923690768488612713L;
inline constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// gamma in (1, 3], the range every relation here accepts.
bool validGamma(double gamma);

// The constants of one gas, each within an ulp of long double of its exact value for the
// given double gamma (g - 1 and g + 1 are exact).
struct Gas {
    explicit Gas(double gamma);
    Wide g, gm1, gp1;
    Wide h; // (g - 1)/2: T0/T = X = 1 + h M^2
    Wide e; // g/(g - 1): p/p0 = X^-e
    Wide k; // (g + 1)/(2(g - 1)): A/A* = (X/X*)^k / M with X* = (g + 1)/2
    Wide c; // (g - 1)/(g + 1)
    Wide a; // sqrt(c)
};

// Below t^2 = 1/16 the two arctangents of nu cancel by up to 3/((1 - a^2) t^2); there the sum
// nu = sum over n >= 1 of (-1)^(n+1) (1 - a^2n) t^(2n+1)/(2n+1) is taken, whose 17 terms reach
// the last bit of long double.
inline constexpr int prandtlMeyerSeriesTerms = 17;

// nu in radians at t = sqrt(M^2 - 1) >= 0, in double or long double.
template<class T>
T prandtlMeyerRadians(const Gas &gas, T t)
{
    const T a = T(gas.a);
    const T t2 = t * t;
    if (t2 >= T(1) / 16)
        return std::atan(a * t) / a - std::atan(t);
    const T a2 = a * a;
    T power = t; // (-1)^(n+1) t^(2n+1)
    T a2n = 1;
    T sum = 0;
    for (int n = 1; n <= prandtlMeyerSeriesTerms; ++n) {
        power *= (n == 1 ? t2 : -t2);
        a2n *= a2;
        sum += power * (1 - a2n) / (2 * n + 1);
    }
    return sum;
}

// numax - nu in radians at u = 1/t (infinite at M = 1). It has no cancellation anywhere, so
// it is the accurate form of a turn's room near numax.
template<class T>
T prandtlMeyerGap(const Gas &gas, T u)
{
    const T a = T(gas.a);
    return std::atan(u / a) / a - std::atan(u);
}

Wide largestPrandtlMeyerRadians(const Gas &gas);
// t = sqrt(M^2 - 1) from nu and gap = numax - nu (radians, both given, as precisely as the
// caller knows them): solved from whichever is the smaller, so that near numax the digits of
// the gap are not lost to numax.
Wide prandtlMeyerSlope(const Gas &gas, Wide nu, Wide gap);
// numax - nu in radians for nu in degrees, in __float128: for nu near numax, where numax in
// long double has too few digits to leave the gap.
Wide preciseGapFromAngle(double gamma, double nuDegrees);
// numax - nu(M1) - theta in radians, in __float128: for turns near the largest.
Wide preciseGapAfterTurn(double gamma, double M1, double thetaDegrees);
// M^2 - 1 from q = X^-m (p/p0 with m = e, rho/rho0 with m = 1/(g - 1)), in __float128: near
// M = 1 long double loses the digits of M^2 - 1 that mu and nu depend on.
Wide preciseSlopeSquaredFromPower(double gamma, double q, bool pressure);

// The Mach angle in degrees at t = sqrt(M^2 - 1): atan(1/t), exact in its last digits also
// near M = 1, where asin(1/M) would lose them.
inline Wide machAngleDegrees(Wide t)
{
    return std::atan2(Wide(1), t) * degreesPerRadian;
}

// A long double result as a double, or NaN with ok cleared where it lies beyond the normal
// doubles: such a value could not be shown to its digits.
inline double narrow(Wide v, bool &ok)
{
    const Wide size = std::fabs(v);
    if (!(size >= std::numeric_limits<double>::min() && size <= std::numeric_limits<double>::max())) {
        ok = false;
        return notANumber;
    }
    return double(v);
}

// Newton's method on a monotone f, given as its value and slope at x, starting at x and
// kept inside [lo, hi] by bisection; f takes a double or a long double. Cheap double steps
// bring x to about 2^-30 of the root, then long double steps polish it: the convergence is
// quadratic, so one step usually ends it, once a step is below 2^-44 of x, after which long
// double could hold nothing more.
template<class F>
Wide solveMonotone(F f, Wide x, Wide lo, Wide hi)
{
    // The bounds are worked out in rounded arithmetic, and where they are tight (an asymptote
    // far out, a series' first term near 0) they may sit a rounding on the wrong side of the
    // root, which would then turn every Newton step into a bisection.
    lo -= std::fabs(lo) * 0x1p-40L;
    hi += std::fabs(hi) * 0x1p-40L;
    double near = double(x), low = double(lo), high = double(hi);
    for (int step = 0; step < 100; ++step) {
        const auto [value, slope] = f(near);
        if (value == 0 || !std::isfinite(value) || !std::isfinite(slope))
            break;
        if ((value > 0) == (slope > 0))
            high = near;
        else
            low = near;
        double next = near - value / slope;
        if (!(next >= low && next <= high))
            next = low + (high - low) / 2;
        const bool settled = std::fabs(next - near) <= 0x1p-30 * std::fabs(near);
        near = next;
        if (settled)
            break;
    }
    if (near >= lo && near <= hi)
        x = near;

    const Wide tolerance = std::ldexp(Wide(1), -44);
    for (int step = 0; step < 200; ++step) {
        const auto [value, slope] = f(x);
        if (value == 0 || !std::isfinite(value))
            return x;
        // Above the root when value and slope agree in sign.
        if ((value > 0) == (slope > 0))
            hi = x;
        else
            lo = x;
        Wide next = x - value / slope;
        if (!(next >= lo && next <= hi))
            next = lo + (hi - lo) / 2;
        if (std::fabs(next - x) <= tolerance * std::fabs(x) || hi - lo <= tolerance * std::fabs(x))
            return next;
        x = next;
    }
    return x;
}

// expm1 that remembers its last long double argument and value, so that expm1 of the root
// a solve returns need not be taken again (in long double it costs about 100 ns): the final
// Newton step is so small that w + (1 + w) step is exact to long double.
class RememberingExpm1
{
public:
    template<class T>
    T operator()(T z)
    {
        const T w = std::expm1(z);
        if constexpr (std::is_same_v<T, Wide>) {
            lastZ = z;
            lastW = w;
        }
        return w;
    }

    Wide atRoot(Wide z) const
    {
        const Wide step = z - lastZ;
        return std::fabs(step) <= 0x1p-40L * std::fabs(z) ? lastW + (1 + lastW) * step : std::expm1(z);
    }

private:
    Wide lastZ = std::numeric_limits<Wide>::quiet_NaN();
    Wide lastW = 0;
};

} // namespace ornavel::wide
