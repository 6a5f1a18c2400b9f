#pragma once

namespace ornavel {

// The bounded fixed-point iteration that finds M1 from a pitot ratio.
inline constexpr int pitotIterationLimit = 50;
inline constexpr double pitotTolerance = 0.00001;

// The outcome of solvePitotMach.
struct PitotSolution {
    double M1;       // the last estimate, whether or not the iteration converged
    bool converged;  // the stopping test was met
    int iterations;  // iterations performed, 1 to pitotIterationLimit
    // No real upstream Mach number gives this ratio: a step left the real numbers or the
    // double range, the estimate ended on or below the domain limit 1/sqrt(7), or a
    // "converged" estimate does not reproduce the ratio. M1 is then not to be shown.
    bool noRealSolution;
};

// Po2/P1, the stagnation pressure behind a normal shock over the static pressure ahead of
// it, for upstream Mach number M with gamma = 1.4. NaN where |M| <= 1/sqrt(7).
double pitotRatio(double M);

// M1 for a given pitot ratio: starts at 1 and iterates M1^2 = 1 + ((gamma+1)/2/gamma)(r-1),
// r = Po2P1 over the stagnation factor of the current estimate, until two estimates differ
// by less than pitotTolerance or pitotIterationLimit iterations have passed.
PitotSolution solvePitotMach(double gamma, double Po2P1);

} // namespace ornavel
