#include "core/oblique_shock.h"

#include <boost/math/constants/constants.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ornavel {

// The shock is described by x = M1n^2 - 1 and y = (M1 cos beta)^2, with x + y = M1^2 - 1.
// In them nothing cancels: tan theta = 2 x sqrt(y) / (sqrt(1 + x) D) with
// D = (gamma + 1)(1 + y) + (gamma - 1) x, and every downstream value is a quotient of sums of
// positive terms. x is small near the Mach wave and y near the normal shock, so each branch is
// solved for the one that vanishes at its end, in long double (64-bit significand on x86-64):
// its 11 spare bits absorb the roundings and the conditioning up to 0.9999 thetamax.

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
using Wide = long double;
constexpr Wide radiansPerDegree = 0.01745329251994329576923690768488612713443L;
constexpr Wide degreesPerRadian = 57.29577951308232087679815481410517033241L;

const ObliqueShock noShock {notANumber, notANumber, notANumber, notANumber, notANumber,
                            notANumber, notANumber, notANumber, notANumber, notANumber};

struct Gas {
    Wide gamma, up, down; // gamma, gamma + 1, gamma - 1
    Wide m;               // M1^2 - 1
};

bool supersonic(double M1)
{
    return M1 > 1 && M1 <= std::numeric_limits<double>::max();
}

bool inDomain(double gamma, double M1)
{
    return gamma > 1 && gamma <= 3 && supersonic(M1);
}

Gas gasFor(double gamma, double M1)
{
    // M1 - 1 and M1 + 1 are exact in long double: m is rounded once, however close M1 is to 1.
    const Wide M = M1;
    return {gamma, Wide(gamma) + 1, Wide(gamma) - 1, (M - 1) * (M + 1)};
}

Wide denominator(const Gas &g, Wide x, Wide y)
{
    return g.up * (1 + y) + g.down * x;
}

Wide deflection(const Gas &g, Wide x, Wide y)
{
    return std::atan2(2 * x * std::sqrt(y), std::sqrt(1 + x) * denominator(g, x, y));
}

Wide waveAngle(Wide x, Wide y)
{
    return std::atan2(std::sqrt(1 + x), std::sqrt(y));
}

// x at the largest deflection and where M2 = 1: the textbook roots for sin^2 beta written for x,
// as a quotient where the sum would cancel (M1 below 2 and sqrt(3)).
Wide largestDeflectionX(const Gas &g)
{
    const Wide M2 = g.m + 1;
    const Wide root = std::sqrt(g.up * (g.up * M2 * M2 + 8 * g.down * M2 + 16));
    const Wide b = g.up * (g.m - 3);
    return b >= 0 ? (b + root) / (4 * g.gamma) : 4 * g.up * g.m / (root - b);
}

Wide sonicX(const Gas &g)
{
    const Wide root = std::sqrt(g.up * (4 * g.up + 4 * g.down * g.m + g.up * g.m * g.m));
    const Wide b = g.up * (g.m - 2);
    return b >= 0 ? (b + root) / (4 * g.gamma) : 2 * g.up * g.m / (root - b);
}

double toDouble(Wide radians)
{
    return double(radians * degreesPerRadian);
}

ObliqueShock shockFor(const Gas &g, double M1, double thetaDegrees, double betaDegrees, Wide x, Wide y)
{
    const Wide A = g.up + 2 * g.gamma * x; // (gamma + 1) P2/P1
    const Wide B = g.up + g.down * x;      // (gamma + 1) rho1/rho2 M1n^2
    // T2/T1 - 1, with its factor gamma - 1 taken out so that ln(T2/T1)/(gamma - 1) keeps its
    // digits for gamma near 1.
    const Wide heating = 2 * g.down * x * (g.up + g.gamma * x) / (g.up * g.up * (1 + x));
    // ln(Po2/Po1) = ln(rho2/rho1) - ln(T2/T1)/(gamma - 1): the two cancel to third order in x,
    // but each is wrong by a unit of long double at most, far below an ulp of Po2/Po1 near 1.
    // log1p keeps ln(T2/T1) to its own size, which the division by gamma - 1 magnifies.
    const Wide logLoss = std::log1p(2 * x / B) - std::log1p(heating) / g.down;
    ObliqueShock s;
    s.M1 = M1;
    s.theta = thetaDegrees;
    s.beta = betaDegrees;
    s.M2 = double(std::sqrt((B * B + g.up * g.up * (1 + x) * y) / (A * B)));
    s.P2P1 = double(A / g.up);
    s.Ro2Ro1 = double(g.up * (1 + x) / B);
    s.T2T1 = double(1 + heating);
    s.Po2Po1 = double(std::exp(logLoss));
    s.M1n = double(std::sqrt(1 + x));
    s.M2n = double(std::sqrt(B / A));
    const double fields[] = {s.theta, s.beta, s.M2, s.P2P1, s.Ro2Ro1, s.T2T1, s.Po2Po1, s.M1n, s.M2n};
    // A field beyond the doubles (M1 from about 1e154) leaves nothing that could be shown, and
    // so does a loss too great for them (gamma near 1): a Po2/Po1 of 0 would look real.
    if (!std::all_of(std::begin(fields), std::end(fields), [](double v) { return std::isfinite(v); })
        || s.Po2Po1 < std::numeric_limits<double>::min())
        return noShock;
    return s;
}

// The deflection equation squared, F = 4 x^2 y - tan^2(theta) (1 + x) D^2, which has the sign
// of tan theta(x) - tan theta on the branch, and dF/dx with y = m - x.
struct Residual {
    Wide value, slope;
};

Residual residual(const Gas &g, Wide t2, Wide x, Wide y)
{
    const Wide D = denominator(g, x, y);
    return {4 * x * x * y - t2 * (1 + x) * D * D, 8 * x * y - 4 * x * x - t2 * D * (D - 4 * (1 + x))};
}

// Newton's method on F for v (x on the weak branch, y on the strong), kept inside [0, vMax],
// the stretch from the branch's end to thetamax, where F rises through its one root.
Wide solveBranch(const Gas &g, Wide t2, bool strong, Wide start, Wide vMax)
{
    Wide low = 0, high = vMax;
    Wide v = std::clamp(start, low, high);
    for (int k = 0; k < 60; ++k) {
        const Wide x = strong ? g.m - v : v;
        const Wide y = strong ? v : g.m - v;
        const Residual r = residual(g, t2, x, y);
        if (r.value == 0)
            return v;
        (r.value < 0 ? low : high) = v;
        const Wide slope = strong ? -r.slope : r.slope;
        const Wide step = r.value / slope;
        // Once the step is this small the error after it is far smaller still. Near thetamax,
        // where F is flat, its roundings stop Newton's method short of that: there the bracket,
        // closed to 1/32 of an ulp of the double, ends it.
        if (std::fabs(step) <= std::ldexp(v, -60) || high - low <= std::ldexp(high, -58))
            return v - step;
        v -= step;
        if (!(v > low && v < high))
            v = low + (high - low) / 2;
    }
    return v;
}

// The textbook trigonometric roots of the cubic F = 0, a start for Newton's method; they lose
// digits near the Mach wave and the normal shock, where the residual's root is found instead.
Wide startingPoint(const Gas &g, Wide t2, bool strong)
{
    const Wide K = g.up * (g.m + 1);
    const Wide p = 1 + t2;
    const Wide a = -(g.m + t2 * (K - 1)) / p;
    const Wide b = t2 * K * (K - 4) / (4 * p);
    const Wide c = t2 * K * K / (4 * p);
    const Wide Q = (a * a - 3 * b) / 9;
    const Wide R = (2 * a * a * a - 9 * a * b + 27 * c) / 54;
    const Wide phi = std::acos(std::clamp(R / (Q * std::sqrt(Q)), Wide(-1), Wide(1)));
    const Wide third = 2 * boost::math::constants::pi<Wide>() / 3;
    const Wide x = -2 * std::sqrt(Q) * std::cos(phi / 3 + (strong ? third : -third)) - a / 3;
    if (strong)
        return g.m - x;
    // x is wrong by a few units of long double in m; where that is much of it, near theta = 0,
    // the weak root's first term tan(theta) K / (2 sqrt(m)) is the nearer.
    return x > std::ldexp(g.m, -20) ? x : std::sqrt(t2) * K / (2 * std::sqrt(g.m));
}

// x = M1^2 sin^2(beta) - 1 = (r sin(beta) - cos(beta))(r sin(beta) + cos(beta)), r = sqrt(M1^2 - 1),
// in 113-bit arithmetic, for wave angles so close to the Mach angle that long double would leave
// too few of its digits. Near the Mach angle both terms are about cos(mu), and so is what they
// lose: M1 sin(beta) - 1 would lose bits of 1 instead, far more as M1 nears 1. NaN below the
// Mach angle, but for the double just below it, which counts as the Mach angle.
Wide excessNearMachAngle(double M1, double betaDegrees)
{
    using Quad = boost::multiprecision::cpp_bin_float_quad;
    const Quad M = M1;
    const Quad r = sqrt((M - 1) * (M + 1)); // M1^2 - 1 is exact in 113 bits
    // From text: Boost.Math's own constant goes through __float128 in GNU mode, which would
    // need libquadmath.
    static const Quad degree("0.0174532925199432957692369076848861271344287189");
    const auto excess = [&](double angle) {
        const Quad s = sin(Quad(angle) * degree), c = cos(Quad(angle) * degree);
        return (r * s - c) * (r * s + c);
    };
    const Quad x = excess(betaDegrees);
    if (x > 0)
        return Wide(x);
    // The next double may be the Mach angle itself (30 at M1 = 2), where rounding leaves x a
    // few units of 2^-113 cos^2(mu) either side of 0: far below its change from one double to
    // the next (1e-23 or more, at M1 = 1 + 2^-52).
    const double next = std::nextafter(betaDegrees, 90.0);
    const Quad c = cos(Quad(next) * degree);
    return excess(next) >= -ldexp(c * c, -104) ? 0 : notANumber;
}

} // namespace

double machAngle(double M1)
{
    if (!supersonic(M1))
        return notANumber;
    return toDouble(waveAngle(0, gasFor(1.4, M1).m));
}

double largestDeflection(double gamma, double M1)
{
    if (!inDomain(gamma, M1))
        return notANumber;
    const Gas g = gasFor(gamma, M1);
    const Wide x = largestDeflectionX(g);
    return toDouble(deflection(g, x, g.m - x));
}

double waveAngleAtLargestDeflection(double gamma, double M1)
{
    if (!inDomain(gamma, M1))
        return notANumber;
    const Gas g = gasFor(gamma, M1);
    const Wide x = largestDeflectionX(g);
    return toDouble(waveAngle(x, g.m - x));
}

double sonicWaveAngle(double gamma, double M1)
{
    if (!inDomain(gamma, M1))
        return notANumber;
    const Gas g = gasFor(gamma, M1);
    const Wide x = sonicX(g);
    return toDouble(waveAngle(x, g.m - x));
}

double sonicDeflection(double gamma, double M1)
{
    if (!inDomain(gamma, M1))
        return notANumber;
    const Gas g = gasFor(gamma, M1);
    const Wide x = sonicX(g);
    return toDouble(deflection(g, x, g.m - x));
}

ObliqueShock obliqueShockFromDeflection(double gamma, double M1, double thetaDegrees, bool strong)
{
    if (!inDomain(gamma, M1) || !(thetaDegrees >= 0))
        return noShock;
    const Gas g = gasFor(gamma, M1);
    const Wide xMax = largestDeflectionX(g);
    const Wide yMax = g.m - xMax;
    // Detached exactly when theta lies above the thetamax that largestDeflection reports.
    if (thetaDegrees > toDouble(deflection(g, xMax, yMax)))
        return noShock;
    Wide x, y;
    if (thetaDegrees == 0) {
        x = strong ? g.m : 0;
        y = strong ? 0 : g.m;
    } else {
        const Wide t = std::tan(thetaDegrees * radiansPerDegree);
        const Wide t2 = t * t;
        const Wide vMax = strong ? yMax : xMax;
        // theta rounded up to thetamax, or to just below it where F's rounding hides the gap:
        // the shock at thetamax.
        Wide v = vMax;
        if (residual(g, t2, xMax, yMax).value > 0)
            v = solveBranch(g, t2, strong, startingPoint(g, t2, strong), vMax);
        x = strong ? g.m - v : v;
        y = strong ? v : g.m - v;
    }
    return shockFor(g, M1, thetaDegrees, toDouble(waveAngle(x, y)), x, y);
}

ObliqueShock obliqueShockFromWaveAngle(double gamma, double M1, double betaDegrees)
{
    if (!inDomain(gamma, M1) || !(betaDegrees > 0 && betaDegrees <= 90))
        return noShock;
    const Gas g = gasFor(gamma, M1);
    // y from the angle to the normal, 90 - beta, exact in long double from beta = 1/32 up (and
    // harmlessly rounded below): it vanishes at 90 without cancelling.
    const Wide side = M1 * std::sin((90 - Wide(betaDegrees)) * radiansPerDegree);
    const Wide y = side * side;
    // x as m - y where m is the smaller scale, else directly; each is wrong by a few units of
    // long double in that scale.
    const Wide normal = M1 * std::sin(betaDegrees * radiansPerDegree);
    const Wide direct = (normal - 1) * (normal + 1);
    const Wide scale = std::min(g.m, 1 + direct);
    Wide x = g.m < 1 + direct ? g.m - y : direct;
    if (x < -scale / 64)
        return noShock;
    if (x < scale / 64) {
        x = excessNearMachAngle(M1, betaDegrees);
        if (std::isnan(x))
            return noShock;
    }
    if (x == 0)
        return shockFor(g, M1, 0, betaDegrees, 0, g.m);
    return shockFor(g, M1, toDouble(deflection(g, x, y)), betaDegrees, x, y);
}

} // namespace ornavel
