#include "decision/calculate.h"

#include "core/inverse.h"
#include "decision/result_row.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

namespace ornavel {
namespace {

struct RowCase {
    std::string name;
    Quantity quantity;
    const char *typed;
    // Cells in the window's order: M1, P2/P1, rho2/rho1, T2/T1, Po2/Po1, Po2/P1, M2;
    // nullptr is not checked in this row.
    std::array<const char *, resultColumns> cells;
    const char *note = "";
};

class Calculate : public testing::TestWithParam<RowCase>
{};

TEST_P(Calculate, GivesTheRowTheWindowShows)
{
    const RowCase &c = GetParam();
    const ResultRow row
        = resultRow(c.quantity, calculate(c.quantity, QString::fromUtf8(c.typed), u"."), Digits::Result);
    for (std::size_t i = 0; i < resultColumns; ++i) {
        if (c.cells[i]) {
            EXPECT_EQ(row.cells[i].view(), c.cells[i]) << resultLabels[i];
        }
    }
    EXPECT_STREQ(row.note, c.note);
}

const char *const outOfRange = "Input is out of range";
constexpr const char *_ = nullptr;

// No shock forms below M1 = 1: the values stand, marked.
constexpr const char *subsonic = "subsonic: no shock forms";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Decision, Calculate, testing::Values(
    RowCase {"M1_1_sonic", Quantity::M1, "1", {"1", "1", "1", "1", "1", "1.89293", "1"}},
    RowCase {"M1_3", Quantity::M1, "3", {"3", "10.33333", "3.85714", "2.67901", "0.32834", "12.06096", "0.47519"}},
    RowCase {"M1_10_small_ratio", Quantity::M1, "10", {"10", "116.5", "5.71429", "20.3875", "0.00304", "129.21697", "0.38758"}},
    RowCase {"M1_0_5_subsonic", Quantity::M1, "0.5", {"0.5", "0.125", "0.28571", "0.4375", "2.25677", "2.67701", "2.64575"}, subsonic},
    RowCase {"M1_minus_2_keeps_its_sign", Quantity::M1, "-2", {"-2", "4.5", "2.66667", "1.6875", "0.72087", "5.64044", "0.57735"}},
    RowCase {"M1_2_comma_5_reads_as_2", Quantity::M1, "2,5", {"2", "4.5", "2.66667", "1.6875", "0.72087", "5.64044", "0.57735"}},
    RowCase {"M1_0_378_near_the_limit", Quantity::M1, "0.378", {"0.378", _, _, _, _, _, "165.39579"}, subsonic},
    RowCase {"M1_just_below_1_is_not_1", Quantity::M1, "0.9999999999999999", {"0.9999999999999999", "1", "1", "1", "1", "1.89293", "1"}, subsonic},
    RowCase {"M2_0_378_near_the_limit", Quantity::M2, "0.378", {_, _, _, "5320.12115", _, _, "0.378"}},
    RowCase {"M2_0_57735_uses_the_unrounded_M1", Quantity::M2, "0.57735", {"2", "4.50001", "2.66667", "1.6875", "0.72087", "5.64045", "0.57735"}},
    RowCase {"M2_minus_0_5_keeps_its_sign", Quantity::M2, "-0.5", {"2.64575", "8", "3.5", "2.28571", "0.44311", "9.4897", "-0.5"}},
    RowCase {"Po2P1_input_cell_reads_back", Quantity::Po2P1, "1.8929291587378538", {"1", "1", "1", "1", "1", "1.8929291587378538", "1"}},
    RowCase {"P2P1_4_5", Quantity::P2P1, "4.5", {"2", "4.5", "2.66667", "1.6875", "0.72087", "5.64044", "0.57735"}},
    RowCase {"P2P1_subsonic_computes", Quantity::P2P1, "0.125", {"0.5", "0.125", "0.28571", "0.4375", "2.25677", "2.67701", "2.64575"}, subsonic},
    RowCase {"Ro2Ro1_5", Quantity::Ro2Ro1, "5", {"5", "29", "5", "5.8", "0.06172", "32.65347", "0.41523"}},
    RowCase {"T2T1_below_17_18", Quantity::T2T1, "0.4375", {"0.5", "0.125", "0.28571", "0.4375", "2.25677", "2.67701", "2.64575"}, subsonic},
    RowCase {"Po2Po1_0_32834", Quantity::Po2Po1, "0.32834", {"3.00001", "10.33343", "3.85716", "2.67903", "0.32834", "12.06107", "0.47519"}},
    RowCase {"P2P1_zero", Quantity::P2P1, "0", {_, "0", _, _, _, _, _}, "P2/P1 must be greater than 0"},
    RowCase {"P2P1_negative", Quantity::P2P1, "-1", {"", "-1", "", "", "", "", ""}, "P2/P1 must be greater than 0"},
    RowCase {"P2P1_beyond_the_doubles", Quantity::P2P1, "-1e400", {}, outOfRange},
    RowCase {"P2P1_whose_ratios_overflow", Quantity::P2P1, "1.7e308", {}, outOfRange},
    RowCase {"Ro2Ro1_nearest_one_sixth", Quantity::Ro2Ro1, "0.16666666666666666", {}, "ρ2/ρ1 must be between 0.16667 and 6"},
    RowCase {"Ro2Ro1_six", Quantity::Ro2Ro1, "6", {}, "ρ2/ρ1 must be between 0.16667 and 6"},
    RowCase {"Ro2Ro1_just_below_six", Quantity::Ro2Ro1, "5.999999999999999", {"183785193.10673", _, "5.999999999999999", _, _, _, _}},
    RowCase {"T2T1_negative", Quantity::T2T1, "-2", {}, "T2/T1 must be greater than 0"},
    RowCase {"Po2Po1_negative", Quantity::Po2Po1, "-1e-300", {}, "Po2/Po1 must be greater than 0"},
    RowCase {"Po2Po1_beyond_the_doubles", Quantity::Po2Po1, "1e400", {}, outOfRange}),
    [](const auto &info) { return info.param.name; });
// clang-format on

// The unit of a cell's last digit: five decimals, or 15 significant digits where those are
// fewer (from 1e10) or asked for.
long double cellUnit(long double truth, Digits digits)
{
    if (digits == Digits::Result && std::fabs(truth) < 1e10L)
        return 1e-5L;
    return std::pow(10.0L, std::floor(std::log10(std::fabs(truth))) - 14);
}

// inverse_reference.tsv holds exact upstream Mach numbers and exact rows from 50-digit
// arithmetic (make_inverse_reference.py beside this file). M1 must be one of the two doubles
// around the exact value, every other value within an ulp of it, and every cell, in both digit
// modes, the exact value rounded to its last digit, or the neighbour where the exact value lies
// within an ulp of halfway.
TEST(Inverse, MatchesTheMultiprecisionReference)
{
    std::ifstream file(ORNAVEL_INVERSE_REFERENCE);
    ASSERT_TRUE(file) << ORNAVEL_INVERSE_REFERENCE;
    const std::pair<std::string, Quantity> quantities[] = {{"P2/P1", Quantity::P2P1},
                                                           {"rho2/rho1", Quantity::Ro2Ro1},
                                                           {"T2/T1", Quantity::T2T1},
                                                           {"Po2/Po1", Quantity::Po2Po1}};
    int rows = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, input, exact, inputCell;
        std::getline(fields, name, '\t');
        std::getline(fields, input, '\t');
        std::getline(fields, exact, '\t');
        std::getline(fields, inputCell, '\t');
        Quantity quantity = Quantity::M1;
        for (const auto &[known, q] : quantities) {
            if (known == name)
                quantity = q;
        }
        ASSERT_NE(quantity, Quantity::M1) << line;
        const double x = std::strtod(input.c_str(), nullptr);
        const double m1 = quantity == Quantity::P2P1 ? machFromPressureRatio(x)
            : quantity == Quantity::Ro2Ro1           ? machFromDensityRatio(x)
            : quantity == Quantity::T2T1             ? machFromTemperatureRatio(x)
                                                     : machFromStagnationPressureRatio(x);
        const long double truth = std::stold(exact);
        const double nearest = double(truth);
        const double other = std::nextafter(nearest, (long double)nearest < truth ? INFINITY : 0.0);
        EXPECT_TRUE(m1 == nearest || m1 == other) << line << "\ngot " << testing::PrintToString(m1);

        std::array<long double, resultColumns> values {};
        bool beyond = false;
        for (long double &value : values) {
            std::string text;
            std::getline(fields, text, '\t');
            beyond = beyond || text == "inf";
            value = std::strtold(text.c_str(), nullptr);
        }
        const int column = inputColumn(quantity);
        const Outcome outcome = calculate(quantity, x);
        for (const Digits digits : {Digits::Result, Digits::Full}) {
            const ResultRow row = resultRow(quantity, outcome, digits);
            EXPECT_EQ(row.cells[std::size_t(column)].view(), inputCell) << line;
            if (beyond) {
                EXPECT_STREQ(row.note, outOfRange) << line;
                continue;
            }
            for (std::size_t i = 0; i < resultColumns; ++i) {
                if (int(i) == column)
                    continue;
                const long double ulp = std::ldexp(1.0L, std::ilogb(double(values[i])) - 52);
                EXPECT_LE(std::fabs(resultValue(outcome, int(i)) - values[i]), ulp)
                    << resultLabels[i] << " is " << resultValue(outcome, int(i)) << " in " << line;
                const long double cell = std::strtold(std::string(row.cells[i].view()).c_str(), nullptr);
                EXPECT_LE(std::fabs(cell - values[i]), cellUnit(values[i], digits) / 2 + ulp)
                    << resultLabels[i] << " is " << row.cells[i].view() << " in " << line;
            }
        }
        ++rows;
    }
    EXPECT_GE(rows, 400);
}

} // namespace
} // namespace ornavel
