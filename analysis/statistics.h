#pragma once
// The four per-step figures of a run, from the agent list.

#include "agents/agent.h"

#include <cstdint>
#include <vector>

namespace landuse {

struct RunStatistics {
    int64_t Successful = 0; // % of agents that completed a trip
    int64_t TravelTime = 0; // 100 x mean TripSteps
    int64_t Migrated = 0;   // % of agents that moved their home
    int64_t Returning = 0;  // % of agents on their way home
};

// S / N x 100 to the nearest whole number, halves to the even neighbour,
// computed exactly in integers: 23 of 40 is 57.5 and gives 58, where binary
// floating point would see 57.4999... A sum of 0 (and so N = 0) gives 0.
int64_t PercentOf(int64_t sum, int64_t count);

RunStatistics ComputeRunStatistics(const std::vector<TAgent>& agents);

} // namespace landuse
