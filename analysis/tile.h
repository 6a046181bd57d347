#pragma once
// One square tile of the rank-size measure.

#include <cstdint>

namespace landuse {

struct TTile {
    int32_t Population = 0; // settled cells at the last measure
    int32_t PrevRank = 0;   // rank at the end of the previous measure, 0 before the first
    int32_t Rank = 0;       // 1-based; kept while the population is 1 or less
    int32_t RankChange = 0; // Rank - PrevRank
    int32_t TileNumber = 0; // row-major position, never changes
};

} // namespace landuse
