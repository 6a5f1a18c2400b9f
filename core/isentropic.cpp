#include "core/isentropic.h"

#include "core/wide_gas.h"

#include <cmath>

namespace ornavel {

using namespace wide;

namespace {

constexpr IsentropicFlow refused {notANumber, notANumber, notANumber, notANumber,
                                  notANumber, notANumber, notANumber};

// The cell a row was solved from: kept as given, and not computed again.
enum class Given { M, pP0, rhoRho0, TT0, AAstar, mu, nu };

// The row at s = M^2 with w = M^2 - 1, X = 1 + h s = T0/T and L = ln X, each as precisely as
// the caller knows it: w to its own last digits near M = 1, where mu and nu hang on it, and
// L so that p/p0 = exp(-e L) keeps its digits where p/p0 is tiny (L is not needed when p/p0
// or rho/rho0 is given).
IsentropicFlow rowOf(const Gas &gas, Wide s, Wide w, Wide X, Wide L, Given given, double value)
{
    bool ok = true;
    const auto cell
        = [&](Given which, auto compute) { return given == which ? value : narrow(compute(), ok); };
    IsentropicFlow row;
    const Wide M = std::sqrt(s);
    const Wide p = given == Given::pP0 ? value : given == Given::rhoRho0 ? value / X : std::exp(-gas.e * L);
    row.M = cell(Given::M, [&] { return M; });
    row.pP0 = cell(Given::pP0, [&] { return p; });
    row.rhoRho0 = cell(Given::rhoRho0, [&] { return p * X; });
    row.TT0 = cell(Given::TT0, [&] { return 1 / X; });
    // X/X* = 1 + c w: no cancellation at M = 1, where A/A* has its double root.
    row.AAstar = cell(Given::AAstar, [&] { return std::exp(gas.k * std::log1p(gas.c * w)) / M; });
    row.mu = notANumber;
    row.nu = notANumber;
    if (w >= 0) {
        const Wide t = std::sqrt(w);
        row.mu = cell(Given::mu, [&] { return machAngleDegrees(t); });
        row.nu
            = w == 0 ? 0.0 : cell(Given::nu, [&] { return prandtlMeyerRadians(gas, t) * degreesPerRadian; });
    }
    return ok ? row : refused;
}

IsentropicFlow rowFromSquare(const Gas &gas, Wide s, Wide w, Given given, double value)
{
    return rowOf(gas, s, w, 1 + gas.h * s, std::log1p(gas.h * s), given, value);
}

// ln q for a ratio q in (0, 1]: through log1p near 1, where q - 1 is exact.
Wide logOfRatio(double q)
{
    return q > 0.5 ? std::log1p(Wide(q) - 1) : std::log(Wide(q));
}

// L = ln X from p/p0 (pressure) or rho/rho0: p/p0 = X^-e, rho/rho0 = X^-(1/(g - 1)).
Wide logFromPower(const Gas &gas, double q, bool pressure)
{
    return -logOfRatio(q) * (pressure ? gas.gm1 / gas.g : gas.gm1);
}

Wide squareFromPower(const Gas &gas, double q, bool pressure)
{
    return std::expm1(logFromPower(gas, q, pressure)) / gas.h;
}

IsentropicFlow fromPower(double gamma, double q, bool pressure)
{
    if (!validGamma(gamma) || !(q > 0 && q < 1))
        return refused;
    const Gas gas(gamma);
    const Wide L = logFromPower(gas, q, pressure);
    const Wide Xm1 = std::expm1(L);
    Wide w = (Xm1 - gas.h) / gas.h;
    // Just above M = 1 this difference keeps too few of w's digits for nu, which grows as
    // w^1.5; just below, A/A* needs only its absolute error, which is small.
    if (w > -1.0L / 1024 && w < 0.125L)
        w = preciseSlopeSquaredFromPower(gamma, q, pressure);
    return rowOf(gas, Xm1 / gas.h, w, 1 + Xm1, L, pressure ? Given::pP0 : Given::rhoRho0, q);
}

// F(z) = ln(A/A*) at z = ln M^2, with w = M^2 - 1 = expm1(z): k ln(1 + c w) - z/2. Its first
// order vanishes at M = 1 (k c = 1/2); there the sum
// F = sum over n >= 2 of (-1)^n (1 - c^(n-1)) w^n/(2n) is taken instead.
template<class T>
T logArea(const Gas &gas, T z, T w)
{
    const T c = T(gas.c);
    if (std::fabs(w) >= T(1) / 16)
        return T(gas.k) * std::log1p(c * w) - z / 2;
    T sum = 0;
    T power = -w; // (-w)^n
    T cn = 1;
    for (int n = 2; n <= 18; ++n) {
        power *= -w;
        cn *= c;
        sum += power * (1 - cn) / (2 * n);
    }
    return sum;
}

// F is convex on each side of M = 1, so Newton's method
// settles from either side of the root; the starts are F's asymptotes, k ln(c M^2) - ln M
// above and k ln(1 - c) - ln M below, and its parabola (1 - c) w^2/4 near M = 1.
// ln M^2 and M^2 - 1 on the chosen branch of A/A*.
struct AreaRoot {
    Wide z, w;
};

AreaRoot solveArea(const Gas &gas, double AAstar, bool supersonic)
{
    const Wide target = std::log1p(Wide(AAstar) - 1);
    if (target == 0)
        return {0, 0};
    RememberingExpm1 expm1;
    const auto f = [&](auto z) {
        using T = decltype(z);
        const T w = expm1(z), c = T(gas.c);
        return std::pair {logArea(gas, z, w) - T(target), (1 - c) * w / (2 * (1 + c * w))};
    };
    // The starts need no more than double.
    const double k = double(gas.k), c = double(gas.c), logA = double(target);
    const double nearSonic = 2 * std::sqrt(logA / (1 - c));
    Wide z;
    if (supersonic) {
        const double asymptote = (logA - k * std::log(c)) / (k - 0.5);
        z = solveMonotone(f, std::fmin(nearSonic, asymptote), 0, asymptote);
    } else {
        const double asymptote = 2 * (k * std::log1p(-c) - logA);
        z = solveMonotone(f, std::fmax(-nearSonic, asymptote), asymptote, 0);
    }
    return {z, expm1.atRoot(z)};
}

bool validArea(double gamma, double AAstar)
{
    return validGamma(gamma) && AAstar >= 1 && std::isfinite(AAstar);
}

// t = sqrt(M^2 - 1) at nu degrees, or NaN where nu is not in [0, numax).
Wide slopeFromAngle(const Gas &gas, double gamma, double nuDegrees)
{
    if (!(nuDegrees >= 0))
        return notANumber;
    const Wide nu = nuDegrees * radiansPerDegree;
    const Wide largest = largestPrandtlMeyerRadians(gas);
    Wide gap = largest - nu;
    // numax in long double is good to about 2^-64 of itself: too coarse for a gap of under
    // 1/64 of it.
    if (gap < largest / 64)
        gap = preciseGapFromAngle(gamma, nuDegrees);
    if (!(gap > 0))
        return notANumber;
    return prandtlMeyerSlope(gas, nu, gap);
}

bool validMachAngle(double muDegrees)
{
    return muDegrees > 0 && muDegrees <= 90;
}

} // namespace

IsentropicFlow isentropicFlow(double gamma, double M)
{
    if (!validGamma(gamma) || !(M > 0) || !std::isfinite(M))
        return refused;
    const Gas gas(gamma);
    const Wide m = M;
    return rowFromSquare(gas, m * m, (m - 1) * (m + 1), Given::M, M);
}

double machFromIsentropicPressure(double gamma, double pP0)
{
    if (!validGamma(gamma) || !(pP0 > 0 && pP0 <= 1))
        return notANumber;
    return double(std::sqrt(squareFromPower(Gas(gamma), pP0, true)));
}

double machFromIsentropicDensity(double gamma, double rhoRho0)
{
    if (!validGamma(gamma) || !(rhoRho0 > 0 && rhoRho0 <= 1))
        return notANumber;
    return double(std::sqrt(squareFromPower(Gas(gamma), rhoRho0, false)));
}

double machFromIsentropicTemperature(double gamma, double TT0)
{
    if (!validGamma(gamma) || !(TT0 > 0 && TT0 <= 1))
        return notANumber;
    const Wide T = TT0;
    return double(std::sqrt((1 - T) / (Gas(gamma).h * T)));
}

double machFromAreaRatio(double gamma, double AAstar, bool supersonic)
{
    if (!validArea(gamma, AAstar))
        return notANumber;
    return double(std::exp(solveArea(Gas(gamma), AAstar, supersonic).z / 2));
}

double machFromMachAngle(double muDegrees)
{
    if (!validMachAngle(muDegrees))
        return notANumber;
    return double(1 / std::sin(muDegrees * radiansPerDegree));
}

double prandtlMeyerAngle(double gamma, double M)
{
    if (!validGamma(gamma) || !(M >= 1) || !std::isfinite(M))
        return notANumber;
    const Wide m = M;
    return double(prandtlMeyerRadians(Gas(gamma), std::sqrt((m - 1) * (m + 1))) * degreesPerRadian);
}

double machFromPrandtlMeyerAngle(double gamma, double nuDegrees)
{
    if (!validGamma(gamma))
        return notANumber;
    const Wide t = slopeFromAngle(Gas(gamma), gamma, nuDegrees);
    return double(std::sqrt(1 + t * t));
}

double largestPrandtlMeyerAngle(double gamma)
{
    if (!validGamma(gamma))
        return notANumber;
    return double(largestPrandtlMeyerRadians(Gas(gamma)) * degreesPerRadian);
}

IsentropicFlow isentropicFromPressure(double gamma, double pP0)
{
    return fromPower(gamma, pP0, true);
}

IsentropicFlow isentropicFromDensity(double gamma, double rhoRho0)
{
    return fromPower(gamma, rhoRho0, false);
}

IsentropicFlow isentropicFromTemperature(double gamma, double TT0)
{
    if (!validGamma(gamma) || !(TT0 > 0 && TT0 < 1))
        return refused;
    const Gas gas(gamma);
    const Wide T = TT0;
    // M^2 - 1 = (2 - (g + 1) T)/((g - 1) T), its numerator exact: g T split by fma into two
    // doubles, and the rest exact in long double where it matters, near T* = 2/(g + 1).
    const double gT = gamma * TT0;
    const double gTLow = std::fma(gamma, TT0, -gT);
    const Wide w = (((2 - T) - gT) - gTLow) / (gas.gm1 * T);
    const Wide Xm1 = (1 - T) / T;
    return rowOf(gas, Xm1 / gas.h, w, 1 / T, TT0 > 0.5 ? -std::log1p(T - 1) : -std::log(T), Given::TT0, TT0);
}

IsentropicFlow isentropicFromAreaRatio(double gamma, double AAstar, bool supersonic)
{
    if (!validArea(gamma, AAstar))
        return refused;
    const Gas gas(gamma);
    const auto [z, w] = solveArea(gas, AAstar, supersonic);
    // 1 + w would lose M^2's digits at small M.
    return rowFromSquare(gas, w > -0.5L ? 1 + w : std::exp(z), w, Given::AAstar, AAstar);
}

IsentropicFlow isentropicFromMachAngle(double gamma, double muDegrees)
{
    if (!validGamma(gamma) || !validMachAngle(muDegrees))
        return refused;
    const Wide sine = std::sin(muDegrees * radiansPerDegree);
    // cos(mu) as the sine of 90 - mu, exact in double above 45: near 90 it keeps its digits.
    const Wide cosine = muDegrees >= 45 ? std::sin((90 - muDegrees) * radiansPerDegree)
                                        : std::cos(muDegrees * radiansPerDegree);
    const Wide t = cosine / sine;
    return rowFromSquare(Gas(gamma), 1 / (sine * sine), t * t, Given::mu, muDegrees);
}

IsentropicFlow isentropicFromPrandtlMeyerAngle(double gamma, double nuDegrees)
{
    if (!validGamma(gamma))
        return refused;
    const Gas gas(gamma);
    const Wide t = slopeFromAngle(gas, gamma, nuDegrees);
    if (std::isnan(t))
        return refused;
    return rowFromSquare(gas, 1 + t * t, t * t, Given::nu, nuDegrees);
}

} // namespace ornavel
