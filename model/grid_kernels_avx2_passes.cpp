// The whole-grid passes of the portable table in AVX2, chosen at run time.
// A cell's TrackValue and ReturnTrackValue are adjacent words, and so are its
// three fields and TrackValue: two cells' marks fill one vector, one cell's
// fields and the word after them another.

#include "model/grid_kernels.h"

#include "model/range_scan.h"

#include <cstring>
#include <limits>

#if defined(__x86_64__)

#include <immintrin.h>

#define LANDUSE_AVX2 __attribute__((target("avx2,fma")))

namespace landuse {

namespace {

// The passes read the grid from the last-level cache; the cells this far
// ahead are fetched while these are worked on.
constexpr size_t PrefetchCells = 32;

inline void prefetchAhead(const TCell* cells, size_t i, size_t count)
{
    if (i + PrefetchCells < count)
        _mm_prefetch(reinterpret_cast<const char*>(cells + i + PrefetchCells), _MM_HINT_T0);
}

// (TrackValue, ReturnTrackValue) of two cells side by side.
LANDUSE_AVX2 inline __m256d marksOfTwo(const TCell* c)
{
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(&c[0].TrackValue)),
                                _mm_loadu_pd(&c[1].TrackValue), 1);
}

LANDUSE_AVX2 inline void storeMarksOfTwo(TCell* c, __m256d v)
{
    _mm_storeu_pd(&c[0].TrackValue, _mm256_castpd256_pd128(v));
    _mm_storeu_pd(&c[1].TrackValue, _mm256_extractf128_pd(v, 1));
}

// Running bounds with the compares of RangeScan: max(v, acc) is
// v > acc ? v : acc, and min(v, acc) is v < acc ? v : acc, so NaN never
// enters.
struct MarkLanes {
    __m256d hi, lo;
    __m256i bits;
};

LANDUSE_AVX2 inline void addMarks(MarkLanes& a, __m256d v)
{
    a.hi = _mm256_max_pd(v, a.hi);
    a.lo = _mm256_min_pd(v, a.lo);
    a.bits = _mm256_or_si256(a.bits, _mm256_castpd_si256(v));
}

// Lanes 0 and 2 hold track marks, 1 and 3 return marks.
LANDUSE_AVX2 void trackBoundsAvx2(const TCell* cells, size_t count, double hi[2], double lo[2])
{
    const MarkLanes start{_mm256_set1_pd(TrackHiStart), _mm256_set1_pd(TrackLoStart), _mm256_setzero_si256()};
    MarkLanes a = start, b = start;
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        prefetchAhead(cells, i, count);
        addMarks(a, marksOfTwo(cells + i));
        addMarks(b, marksOfTwo(cells + i + 2));
    }
    for (; i + 2 <= count; i += 2)
        addMarks(a, marksOfTwo(cells + i));

    double h[8], l[8];
    uint64_t s[8];
    _mm256_storeu_pd(h, a.hi);
    _mm256_storeu_pd(h + 4, b.hi);
    _mm256_storeu_pd(l, a.lo);
    _mm256_storeu_pd(l + 4, b.lo);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(s), a.bits);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(s + 4), b.bits);
    uint64_t signs[2] = {0, 0};
    for (int w = 0; w < 2; ++w) {
        hi[w] = TrackHiStart;
        lo[w] = TrackLoStart;
    }
    for (int lane = 0; lane < 8; ++lane) {
        const int w = lane % 2;
        hi[w] = h[lane] > hi[w] ? h[lane] : hi[w];
        lo[w] = l[lane] < lo[w] ? l[lane] : lo[w];
        signs[w] |= s[lane];
    }
    if (i < count) {
        const double last[2] = {cells[i].TrackValue, cells[i].ReturnTrackValue};
        for (int w = 0; w < 2; ++w) {
            hi[w] = last[w] > hi[w] ? last[w] : hi[w];
            lo[w] = last[w] < lo[w] ? last[w] : lo[w];
            uint64_t bits;
            std::memcpy(&bits, &last[w], sizeof bits);
            signs[w] |= bits;
        }
    }
    // Only the sign of a zero low bound depends on the order of the scan.
    if (lo[0] == 0 && (signs[0] >> 63) != 0)
        lo[0] = ExactLow(cells, count, TrackWord, TrackLoStart);
    if (lo[1] == 0 && (signs[1] >> 63) != 0)
        lo[1] = ExactLow(cells, count, ReturnTrackWord, TrackLoStart);
}

// Track marks (v - loT) * fT everywhere; return marks (v - loR) * fR where
// v > 0 and scaleR, else left as they are, bit for bit.
struct MarkScale {
    __m256d lo, f;
    __m256d always; // the track lanes
    __m256d ifAbove; // the return lanes, none when that kind is not rescaled
};

LANDUSE_AVX2 inline __m256d rescaleMarks(__m256d v, const MarkScale& m)
{
    const __m256d take = _mm256_or_pd(m.always, _mm256_and_pd(m.ifAbove, _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_GT_OQ)));
    return _mm256_blendv_pd(v, _mm256_mul_pd(_mm256_sub_pd(v, m.lo), m.f), take);
}

LANDUSE_AVX2 void rescaleTracksAvx2(TCell* cells, size_t count, const TrackScale& s)
{
    const __m256d ones = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    const MarkScale m{_mm256_setr_pd(s.loT, s.loR, s.loT, s.loR), _mm256_setr_pd(s.fT, s.fR, s.fT, s.fR),
                      _mm256_blend_pd(_mm256_setzero_pd(), ones, 0b0101),
                      s.scaleR ? _mm256_blend_pd(_mm256_setzero_pd(), ones, 0b1010) : _mm256_setzero_pd()};
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        prefetchAhead(cells, i, count);
        storeMarksOfTwo(cells + i, rescaleMarks(marksOfTwo(cells + i), m));
        storeMarksOfTwo(cells + i + 2, rescaleMarks(marksOfTwo(cells + i + 2), m));
    }
    for (; i < count; ++i) {
        // One cell's marks in the low half; the high half is never stored.
        const __m256d v = _mm256_castpd128_pd256(_mm_loadu_pd(&cells[i].TrackValue));
        _mm_storeu_pd(&cells[i].TrackValue, _mm256_castpd256_pd128(rescaleMarks(v, m)));
    }
}

// A cell's three fields (v - lo) * f; the fourth lane, TrackValue, is stored
// as it was loaded.
LANDUSE_AVX2 inline void rescaleCellFields(TCell& c, __m256d lo, __m256d f)
{
    const __m256d v = _mm256_loadu_pd(c.Potential);
    _mm256_storeu_pd(c.Potential, _mm256_blend_pd(_mm256_mul_pd(_mm256_sub_pd(v, lo), f), v, 0b1000));
}

LANDUSE_AVX2 void rescaleFieldsAvx2(TCell* cells, size_t count, const double lo[3], const double f[3])
{
    const __m256d l = _mm256_setr_pd(lo[0], lo[1], lo[2], 0.0);
    const __m256d g = _mm256_setr_pd(f[0], f[1], f[2], 1.0);
    size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        prefetchAhead(cells, i, count);
        rescaleCellFields(cells[i], l, g);
        rescaleCellFields(cells[i + 1], l, g);
    }
    if (i < count)
        rescaleCellFields(cells[i], l, g);
}

// The rescale with the empty-cell survey, as the portable one takes it:
// even cells in lane 0 and odd ones in lane 1 of the bounds, each lane in
// row order, so even a zero bound keeps its sign.
LANDUSE_AVX2 void rescaleFieldsSurveyingAvx2(TCell* cells, size_t count, const double lo[3], const double f[3],
                                            EmptyCellSurvey& empty)
{
    constexpr double Inf = std::numeric_limits<double>::infinity();
    const __m256d l = _mm256_setr_pd(lo[0], lo[1], lo[2], 0.0);
    const __m256d g = _mm256_setr_pd(f[0], f[1], f[2], 1.0);
    const int word = empty.word();
    uint32_t* occupied = empty.occupiedRoom();
    size_t occupiedCount = 0;
    __m128d hi = _mm_set1_pd(-Inf);
    __m128d low = _mm_set1_pd(Inf);
    const auto take = [&](size_t i) LANDUSE_AVX2 {
        rescaleCellFields(cells[i], l, g);
        const bool free = cells[i].LandUse == Empty;
        occupied[occupiedCount] = uint32_t(i);
        occupiedCount += free ? 0 : 1;
        return free;
    };
    size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        prefetchAhead(cells, i, count);
        const bool free0 = take(i);
        const bool free1 = take(i + 1);
        const __m128d v = _mm_setr_pd(CellWord(cells[i], word), CellWord(cells[i + 1], word));
        const __m128d free = _mm_castsi128_pd(_mm_set_epi64x(-int64_t(free1), -int64_t(free0)));
        hi = _mm_max_pd(_mm_blendv_pd(_mm_set1_pd(-Inf), v, free), hi);
        low = _mm_min_pd(_mm_blendv_pd(_mm_set1_pd(Inf), v, free), low);
    }
    double h[2], m[2];
    _mm_storeu_pd(h, hi);
    _mm_storeu_pd(m, low);
    if (i < count && take(i)) {
        const double v = CellWord(cells[i], word);
        h[0] = v > h[0] ? v : h[0];
        m[0] = v < m[0] ? v : m[0];
    }
    empty.finish(h[1] > h[0] ? h[1] : h[0], m[1] < m[0] ? m[1] : m[0], occupiedCount);
}

// The survey of a finished row: even cells go to lanes 0..3 of the survey
// and odd ones to lanes 6..9, two chains of compares rather than one. Lanes
// 3 and 9 take TrackValue on the way and are stored back as they were.
struct SurveyChain {
    __m256d hi, lo;
    __m256i bits;
};

LANDUSE_AVX2 inline SurveyChain loadChain(const FieldSurvey& survey, int lane)
{
    return {_mm256_loadu_pd(survey.laneHi + lane), _mm256_loadu_pd(survey.laneLo + lane),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(survey.laneBits + lane))};
}

LANDUSE_AVX2 inline void storeChain(FieldSurvey& survey, int lane, const SurveyChain& c)
{
    const SurveyChain was = loadChain(survey, lane);
    _mm256_storeu_pd(survey.laneHi + lane, _mm256_blend_pd(c.hi, was.hi, 0b1000));
    _mm256_storeu_pd(survey.laneLo + lane, _mm256_blend_pd(c.lo, was.lo, 0b1000));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(survey.laneBits + lane),
                        _mm256_blend_epi32(c.bits, was.bits, 0b11000000));
}

LANDUSE_AVX2 inline __m256d floorsOf(const FieldSurvey& survey)
{
    return _mm256_setr_pd(survey.candidates[0].floor(), survey.candidates[1].floor(), survey.candidates[2].floor(),
                          std::numeric_limits<double>::infinity());
}

LANDUSE_AVX2 void surveyRowAvx2(const TCell* row, int countX, uint32_t first, FieldSurvey& survey)
{
    SurveyChain chain[2] = {loadChain(survey, 0), loadChain(survey, CellWords)};
    __m256d floors = floorsOf(survey);
    const auto add = [&](SurveyChain& ch, int x) LANDUSE_AVX2 {
        const TCell& c = row[x];
        const __m256d v = _mm256_loadu_pd(c.Potential);
        ch.hi = _mm256_max_pd(v, ch.hi);
        ch.lo = _mm256_min_pd(v, ch.lo);
        ch.bits = _mm256_or_si256(ch.bits, _mm256_castpd_si256(v));
        if (_mm256_movemask_pd(_mm256_cmp_pd(v, floors, _CMP_GT_OQ)) != 0 && c.LandUse == Empty) [[unlikely]] {
            for (int k = 0; k < 3; ++k)
                survey.candidates[k].offer(c.Potential[k], first + uint32_t(x));
            floors = floorsOf(survey);
        }
    };
    int x = 0;
    for (; x + 1 < countX; x += 2) {
        add(chain[0], x);
        add(chain[1], x + 1);
    }
    if (x < countX)
        add(chain[0], x);
    storeChain(survey, 0, chain[0]);
    storeChain(survey, CellWords, chain[1]);
}

} // namespace

void UseAvx2Passes(GridKernelTable& table)
{
    if (!CpuHasAvx2())
        return;
    table.trackBounds = trackBoundsAvx2;
    table.rescaleTracks = rescaleTracksAvx2;
    table.rescaleFields = rescaleFieldsAvx2;
    table.rescaleFieldsSurveying = rescaleFieldsSurveyingAvx2;
    table.surveyRow = surveyRowAvx2;
}

} // namespace landuse

#else

namespace landuse {

void UseAvx2Passes(GridKernelTable&) {}

} // namespace landuse

#endif
