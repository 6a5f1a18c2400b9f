#include "core/expansion.h"

#include "core/wide_gas.h"

#include <cmath>

namespace ornavel {

using namespace wide;

namespace {

constexpr ExpansionFan refused {notANumber, notANumber, notANumber, notANumber, notANumber,
                                notANumber, notANumber, notANumber, notANumber, notANumber};

bool validStream(double gamma, double M1)
{
    return validGamma(gamma) && M1 >= 1 && std::isfinite(M1);
}

Wide slopeOf(double M1)
{
    const Wide m = M1;
    return std::sqrt((m - 1) * (m + 1));
}

// 0 where v is 0 (nu at Mach 1, a turn of 0), else as narrow.
double angle(Wide v, bool &ok)
{
    return v == 0 ? 0.0 : narrow(v, ok);
}

} // namespace

ExpansionFan expansionFan(double gamma, double M1, double thetaDegrees)
{
    if (!validStream(gamma, M1) || !(thetaDegrees >= 0) || !std::isfinite(thetaDegrees))
        return refused;
    const Gas gas(gamma);
    const Wide t1 = slopeOf(M1);
    const Wide nu1 = prandtlMeyerRadians(gas, t1);
    const Wide room = prandtlMeyerGap(gas, 1 / t1);
    const Wide theta = thetaDegrees * radiansPerDegree;
    Wide gap = room - theta;
    // M2 grows as 1/gap: within 1/64 of the largest turn the gap of long doubles keeps too
    // few digits.
    if (gap < room / 64)
        gap = preciseGapAfterTurn(gamma, M1, thetaDegrees);
    if (!(gap > 0))
        return refused;
    const Wide t2 = prandtlMeyerSlope(gas, nu1 + theta, gap);

    // T1/T2 = X2/X1 with X = 1 + h M^2; from t2 itself, not the rounded M2, whose rounding
    // the ratios would multiply by up to 2e.
    const Wide X1 = 1 + gas.h * (1 + t1 * t1);
    const Wide X2 = 1 + gas.h * (1 + t2 * t2);
    // ln(T2/T1), near 1 from X1 - X2 = h (t1^2 - t2^2): relative to itself however small, so
    // e times it, large as gamma nears 1, keeps its digits.
    const Wide ratio = X1 / X2;
    const Wide logT2T1 = ratio > 0.5L ? std::log1p(gas.h * (t1 * t1 - t2 * t2) / X2) : std::log(ratio);
    bool ok = true;
    ExpansionFan fan;
    fan.M1 = M1;
    fan.theta = thetaDegrees;
    fan.M2 = narrow(std::sqrt(1 + t2 * t2), ok);
    fan.nu1 = angle(nu1 * degreesPerRadian, ok);
    fan.nu2 = angle(nu1 * degreesPerRadian + thetaDegrees, ok);
    fan.mu1 = narrow(machAngleDegrees(t1), ok);
    fan.mu2 = narrow(machAngleDegrees(t2), ok);
    fan.P2P1 = narrow(std::exp(gas.e * logT2T1), ok);
    fan.Ro2Ro1 = narrow(std::exp(logT2T1 / gas.gm1), ok);
    fan.T2T1 = narrow(ratio, ok);
    return ok ? fan : refused;
}

double largestTurn(double gamma, double M1)
{
    if (!validStream(gamma, M1))
        return notANumber;
    return double(prandtlMeyerGap(Gas(gamma), 1 / slopeOf(M1)) * degreesPerRadian);
}

} // namespace ornavel
