#pragma once
// The state of the two parameter sweeps beyond the world: it survives the
// setups that a sweep runs between its runs.

#include <array>
#include <cstdint>

namespace landuse {

struct SweepState {
    std::array<bool, 3> RandomizeFlags{}; // land uses whose weights analysis 1 draws
    uint32_t RunCount = 0;                // runs started by analysis 1's check since its start
    double NoiseValue = 0;                // noise amplitude of the current analysis-2 run
    uint8_t NoiseRow = 0;                 // weight-table row analysis 2 varies, 1..3; 0 at start
};

} // namespace landuse
