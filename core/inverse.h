#pragma once

#include "core/normal_shock.h"

namespace ornavel {

// M1 from each measured ratio across a normal shock, gamma = 1.4, within 1 ulp of the exact
// inverse. Each is NaN where no upstream Mach number above 1/sqrt(7) gives the ratio (P2/P1,
// T2/T1, Po2/Po1 not above 0; rho2/rho1 not strictly between 1/6 and 6) or the ratio is not
// finite. Near 1/sqrt(7) the answer may be the double on the limit itself, which callers
// test with hasDownstreamMach.

// From P2/P1 = p: M1^2 = (6p + 1)/7.
double machFromPressureRatio(double P2P1);
// From rho2/rho1 = r: M1^2 = 5r/(6 - r).
double machFromDensityRatio(double Ro2Ro1);
// From T2/T1 = t: M1^2 is the positive root of 7s^2 + (34 - 36t)s - 5 = 0.
double machFromTemperatureRatio(double T2T1);

// The bound on root-finder steps for Po2/Po1, which has no closed inverse.
inline constexpr int stagnationRatioIterationLimit = 100;
// From Po2/Po1, which falls monotonically in M1 over the whole domain: a bracketed root of
// the loss 1 - Po2/Po1 (or of its logarithm below 0.5), at most
// stagnationRatioIterationLimit steps.
double machFromStagnationPressureRatio(double Po2Po1);

// The rest of the shock whose M1 a measured ratio gave, at gamma = 7/5: M2 and the five ratios
// computed from the ratio itself, each within about half an ulp of the exact value. Through
// the rounded M1 they would cancel near 1/sqrt(7), where 7 M1^2 - 1 loses every digit, and cost
// an ulp or two elsewhere. A field beyond the doubles is an infinity or NaN (isFinite is false).
struct ShockFromRatio {
    double M2;
    ShockRatios ratios;
};
ShockFromRatio shockFromPressureRatio(double P2P1);
ShockFromRatio shockFromDensityRatio(double Ro2Ro1);
ShockFromRatio shockFromTemperatureRatio(double T2T1);
// M1 is machFromStagnationPressureRatio's answer, the start of a refinement in long double.
ShockFromRatio shockFromStagnationPressureRatio(double Po2Po1, double M1);

// The same for any gamma above 1: M1 within 1 ulp of the exact inverse and M2 and the five
// ratios within about 1 ulp, for gamma in (1, 3]. At gamma == 1.4 they are the 7/5 forms above;
// any other gamma is taken as the double it is. NaN where gamma is not a finite number above 1,
// where the ratio is not finite, or where no M1 above smallestUpstreamMach(gamma) gives it (P2/P1,
// T2/T1, Po2/Po1 not above 0; rho2/rho1 not strictly between smallestDensityRatio(gamma) and
// largestDensityRatio(gamma), judged exactly). An M1 beyond the doubles (Po2/Po1 near 0 as
// gamma nears 3) is infinite.
double machFromPressureRatio(double gamma, double P2P1);
double machFromDensityRatio(double gamma, double Ro2Ro1);
double machFromTemperatureRatio(double gamma, double T2T1);
double machFromStagnationPressureRatio(double gamma, double Po2Po1);
ShockFromRatio shockFromPressureRatio(double gamma, double P2P1);
ShockFromRatio shockFromDensityRatio(double gamma, double Ro2Ro1);
ShockFromRatio shockFromTemperatureRatio(double gamma, double T2T1);
// M1 is machFromStagnationPressureRatio(gamma, Po2Po1)'s answer.
ShockFromRatio shockFromStagnationPressureRatio(double gamma, double Po2Po1, double M1);

// The domain limits, for messages: sqrt((gamma-1)/(2 gamma)), (gamma-1)/(gamma+1) and
// (gamma+1)/(gamma-1), each rounded from long double (1/sqrt(7), 1/6 and 6 at gamma == 1.4).
double smallestUpstreamMach(double gamma);
double smallestDensityRatio(double gamma);
double largestDensityRatio(double gamma);

} // namespace ornavel
