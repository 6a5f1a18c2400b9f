#pragma once

namespace ornavel {

// What a pitot probe reads in a stream of Mach number M1 and static pressure P1: the
// stagnation pressure at its mouth, Po2, over P1. Below M1 = 1 the stream is brought to rest
// isentropically, so Po2 = Po1; from M1 = 1 a normal shock stands ahead of the probe and
// Po2/P1 follows Rayleigh's pitot formula. Gamma in (1, 3]; NaN fields outside the domain.
struct PitotProbe {
    double M1;
    double Po2P1;  // the reading
    double Po1P1;  // the free stream's stagnation over static pressure
    double Po2Po1; // the loss across the shock, 1 below Mach 1
    bool subsonic; // M1 < 1: no shock
};

// The reading at M1 = 1, where both formulas give ((gamma + 1)/2)^(gamma/(gamma - 1)).
double sonicPitotReading(double gamma);

// The probe at M1 >= 0. Fields beyond the normal doubles make every field NaN.
PitotProbe pitotProbeFromMach(double gamma, double M1);

// The probe whose reading is Po2P1 >= 1: the isentropic inverse up to sonicPitotReading and
// the root of Rayleigh's formula above it, so M1 passes through 1 continuously.
PitotProbe pitotProbeFromReading(double gamma, double Po2P1);

} // namespace ornavel
