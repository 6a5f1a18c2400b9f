#pragma once

namespace ornavel {

// The bounded fixed-point iteration that finds M1 from a pitot ratio.
inline constexpr int pitotIterationLimit = 50;
inline constexpr double pitotTolerance = 0.00001;

// The smallest pitot ratio any Mach number gives: the curve's minimum at M = 1/sqrt(2),
// where 36s/(35s - 5) = (6/5)^2 and (7s - 1)/6 = 5/12, so Po2/P1 = (6/5)^7 * 5/12 =
// 1.492992. Written as one quotient of exact integers, so it is the double nearest to it.
inline constexpr double pitotRatioMinimum
    = (6.0 * 6 * 6 * 6 * 6 * 6 * 6 * 5) / (5.0 * 5 * 5 * 5 * 5 * 5 * 5 * 12);

// The outcome of solvePitotMach. At most one of noRealSolution and outOfRange is set;
// with either, M1 is not an answer and is not to be shown.
struct PitotSolution {
    double M1;      // the last estimate, whether or not the iteration converged
    bool converged; // the stopping test was met, or the estimates could move no more
    int iterations; // iterations performed, 1 to pitotIterationLimit (0: gamma has no shock)
    // No real upstream Mach number gives this ratio: it lies below pitotRatioMinimum
    // (smallestPitotRatio(gamma)), a step left the real numbers, the estimate ended on or below
    // the domain limit 1/sqrt(7) (smallestUpstreamMach(gamma)), or a "converged" estimate does
    // not reproduce the ratio.
    bool noRealSolution;
    // A step of the iteration left the double range (ratios from about 1e307, or infinite).
    bool outOfRange;
};

// Po2/P1, the stagnation pressure behind a normal shock over the static pressure ahead of
// it, for upstream Mach number M with gamma = 1.4. NaN where |M| <= 1/sqrt(7), and where a
// step leaves the double range (|M| from about 2.2e153), although the ratio itself is finite
// up to about 1.2e154.
double pitotRatio(double M);

// Po2/P1 for any gamma above 1, by Rayleigh's pitot formula in s = M^2:
// ((gamma+1)^2 s/(4 gamma s - 2(gamma-1)))^(gamma/(gamma-1)) (2 gamma s - (gamma-1))/(gamma+1).
// pitotRatio(M) at gamma == 1.4. NaN where 4 gamma s - 2(gamma-1) <= 0 (|M| at or below
// sqrt((gamma-1)/(2 gamma))), where a step leaves the double range, and where gamma is not a
// finite number above 1.
double pitotRatio(double gamma, double M);

// The smallest pitot ratio for gamma: the curve's minimum, at M = 1/sqrt(2) for every gamma,
// ((gamma+1)/2)^(2 gamma/(gamma-1))/(gamma+1). pitotRatioMinimum at gamma == 1.4.
double smallestPitotRatio(double gamma);

// M1 for a given pitot ratio: starts at 1 and iterates M1^2 = 1 + ((gamma+1)/2/gamma)(r-1),
// r = Po2P1 over the stagnation factor of the current estimate, until two estimates differ
// by less than pitotTolerance or pitotIterationLimit iterations have passed. Where the
// doubles are coarser than the tolerance (ratios from about 1e21) an estimate that repeats
// an earlier one, or is next to the last, also ends it as converged: no later step could
// do better. The stagnation factor, the smallest ratio and the domain are those of gamma; at
// gamma == 1.4, (36s/(35s - 5))^3.5 and pitotRatioMinimum. A gamma that is not a finite number
// above 1 has no shock at all: noRealSolution, with no iteration and M1 NaN.
PitotSolution solvePitotMach(double gamma, double Po2P1);

} // namespace ornavel
