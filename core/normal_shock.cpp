#include "core/normal_shock.h"

#include <cmath>
#include <limits>

namespace ornavel {

namespace {
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
}

bool hasDownstreamMach(double gamma, double M)
{
    const double s = M * M;
    const double h = (gamma - 1) / 2;
    const double d = gamma * s - h;
    // In exact arithmetic P2/P1 > 0 says the same as d > 0; in doubles it comes out 0 for
    // the first Mach numbers above the limit, where the ratios would then be 0 instead of
    // enormous. Those count as on the limit.
    const double P2P1 = 1 + ((2 * gamma) / (gamma + 1)) * (s - 1);
    return d > 0 && P2P1 > 0;
}

double downstreamMach(double gamma, double M)
{
    if (!hasDownstreamMach(gamma, M))
        return notANumber;
    // The grouping below fixes the last bits of the result; keep it as it is.
    const double s = M * M;
    const double h = (gamma - 1) / 2;
    const double n = 1 + h * s;
    const double d = gamma * s - h;
    // An overflowed divisor would make the quotient 0, a wrong finite answer.
    if (!std::isfinite(n) || !std::isfinite(d))
        return notANumber;
    const double result = std::sqrt(n / d);
    return std::isfinite(result) ? result : notANumber;
}

ShockRatios shockRatios(double gamma, double M1, double M2)
{
    const double S1 = M1 * M1;
    const double S2 = M2 * M2;
    const double h = (gamma - 1) / 2;
    const double X1 = 1 + h * S1; // To/T1
    const double X2 = 1 + h * S2; // To/T2
    const double T2T1 = X1 / X2;
    const double e = gamma / (gamma - 1);
    const double Po1P1 = std::pow(X1, e);
    const double Po2P2 = std::pow(X2, e);
    const double P2P1 = 1 + ((2 * gamma) / (gamma + 1)) * (S1 - 1);
    const double Po2P1 = Po2P2 * P2P1;
    const double Po2Po1 = Po2P1 / Po1P1;
    const double Ro2Ro1 = P2P1 / T2T1;

    // An overflowed Po1/P1 would turn Po2/Po1 into a plausible-looking 0; every other step
    // that leaves the doubles carries through to one of the five results.
    const bool finite = std::isfinite(Po1P1) & std::isfinite(P2P1) & std::isfinite(Ro2Ro1)
        & std::isfinite(T2T1) & std::isfinite(Po2Po1) & std::isfinite(Po2P1);
    if (!finite)
        return {notANumber, notANumber, notANumber, notANumber, notANumber};
    return {P2P1, Ro2Ro1, T2T1, Po2Po1, Po2P1};
}

bool isFinite(const ShockRatios &r)
{
    return std::isfinite(r.P2P1) && std::isfinite(r.Ro2Ro1) && std::isfinite(r.T2T1)
        && std::isfinite(r.Po2Po1) && std::isfinite(r.Po2P1);
}

} // namespace ornavel
