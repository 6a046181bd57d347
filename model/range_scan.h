#pragma once
// Running maximum and minimum the way the model compares: a value replaces
// the bound only when it is strictly beyond it, so NaN never enters.
//
// The model scans the cells in row order, so among values that compare equal
// but differ in bits (only 0 and -0) the low bound is the first one met.
// RangeScan keeps two interleaved halves (even and odd cells), since one
// chain of compares is bound by latency, and the vector kernels run in any
// order; both give the same maximum and minimum down to the bit, except
// for the sign of a zero low bound. A high bound never holds a zero (it
// starts above 0). So the scans also note whether any value has its sign bit
// set: only then can a zero low bound be -0, and ExactLow settles it by the
// scan in row order.

#include "model/cell.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace landuse {

struct RangeScan {
    double hi[2];
    double lo[2];
    uint64_t signs[2] = {0, 0};

    RangeScan(double hiStart, double loStart) : hi{hiStart, hiStart}, lo{loStart, loStart} {}

    void add(int half, double v)
    {
        hi[half] = v > hi[half] ? v : hi[half];
        lo[half] = v < lo[half] ? v : lo[half];
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        signs[half] |= bits;
    }
    double high() const { return hi[1] > hi[0] ? hi[1] : hi[0]; }
    // The low bound up to the sign of a zero; see anySigned.
    double low() const { return lo[1] < lo[0] ? lo[1] : lo[0]; }
    bool anySigned() const { return ((signs[0] | signs[1]) >> 63) != 0; }
};

// A cell read as six 8-byte words: Potential[0..2], TrackValue,
// ReturnTrackValue, and LandUse with AgentCount.
inline constexpr int CellWords = 6;
inline constexpr int TrackWord = 3;
inline constexpr int ReturnTrackWord = 4;
static_assert(sizeof(TCell) == CellWords * sizeof(double));

inline double CellWord(const TCell& cell, int word)
{
    double v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(&cell) + size_t(word) * sizeof(double), sizeof v);
    return v;
}

// The low bound of one word over all cells, scanned in row order.
inline double ExactLow(const TCell* cells, size_t count, int word, double loStart)
{
    double lo = loStart;
    for (size_t i = 0; i < count; ++i) {
        const double v = CellWord(cells[i], word);
        if (v < lo)
            lo = v;
    }
    return lo;
}

// A RangeScan's low bound with the sign of a zero settled.
inline double SettledLow(const RangeScan& range, const TCell* cells, size_t count, int word, double loStart)
{
    const double lo = range.low();
    return lo == 0 && range.anySigned() ? ExactLow(cells, count, word, loStart) : lo;
}

} // namespace landuse
