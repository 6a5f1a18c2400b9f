#include "core/inverse.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace ornavel {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct Inverse {
    const char *name;
    double (*mach)(double, double);
    ShockFromRatio (*shock)(double, double);
};

ShockFromRatio shockFromStagnation(double gamma, double Po2Po1)
{
    return shockFromStagnationPressureRatio(gamma, Po2Po1, machFromStagnationPressureRatio(gamma, Po2Po1));
}

const Inverse inverses[] = {
    {"P2/P1", machFromPressureRatio, shockFromPressureRatio},
    {"rho2/rho1", machFromDensityRatio, shockFromDensityRatio},
    {"T2/T1", machFromTemperatureRatio, shockFromTemperatureRatio},
    {"Po2/Po1", machFromStagnationPressureRatio, shockFromStagnation},
};

// True when got lies within an ulp of the exact value: one of the two doubles around it, or the
// double it is and its neighbours. A text ending in "+" or "-" is a hair above or below the
// double it reads as.
bool withinAnUlp(double got, const std::string &text)
{
    const long double exact = std::strtold(text.c_str(), nullptr);
    if (std::isnan(exact) || std::isinf(exact))
        return std::isnan(exact) ? std::isnan(got) : got == exact;
    const double nearest = double(exact);
    const char side = text.back() == '+' || text.back() == '-' ? text.back()
        : (long double)nearest < exact                         ? '+'
        : (long double)nearest > exact                         ? '-'
                                                               : '=';
    const double above = side == '-' ? nearest : std::nextafter(nearest, inf);
    const double below = side == '+' ? nearest : std::nextafter(nearest, -inf);
    return got >= below && got <= above;
}

// inverse_gamma_reference.tsv holds exact shocks from 1000-digit arithmetic
// (make_inverse_gamma_reference.py beside this file): M1 must lie within an ulp of the exact
// value, and M2 and each ratio too ("inf" there: refused as out of range, so any value beyond the
// normal doubles will do).
TEST(InverseGamma, MatchesTheMultiprecisionReference)
{
    std::ifstream file(ORNAVEL_INVERSE_GAMMA_REFERENCE);
    ASSERT_TRUE(file) << ORNAVEL_INVERSE_GAMMA_REFERENCE;
    const char *const labels[] = {"M2", "P2/P1", "rho2/rho1", "T2/T1", "Po2/Po1", "Po2/P1"};
    int rows = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string gamma, quantity, input;
        std::array<std::string, 7> exact;
        fields >> gamma >> quantity >> input;
        for (std::string &value : exact)
            fields >> value;
        const Inverse *inverse = nullptr;
        for (const Inverse &known : inverses) {
            if (quantity == known.name)
                inverse = &known;
        }
        ASSERT_TRUE(inverse) << line;
        const double g = std::strtod(gamma.c_str(), nullptr), x = std::strtod(input.c_str(), nullptr);

        const double m1 = inverse->mach(g, x);
        EXPECT_TRUE(withinAnUlp(m1, exact[0])) << line << "\nM1 is " << testing::PrintToString(m1);
        if (!std::isnan(m1)) {
            const ShockFromRatio shock = inverse->shock(g, x);
            const double cells[] = {shock.M2,          shock.ratios.P2P1,   shock.ratios.Ro2Ro1,
                                    shock.ratios.T2T1, shock.ratios.Po2Po1, shock.ratios.Po2P1};
            for (std::size_t i = 0; i < std::size(cells); ++i) {
                const bool beyond
                    = exact[i + 1] == "inf" ? !std::isfinite(cells[i]) : withinAnUlp(cells[i], exact[i + 1]);
                EXPECT_TRUE(beyond) << labels[i] << " is " << testing::PrintToString(cells[i]) << " in "
                                    << line;
            }
        }
        ++rows;
    }
    EXPECT_GE(rows, 300);
}

struct Refusal {
    const char *name;
    double gamma;
    double ratio;
};

class InverseGammaRefusal : public testing::TestWithParam<Refusal>
{};

// No M1 at all, for each of the four ratios.
TEST_P(InverseGammaRefusal, GivesNoMach)
{
    for (const Inverse &inverse : inverses) {
        if (GetParam().ratio > 0 && std::string(inverse.name) == "rho2/rho1")
            continue; // a positive ratio may lie inside the density's domain
        EXPECT_TRUE(std::isnan(inverse.mach(GetParam().gamma, GetParam().ratio))) << inverse.name;
    }
}

INSTANTIATE_TEST_SUITE_P(InverseGamma, InverseGammaRefusal,
                         testing::Values(Refusal {"zero", 1.3, 0.0}, Refusal {"negative", 5.0 / 3, -2},
                                         Refusal {"infinite", 1.3, inf}, Refusal {"nan", 1.3, nan},
                                         Refusal {"gamma_1", 1.0, 2}, Refusal {"gamma_below_1", 0.9, 2},
                                         Refusal {"gamma_infinite", inf, 2}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(InverseGamma, DomainLimitsForMessages)
{
    EXPECT_EQ(smallestUpstreamMach(1.4), 0.37796447300922725);
    EXPECT_EQ(smallestDensityRatio(1.4), 1.0 / 6);
    EXPECT_EQ(largestDensityRatio(1.4), 6);
    // gamma = 5/3 as the double it is, 1.6666666666666667407...
    EXPECT_EQ(smallestUpstreamMach(5.0 / 3), 0.4472135954999579);
    EXPECT_EQ(smallestDensityRatio(5.0 / 3), 0.25);
    EXPECT_EQ(largestDensityRatio(5.0 / 3), 3.9999999999999996);
    EXPECT_TRUE(std::isnan(smallestUpstreamMach(1)));
}

} // namespace
} // namespace ornavel
