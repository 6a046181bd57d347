#include "model/random.h"

#include <chrono>

namespace landuse {

void TRandom::Seed(uint64_t seed)
{
    // splitmix64 spreads any seed, 0 included, over the whole state.
    for (uint64_t& word : s_) {
        seed += 0x9E3779B97F4A7C15ULL;
        uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        word = z ^ (z >> 31);
    }
}

uint64_t TRandom::ClockSeed()
{
    return uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

} // namespace landuse
