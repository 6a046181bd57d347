#include "model/random.h"

#include <chrono>

namespace landuse {

void TRandom::reseed(uint64_t seed)
{
    // splitmix64 spreads any seed, 0 included, over the whole state.
    for (uint64_t& word : s_)
        word = SplitMix64(seed);
}

uint64_t TRandom::clockSeed()
{
    return uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

} // namespace landuse
