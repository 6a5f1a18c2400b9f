#include "core/isentropic.h"

#include "reference_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace ornavel {
namespace {

using reference::ulpsFrom;

struct Relation {
    const char *name;
    double (*mach)(double gamma, double x, bool supersonic);
    IsentropicFlow (*row)(double gamma, double x, bool supersonic);
    double IsentropicFlow::*cell; // the given one
};

const std::array<Relation, 7> relations {{
    {"M", nullptr, [](double g, double x, bool) { return isentropicFlow(g, x); }, &IsentropicFlow::M},
    {"p/p0", [](double g, double x, bool) { return machFromIsentropicPressure(g, x); },
     [](double g, double x, bool) { return isentropicFromPressure(g, x); }, &IsentropicFlow::pP0},
    {"rho/rho0", [](double g, double x, bool) { return machFromIsentropicDensity(g, x); },
     [](double g, double x, bool) { return isentropicFromDensity(g, x); }, &IsentropicFlow::rhoRho0},
    {"T/T0", [](double g, double x, bool) { return machFromIsentropicTemperature(g, x); },
     [](double g, double x, bool) { return isentropicFromTemperature(g, x); }, &IsentropicFlow::TT0},
    {"A/A*", machFromAreaRatio, isentropicFromAreaRatio, &IsentropicFlow::AAstar},
    {"mu", [](double, double x, bool) { return machFromMachAngle(x); },
     [](double g, double x, bool) { return isentropicFromMachAngle(g, x); }, &IsentropicFlow::mu},
    {"nu", [](double g, double x, bool) { return machFromPrandtlMeyerAngle(g, x); },
     [](double g, double x, bool) { return isentropicFromPrandtlMeyerAngle(g, x); }, &IsentropicFlow::nu},
}};

// isentropic_reference.tsv: for each relation the exact row at inputs across its domain and
// on its edges, for three gases. Every cell of the row solved from the input, and the M of
// the inverse alone, must lie within 2 ulps of the exact values, and the given cell must
// come back as given. A refused input (nu at or beyond numax) is all NaN.
TEST(Isentropic, MatchesTheMultiprecisionReference)
{
    const auto rows = reference::readTable(ORNAVEL_ISENTROPIC_REFERENCE);
    ASSERT_GE(rows.size(), 150u) << ORNAVEL_ISENTROPIC_REFERENCE;
    constexpr double IsentropicFlow::*cells[]
        = {&IsentropicFlow::M,      &IsentropicFlow::pP0, &IsentropicFlow::rhoRho0, &IsentropicFlow::TT0,
           &IsentropicFlow::AAstar, &IsentropicFlow::mu,  &IsentropicFlow::nu};
    for (const auto &r : rows) {
        const Relation *relation = nullptr;
        for (const Relation &known : relations)
            relation = r.fields[0] == known.name ? &known : relation;
        ASSERT_NE(relation, nullptr) << r.line;
        const double gamma = r.number(1), x = r.number(2);
        const bool supersonic = r.fields[3] == "1";
        const IsentropicFlow row = relation->row(gamma, x, supersonic);
        for (std::size_t i = 0; i < std::size(cells); ++i)
            EXPECT_LE(ulpsFrom(row.*cells[i], r.fields[4 + i]), 2) << "cell " << i << " in " << r.line;
        if (relation->mach) {
            EXPECT_LE(ulpsFrom(relation->mach(gamma, x, supersonic), r.fields[4]), 2) << r.line;
        }
        if (!std::isnan(row.M)) {
            EXPECT_EQ(row.*relation->cell, x) << r.line;
        }
        if (r.fields[0] == "M" && x >= 1) {
            EXPECT_EQ(prandtlMeyerAngle(gamma, x), row.nu) << r.line;
        }
        // The first nu not short of numax is refused; numax lies within an ulp below it.
        if (r.fields[0] == "nu" && r.fields[4] == "nan") {
            EXPECT_LE(std::fabs(largestPrandtlMeyerAngle(gamma) - x) / (x * 0x1p-52), 2) << r.line;
        }
    }
}

// Ratios of 1 are the fluid at rest: M = 0, whose row isentropicFlow refuses (A/A* infinite).
TEST(Isentropic, RatiosOfOneAreAtRest)
{
    for (const double gamma : {1.4, 3.0}) {
        EXPECT_EQ(machFromIsentropicPressure(gamma, 1), 0);
        EXPECT_EQ(machFromIsentropicDensity(gamma, 1), 0);
        EXPECT_EQ(machFromIsentropicTemperature(gamma, 1), 0);
        EXPECT_TRUE(std::isnan(isentropicFlow(gamma, 0).pP0));
        EXPECT_TRUE(std::isnan(isentropicFromPressure(gamma, 1).M));
        EXPECT_TRUE(std::isnan(isentropicFromDensity(gamma, 1).M));
        EXPECT_TRUE(std::isnan(isentropicFromTemperature(gamma, 1).M));
    }
}

// Each input just outside its domain, in a row of its own relation.
TEST(Isentropic, RefusesOutsideTheDomain)
{
    const double justOverThree = std::nextafter(3.0, 4.0);
    const struct {
        const char *relation;
        double gamma, x;
    } refusals[] = {
        {"M", 1.0, 2},           {"M", justOverThree, 2}, {"M", 1.4, -1},
        {"M", 1.4, INFINITY},    {"p/p0", 1.4, 0},        {"p/p0", 1.4, std::nextafter(1.0, 2.0)},
        {"rho/rho0", 1.4, -0.5}, {"T/T0", 1.4, 1.5},      {"A/A*", 1.4, std::nextafter(1.0, 0.0)},
        {"A/A*", 1.4, INFINITY}, {"mu", 1.4, 0},          {"mu", 1.4, std::nextafter(90.0, 91.0)},
        {"nu", 1.4, -1e-300},
    };
    for (const auto &refusal : refusals) {
        for (const Relation &relation : relations) {
            if (std::string(refusal.relation) != relation.name)
                continue;
            for (const bool supersonic : {false, true}) {
                const IsentropicFlow row = relation.row(refusal.gamma, refusal.x, supersonic);
                EXPECT_TRUE(std::isnan(row.M) && std::isnan(row.pP0) && std::isnan(row.AAstar))
                    << relation.name << " " << refusal.gamma << " " << refusal.x;
                if (relation.mach) {
                    EXPECT_TRUE(std::isnan(relation.mach(refusal.gamma, refusal.x, supersonic)))
                        << relation.name << " " << refusal.gamma << " " << refusal.x;
                }
            }
        }
    }
    EXPECT_TRUE(std::isnan(prandtlMeyerAngle(1.4, std::nextafter(1.0, 0.0))));
    EXPECT_TRUE(std::isnan(largestPrandtlMeyerAngle(1.0)));
}

} // namespace
} // namespace ornavel
