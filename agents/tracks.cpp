#include "agents/tracks.h"

#include "model/range_scan.h"

namespace landuse {

namespace {

constexpr double TrackHiStart = 0.1;
constexpr double TrackLoStart = 99999999999.0;
constexpr unsigned TrackWords = 1u << TrackWord | 1u << ReturnTrackWord;

#if defined(__x86_64__)

struct RescaleLanes {
    __mmask8 words[3];  // the lanes of the cells the block covers
    __mmask8 track[3];  // track marks among them
    __mmask8 ret[3];    // return marks among them, none when that kind has no span
    __m512d lo[3];
    __m512d f[3];
};

// Track marks: (v - loT) * fT everywhere. Return marks: (v - loR) * fR where
// v > 0. A whole block is stored whole, the other words unchanged: a store
// masked by the compare waits for it and costs a quarter more here.
LANDUSE_AVX512 inline void rescaleBlock(double* q, const RescaleLanes& r)
{
    for (int j = 0; j < 3; ++j) {
        const __m512d v = _mm512_loadu_pd(q + 8 * j);
        const __mmask8 m = r.track[j] | _mm512_mask_cmp_pd_mask(r.ret[j], v, _mm512_setzero_pd(), _CMP_GT_OQ);
        const __m512d d = _mm512_mask_sub_pd(v, m, v, r.lo[j]);
        _mm512_storeu_pd(q + 8 * j, _mm512_mask_mul_pd(v, m, d, r.f[j]));
    }
}

// The same for a block cut short at either end of the grid.
LANDUSE_AVX512 inline void rescalePart(double* q, const RescaleLanes& r)
{
    for (int j = 0; j < 3; ++j) {
        const __m512d v = _mm512_maskz_loadu_pd(r.words[j], q + 8 * j);
        const __mmask8 m = r.track[j] | _mm512_mask_cmp_pd_mask(r.ret[j], v, _mm512_setzero_pd(), _CMP_GT_OQ);
        const __m512d d = _mm512_maskz_sub_pd(m, v, r.lo[j]);
        _mm512_mask_storeu_pd(q + 8 * j, m, _mm512_maskz_mul_pd(m, d, r.f[j]));
    }
}

LANDUSE_AVX512 void rescaleAvx512(TCell* cells, size_t count, bool scaleR, double loR, double fR, double loT,
                                  double fT)
{
    const double loWord[CellWords] = {0, 0, 0, loT, loR, 0};
    const double fWord[CellWords] = {1, 1, 1, fT, fR, 1};
    RescaleLanes all, part;
    for (int j = 0; j < 3; ++j) {
        double tmp[8];
        BlockConstants(j, loWord, tmp);
        all.lo[j] = _mm512_loadu_pd(tmp);
        BlockConstants(j, fWord, tmp);
        all.f[j] = _mm512_loadu_pd(tmp);
        all.track[j] = __mmask8(BlockLanes(j, 1u << TrackWord));
        all.ret[j] = scaleR ? __mmask8(BlockLanes(j, 1u << ReturnTrackWord)) : __mmask8(0);
        all.words[j] = all.track[j] | all.ret[j];
    }
    const auto cut = [&](size_t cells) {
        part = all;
        for (int j = 0; j < 3; ++j) {
            const __mmask8 tail = __mmask8(BlockTail(j, cells));
            part.words[j] &= tail;
            part.track[j] &= tail;
            part.ret[j] &= tail;
        }
    };
    const size_t head = BlockHead(cells, count);
    cut(head);
    rescalePart(reinterpret_cast<double*>(cells), part);
    double* q = reinterpret_cast<double*>(cells + head);
    const size_t blocks = (count - head) / 4;
    for (size_t b = 0; b < blocks; ++b, q += 24) {
        PrefetchBlock(cells + head, b, blocks);
        rescaleBlock(q, all);
    }
    cut((count - head) % 4);
    rescalePart(q, part);
}

#endif

} // namespace

void DecayTracks(Grid& grid, double factor)
{
    TCell* begin = grid.Cells.data();
    TCell* end = begin + grid.Cells.size();
    for (TCell* c = begin; c != end; ++c) {
        c->TrackValue *= factor;
        c->ReturnTrackValue *= factor;
    }
}

void RescaleTracks(Grid& grid)
{
    TCell* begin = grid.Cells.data();
    const size_t count = grid.Cells.size();
    double hiR, loR, hiT, loT;
#if defined(__x86_64__)
    const bool wide = UsesAvx512(grid.Kernels);
    if (wide) {
        double hi[CellWords], lo[CellWords];
        WideBounds(begin, count, TrackWords, TrackHiStart, TrackLoStart, hi, lo);
        hiR = hi[ReturnTrackWord];
        loR = lo[ReturnTrackWord];
        hiT = hi[TrackWord];
        loT = lo[TrackWord];
    } else
#endif
    {
        RangeScan ret(TrackHiStart, TrackLoStart);
        RangeScan track(TrackHiStart, TrackLoStart);
        size_t i = 0;
        for (; i + 1 < count; i += 2) {
            track.add(0, begin[i].TrackValue);
            ret.add(0, begin[i].ReturnTrackValue);
            track.add(1, begin[i + 1].TrackValue);
            ret.add(1, begin[i + 1].ReturnTrackValue);
        }
        if (i < count) {
            track.add(0, begin[i].TrackValue);
            ret.add(0, begin[i].ReturnTrackValue);
        }
        hiR = ret.high();
        loR = SettledLow(ret, begin, count, ReturnTrackWord, TrackLoStart);
        hiT = track.high();
        loT = SettledLow(track, begin, count, TrackWord, TrackLoStart);
    }
    // Each cell's new values depend only on its own and the two ranges, so
    // both kinds are rescaled in one pass.
    const bool scaleR = hiR != loR;
    const bool scaleT = hiT != loT;
    const double fR = scaleR ? 255.0 / (hiR - loR) : 1.0;
    const double fT = scaleT ? 255.0 / (hiT - loT) : 1.0;
    if (!scaleT)
        loT = 0.0;
#if defined(__x86_64__)
    if (wide) {
        rescaleAvx512(begin, count, scaleR, loR, fR, loT, fT);
        return;
    }
#endif
    for (size_t i = 0; i < count; ++i) {
        if (scaleR) {
            const double r = begin[i].ReturnTrackValue;
            begin[i].ReturnTrackValue = r > 0 ? (r - loR) * fR : r;
        }
        begin[i].TrackValue = (begin[i].TrackValue - loT) * fT;
    }
}

} // namespace landuse
