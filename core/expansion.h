#pragma once

namespace ornavel {

// A supersonic stream of Mach number M1 turned through theta degrees away from itself by a
// Prandtl-Meyer expansion fan: nu2 = nu1 + theta. Angles in degrees; mu is the Mach angle;
// the ratios are downstream over upstream static values.
struct ExpansionFan {
    double M1, theta, M2;
    double nu1, nu2;
    double mu1, mu2;
    double P2P1, Ro2Ro1, T2T1;
};

// The fan for gamma in (1, 3], M1 >= 1 and 0 <= theta < largestTurn(gamma, M1). Every field
// is NaN outside that domain (a turn at or beyond the largest: the stream would need an
// infinite Mach number) and where a value leaves the normal doubles.
ExpansionFan expansionFan(double gamma, double M1, double thetaDegrees);

// numax - nu1: the turn at which M2 becomes infinite.
double largestTurn(double gamma, double M1);

} // namespace ornavel
