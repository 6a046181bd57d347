// The grid kernels in AVX-512, chosen at run time: the rest of the build
// targets any x86-64 processor.

#include "model/grid_kernels.h"

#include "model/range_scan.h"

#if defined(__x86_64__)

#include "model/fast_update.h"

#include <immintrin.h>

#include <cstddef>
#include <limits>

#define LANDUSE_AVX512 __attribute__((target("avx512f,avx512dq,avx512vl,avx512bw")))

namespace landuse {

namespace {

constexpr size_t Lead = TLimboRow::Lead;

LANDUSE_AVX512 inline __m512i twinsAvx512(__m512d v, __mmask8& bad)
{
    const __m512d t = _mm512_mul_pd(v, _mm512_set1_pd(FixedScale));
    const __mmask8 inRange = _mm512_cmp_pd_mask(_mm512_abs_pd(v), _mm512_set1_pd(14.0), _CMP_LT_OQ);
    const __m512i f = _mm512_maskz_cvttpd_epi64(inRange, t);
    const __mmask8 exact = _mm512_mask_cmp_pd_mask(inRange, _mm512_cvtepi64_pd(f), t, _CMP_EQ_OQ);
    bad = __mmask8(~exact);
    return f;
}

// Eight cells are six vectors of words; five permutes pull out their 24
// field values in row order. A short last group reads zeros past the row's
// end and writes whole vectors into the padding and slack, which the wrap
// then overwrites or nobody reads.
LANDUSE_AVX512 void loadRowAvx512(TLimboRow& row, const TCell* cells, int countX)
{
    const size_t n = size_t(countX);
    const double* src = reinterpret_cast<const double*>(cells);
    double* value = row.value.data() + Lead;
    int64_t* fixed = row.fixed.data() + Lead;
    uint8_t* inexact = row.inexact.data() + Lead;
    const __m512i pick0 = _mm512_setr_epi64(0, 1, 2, 6, 7, 8, 12, 13);
    const __m512i pick1a = _mm512_setr_epi64(6, 10, 11, 12, 0, 0, 0, 0);
    const __m512i pick1b = _mm512_setr_epi64(0, 1, 2, 3, 8, 9, 10, 14);
    const __m512i pick2a = _mm512_setr_epi64(7, 8, 12, 13, 14, 0, 0, 0);
    const __m512i pick2b = _mm512_setr_epi64(0, 1, 2, 3, 4, 10, 11, 12);
    // The flags are written only where they may be set: nearly every value
    // has a twin, and a row without flags keeps its flags all clear.
    const bool stale = row.anyInexact;
    unsigned anyBad = 0;
    for (size_t x0 = 0; x0 < n; x0 += 8, src += 48, value += 24, fixed += 24, inexact += 24) {
        const size_t cellsHere = n - x0 < 8 ? n - x0 : 8;
        __m512d w[6];
        if (cellsHere == 8) {
            for (int i = 0; i < 6; ++i)
                w[i] = _mm512_loadu_pd(src + 8 * i);
        } else {
            for (int i = 0; i < 6; ++i) {
                const int words = int(cellsHere) * CellWords - 8 * i;
                const __mmask8 m = words >= 8 ? __mmask8(0xff) : words <= 0 ? __mmask8(0) : __mmask8((1u << words) - 1);
                w[i] = _mm512_maskz_loadu_pd(m, src + 8 * i);
            }
        }
        __m512d out[3];
        out[0] = _mm512_permutex2var_pd(w[0], pick0, w[1]);
        out[1] = _mm512_permutex2var_pd(_mm512_permutex2var_pd(w[1], pick1a, w[2]), pick1b, w[3]);
        out[2] = _mm512_permutex2var_pd(_mm512_permutex2var_pd(w[3], pick2a, w[4]), pick2b, w[5]);
        for (int i = 0; i < 3; ++i) {
            __mmask8 bad;
            const __m512i f = twinsAvx512(out[i], bad);
            _mm512_storeu_pd(value + 8 * i, out[i]);
            _mm512_storeu_si512(fixed + 8 * i, f);
            if (stale || bad != 0)
                _mm_storel_epi64(reinterpret_cast<__m128i*>(inexact + 8 * i), _mm_movm_epi8(bad));
            const int values = int(cellsHere) * 3 - 8 * i;
            const unsigned valid = values >= 8 ? 0xffu : values <= 0 ? 0u : (1u << values) - 1u;
            anyBad |= bad & valid;
        }
    }
    row.anyInexact = anyBad != 0;
    WrapLimboRow(row, countX);

    const int64_t* f = row.fixed.data() + Lead;
    int64_t* across = row.across.data();
    for (size_t i = 0; i < 3 * n; i += 8) {
        const __m512i a = _mm512_loadu_si512(f + i - 3);
        const __m512i b = _mm512_load_si512(f + i);
        const __m512i c = _mm512_loadu_si512(f + i + 3);
        _mm512_store_si512(across + i, _mm512_add_epi64(_mm512_add_epi64(a, b), c));
    }
}

LANDUSE_AVX512 void sumsAvx512(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX,
                               int64_t* sums, int64_t* withCentre)
{
    const int64_t* u = up.across.data();
    const int64_t* m = mid.across.data();
    const int64_t* d = down.across.data();
    const int64_t* centre = mid.fixed.data() + Lead;
    for (size_t i = 0; i < 3 * size_t(countX); i += 8) {
        const __m512i c = _mm512_load_si512(centre + i);
        const __m512i s = _mm512_sub_epi64(
            _mm512_add_epi64(_mm512_add_epi64(_mm512_load_si512(u + i), _mm512_load_si512(m + i)),
                             _mm512_load_si512(d + i)),
            c);
        _mm512_store_si512(sums + i, s);
        _mm512_store_si512(withCentre + i, _mm512_add_epi64(s, _mm512_maskz_slli_epi64(__mmask8(0xff), c, 3)));
    }
}

LANDUSE_AVX512 inline __m512i centreSumsAvx512(const int64_t* u, const int64_t* m, const int64_t* d,
                                              const int64_t* centre, size_t i)
{
    const __m512i c = _mm512_load_si512(centre + i);
    const __m512i across = _mm512_add_epi64(_mm512_add_epi64(_mm512_load_si512(u + i), _mm512_load_si512(m + i)),
                                            _mm512_load_si512(d + i));
    // The masked shift, since GCC takes the plain one's operand for uninitialised.
    return _mm512_add_epi64(across, _mm512_sub_epi64(_mm512_maskz_slli_epi64(__mmask8(0xff), c, 3), c));
}

// Eight cells a turn: twenty-four sums and eight draws, so that the
// generator's chain of dependent steps runs beside the loads and stores.
// The sums go as far as sumsAvx512 takes them, into the rows' slack; the
// draws stop at the last cell.
LANDUSE_AVX512 void centreSumsDrawingAvx512(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down,
                                            int countX, int64_t* withCentre, double* draws, TRandom& rng,
                                            const TCell* next)
{
    const int64_t* u = up.across.data();
    const int64_t* m = mid.across.data();
    const int64_t* d = down.across.data();
    const int64_t* centre = mid.fixed.data() + Lead;
    const size_t cells = size_t(countX);
    const size_t values = 3 * cells;
    TRandom local = rng;
    size_t x = 0;
    for (; x + 8 <= cells; x += 8) {
        for (size_t j = 0; j < 24; j += 8)
            _mm512_store_si512(withCentre + 3 * x + j, centreSumsAvx512(u, m, d, centre, 3 * x + j));
        for (size_t c = 0; c < 8; ++c) {
            __builtin_prefetch(next + x + c);
            draws[x + c] = local.Random();
        }
    }
    for (size_t i = 3 * x; i < values; i += 8)
        _mm512_store_si512(withCentre + i, centreSumsAvx512(u, m, d, centre, i));
    for (; x < cells; ++x) {
        __builtin_prefetch(next + x);
        draws[x] = local.Random();
    }
    rng = local;
}

// Eight values of the update, as the AVX2 kernel computes four (see
// fast_update.h); returns the lanes that cannot be vouched for. `whole`
// has the lanes whose noise makes every product whole.
LANDUSE_AVX512 inline __m512d updateLanesAvx512(__m512i a, __m512d r, __m512d n, __mmask8 whole, __mmask8& unsure)
{
    const __m512d lo = _mm512_cvtepi64_pd(_mm512_and_si512(a, _mm512_set1_epi64(0xffffffff)));
    const __m512d hi = _mm512_cvtepi64_pd(_mm512_and_si512(a, _mm512_set1_epi64(~int64_t(0xffffffff))));

    const __m512d ph = _mm512_mul_pd(r, n);
    const __m512d pl = _mm512_fmsub_pd(r, n, ph);
    const __m512d s = _mm512_add_pd(hi, ph);
    const __m512d sv = _mm512_sub_pd(s, hi);
    const __m512d e = _mm512_add_pd(_mm512_sub_pd(hi, _mm512_sub_pd(s, sv)), _mm512_sub_pd(ph, sv));
    const __m512d t = _mm512_add_pd(_mm512_add_pd(lo, pl), e);
    const __m512d y = _mm512_add_pd(s, t);
    const __m512d rem = _mm512_sub_pd(t, _mm512_sub_pd(y, s)); // exact wherever the bound can hold

    const __m512d err = _mm512_add_pd(
        _mm512_abs_pd(rem), _mm512_fmadd_pd(_mm512_add_pd(_mm512_abs_pd(ph), _mm512_abs_pd(hi)),
                                            _mm512_set1_pd(FastUpdateRelativeError), _mm512_set1_pd(FastUpdateAbsoluteError)));

    const __m512i yBits = _mm512_castpd_si512(y);
    const __m512d halfUlp = _mm512_mul_pd(
        _mm512_castsi512_pd(_mm512_and_si512(yBits, _mm512_set1_epi64(0x7ff0000000000000))), _mm512_set1_pd(FastUpdateHalfUlp));
    const __mmask8 bounded = _mm512_cmp_pd_mask(err, halfUlp, _CMP_LT_OQ)
        & _mm512_test_epi64_mask(yBits, _mm512_set1_epi64(0x000fffffffffffff));
    const __mmask8 sure = bounded | (whole & _mm512_cmp_pd_mask(y, _mm512_setzero_pd(), _CMP_NEQ_OQ));
    unsure = __mmask8(~sure);
    return _mm512_mul_pd(y, _mm512_set1_pd(0x1p-58));
}

// Twenty-four values in field order are eight cells' Potential: six masked
// stores over the cells' 48 words, each touching only Potential words.
LANDUSE_AVX512 inline void storeEightCellsAvx512(TCell* out, __m512d v0, __m512d v1, __m512d v2)
{
    static_assert(offsetof(TCell, Potential) == 0 && sizeof(TCell) == 6 * sizeof(double));
    double* w = reinterpret_cast<double*>(out);
    const __mmask8 all = 0xff;
    const __mmask8 front = 0xc7, middle = 0x71, back = 0x1c; // the Potential words of words 8j .. 8j + 7
    _mm512_mask_storeu_pd(w, front, _mm512_maskz_permutexvar_pd(all, _mm512_setr_epi64(0, 1, 2, 0, 0, 0, 3, 4), v0));
    _mm512_mask_storeu_pd(w + 8, middle, _mm512_maskz_permutex2var_pd(all, v0, _mm512_setr_epi64(5, 0, 0, 0, 6, 7, 8, 0), v1));
    _mm512_mask_storeu_pd(w + 16, back, _mm512_maskz_permutexvar_pd(all, _mm512_setr_epi64(0, 0, 1, 2, 3, 0, 0, 0), v1));
    _mm512_mask_storeu_pd(w + 24, front, _mm512_maskz_permutex2var_pd(all, v1, _mm512_setr_epi64(4, 5, 6, 0, 0, 0, 7, 8), v2));
    _mm512_mask_storeu_pd(w + 32, middle, _mm512_maskz_permutexvar_pd(all, _mm512_setr_epi64(1, 0, 0, 0, 2, 3, 4, 0), v2));
    _mm512_mask_storeu_pd(w + 40, back, _mm512_maskz_permutexvar_pd(all, _mm512_setr_epi64(0, 0, 5, 6, 7, 0, 0, 0), v2));
}

LANDUSE_AVX512 size_t updateRowOneAvx512(TCell* out, int countX, const int64_t* withCentre, const double* draws,
                                         const double noise[3], uint32_t* unsure)
{
    // The masked forms throughout: the plain ones trip a warning in the
    // compiler's own headers.
    const double p = noise[0], s = noise[1], d = noise[2];
    const __m512d n0 = _mm512_setr_pd(p, s, d, p, s, d, p, s);
    const __m512d n1 = _mm512_setr_pd(d, p, s, d, p, s, d, p);
    const __m512d n2 = _mm512_setr_pd(s, d, p, s, d, p, s, d);
    const __mmask8 all = 0xff;
    const __m512i cell0 = _mm512_setr_epi64(0, 0, 0, 1, 1, 1, 2, 2);
    const __m512i cell1 = _mm512_setr_epi64(2, 3, 3, 3, 4, 4, 4, 5);
    const __m512i cell2 = _mm512_setr_epi64(5, 5, 6, 6, 6, 7, 7, 7);
    const bool wholeField[3] = {FastUpdateWholeNoise(p), FastUpdateWholeNoise(s), FastUpdateWholeNoise(d)};
    __mmask8 whole0 = 0, whole1 = 0, whole2 = 0;
    for (unsigned l = 0; l < 8; ++l) {
        whole0 |= __mmask8(unsigned(wholeField[l % 3]) << l);
        whole1 |= __mmask8(unsigned(wholeField[(l + 8) % 3]) << l);
        whole2 |= __mmask8(unsigned(wholeField[(l + 16) % 3]) << l);
    }
    const size_t cells = size_t(countX);
    size_t count = 0;
    size_t x = 0;
    // The last group reads the rows' slack and lands in scratch cells, of
    // which only those in the row are copied out.
    TCell spare[8];
    for (; x < cells; x += 8) {
        const bool whole = x + 8 <= cells;
        TCell* to = whole ? out + x : spare;
        const size_t i = 3 * x;
        const __m512d r = _mm512_loadu_pd(draws + x);
        __mmask8 u0, u1, u2;
        const __m512d v0 = updateLanesAvx512(_mm512_loadu_si512(withCentre + i), _mm512_maskz_permutexvar_pd(all, cell0, r), n0, whole0, u0);
        const __m512d v1
            = updateLanesAvx512(_mm512_loadu_si512(withCentre + i + 8), _mm512_maskz_permutexvar_pd(all, cell1, r), n1, whole1, u1);
        const __m512d v2
            = updateLanesAvx512(_mm512_loadu_si512(withCentre + i + 16), _mm512_maskz_permutexvar_pd(all, cell2, r), n2, whole2, u2);
        storeEightCellsAvx512(to, v0, v1, v2);
        uint32_t lanes = uint32_t(u0) | uint32_t(u1) << 8 | uint32_t(u2) << 16;
        if (!whole) {
            for (size_t c = 0; x + c < cells; ++c)
                for (int k = 0; k < 3; ++k)
                    out[x + c].Potential[k] = spare[c].Potential[k];
            lanes &= (1u << (3 * (cells - x))) - 1u;
        }
        if (lanes != 0) [[unlikely]] {
            for (uint32_t l = lanes; l != 0; l &= l - 1)
                unsure[count++] = uint32_t(i) + uint32_t(__builtin_ctz(l));
        }
    }
    return count;
}

LANDUSE_AVX512 size_t listInexactAvx512(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down,
                                        int countX, TLimbo& limbo)
{
    const uint8_t* a = up.inexact.data();
    const uint8_t* b = mid.inexact.data();
    const uint8_t* d = down.inexact.data();
    uint32_t* list = limbo.redo.data();
    const auto column = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const size_t values = 3 * size_t(countX);
    const __m512i lane = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    size_t count = 0;
    for (size_t i = 0; i < values; i += 16) {
        __m128i any = _mm_setzero_si128();
        for (size_t o = Lead - 3; o <= Lead + 3; o += 3) {
            const __m128i rows = _mm_or_si128(_mm_or_si128(column(a + i + o), column(b + i + o)), column(d + i + o));
            any = _mm_or_si128(any, rows);
        }
        __mmask16 hit = _mm_test_epi8_mask(any, any);
        if (values - i < 16)
            hit &= __mmask16((1u << (values - i)) - 1);
        const __m512i index = _mm512_add_epi32(_mm512_set1_epi32(int(i)), lane);
        _mm512_storeu_si512(list + count, _mm512_maskz_compress_epi32(hit, index));
        count += size_t(__builtin_popcount(hit));
    }
    return count;
}

// Four cells are 24 words, three vectors of eight; lane l of vector j holds
// word (8 * j + l) % 6 of its cell. Returns the lanes of vector j that hold a
// word in `words` (bit w for word w).
constexpr unsigned blockLanes(int j, unsigned words)
{
    unsigned lanes = 0;
    for (int l = 0; l < 8; ++l)
        if (words >> ((8 * j + l) % CellWords) & 1u)
            lanes |= 1u << l;
    return lanes;
}

// The lanes of vector j of a block that lie within the first `cells` cells.
constexpr unsigned blockTail(int j, size_t cells)
{
    const int words = int(cells) * CellWords - 8 * j;
    return words >= 8 ? 0xffu : words <= 0 ? 0u : (1u << words) - 1u;
}

// Vector j's lanes filled with per-word constants.
LANDUSE_AVX512 inline __m512d blockConstants(int j, const double perWord[CellWords])
{
    double lanes[8];
    for (int l = 0; l < 8; ++l)
        lanes[l] = perWord[(8 * j + l) % CellWords];
    return _mm512_loadu_pd(lanes);
}

// The number of cells before the first one on a 64-byte boundary (at most
// `count`), so that whole blocks after them load whole cache lines.
inline size_t blockHead(const TCell* cells, size_t count)
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
constexpr size_t PrefetchBlocks = 8;

inline void prefetchBlock(const TCell* cells, size_t block, size_t blocks)
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
    __m512i bits;
};

LANDUSE_AVX512 inline void wideAdd(WideLanes& a, __mmask8 lanes, __m512d v)
{
    a.hi = _mm512_mask_max_pd(a.hi, lanes, v, a.hi);
    a.lo = _mm512_mask_min_pd(a.lo, lanes, v, a.lo);
    a.bits = _mm512_mask_or_epi64(a.bits, lanes, a.bits, _mm512_castpd_si512(v));
}

// A short block of `cells` cells at q, at either end of a scan.
LANDUSE_AVX512 inline void widePartBlock(WideLanes& a0, WideLanes& a1, WideLanes& a2, __mmask8 m0, __mmask8 m1,
                                         __mmask8 m2, size_t cells, const double* q)
{
    const __mmask8 p0 = __mmask8(m0 & blockTail(0, cells));
    const __mmask8 p1 = __mmask8(m1 & blockTail(1, cells));
    const __mmask8 p2 = __mmask8(m2 & blockTail(2, cells));
    wideAdd(a0, p0, _mm512_maskz_loadu_pd(p0, q));
    wideAdd(a1, p1, _mm512_maskz_loadu_pd(p1, q + 8));
    wideAdd(a2, p2, _mm512_maskz_loadu_pd(p2, q + 16));
}

// Merges one vector's lanes into the bounds of their words.
LANDUSE_AVX512 inline void wideMerge(const WideLanes& a, int j, double hi[CellWords], double lo[CellWords],
                                     bool signedSeen[CellWords])
{
    double h[8], l[8];
    uint64_t s[8];
    _mm512_storeu_pd(h, a.hi);
    _mm512_storeu_pd(l, a.lo);
    _mm512_storeu_si512(s, a.bits);
    for (int lane = 0; lane < 8; ++lane) {
        const int w = (8 * j + lane) % CellWords;
        hi[w] = h[lane] > hi[w] ? h[lane] : hi[w];
        lo[w] = l[lane] < lo[w] ? l[lane] : lo[w];
        signedSeen[w] = signedSeen[w] || (s[lane] >> 63) != 0;
    }
}

// The bounds of each word in `words` over all cells exactly as a scan in row
// order finds them. The scan itself runs in whatever order is fastest, which
// can change only the sign of a zero low bound, so it also notes whether any
// value has its sign bit set: when none has, every zero is 0, and when one
// has, ExactLow settles the bound. (The bounds are kept in named variables:
// GCC leaves arrays of vectors in memory here, and the stores would cost
// more than the scan.)
LANDUSE_AVX512 void wideBounds(const TCell* cells, size_t count, unsigned words, double hiStart, double loStart,
                               double hi[CellWords], double lo[CellWords])
{
    const __m512d hi0 = _mm512_set1_pd(hiStart);
    const __m512d lo0 = _mm512_set1_pd(loStart);
    WideLanes a0{hi0, lo0, _mm512_setzero_si512()};
    WideLanes a1 = a0;
    WideLanes a2 = a0;
    const __mmask8 m0 = __mmask8(blockLanes(0, words));
    const __mmask8 m1 = __mmask8(blockLanes(1, words));
    const __mmask8 m2 = __mmask8(blockLanes(2, words));

    const size_t head = blockHead(cells, count);
    const size_t blocks = (count - head) / 4;
    const size_t rest = (count - head) % 4;
    const double* q = reinterpret_cast<const double*>(cells);
    widePartBlock(a0, a1, a2, m0, m1, m2, head, q);
    q += CellWords * head;
    for (size_t b = 0; b < blocks; ++b, q += 24) {
        prefetchBlock(cells + head, b, blocks);
        wideAdd(a0, m0, _mm512_loadu_pd(q));
        wideAdd(a1, m1, _mm512_loadu_pd(q + 8));
        wideAdd(a2, m2, _mm512_loadu_pd(q + 16));
    }
    widePartBlock(a0, a1, a2, m0, m1, m2, rest, q);

    bool signedSeen[CellWords];
    for (int w = 0; w < CellWords; ++w) {
        hi[w] = hiStart;
        lo[w] = loStart;
        signedSeen[w] = false;
    }
    wideMerge(a0, 0, hi, lo, signedSeen);
    wideMerge(a1, 1, hi, lo, signedSeen);
    wideMerge(a2, 2, hi, lo, signedSeen);
    for (int w = 0; w < CellWords; ++w)
        if ((words >> w & 1u) != 0 && lo[w] == 0 && signedSeen[w])
            lo[w] = ExactLow(cells, count, w, loStart);
}

LANDUSE_AVX512 void fieldBoundsAvx512(const TCell* cells, size_t count, double hi[3], double lo[3])
{
    double h[CellWords], l[CellWords];
    wideBounds(cells, count, 0b111, FieldHiStart, FieldLoStart, h, l);
    for (int k = 0; k < 3; ++k) {
        hi[k] = h[k];
        lo[k] = l[k];
    }
}

LANDUSE_AVX512 void trackBoundsAvx512(const TCell* cells, size_t count, double hi[2], double lo[2])
{
    double h[CellWords], l[CellWords];
    wideBounds(cells, count, 1u << TrackWord | 1u << ReturnTrackWord, TrackHiStart, TrackLoStart, h, l);
    hi[0] = h[TrackWord];
    lo[0] = l[TrackWord];
    hi[1] = h[ReturnTrackWord];
    lo[1] = l[ReturnTrackWord];
}

// The survey's lanes as vectors: lane 8 * j + l of the survey is lane l of
// vector j of a block.
struct SurveyLanes {
    WideLanes a0, a1, a2;
    __m512d floor0, floor1, floor2; // each field's floor in the lanes of its word
    double floors[3];

    LANDUSE_AVX512 void load(const FieldSurvey& survey)
    {
        a0 = {_mm512_load_pd(survey.laneHi), _mm512_load_pd(survey.laneLo), _mm512_load_si512(survey.laneBits)};
        a1 = {_mm512_load_pd(survey.laneHi + 8), _mm512_load_pd(survey.laneLo + 8),
              _mm512_load_si512(survey.laneBits + 8)};
        a2 = {_mm512_load_pd(survey.laneHi + 16), _mm512_load_pd(survey.laneLo + 16),
              _mm512_load_si512(survey.laneBits + 16)};
        loadFloors(survey);
    }

    LANDUSE_AVX512 void loadFloors(const FieldSurvey& survey)
    {
        const double inf = std::numeric_limits<double>::infinity();
        for (int k = 0; k < 3; ++k)
            floors[k] = survey.candidates[k].floor();
        const double perWord[CellWords] = {floors[0], floors[1], floors[2], inf, inf, inf};
        floor0 = blockConstants(0, perWord);
        floor1 = blockConstants(1, perWord);
        floor2 = blockConstants(2, perWord);
    }

    // Offers the empty cells of a block that the vector compare found above a
    // floor; the floors follow the pools.
    LANDUSE_AVX512 void offer(const TCell* cells, unsigned above, uint32_t first, FieldSurvey& survey)
    {
        for (size_t c = 0; c < 4; ++c)
            if ((above >> (CellWords * c) & 0b111u) != 0 && cells[c].LandUse == Empty)
                for (int k = 0; k < 3; ++k)
                    survey.candidates[k].offer(cells[c].Potential[k], first + uint32_t(c));
        if (survey.candidates[0].floor() != floors[0] || survey.candidates[1].floor() != floors[1]
            || survey.candidates[2].floor() != floors[2])
            loadFloors(survey);
    }

    // The words of the block's cells above their field's floor, bit w for
    // word w of the block.
    LANDUSE_AVX512 unsigned above(__mmask8 m0, __mmask8 m1, __mmask8 m2, __m512d v0, __m512d v1, __m512d v2) const
    {
        return unsigned(_mm512_mask_cmp_pd_mask(m0, v0, floor0, _CMP_GT_OQ))
            | unsigned(_mm512_mask_cmp_pd_mask(m1, v1, floor1, _CMP_GT_OQ)) << 8
            | unsigned(_mm512_mask_cmp_pd_mask(m2, v2, floor2, _CMP_GT_OQ)) << 16;
    }

    LANDUSE_AVX512 void store(FieldSurvey& survey) const
    {
        _mm512_store_pd(survey.laneHi, a0.hi);
        _mm512_store_pd(survey.laneLo, a0.lo);
        _mm512_store_si512(survey.laneBits, a0.bits);
        _mm512_store_pd(survey.laneHi + 8, a1.hi);
        _mm512_store_pd(survey.laneLo + 8, a1.lo);
        _mm512_store_si512(survey.laneBits + 8, a1.bits);
        _mm512_store_pd(survey.laneHi + 16, a2.hi);
        _mm512_store_pd(survey.laneLo + 16, a2.lo);
        _mm512_store_si512(survey.laneBits + 16, a2.bits);
    }
};

LANDUSE_AVX512 inline void mergeLanes(WideLanes& into, const WideLanes& from)
{
    into.hi = _mm512_mask_max_pd(into.hi, 0xff, from.hi, into.hi);
    into.lo = _mm512_mask_min_pd(into.lo, 0xff, from.lo, into.lo);
    into.bits = _mm512_or_si512(into.bits, from.bits);
}

// Whole blocks go through two sets of lanes in turn, since each set is a
// chain of dependent compares; lanes of words other than the fields take
// whatever comes and are never read.
LANDUSE_AVX512 void surveyRowAvx512(const TCell* row, int countX, uint32_t first, FieldSurvey& survey)
{
    SurveyLanes s;
    s.load(survey);
    WideLanes b0 = s.a0, b1 = s.a1, b2 = s.a2;
    constexpr __mmask8 f0 = __mmask8(blockLanes(0, 0b111));
    constexpr __mmask8 f1 = __mmask8(blockLanes(1, 0b111));
    constexpr __mmask8 f2 = __mmask8(blockLanes(2, 0b111));
    const size_t count = size_t(countX);
    size_t c = 0;
    const auto whole = [&](WideLanes& x0, WideLanes& x1, WideLanes& x2) LANDUSE_AVX512 {
        const double* q = reinterpret_cast<const double*>(row + c);
        const __m512d v0 = _mm512_loadu_pd(q);
        const __m512d v1 = _mm512_loadu_pd(q + 8);
        const __m512d v2 = _mm512_loadu_pd(q + 16);
        wideAdd(x0, 0xff, v0);
        wideAdd(x1, 0xff, v1);
        wideAdd(x2, 0xff, v2);
        const unsigned above = s.above(f0, f1, f2, v0, v1, v2);
        if (above != 0)
            s.offer(row + c, above, first + uint32_t(c), survey);
    };
    for (; c + 8 <= count; c += 8) {
        whole(s.a0, s.a1, s.a2);
        c += 4;
        whole(b0, b1, b2);
        c -= 4;
    }
    for (; c + 4 <= count; c += 4)
        whole(s.a0, s.a1, s.a2);
    if (c < count) {
        const size_t cells = count - c;
        const __mmask8 m0 = __mmask8(f0 & blockTail(0, cells));
        const __mmask8 m1 = __mmask8(f1 & blockTail(1, cells));
        const __mmask8 m2 = __mmask8(f2 & blockTail(2, cells));
        const double* q = reinterpret_cast<const double*>(row + c);
        const __m512d v0 = _mm512_maskz_loadu_pd(m0, q);
        const __m512d v1 = _mm512_maskz_loadu_pd(m1, q + 8);
        const __m512d v2 = _mm512_maskz_loadu_pd(m2, q + 16);
        wideAdd(s.a0, m0, v0);
        wideAdd(s.a1, m1, v1);
        wideAdd(s.a2, m2, v2);
        const unsigned above = s.above(m0, m1, m2, v0, v1, v2);
        if (above != 0)
            s.offer(row + c, above, first + uint32_t(c), survey);
    }
    mergeLanes(s.a0, b0);
    mergeLanes(s.a1, b1);
    mergeLanes(s.a2, b2);
    s.store(survey);
}

LANDUSE_AVX512 inline void rescaleFieldBlock(double* q, const __mmask8 lanes[3], const __m512d lo[3],
                                             const __m512d f[3])
{
    for (int j = 0; j < 3; ++j) {
        const __m512d v = _mm512_maskz_loadu_pd(lanes[j], q + 8 * j);
        const __m512d d = _mm512_maskz_sub_pd(lanes[j], v, lo[j]);
        _mm512_mask_storeu_pd(q + 8 * j, lanes[j], _mm512_maskz_mul_pd(lanes[j], d, f[j]));
    }
}

LANDUSE_AVX512 void rescaleFieldsAvx512(TCell* cells, size_t count, const double lo[3], const double f[3])
{
    const double loWord[CellWords] = {lo[0], lo[1], lo[2], 0, 0, 0};
    const double fWord[CellWords] = {f[0], f[1], f[2], 1, 1, 1};
    __m512d loLanes[3], fLanes[3];
    __mmask8 lanes[3], part[3];
    for (int j = 0; j < 3; ++j) {
        loLanes[j] = blockConstants(j, loWord);
        fLanes[j] = blockConstants(j, fWord);
        lanes[j] = __mmask8(blockLanes(j, 0b111));
    }
    const size_t head = blockHead(cells, count);
    for (int j = 0; j < 3; ++j)
        part[j] = __mmask8(lanes[j] & blockTail(j, head));
    rescaleFieldBlock(reinterpret_cast<double*>(cells), part, loLanes, fLanes);
    double* q = reinterpret_cast<double*>(cells + head);
    const size_t blocks = (count - head) / 4;
    for (size_t b = 0; b < blocks; ++b, q += 24) {
        prefetchBlock(cells + head, b, blocks);
        rescaleFieldBlock(q, lanes, loLanes, fLanes);
    }
    for (int j = 0; j < 3; ++j)
        part[j] = __mmask8(lanes[j] & blockTail(j, (count - head) % 4));
    rescaleFieldBlock(q, part, loLanes, fLanes);
}

// The field rescale that also takes an empty-cell survey. Two permutes
// gather the surveyed word of a block's four cells into lanes 0..3 and
// their LandUse words into lanes 4..7, after the rescale, so that the
// cells' emptiness masks the bounds lane for lane.
struct EmptyLanes {
    __m512i pickA; // from the first two vectors of a block
    __m512i pickB; // from that and the third
    __m512d hi;
    __m512d lo;
    uint32_t* occupied;
    size_t occupiedCount;

    LANDUSE_AVX512 explicit EmptyLanes(EmptyCellSurvey& empty)
        : hi(_mm512_set1_pd(-std::numeric_limits<double>::infinity())),
          lo(_mm512_set1_pd(std::numeric_limits<double>::infinity())), occupied(empty.occupiedRoom()),
          occupiedCount(0)
    {
        long long a[8], b[8];
        for (int l = 0; l < 8; ++l) {
            const int flat = l < 4 ? CellWords * l + empty.word() : CellWords * (l - 4) + CellWords - 1;
            a[l] = flat < 16 ? flat : 0;
            b[l] = flat < 16 ? l : 8 + (flat - 16);
        }
        pickA = _mm512_loadu_si512(a);
        pickB = _mm512_loadu_si512(b);
    }

    // Adds the empty ones among the cells of a block given by `cells` (bit c
    // for cell c), rescaled in v0..v2, to the bounds; returns the others.
    LANDUSE_AVX512 unsigned add(__m512d v0, __m512d v1, __m512d v2, unsigned cells)
    {
        const __m512d w = _mm512_permutex2var_pd(_mm512_permutex2var_pd(v0, pickA, v1), pickB, v2);
        // LandUse is the low half of the word it shares with AgentCount.
        const unsigned taken =
            unsigned(_mm512_mask_test_epi64_mask(0xf0, _mm512_castpd_si512(w), _mm512_set1_epi64(0xffffffff))) >> 4
            & cells;
        const __mmask8 free = __mmask8(~taken & cells);
        hi = _mm512_mask_max_pd(hi, free, w, hi);
        lo = _mm512_mask_min_pd(lo, free, w, lo);
        return taken;
    }

    // Lists the taken cells of a whole block whose first cell is `first`:
    // four places are written, and they lie within the room, since at most
    // `first` cells are listed before them.
    LANDUSE_AVX512 void listWhole(unsigned taken, uint32_t first)
    {
        const __m128i index = _mm_add_epi32(_mm_set1_epi32(int(first)), _mm_setr_epi32(0, 1, 2, 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(occupied + occupiedCount),
                         _mm_maskz_compress_epi32(__mmask8(taken), index));
        occupiedCount += size_t(__builtin_popcount(taken));
    }

    // The same for a block cut short, one by one.
    void listPart(unsigned taken, uint32_t first)
    {
        for (; taken != 0; taken &= taken - 1)
            occupied[occupiedCount++] = first + uint32_t(__builtin_ctz(taken));
    }

    LANDUSE_AVX512 void finish(EmptyCellSurvey& empty) const
    {
        double h[8], l[8];
        _mm512_storeu_pd(h, hi);
        _mm512_storeu_pd(l, lo);
        double high = h[0], low = l[0];
        for (int lane = 1; lane < 4; ++lane) {
            high = h[lane] > high ? h[lane] : high;
            low = l[lane] < low ? l[lane] : low;
        }
        empty.finish(high, low, occupiedCount);
    }
};

// A block of up to four cells at q, `cells` of them (0 to 4), rescaled and
// surveyed.
LANDUSE_AVX512 inline void rescaleSurveyPart(double* q, size_t cells, const __mmask8 lanes[3], const __m512d lo[3],
                                             const __m512d f[3], EmptyLanes& e, uint32_t first)
{
    __m512d v[3];
    for (int j = 0; j < 3; ++j) {
        const __mmask8 tail = __mmask8(blockTail(j, cells));
        const __mmask8 m = __mmask8(lanes[j] & tail);
        v[j] = _mm512_maskz_loadu_pd(tail, q + 8 * j);
        v[j] = _mm512_mask_mul_pd(v[j], m, _mm512_maskz_sub_pd(m, v[j], lo[j]), f[j]);
        _mm512_mask_storeu_pd(q + 8 * j, m, v[j]);
    }
    e.listPart(e.add(v[0], v[1], v[2], (1u << cells) - 1u), first);
}

// A whole block is stored whole, the other words as they were loaded.
LANDUSE_AVX512 inline void rescaleSurveyBlock(double* q, const __mmask8 lanes[3], const __m512d lo[3],
                                              const __m512d f[3], EmptyLanes& e, uint32_t first)
{
    __m512d v[3];
    for (int j = 0; j < 3; ++j) {
        v[j] = _mm512_loadu_pd(q + 8 * j);
        v[j] = _mm512_mask_mul_pd(v[j], lanes[j], _mm512_maskz_sub_pd(lanes[j], v[j], lo[j]), f[j]);
        _mm512_storeu_pd(q + 8 * j, v[j]);
    }
    // Most blocks of a town's grid hold no land use; skipping their list
    // costs less than the wrong guesses at the edges of built-up land.
    const unsigned taken = e.add(v[0], v[1], v[2], 0xfu);
    if (taken != 0)
        e.listWhole(taken, first);
}

LANDUSE_AVX512 void rescaleFieldsSurveyingAvx512(TCell* cells, size_t count, const double lo[3], const double f[3],
                                                 EmptyCellSurvey& empty)
{
    const double loWord[CellWords] = {lo[0], lo[1], lo[2], 0, 0, 0};
    const double fWord[CellWords] = {f[0], f[1], f[2], 1, 1, 1};
    __m512d loLanes[3], fLanes[3];
    __mmask8 lanes[3];
    for (int j = 0; j < 3; ++j) {
        loLanes[j] = blockConstants(j, loWord);
        fLanes[j] = blockConstants(j, fWord);
        lanes[j] = __mmask8(blockLanes(j, 0b111));
    }
    EmptyLanes e(empty);
    const size_t head = blockHead(cells, count);
    rescaleSurveyPart(reinterpret_cast<double*>(cells), head, lanes, loLanes, fLanes, e, 0);
    double* q = reinterpret_cast<double*>(cells + head);
    const size_t blocks = (count - head) / 4;
    for (size_t b = 0; b < blocks; ++b, q += 24) {
        prefetchBlock(cells + head, b, blocks);
        rescaleSurveyBlock(q, lanes, loLanes, fLanes, e, uint32_t(head + 4 * b));
    }
    rescaleSurveyPart(q, (count - head) % 4, lanes, loLanes, fLanes, e, uint32_t(head + 4 * blocks));
    e.finish(empty);
}

struct RescaleLanes {
    __mmask8 words[3]; // the lanes of the cells the block covers
    __mmask8 track[3]; // track marks among them
    __mmask8 ret[3];   // return marks among them, none when that kind has no span
    __m512d lo[3];
    __m512d f[3];
};

// Track marks: (v - loT) * fT everywhere. Return marks: (v - loR) * fR where
// v > 0. A whole block is stored whole, the other words unchanged: a store
// masked by the compare waits for it and costs a quarter more here.
LANDUSE_AVX512 inline void rescaleTrackBlock(double* q, const RescaleLanes& r)
{
    for (int j = 0; j < 3; ++j) {
        const __m512d v = _mm512_loadu_pd(q + 8 * j);
        const __mmask8 m = r.track[j] | _mm512_mask_cmp_pd_mask(r.ret[j], v, _mm512_setzero_pd(), _CMP_GT_OQ);
        const __m512d d = _mm512_mask_sub_pd(v, m, v, r.lo[j]);
        _mm512_storeu_pd(q + 8 * j, _mm512_mask_mul_pd(v, m, d, r.f[j]));
    }
}

// The same for a block cut short at either end of the grid.
LANDUSE_AVX512 inline void rescaleTrackPart(double* q, const RescaleLanes& r)
{
    for (int j = 0; j < 3; ++j) {
        const __m512d v = _mm512_maskz_loadu_pd(r.words[j], q + 8 * j);
        const __mmask8 m = r.track[j] | _mm512_mask_cmp_pd_mask(r.ret[j], v, _mm512_setzero_pd(), _CMP_GT_OQ);
        const __m512d d = _mm512_maskz_sub_pd(m, v, r.lo[j]);
        _mm512_mask_storeu_pd(q + 8 * j, m, _mm512_maskz_mul_pd(m, d, r.f[j]));
    }
}

LANDUSE_AVX512 void rescaleTracksAvx512(TCell* cells, size_t count, const TrackScale& s)
{
    const double loWord[CellWords] = {0, 0, 0, s.loT, s.loR, 0};
    const double fWord[CellWords] = {1, 1, 1, s.fT, s.fR, 1};
    RescaleLanes all, part;
    for (int j = 0; j < 3; ++j) {
        all.lo[j] = blockConstants(j, loWord);
        all.f[j] = blockConstants(j, fWord);
        all.track[j] = __mmask8(blockLanes(j, 1u << TrackWord));
        all.ret[j] = s.scaleR ? __mmask8(blockLanes(j, 1u << ReturnTrackWord)) : __mmask8(0);
        all.words[j] = all.track[j] | all.ret[j];
    }
    const auto cut = [&](size_t cells) {
        part = all;
        for (int j = 0; j < 3; ++j) {
            const __mmask8 tail = __mmask8(blockTail(j, cells));
            part.words[j] &= tail;
            part.track[j] &= tail;
            part.ret[j] &= tail;
        }
    };
    const size_t head = blockHead(cells, count);
    cut(head);
    rescaleTrackPart(reinterpret_cast<double*>(cells), part);
    double* q = reinterpret_cast<double*>(cells + head);
    const size_t blocks = (count - head) / 4;
    for (size_t b = 0; b < blocks; ++b, q += 24) {
        prefetchBlock(cells + head, b, blocks);
        rescaleTrackBlock(q, all);
    }
    cut((count - head) % 4);
    rescaleTrackPart(q, part);
}

bool cpuHasAvx512()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")
        && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
}

constexpr GridKernelTable Avx512 = {
    loadRowAvx512,
    sumsAvx512,
    updateRowOneAvx512,
    listInexactAvx512,
    surveyRowAvx512,
    fieldBoundsAvx512,
    rescaleFieldsAvx512,
    rescaleFieldsSurveyingAvx512,
    trackBoundsAvx512,
    rescaleTracksAvx512,
    centreSumsDrawingAvx512,
};

} // namespace

const GridKernelTable* Avx512GridKernels()
{
    static const bool has = cpuHasAvx512();
    return has ? &Avx512 : nullptr;
}

} // namespace landuse

#else

namespace landuse {

const GridKernelTable* Avx512GridKernels()
{
    return nullptr;
}

} // namespace landuse

#endif
