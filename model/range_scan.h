#pragma once
// Running maximum and minimum the way the model compares: a value replaces
// the bound only when it is strictly beyond it, so NaN never enters.
//
// The model scans the cells in row order, so among values that compare equal
// but differ in bits (only 0 and -0) the low bound is the first one met.
// RangeScan keeps two interleaved halves (even and odd cells), since one
// chain of compares is bound by latency, and the wide scans below run in
// any order; both give the same maximum and minimum down to the bit, except
// for the sign of a zero low bound. A high bound never holds a zero (it
// starts above 0). So the scans also note whether any value has its sign bit
// set: only then can a zero low bound be -0, and ExactLow settles it by the
// scan in row order.

#include "model/cell.h"
#include "model/grid.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

inline double cellWord(const TCell& cell, int word)
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
        const double v = cellWord(cells[i], word);
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

// True when a world with this kernel choice runs the AVX-512 code.
bool UsesAvx512(GridKernels kernels);

#if defined(__x86_64__)

#define LANDUSE_AVX512 __attribute__((target("avx512f,avx512dq,avx512vl,avx512bw")))

// Four cells are 24 words, three vectors of eight; lane l of vector j holds
// word (8 * j + l) % 6 of its cell. Returns the lanes of vector j that hold a
// word in `words` (bit w for word w).
constexpr unsigned BlockLanes(int j, unsigned words)
{
    unsigned lanes = 0;
    for (int l = 0; l < 8; ++l)
        if (words >> ((8 * j + l) % CellWords) & 1u)
            lanes |= 1u << l;
    return lanes;
}

// The lanes of vector j of a block that lie within the first `cells` cells.
constexpr unsigned BlockTail(int j, size_t cells)
{
    const int words = int(cells) * CellWords - 8 * j;
    return words >= 8 ? 0xffu : words <= 0 ? 0u : (1u << words) - 1u;
}

// Vector j's lanes filled with per-word constants.
inline void BlockConstants(int j, const double perWord[CellWords], double lanes[8])
{
    for (int l = 0; l < 8; ++l)
        lanes[l] = perWord[(8 * j + l) % CellWords];
}

// The number of cells before the first one on a 64-byte boundary (at most
// `count`), so that whole blocks after them load whole cache lines.
inline size_t BlockHead(const TCell* cells, size_t count)
{
    size_t head = 0;
    while (head < 4 && (reinterpret_cast<uintptr_t>(cells + head) & 63) != 0)
        ++head;
    head = head == 4 ? 0 : head;
    return head < count ? head : count;
}

// Whole passes over the grid read it from the last-level cache, and waiting
// for it is most of their time: the block this many blocks ahead is fetched
// while one is worked on.
inline constexpr size_t PrefetchBlocks = 8;

inline void PrefetchBlock(const TCell* cells, size_t block, size_t blocks)
{
    if (block + PrefetchBlocks < blocks) {
        const char* p = reinterpret_cast<const char*>(cells + 4 * (block + PrefetchBlocks));
        _mm_prefetch(p, _MM_HINT_T0);
        _mm_prefetch(p + 64, _MM_HINT_T0);
        _mm_prefetch(p + 128, _MM_HINT_T0);
    }
}

// Running bounds of one vector's lanes, with the compares of RangeScan:
// max(v, acc) is v > acc ? v : acc.
struct WideLanes {
    __m512d hi;
    __m512d lo;
    __m512i sign;
};

LANDUSE_AVX512 inline void WideAdd(WideLanes& a, __mmask8 lanes, __m512d v)
{
    a.hi = _mm512_mask_max_pd(a.hi, lanes, v, a.hi);
    a.lo = _mm512_mask_min_pd(a.lo, lanes, v, a.lo);
    a.sign = _mm512_mask_or_epi64(a.sign, lanes, a.sign, _mm512_castpd_si512(v));
}

// A short block of `cells` cells at q, at either end of a scan.
LANDUSE_AVX512 inline void WidePartBlock(WideLanes& a0, WideLanes& a1, WideLanes& a2, __mmask8 m0, __mmask8 m1,
                                         __mmask8 m2, size_t cells, const double* q)
{
    const __mmask8 p0 = __mmask8(m0 & BlockTail(0, cells));
    const __mmask8 p1 = __mmask8(m1 & BlockTail(1, cells));
    const __mmask8 p2 = __mmask8(m2 & BlockTail(2, cells));
    WideAdd(a0, p0, _mm512_maskz_loadu_pd(p0, q));
    WideAdd(a1, p1, _mm512_maskz_loadu_pd(p1, q + 8));
    WideAdd(a2, p2, _mm512_maskz_loadu_pd(p2, q + 16));
}

// Merges one vector's lanes into the bounds of their words.
LANDUSE_AVX512 inline void WideMerge(const WideLanes& a, int j, double hi[CellWords], double lo[CellWords],
                                     bool signedSeen[CellWords])
{
    double h[8], l[8];
    uint64_t s[8];
    _mm512_storeu_pd(h, a.hi);
    _mm512_storeu_pd(l, a.lo);
    _mm512_storeu_si512(s, a.sign);
    for (int lane = 0; lane < 8; ++lane) {
        const int w = (8 * j + lane) % CellWords;
        hi[w] = h[lane] > hi[w] ? h[lane] : hi[w];
        lo[w] = l[lane] < lo[w] ? l[lane] : lo[w];
        signedSeen[w] = signedSeen[w] || (s[lane] >> 63) != 0;
    }
}

// Bounds of each word in `words` over all cells with the compares of
// RangeScan, in whatever order is fastest. hi and lo come out exactly as
// RangeScan would give them except for the sign of a zero low bound, so
// signedSeen[w] tells whether any value of word w has its sign bit set: when
// it has not, every zero is 0, and when it has, ExactLow settles the bound.
// (The bounds are kept in named variables: GCC leaves arrays of vectors in
// memory here, and the stores would cost more than the scan.)
LANDUSE_AVX512 inline void WideScan(const TCell* cells, size_t count, unsigned words, double hiStart, double loStart,
                                    double hi[CellWords], double lo[CellWords], bool signedSeen[CellWords])
{
    const __m512d hi0 = _mm512_set1_pd(hiStart);
    const __m512d lo0 = _mm512_set1_pd(loStart);
    WideLanes a0{hi0, lo0, _mm512_setzero_si512()};
    WideLanes a1 = a0;
    WideLanes a2 = a0;
    const __mmask8 m0 = __mmask8(BlockLanes(0, words));
    const __mmask8 m1 = __mmask8(BlockLanes(1, words));
    const __mmask8 m2 = __mmask8(BlockLanes(2, words));

    const size_t head = BlockHead(cells, count);
    const size_t blocks = (count - head) / 4;
    const size_t rest = (count - head) % 4;
    const double* q = reinterpret_cast<const double*>(cells);
    WidePartBlock(a0, a1, a2, m0, m1, m2, head, q);
    q += CellWords * head;
    for (size_t b = 0; b < blocks; ++b, q += 24) {
        PrefetchBlock(cells + head, b, blocks);
        WideAdd(a0, m0, _mm512_loadu_pd(q));
        WideAdd(a1, m1, _mm512_loadu_pd(q + 8));
        WideAdd(a2, m2, _mm512_loadu_pd(q + 16));
    }
    WidePartBlock(a0, a1, a2, m0, m1, m2, rest, q);

    for (int w = 0; w < CellWords; ++w) {
        hi[w] = hiStart;
        lo[w] = loStart;
        signedSeen[w] = false;
    }
    WideMerge(a0, 0, hi, lo, signedSeen);
    WideMerge(a1, 1, hi, lo, signedSeen);
    WideMerge(a2, 2, hi, lo, signedSeen);
}

// The bounds of each word in `words` exactly as a scan in row order finds
// them, down to the sign of a zero.
LANDUSE_AVX512 inline void WideBounds(const TCell* cells, size_t count, unsigned words, double hiStart,
                                      double loStart, double hi[CellWords], double lo[CellWords])
{
    bool signedSeen[CellWords];
    WideScan(cells, count, words, hiStart, loStart, hi, lo, signedSeen);
    for (int w = 0; w < CellWords; ++w)
        if ((words >> w & 1u) != 0 && lo[w] == 0 && signedSeen[w])
            lo[w] = ExactLow(cells, count, w, loStart);
}

#endif

} // namespace landuse
