#pragma once

#include "decision/relation.h"

namespace ornavel {

// The normal shock's columns: the main window's result boxes in its order, and every face's.
inline constexpr RelationColumn normalShockColumns[] = {
    {"M1", "M1", false},      {"P2/P1", "P2/P1", true},     {"ρ2/ρ1", "$\\rho$2/$\\rho$1", true},
    {"T2/T1", "T2/T1", true}, {"Po2/Po1", "Po2/Po1", true}, {"Po2/P1", "Po2/P1", true},
    {"M2", "M2", true},
};

} // namespace ornavel
