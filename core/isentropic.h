#pragma once

namespace ornavel {

// Every function here takes gamma in (1, 3] and answers NaN (or a row of NaNs) outside its
// domain. Angles are in degrees. Each value is within about 2 ulps of the exact value for the
// given doubles: the work is done in long double, and in __float128 in the few narrow bands
// where long double's 11 extra bits are not enough.

// One row of isentropic flow at Mach number M: the static over stagnation ratios, the area
// over the sonic area, the Mach angle mu and the Prandtl-Meyer angle nu (both NaN below
// M = 1).
struct IsentropicFlow {
    double M;
    double pP0;     // p/p0
    double rhoRho0; // rho/rho0
    double TT0;     // T/T0
    double AAstar;  // A/A*
    double mu;      // Mach angle, degrees
    double nu;      // Prandtl-Meyer angle, degrees
};

// The row at M > 0. M = 0, the fluid at rest, is refused: A/A* is infinite there. So is a
// row with a value beyond the normal doubles, rather than showing part of it: at gamma = 1.4
// p/p0 falls below them from M = 2e44.
IsentropicFlow isentropicFlow(double gamma, double M);

// M from p/p0 in (0, 1], rho/rho0 in (0, 1], T/T0 in (0, 1]; a ratio of 1 gives M = 0.
double machFromIsentropicPressure(double gamma, double pP0);
double machFromIsentropicDensity(double gamma, double rhoRho0);
double machFromIsentropicTemperature(double gamma, double TT0);
// M from A/A* >= 1 on the chosen branch; A/A* = 1 gives M = 1 on both.
double machFromAreaRatio(double gamma, double AAstar, bool supersonic);
// M = 1/sin(mu) for 0 < mu <= 90.
double machFromMachAngle(double muDegrees);
// nu(M) for M >= 1.
double prandtlMeyerAngle(double gamma, double M);
// The M >= 1 whose nu is the given angle, 0 <= nu < largestPrandtlMeyerAngle(gamma).
double machFromPrandtlMeyerAngle(double gamma, double nuDegrees);
// The limit of nu as M grows without bound: 90 (sqrt((gamma+1)/(gamma-1)) - 1).
double largestPrandtlMeyerAngle(double gamma);

// The whole row for a given value of one of its cells. The given cell is returned as it was
// given and the others are computed from it, not from the rounded M: near M = 1, where M
// hardly moves with A/A*, p/p0 or the others, mu and nu would otherwise lose their digits.
// A ratio of 1 (M = 0) is refused as isentropicFlow(0) is.
IsentropicFlow isentropicFromPressure(double gamma, double pP0);
IsentropicFlow isentropicFromDensity(double gamma, double rhoRho0);
IsentropicFlow isentropicFromTemperature(double gamma, double TT0);
IsentropicFlow isentropicFromAreaRatio(double gamma, double AAstar, bool supersonic);
IsentropicFlow isentropicFromMachAngle(double gamma, double muDegrees);
IsentropicFlow isentropicFromPrandtlMeyerAngle(double gamma, double nuDegrees);

} // namespace ornavel
