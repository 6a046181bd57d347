#pragma once
// The state of the two parameter sweeps beyond the world: it survives the
// setups that a sweep runs between its runs.

#include <array>
#include <cstdint>

namespace landuse {

// How far one sweep has come, for the progress the user sees.
struct SweepProgress {
    uint32_t startTick = 0; // clock of the sweep's start, ms
    uint32_t run = 0;       // the run under way, from 1; 0 when none started
};

struct SweepState {
    std::array<bool, 3> RandomizeFlags{}; // land uses whose weights analysis 1 draws
    uint32_t RunCount = 0;                // runs started by analysis 1's check since its start
    double NoiseValue = 0;                // noise amplitude of the current analysis-2 run
    uint8_t NoiseRow = 0;                 // weight-table row analysis 2 varies, 1..3; 0 at start
    SweepProgress Progress1;
    SweepProgress Progress2;
};

} // namespace landuse
