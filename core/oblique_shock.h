#pragma once

namespace ornavel {

// A stationary oblique shock in a perfect gas with 1 < gamma <= 3. Angles are in degrees:
// theta is the deflection of the flow, beta the wave angle from the upstream flow. Index 1 is
// upstream, 2 downstream; M1n and M2n are the Mach numbers normal to the wave.
struct ObliqueShock {
    double M1, theta, beta, M2, P2P1, Ro2Ro1, T2T1, Po2Po1, M1n, M2n;
};

// Every function below answers within an ulp or two of the exact value for the doubles given
// (from the deflection, up to 0.9999 thetamax: nearer, beta moves ever faster with theta), and
// NaN (every field NaN) for M1 <= 1, gamma outside (1, 3], an input outside its range, or a
// result beyond the normal doubles: P2/P1 from M1n about 1e154, Po2/Po1 below 2.2e-308 (from
// M1n about 1e62 at gamma = 1.4, but about 38 for gamma near 1).

// The Mach angle asin(1/M1), the wave angle of the weakest wave.
double machAngle(double M1);

// thetamax: the largest deflection an attached shock can make at M1.
double largestDeflection(double gamma, double M1);
// The wave angle that gives thetamax, between the weak and the strong branch.
double waveAngleAtLargestDeflection(double gamma, double M1);
// The wave angle where M2 = 1, on the weak branch just below the one at thetamax.
double sonicWaveAngle(double gamma, double M1);
// The deflection at sonicWaveAngle.
double sonicDeflection(double gamma, double M1);

// The shock that turns the flow by thetaDegrees, 0 <= theta <= largestDeflection(gamma, M1),
// on the weak branch (beta from the Mach angle up to the one at thetamax) or the strong one
// (from there up to 90). theta = 0 gives the Mach wave (weak) or the normal shock (strong);
// theta above thetamax, a detached shock, gives NaN.
ObliqueShock obliqueShockFromDeflection(double gamma, double M1, double thetaDegrees, bool strong);

// The shock with wave angle betaDegrees, from the Mach angle to 90. The double just below the
// Mach angle counts as the Mach angle, so that a rounded Mach angle gives the Mach wave.
ObliqueShock obliqueShockFromWaveAngle(double gamma, double M1, double betaDegrees);

} // namespace ornavel
