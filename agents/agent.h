#pragma once
// One walking member of the population.

#include <array>
#include <cstdint>

namespace landuse {

inline constexpr int32_t Searching = 0; // outbound, looking for a destination
inline constexpr int32_t Returning = 1; // homebound

struct TStepDir {
    int32_t dx = 0;
    int32_t dy = 0;
};

// The sniffing window holds at most the eight compass directions, so the
// candidate lists are fixed arrays with a count: no allocation per step.
struct TAgent {
    int32_t PosX = 0;       // cell the agent stands on
    int32_t PosY = 0;
    int32_t HomeX = 0;      // home cell
    int32_t HomeY = 0;
    int32_t Migrated = 0;   // 1 once the home has moved
    int32_t TripSteps = 0;  // steps since the agent last left home
    int32_t State = Searching;
    int32_t Successful = 0; // 1 once a trip out and home was completed
    int32_t PixelX = 0;     // pixel centre of the current cell
    int32_t PixelY = 0;
    int32_t Heading = 0;    // whole degrees, 0 along +x, 90 along +y
    int32_t StepX = 0;      // next move, -1..1
    int32_t StepY = 0;
    std::array<TStepDir, 8> Candidates{};
    std::array<double, 8> Weights{}; // scent share per candidate, percent
    int32_t CandidateCount = 0;
    double ScentSum = 0;
};

} // namespace landuse
