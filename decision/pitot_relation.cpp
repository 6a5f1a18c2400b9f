#include "decision/relation.h"

#include "core/pitot_probe.h"

#include <cmath>

namespace ornavel {

namespace {

constexpr RelationColumn columns[] = {
    {"M1", "M1", false},
    {"Po2/P1", "Po2/P1", true},
    {"Po1/P1", "Po1/P1", false},
    {"Po2/Po1", "Po2/Po1", false},
};

constexpr RelationQuantity quantities[] = {
    {"M1", {"m1"}, 0},
    {"Po2/P1", {"po2/p1"}, 1},
};
enum Quantity { Mach, Reading };

enum Note { None, MachNegative, ReadingBelowOne, OutOfRange, Subsonic };

std::vector<std::string> noteTexts(double)
{
    return {
        "",
        "M1 must be at least 0",
        "the pitot reading must be at least the static pressure",
        "Input is out of range",
        "subsonic: no shock ahead of the probe",
    };
}

RowValues compute(const RowInput &input)
{
    const double gamma = input.gamma, value = input.value;
    const int quantity = input.quantity;
    if (quantity == Mach && !(value >= 0))
        return refusedRow(MachNegative);
    if (quantity == Reading && !(value >= 1))
        return refusedRow(ReadingBelowOne);
    if (!std::isfinite(value))
        return refusedRow(OutOfRange);
    const PitotProbe probe
        = quantity == Mach ? pitotProbeFromMach(gamma, value) : pitotProbeFromReading(gamma, value);
    if (std::isnan(probe.M1))
        return refusedRow(OutOfRange);
    return answeredRow({probe.M1, probe.Po2P1, probe.Po1P1, probe.Po2Po1}, probe.subsonic ? Subsonic : None);
}

} // namespace

const Relation &pitotRelation()
{
    static const Relation relation {
        "pitot",
        "Pitot probe",
        columns,
        quantities,
        {},
        {},
        0,
        0,
        false,
        1, // the probe's law changes at Mach 1, where a shock first stands ahead of it
        "Po2/P1",
        "Chart of a pitot probe's reading against M1",
        "No row to chart",
        "A probe's reading Po2/P1 (its pressure over the free stream's static) gives M1 on both "
        "sides of Mach 1: isentropic below the sonic reading (1.89293 for air), through the normal "
        "shock ahead of the probe above it, the exact root either way. The normal shock's Po2/P1 "
        "instead repeats the window's iteration.",
        noteTexts,
        compute,
    };
    return relation;
}

} // namespace ornavel
