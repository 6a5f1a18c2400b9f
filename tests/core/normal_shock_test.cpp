#include "core/normal_shock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace ornavel {
namespace {

constexpr double gamma = 1.4;
constexpr double fiveDecimals = 5e-6;

struct ShockCase {
    std::string name;
    double M1;
    double M2, P2P1, Ro2Ro1, T2T1, Po2Po1, Po2P1; // published to five decimals
};

class ShockTable : public testing::TestWithParam<ShockCase>
{};

TEST_P(ShockTable, MatchesPublishedValues)
{
    const ShockCase &c = GetParam();
    const double M2 = downstreamMach(gamma, c.M1);
    const ShockRatios r = shockRatios(gamma, c.M1, M2);
    EXPECT_NEAR(M2, c.M2, fiveDecimals);
    EXPECT_NEAR(r.P2P1, c.P2P1, fiveDecimals);
    EXPECT_NEAR(r.Ro2Ro1, c.Ro2Ro1, fiveDecimals);
    EXPECT_NEAR(r.T2T1, c.T2T1, fiveDecimals);
    EXPECT_NEAR(r.Po2Po1, c.Po2Po1, fiveDecimals);
    EXPECT_NEAR(r.Po2P1, c.Po2P1, fiveDecimals);
}

INSTANTIATE_TEST_SUITE_P(
    NormalShock, ShockTable,
    testing::Values(
        ShockCase {"sonic", 1, 1, 1, 1, 1, 1, 1.89293},
        ShockCase {"Mach_1_5", 1.5, 0.70109, 2.45833, 1.86207, 1.32022, 0.92979, 3.41327},
        ShockCase {"Mach_2", 2, 0.57735, 4.5, 2.66667, 1.6875, 0.72087, 5.64044},
        ShockCase {"Mach_3", 3, 0.47519, 10.33333, 3.85714, 2.67901, 0.32834, 12.06096},
        ShockCase {"Mach_5", 5, 0.41523, 29, 5, 5.8, 0.06172, 32.65347},
        ShockCase {"negative_Mach_2_same_as_2", -2, 0.57735, 4.5, 2.66667, 1.6875, 0.72087, 5.64044},
        ShockCase {"subsonic_inside_domain", 0.5, 2.64575, 0.125, 0.28571, 0.4375, 2.25677, 2.67701}),
    [](const auto &info) { return info.param.name; });

// The grouping of every step fixes the last bits; these doubles are the reference results.
TEST(NormalShock, BitExactResults)
{
    EXPECT_EQ(downstreamMach(gamma, 2), 0.5773502691896257);
    const ShockRatios two = shockRatios(gamma, 2, downstreamMach(gamma, 2));
    EXPECT_EQ(two.P2P1, 4.5);
    EXPECT_EQ(two.Ro2Ro1, 2.666666666666667);
    EXPECT_EQ(two.T2T1, 1.6874999999999998);
    EXPECT_EQ(two.Po2Po1, 0.7208738614847454);
    EXPECT_EQ(two.Po2P1, 5.640440812823317);

    const ShockRatios ten = shockRatios(gamma, 10, downstreamMach(gamma, 10));
    EXPECT_EQ(ten.P2P1, 116.50000000000001);
    EXPECT_EQ(ten.Po2Po1, 0.003044752643416091);

    const double upstream = downstreamMach(gamma, 0.5);
    EXPECT_EQ(upstream, 2.6457513110645903);
    EXPECT_EQ(shockRatios(gamma, upstream, 0.5).Po2P1, 9.489701104355184);
}

TEST(NormalShock, SymmetricInBothDirections)
{
    EXPECT_NEAR(downstreamMach(gamma, 0.5773502692), 2, 1e-9);
    EXPECT_NEAR(downstreamMach(gamma, 0.5), 2.64575, fiveDecimals);
    for (double M : {1.2, 2.0, 3.7, 8.0})
        EXPECT_NEAR(downstreamMach(gamma, downstreamMach(gamma, M)), M, 1e-12 * M) << M;
}

TEST(NormalShock, DownstreamMachFallsTowardsTheLimit)
{
    EXPECT_NEAR(downstreamMach(gamma, 10), 0.38758, fiveDecimals);
    EXPECT_NEAR(downstreamMach(gamma, 100), 0.37806, fiveDecimals);
    EXPECT_NEAR(downstreamMach(gamma, 0.38), 21.82506, fiveDecimals);
    EXPECT_NEAR(downstreamMach(gamma, 0.378), 165.39579, fiveDecimals);
}

TEST(NormalShock, NoRealResultAtOrBelowTheLimit)
{
    const double limit = 1 / std::sqrt(7.0);
    for (double M : {0.0, 0.37, -0.37, limit, -limit, 0.3779644}) {
        EXPECT_FALSE(hasDownstreamMach(gamma, M)) << M;
        EXPECT_TRUE(std::isnan(downstreamMach(gamma, M))) << M;
    }
    // The first doubles above the limit give P2/P1 = 0 by rounding: treated as on the limit.
    for (double M : {0.37796447300922725, 0.3779644730092273}) {
        EXPECT_FALSE(hasDownstreamMach(gamma, M)) << M;
        EXPECT_TRUE(std::isnan(downstreamMach(gamma, M))) << M;
    }
    // Just above them the partner is enormous but real, and so are the ratios.
    const double above = 0.37796447300922736;
    EXPECT_GT(shockRatios(gamma, above, downstreamMach(gamma, above)).Po2Po1, 0);
    EXPECT_TRUE(hasDownstreamMach(gamma, above));
    EXPECT_GT(downstreamMach(gamma, above), 1e7);
    EXPECT_TRUE(std::isfinite(downstreamMach(gamma, above)));
}

TEST(NormalShock, NonFiniteInputsHaveNoPartner)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isnan(downstreamMach(gamma, inf)));
    EXPECT_TRUE(std::isnan(downstreamMach(gamma, 1e200)));   // M*M overflows
    EXPECT_TRUE(std::isnan(downstreamMach(gamma, 1.2e154))); // gamma*M*M overflows, not 0
    EXPECT_NEAR(downstreamMach(gamma, 1e154), 0.37796, fiveDecimals);
    EXPECT_TRUE(std::isnan(downstreamMach(gamma, std::numeric_limits<double>::quiet_NaN())));
}

TEST(NormalShock, UsesTheGivenDownstreamMach)
{
    // (2, 0.5) is not a shock pair; the ratios still follow from the numbers given.
    const ShockRatios r = shockRatios(gamma, 2, 0.5);
    EXPECT_NEAR(r.P2P1, 4.5, fiveDecimals);
    EXPECT_NEAR(r.T2T1, 1.71429, fiveDecimals);
    EXPECT_NEAR(r.Ro2Ro1, 2.625, fiveDecimals);
    EXPECT_NEAR(r.Po2P1, 5.33796, fiveDecimals);
    EXPECT_NEAR(r.Po2Po1, 0.68222, fiveDecimals);
}

TEST(NormalShock, OverflowGivesNoPartialResult)
{
    // Po1/P1 overflows first, which would make Po2/Po1 a plausible-looking 0.
    for (double M1 : {3e44, 1e100, 1e160}) {
        const ShockRatios r = shockRatios(gamma, M1, 0.378);
        EXPECT_FALSE(isFinite(r)) << M1;
        EXPECT_TRUE(std::isnan(r.Po2Po1)) << M1;
    }
    EXPECT_TRUE(isFinite(shockRatios(gamma, 1e44, downstreamMach(gamma, 1e44))));
}

struct FieldCase {
    std::string name;
    double ShockRatios::*field;
};

class OneFieldNotFinite : public testing::TestWithParam<FieldCase>
{};

// Any one field out of the doubles makes the whole result unusable.
TEST_P(OneFieldNotFinite, IsNotFinite)
{
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        ShockRatios r {4.5, 2.66667, 1.6875, 0.72087, 5.64044};
        ASSERT_TRUE(isFinite(r));
        r.*GetParam().field = bad;
        EXPECT_FALSE(isFinite(r)) << bad;
    }
}

INSTANTIATE_TEST_SUITE_P(NormalShock, OneFieldNotFinite,
                         testing::Values(FieldCase {"P2P1", &ShockRatios::P2P1},
                                         FieldCase {"Ro2Ro1", &ShockRatios::Ro2Ro1},
                                         FieldCase {"T2T1", &ShockRatios::T2T1},
                                         FieldCase {"Po2Po1", &ShockRatios::Po2Po1},
                                         FieldCase {"Po2P1", &ShockRatios::Po2P1}),
                         [](const auto &info) { return info.param.name; });

} // namespace
} // namespace ornavel
