#include "core/pitot_probe.h"

#include "reference_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ornavel {
namespace {

using reference::ulpsFrom;

// pitot_probe_reference.tsv: the exact probe at Mach numbers from 0 to 40 and at readings
// from 1 to 1e6, among them both neighbours of Mach 1 and readings 1e-9 either side of the
// sonic one, which must give M1 just below and just above 1. Every field within 2 ulps.
TEST(PitotProbe, MatchesTheMultiprecisionReference)
{
    const auto rows = reference::readTable(ORNAVEL_PITOT_PROBE_REFERENCE);
    ASSERT_GE(rows.size(), 40u) << ORNAVEL_PITOT_PROBE_REFERENCE;
    for (const auto &r : rows) {
        const double gamma = r.number(1), x = r.number(2);
        const bool fromMach = r.fields[0] == "M";
        const PitotProbe probe = fromMach ? pitotProbeFromMach(gamma, x) : pitotProbeFromReading(gamma, x);
        EXPECT_LE(ulpsFrom(probe.M1, r.fields[3]), 2) << r.line;
        EXPECT_LE(ulpsFrom(probe.Po2P1, r.fields[4]), 2) << r.line;
        EXPECT_LE(ulpsFrom(probe.Po1P1, r.fields[5]), 2) << r.line;
        EXPECT_LE(ulpsFrom(probe.Po2Po1, r.fields[6]), 2) << r.line;
        EXPECT_EQ(probe.subsonic, r.fields[7] == "1") << r.line;
        EXPECT_EQ(fromMach ? probe.M1 : probe.Po2P1, x) << r.line;
        if (fromMach && x == 1) {
            EXPECT_LE(ulpsFrom(sonicPitotReading(gamma), r.fields[4]), 2) << r.line;
        }
    }
}

TEST(PitotProbe, RefusesOutsideTheDomain)
{
    for (const double reading : {std::nextafter(1.0, 0.0), -2.0, double(INFINITY), double(NAN)})
        EXPECT_TRUE(std::isnan(pitotProbeFromReading(1.4, reading).M1)) << reading;
    for (const double M1 : {-1e-300, double(INFINITY), double(NAN)})
        EXPECT_TRUE(std::isnan(pitotProbeFromMach(1.4, M1).Po2P1)) << M1;
    EXPECT_TRUE(std::isnan(pitotProbeFromMach(1.0, 2).Po2P1));
    EXPECT_TRUE(std::isnan(sonicPitotReading(std::nextafter(3.0, 4.0))));
    // Po1/P1 passes the doubles long before Po2/P1: the whole probe is refused, not shown in part.
    const PitotProbe beyond = pitotProbeFromMach(1.4, 1e60);
    EXPECT_TRUE(std::isnan(beyond.Po2P1) && std::isnan(beyond.Po2Po1));
}

} // namespace
} // namespace ornavel
