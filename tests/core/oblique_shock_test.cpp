#include "core/oblique_shock.h"

#include "core/normal_shock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace ornavel {
namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// The table's value columns, in its order.
constexpr double ObliqueShock::*fields[] = {&ObliqueShock::theta,  &ObliqueShock::beta,   &ObliqueShock::M2,
                                            &ObliqueShock::P2P1,   &ObliqueShock::Ro2Ro1, &ObliqueShock::T2T1,
                                            &ObliqueShock::Po2Po1, &ObliqueShock::M1n,    &ObliqueShock::M2n};
constexpr const char *fieldNames[]
    = {"theta", "beta", "M2", "P2/P1", "rho2/rho1", "T2/T1", "Po2/Po1", "M1n", "M2n"};

// |value - exact| in ulps of the double nearest the exact value; an exact 0 must be met exactly.
long double ulpsFrom(double value, long double exact)
{
    if (exact == 0)
        return value == 0 ? 0 : std::numeric_limits<long double>::infinity();
    return std::fabs(value - exact) / std::ldexp(1.0L, std::ilogb(double(exact)) - 52);
}

bool allNaN(const ObliqueShock &s)
{
    return std::isnan(s.M1) && std::isnan(s.theta) && std::isnan(s.beta) && std::isnan(s.M2)
        && std::isnan(s.P2P1) && std::isnan(s.Ro2Ro1) && std::isnan(s.T2T1) && std::isnan(s.Po2Po1)
        && std::isnan(s.M1n) && std::isnan(s.M2n);
}

// oblique_reference.tsv holds shocks from 80-digit arithmetic on the textbook relations
// (make_oblique_reference.py beside this file): both branches from theta = 0 to 0.9999 thetamax,
// wave angles from just below the Mach angle to 90, and thetamax and the sonic point. Up to
// 0.9999 thetamax, theta, beta and M2 are within 2 ulps and the rest within 4. At
// thetamax (1 - 1e-9) each branch is still answered, on its side of the wave angle at thetamax;
// at thetamax (1 + 1e-9), and below the Mach angle, there is no shock.
TEST(ObliqueShock, MatchesTheMultiprecisionReference)
{
    std::ifstream file(ORNAVEL_OBLIQUE_REFERENCE);
    ASSERT_TRUE(file) << ORNAVEL_OBLIQUE_REFERENCE;
    int rows = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        ++rows;
        std::istringstream columns(line);
        std::string kind, gammaText, machText, inputText, text;
        columns >> kind >> gammaText >> machText >> inputText;
        const double gamma = std::stod(gammaText), M1 = std::stod(machText);
        std::vector<long double> exact;
        while (columns >> text)
            exact.push_back(text == "nan" ? notANumber : std::stold(text));
        ASSERT_FALSE(exact.empty()) << line;

        if (kind == "limits") {
            const double limits[] = {largestDeflection(gamma, M1), waveAngleAtLargestDeflection(gamma, M1),
                                     sonicWaveAngle(gamma, M1), sonicDeflection(gamma, M1)};
            for (std::size_t i = 0; i < 4; ++i)
                EXPECT_LE(ulpsFrom(limits[i], exact[i]), 2) << "limit " << i << " in " << line;
            continue;
        }
        const double input = std::stod(inputText);
        const bool edge = kind.rfind("edge-", 0) == 0;
        const bool strong = kind == "strong" || kind == "edge-strong";
        if (std::isnan(exact[0])) {
            if (kind == "wave")
                EXPECT_TRUE(allNaN(obliqueShockFromWaveAngle(gamma, M1, input))) << line;
            else
                EXPECT_TRUE(allNaN(obliqueShockFromDeflection(gamma, M1, input, false))
                            && allNaN(obliqueShockFromDeflection(gamma, M1, input, true)))
                    << line;
            continue;
        }
        const ObliqueShock s = kind == "wave" ? obliqueShockFromWaveAngle(gamma, M1, input)
                                              : obliqueShockFromDeflection(gamma, M1, input, strong);
        EXPECT_EQ(s.M1, M1) << line;
        ASSERT_EQ(exact.size(), std::size(fields)) << line;
        if (edge) {
            const double atLargest = waveAngleAtLargestDeflection(gamma, M1);
            EXPECT_TRUE(strong ? s.beta > atLargest && s.beta <= 90 : s.beta < atLargest)
                << s.beta << " against " << atLargest << " in " << line;
        }
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            const double value = s.*fields[i];
            // Within 1e-9 of thetamax the wave angle moves 1e4 times faster than theta.
            if (edge)
                EXPECT_LE(std::fabs(value - exact[i]), std::fabs(exact[i]) * 1e-12L)
                    << fieldNames[i] << " in " << line;
            else
                EXPECT_LE(ulpsFrom(value, exact[i]), i < 3 ? 2 : 4)
                    << fieldNames[i] << " is " << testing::PrintToString(value) << " in " << line;
        }
    }
    EXPECT_GE(rows, 300);
}

// The caller refuses exactly what lies above the thetamax it shows: that double itself is
// answered on both branches, the next one up is detached.
TEST(ObliqueShock, DetachesJustAboveTheReportedLargestDeflection)
{
    for (const double gamma : {1.4, 1.13})
        for (const double M1 : {1.01, 2.0, 50.0}) {
            const double largest = largestDeflection(gamma, M1);
            const double atLargest = waveAngleAtLargestDeflection(gamma, M1);
            const double weak = obliqueShockFromDeflection(gamma, M1, largest, false).beta;
            const double strong = obliqueShockFromDeflection(gamma, M1, largest, true).beta;
            EXPECT_LE(weak, strong) << M1;
            EXPECT_NEAR(weak, atLargest, 1e-6 * atLargest) << M1;
            EXPECT_NEAR(strong, atLargest, 1e-6 * atLargest) << M1;
            const double above = std::nextafter(largest, 90.0);
            EXPECT_TRUE(allNaN(obliqueShockFromDeflection(gamma, M1, above, false))) << M1;
            EXPECT_TRUE(allNaN(obliqueShockFromDeflection(gamma, M1, above, true))) << M1;
        }
}

// theta = 0 gives the Mach wave exactly (a wave angle a double above the Mach angle is a real,
// if tiny, shock: the table has those). The strong branch at theta = 0 and beta = 90 give the
// normal shock, which normal_shock.h computes in doubles and so within a few ulps (up to 10 in
// Po2/Po1 here) of the exact values returned here.
TEST(ObliqueShock, EndsAreTheMachWaveAndTheNormalShock)
{
    const auto near = [](double value, double expected) {
        return std::fabs(value - expected) <= 16 * std::ldexp(1.0, std::ilogb(expected) - 52);
    };
    for (const double gamma : {1.4, 5.0 / 3, 1.13})
        for (const double M1 : {1.01, 1.2, 2.0, 3.5, 12.0, 50.0}) {
            const ObliqueShock wave = obliqueShockFromDeflection(gamma, M1, 0, false);
            EXPECT_EQ(wave.beta, machAngle(M1));
            EXPECT_TRUE(wave.M2 == M1 && wave.M1n == 1 && wave.M2n == 1) << M1;
            EXPECT_TRUE(wave.P2P1 == 1 && wave.Ro2Ro1 == 1 && wave.T2T1 == 1 && wave.Po2Po1 == 1) << M1;
            const double M2 = downstreamMach(gamma, M1);
            const ShockRatios r = shockRatios(gamma, M1, M2);
            for (const ObliqueShock &normal :
                 {obliqueShockFromDeflection(gamma, M1, 0, true), obliqueShockFromWaveAngle(gamma, M1, 90)}) {
                EXPECT_EQ(normal.beta, 90);
                EXPECT_EQ(normal.M1n, M1);
                EXPECT_TRUE(near(normal.M2, M2) && near(normal.M2n, M2)) << M1;
                EXPECT_TRUE(near(normal.P2P1, r.P2P1) && near(normal.Ro2Ro1, r.Ro2Ro1)
                            && near(normal.T2T1, r.T2T1) && near(normal.Po2Po1, r.Po2Po1))
                    << gamma << ", " << M1;
            }
        }
}

struct NoShockCase {
    std::string name;
    double gamma, M1, angle;
    bool fromWaveAngle;
};

class NoShock : public testing::TestWithParam<NoShockCase>
{};

TEST_P(NoShock, EveryFieldIsNaN)
{
    const NoShockCase &c = GetParam();
    if (c.fromWaveAngle) {
        EXPECT_TRUE(allNaN(obliqueShockFromWaveAngle(c.gamma, c.M1, c.angle)));
        return;
    }
    EXPECT_TRUE(allNaN(obliqueShockFromDeflection(c.gamma, c.M1, c.angle, false)));
    EXPECT_TRUE(allNaN(obliqueShockFromDeflection(c.gamma, c.M1, c.angle, true)));
}

INSTANTIATE_TEST_SUITE_P(ObliqueShock, NoShock,
                         testing::Values(NoShockCase {"sonic_upstream", 1.4, 1, 0, false},
                                         NoShockCase {"subsonic_upstream", 1.4, 0.8, 90, true},
                                         NoShockCase {"gamma_1", 1, 2, 10, false},
                                         NoShockCase {"gamma_above_3", 3.0000000000000004, 2, 90, true},
                                         NoShockCase {"negative_deflection", 1.4, 2, -1e-300, false},
                                         NoShockCase {"wave_angle_above_90", 1.4, 2, 90.00000000000001, true},
                                         NoShockCase {"NaN_deflection", 1.4, 2, notANumber, false},
                                         NoShockCase {"NaN_Mach", 1.4, notANumber, 90, true},
                                         // P2/P1 beyond the doubles.
                                         NoShockCase {"pressure_ratio_overflows", 1.4, 1e155, 90, true}),
                         [](const auto &info) { return info.param.name; });

} // namespace
} // namespace ornavel
