#include "core/pitot.h"

#include "core/normal_shock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace ornavel {
namespace {

constexpr double gamma = 1.4;
constexpr double fiveDecimals = 5e-6;

struct RatioCase {
    std::string name;
    double M;
    double expected;
};

class PitotRatioTable : public testing::TestWithParam<RatioCase>
{};

TEST_P(PitotRatioTable, MatchesPublishedValues)
{
    EXPECT_NEAR(pitotRatio(GetParam().M), GetParam().expected, fiveDecimals);
}

INSTANTIATE_TEST_SUITE_P(
    Pitot, PitotRatioTable,
    testing::Values(RatioCase {"sonic", 1, 1.89293}, RatioCase {"Mach_1_5", 1.5, 3.41327},
                    RatioCase {"Mach_2", 2, 5.64044}, RatioCase {"Mach_3", 3, 12.06096},
                    RatioCase {"Mach_5", 5, 32.65347}, RatioCase {"Mach_5_9", 5.9, 45.28312},
                    RatioCase {"minimum_at_one_over_root_two", 1 / std::sqrt(2.0), 1.49299},
                    RatioCase {"subsonic_0_5", 0.5, 2.67701}, RatioCase {"subsonic_0_4", 0.4, 54.82508}),
    [](const auto &info) { return info.param.name; });

TEST(Pitot, RatioAgreesWithTheShockRelations)
{
    for (double M : {1.0, 1.3, 2.0, 4.5, 10.0}) {
        const double fromShock = shockRatios(gamma, M, downstreamMach(gamma, M)).Po2P1;
        EXPECT_NEAR(pitotRatio(M), fromShock, 1e-14 * fromShock) << M;
    }
    EXPECT_EQ(pitotRatio(1), 1.8929291587378538);
    EXPECT_TRUE(std::isnan(pitotRatio(1 / std::sqrt(7.0))));
    EXPECT_TRUE(std::isnan(pitotRatio(0.2)));

    EXPECT_EQ(pitotRatioMinimum, 1.492992);
    const double minimumAt = 1 / std::sqrt(2.0);
    EXPECT_NEAR(pitotRatio(minimumAt), pitotRatioMinimum, 1e-15);

    // 36 s overflows from about 2.2e153: no answer rather than an infinite one.
    EXPECT_NEAR(pitotRatio(2e153) / 5.15e306, 1, 1e-3);
    EXPECT_TRUE(std::isnan(pitotRatio(2.25e153)));
}

struct SolveCase {
    std::string name;
    double Po2P1;
    double M1; // to five decimals
    bool converged;
    int iterations;
};

class SolveTable : public testing::TestWithParam<SolveCase>
{};

TEST_P(SolveTable, FindsTheUpstreamMach)
{
    const SolveCase &c = GetParam();
    const PitotSolution s = solvePitotMach(gamma, c.Po2P1);
    EXPECT_FALSE(s.noRealSolution);
    EXPECT_FALSE(s.outOfRange);
    // Five decimals, or 1e-14 relative where the doubles have fewer than five.
    EXPECT_NEAR(s.M1, c.M1, std::max(fiveDecimals, 1e-14 * c.M1));
    EXPECT_EQ(s.converged, c.converged);
    EXPECT_EQ(s.iterations, c.iterations);
}

INSTANTIATE_TEST_SUITE_P(
    Pitot, SolveTable,
    testing::Values(
        SolveCase {"Mach_2", 5.64044, 2.0, true, 8}, SolveCase {"ratio_2", 2, 1.04655, true, 12},
        SolveCase {"ratio_10", 10, 2.71975, true, 7}, SolveCase {"ratio_30", 30, 4.78945, true, 6},
        SolveCase {"ratio_45", 45, 5.88133, true, 5}, SolveCase {"ratio_100", 100, 8.79250, true, 5},
        SolveCase {"ratio_1e6", 1e6, 881.28465, true, 4},
        // Huge ratios: reproduced to 1e-15 relative, far more than 1e-3 absolute.
        SolveCase {"ratio_1e12", 1e12, 881284.85435, true, 3},
        SolveCase {"ratio_1e15", 1e15, 27868674.07147, true, 3},
        // The estimates cycle two doubles apart, more than the tolerance.
        SolveCase {"ratio_1e22_settles_on_a_cycle", 1e22, 88128485434.7331, true, 4},
        SolveCase {"ratio_1e40", 1e40, 8.8128485434733104e19, true, 3},
        SolveCase {"ratio_1e64_settles_on_adjacent_doubles", 1e64, 8.8128485434733122e31, true, 3},
        SolveCase {"ratio_1e100", 1e100, 8.8128485434733104e49, true, 4},
        SolveCase {"sonic_exactly", 1.8929291587378538, 1.0, true, 1},
        SolveCase {"just_below_sonic", 1.8929, 0.99999, true, 1},
        SolveCase {"ratio_1_9", 1.9, 1.00319, true, 9}, SolveCase {"subsonic_1_8", 1.8, 0.95610, true, 14},
        SolveCase {"subsonic_1_6", 1.6, 0.84048, true, 24},
        SolveCase {"subsonic_1_52", 1.52, 0.76908, true, 43},
        SolveCase {"unsettled_1_5", 1.5, 0.73805, false, 50},
        SolveCase {"unsettled_at_the_minimum", 1.492992, 0.72020, false, 50}),
    [](const auto &info) { return info.param.name; });

TEST(Pitot, Mach2ToSevenDecimals)
{
    const PitotSolution s = solvePitotMach(gamma, 5.64044);
    EXPECT_NEAR(s.M1, 1.9999996, 1e-7);
}

TEST(Pitot, SolutionReproducesTheRatio)
{
    for (double ratio = 1.89293; ratio < 2000; ratio *= 1.37) {
        const PitotSolution s = solvePitotMach(gamma, ratio);
        ASSERT_TRUE(s.converged && !s.noRealSolution) << ratio;
        EXPECT_LE(s.iterations, 12) << ratio;
        EXPECT_LT(std::fabs(pitotRatio(s.M1) - ratio), 1e-5 * ratio) << ratio;
    }
}

struct NoSolutionCase {
    std::string name;
    double Po2P1;
    bool outOfRange = false; // a step left the doubles rather than the real numbers
};

class NoSolutionTable : public testing::TestWithParam<NoSolutionCase>
{};

TEST_P(NoSolutionTable, IsReportedNotReturnedAsAnAnswer)
{
    const PitotSolution s = solvePitotMach(gamma, GetParam().Po2P1);
    EXPECT_EQ(s.noRealSolution, !GetParam().outOfRange);
    EXPECT_EQ(s.outOfRange, GetParam().outOfRange);
    EXPECT_GE(s.iterations, 1);
    EXPECT_LE(s.iterations, pitotIterationLimit);
}

INSTANTIATE_TEST_SUITE_P(
    Pitot, NoSolutionTable,
    testing::Values(
        // The first update already needs the root of a negative number.
        NoSolutionCase {"negative_beyond_first_root", -0.4}, NoSolutionCase {"large_negative", -100},
        // The second iteration raises a negative base to the power 3.5.
        NoSolutionCase {"small_negative", -0.1}, NoSolutionCase {"negative_near_first_root", -0.3},
        // The estimates collapse onto 1/sqrt(7), some of them meeting the stopping test there.
        NoSolutionCase {"collapse_1_4771", 1.4771}, NoSolutionCase {"collapse_1_477", 1.477},
        NoSolutionCase {"collapse_1_47", 1.47}, NoSolutionCase {"collapse_1_45", 1.45},
        NoSolutionCase {"collapse_1_4", 1.4}, NoSolutionCase {"collapse_1", 1.0},
        NoSolutionCase {"collapse_0_1", 0.1}, NoSolutionCase {"collapse_tiny", 1e-300},
        // Below the curve's minimum, where the iteration stays defined but ends anywhere.
        NoSolutionCase {"below_minimum_1_4775", 1.4775}, NoSolutionCase {"below_minimum_1_48", 1.48},
        NoSolutionCase {"below_minimum_1_49", 1.49}, NoSolutionCase {"just_below_minimum", 1.4929919},
        // 36*s leaves the doubles.
        NoSolutionCase {"overflow_1e307", 1e307, true},
        NoSolutionCase {"largest_double", 1.7976931348623157e308, true},
        NoSolutionCase {"infinity", std::numeric_limits<double>::infinity(), true},
        NoSolutionCase {"nan", std::numeric_limits<double>::quiet_NaN()}),
    [](const auto &info) { return info.param.name; });

TEST(Pitot, HugeRatioStillHasARealSolution)
{
    const PitotSolution s = solvePitotMach(gamma, 1e306);
    EXPECT_FALSE(s.noRealSolution);
    EXPECT_TRUE(s.converged);
    EXPECT_NEAR(s.M1 / 8.81284854347331e152, 1, 1e-12);
}

// Any gamma: 5/3, the monatomic gas, against Rayleigh's formula in 40-digit arithmetic (mpmath),
// to about four ulps; NaN where no shock exists.
struct GasRatioCase {
    std::string name;
    double gamma;
    double M;
    double expected;
};

class PitotRatioAnyGamma : public testing::TestWithParam<GasRatioCase>
{};

TEST_P(PitotRatioAnyGamma, MatchesTheFormula)
{
    const GasRatioCase &c = GetParam();
    const double ratio = pitotRatio(c.gamma, c.M);
    if (std::isnan(c.expected))
        EXPECT_TRUE(std::isnan(ratio)) << ratio;
    else
        EXPECT_NEAR(ratio, c.expected, 1e-15 * c.expected);
}

constexpr double monatomic = 5.0 / 3;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(Pitot, PitotRatioAnyGamma,
                         testing::Values(GasRatioCase {"subsonic_0_5", monatomic, 0.5, 4.105601914237339},
                                         GasRatioCase {"sonic", monatomic, 1, 2.0528009571186696},
                                         GasRatioCase {"Mach_2", monatomic, 2, 6.345362028699906},
                                         GasRatioCase {"Mach_5", monatomic, 5, 37.16672740969266},
                                         // The double below sqrt(1/5) = 0.44721359549995795...
                                         GasRatioCase {"on_the_limit", monatomic, 0.4472135954999579, nan},
                                         GasRatioCase {"beyond_the_doubles", monatomic, 1e154, nan},
                                         GasRatioCase {"no_gas_at_gamma_1", 1.0, 2, nan}),
                         [](const auto &info) { return info.param.name; });

TEST(Pitot, AnyGammaIsThe7Over5FormAt1_4)
{
    for (double M : {0.5, 1.0, 2.0, 10.0})
        EXPECT_EQ(pitotRatio(gamma, M), pitotRatio(M)) << M;
    EXPECT_EQ(smallestPitotRatio(gamma), pitotRatioMinimum);
}

// The curve's minimum lies at M = 1/sqrt(2) for every gamma. The formula in doubles loses a few
// ulps to the exponent gamma/(gamma-1), 21 at gamma = 1.05.
TEST(Pitot, SmallestRatioIsTheMinimumAtEveryGamma)
{
    EXPECT_EQ(smallestPitotRatio(monatomic), 1.580246913580247); // 1.58024691358024693760...
    EXPECT_EQ(smallestPitotRatio(3), 2);
    const double atMinimum = 1 / std::sqrt(2.0);
    for (double g : {1.05, 1.3, monatomic, 2.0, 3.0}) {
        const double smallest = smallestPitotRatio(g);
        EXPECT_NEAR(pitotRatio(g, atMinimum), smallest, 1e-14 * smallest) << g;
        EXPECT_GT(pitotRatio(g, atMinimum * 1.01), smallest) << g;
        EXPECT_GT(pitotRatio(g, atMinimum / 1.01), smallest) << g;
    }
}

struct GasSolveCase {
    std::string name;
    double gamma;
    double Po2P1;
    double M1; // the exact root (mpmath); NaN where there is none
    bool outOfRange = false;
};

class SolveAnyGamma : public testing::TestWithParam<GasSolveCase>
{};

TEST_P(SolveAnyGamma, FindsTheRootOrSaysThereIsNone)
{
    const GasSolveCase &c = GetParam();
    const PitotSolution s = solvePitotMach(c.gamma, c.Po2P1);
    EXPECT_EQ(s.outOfRange, c.outOfRange);
    EXPECT_EQ(s.noRealSolution, std::isnan(c.M1) && !c.outOfRange);
    if (!std::isnan(c.M1)) {
        EXPECT_TRUE(s.converged);
        EXPECT_NEAR(s.M1, c.M1, 1e-5);
        EXPECT_NEAR(pitotRatio(c.gamma, s.M1), c.Po2P1, 1e-4 * c.Po2P1);
    }
}

INSTANTIATE_TEST_SUITE_P(Pitot, SolveAnyGamma,
                         testing::Values(GasSolveCase {"subsonic_2", monatomic, 2, 0.97903247862362622},
                                         GasSolveCase {"ratio_5", monatomic, 5, 1.7543166161764404},
                                         GasSolveCase {"ratio_20", monatomic, 20, 3.6483176714636180},
                                         GasSolveCase {"ratio_1e6", monatomic, 1e6, 825.10457144862088},
                                         // smallestPitotRatio(5/3) is 1.5802469...
                                         GasSolveCase {"just_below_minimum", monatomic, 1.58, nan},
                                         GasSolveCase {"collapse_1_5", monatomic, 1.5, nan},
                                         GasSolveCase {"negative", monatomic, -1, nan},
                                         GasSolveCase {"overflow", monatomic, 1e308, nan, true}),
                         [](const auto &info) { return info.param.name; });

} // namespace
} // namespace ornavel
