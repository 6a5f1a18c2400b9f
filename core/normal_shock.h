#pragma once

namespace ornavel {

// The five ratios across a stationary normal shock; index 1 is upstream, 2 downstream.
struct ShockRatios {
    double P2P1;   // static pressure
    double Ro2Ro1; // density
    double T2T1;   // static temperature
    double Po2Po1; // stagnation pressure (the loss across the shock)
    double Po2P1;  // pitot ratio: stagnation pressure behind over static pressure ahead
};

// True where gamma*M^2 - (gamma-1)/2 > 0, that is |M| above sqrt((gamma-1)/(2*gamma)),
// the only Mach numbers that have a real shock partner, and where the pressure ratio that
// M gives as upstream Mach number is positive (rounding leaves it 0 just above the limit).
bool hasDownstreamMach(double gamma, double M);

// The Mach number on the other side of a normal shock with Mach number M on one side.
// Symmetric: given M1 it returns M2 and given M2 it returns M1. Returns NaN where
// hasDownstreamMach is false or a step leaves the double range (|M| from about 1.1e154).
double downstreamMach(double gamma, double M);

// The ratios for the shock pair (M1, M2), taken as given. Every field is NaN when a step
// leaves the double range (|M| beyond about 2e44), so no partial result looks valid.
ShockRatios shockRatios(double gamma, double M1, double M2);

// True when every field is a finite number.
bool isFinite(const ShockRatios &ratios);

} // namespace ornavel
