#include "core/expansion.h"

#include "reference_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ornavel {
namespace {

using reference::ulpsFrom;

// expansion_reference.tsv: exact fans from Mach 1 to 40, turns from 0 to the last double short
// of the largest (M2 about 1e16), and the first turn not short of it, which is refused. M2
// within 2 ulps, every other field within 4.
TEST(Expansion, MatchesTheMultiprecisionReference)
{
    const auto rows = reference::readTable(ORNAVEL_EXPANSION_REFERENCE);
    ASSERT_GE(rows.size(), 30u) << ORNAVEL_EXPANSION_REFERENCE;
    for (const auto &r : rows) {
        const double gamma = r.number(0), M1 = r.number(1), theta = r.number(2);
        const ExpansionFan fan = expansionFan(gamma, M1, theta);
        const double fields[] = {fan.M2, fan.nu1, fan.nu2, fan.mu1, fan.mu2, fan.P2P1, fan.Ro2Ro1, fan.T2T1};
        for (std::size_t i = 0; i < std::size(fields); ++i)
            EXPECT_LE(ulpsFrom(fields[i], r.fields[3 + i]), i == 0 ? 2 : 4)
                << "field " << i << " in " << r.line;
        if (r.fields[3] == "nan") {
            EXPECT_TRUE(std::isnan(fan.M1) && std::isnan(fan.theta)) << r.line;
            // The largest turn lies within an ulp below the first refused one.
            EXPECT_LE(std::fabs(largestTurn(gamma, M1) - theta) / (theta * 0x1p-52), 2) << r.line;
        } else {
            EXPECT_EQ(fan.M1, M1);
            EXPECT_EQ(fan.theta, theta);
        }
    }
}

TEST(Expansion, RefusesOutsideTheDomain)
{
    EXPECT_TRUE(std::isnan(expansionFan(1.4, std::nextafter(1.0, 0.0), 1).M2));
    EXPECT_TRUE(std::isnan(expansionFan(1.4, 2, -1e-300).M2));
    EXPECT_TRUE(std::isnan(expansionFan(1.4, 2, INFINITY).M2));
    EXPECT_TRUE(std::isnan(expansionFan(1.0, 2, 1).M2));
    EXPECT_TRUE(std::isnan(largestTurn(1.4, 0.5)));
}

} // namespace
} // namespace ornavel
