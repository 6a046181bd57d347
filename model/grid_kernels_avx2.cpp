// The field update in AVX2 and FMA, chosen at run time: the rest of the
// build targets any x86-64 processor.

#include "model/grid_kernels.h"

#if defined(__x86_64__)

#include "model/fast_update.h"

#include <immintrin.h>

#include <cstring>

#define LANDUSE_AVX2 __attribute__((target("avx2,fma")))

namespace landuse {

namespace {

LANDUSE_AVX2 inline __m256d absAvx2(__m256d v)
{
    return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v);
}

// Four values of the update (see fast_update.h for the bounds); sets bit l
// of `unsure` where lane l cannot be vouched for. `whole` is all ones in
// the lanes whose noise makes every product whole.
LANDUSE_AVX2 inline __m256d updateLanesAvx2(__m256i a, __m256d r, __m256d n, __m256d whole, int& unsure)
{
    // a = hi + lo exactly, hi a multiple of 2^32 and lo in 0 .. 2^32 - 1;
    // each comes out of its bits by one exact subtraction.
    const __m256i magic = _mm256_set1_epi64x(0x4330000000000000);
    const __m256d lo = _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_or_si256(_mm256_and_si256(a, _mm256_set1_epi64x(0xffffffff)), magic)),
        _mm256_set1_pd(0x1p52));
    const __m256i biased = _mm256_xor_si256(_mm256_srli_epi64(a, 32), _mm256_set1_epi64x(0x80000000));
    const __m256d hi = _mm256_mul_pd(
        _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(biased, magic)), _mm256_set1_pd(0x1p52 + 0x1p31)),
        _mm256_set1_pd(0x1p32));

    const __m256d ph = _mm256_mul_pd(r, n);
    const __m256d pl = _mm256_fmsub_pd(r, n, ph);
    const __m256d s = _mm256_add_pd(hi, ph);
    const __m256d sv = _mm256_sub_pd(s, hi);
    const __m256d e = _mm256_add_pd(_mm256_sub_pd(hi, _mm256_sub_pd(s, sv)), _mm256_sub_pd(ph, sv));
    const __m256d t = _mm256_add_pd(_mm256_add_pd(lo, pl), e);
    const __m256d y = _mm256_add_pd(s, t);
    const __m256d rem = _mm256_sub_pd(t, _mm256_sub_pd(y, s)); // exact wherever the bound can hold

    const __m256d err = _mm256_add_pd(
        absAvx2(rem), _mm256_fmadd_pd(_mm256_add_pd(absAvx2(ph), absAvx2(hi)), _mm256_set1_pd(FastUpdateRelativeError),
                                      _mm256_set1_pd(FastUpdateAbsoluteError)));

    const __m256i yBits = _mm256_castpd_si256(y);
    const __m256d halfUlp = _mm256_mul_pd(
        _mm256_castsi256_pd(_mm256_and_si256(yBits, _mm256_set1_epi64x(0x7ff0000000000000))), _mm256_set1_pd(FastUpdateHalfUlp));
    const __m256i powerOfTwo
        = _mm256_cmpeq_epi64(_mm256_and_si256(yBits, _mm256_set1_epi64x(0x000fffffffffffff)), _mm256_setzero_si256());
    const __m256d bounded = _mm256_andnot_pd(_mm256_castsi256_pd(powerOfTwo), _mm256_cmp_pd(err, halfUlp, _CMP_LT_OQ));
    const __m256d sure
        = _mm256_or_pd(bounded, _mm256_and_pd(whole, _mm256_cmp_pd(y, _mm256_setzero_pd(), _CMP_NEQ_OQ)));
    unsure = _mm256_movemask_pd(_mm256_andnot_pd(sure, _mm256_set1_pd(-0.0)));
    return _mm256_mul_pd(y, _mm256_set1_pd(0x1p-58));
}

// Twelve values in field order are four cells' Potential.
LANDUSE_AVX2 inline void storeFourCells(TCell* out, __m256d v0, __m256d v1, __m256d v2)
{
    double* c0 = out[0].Potential;
    double* c1 = out[1].Potential;
    double* c2 = out[2].Potential;
    double* c3 = out[3].Potential;
    const __m128d v0l = _mm256_castpd256_pd128(v0), v0h = _mm256_extractf128_pd(v0, 1);
    const __m128d v1l = _mm256_castpd256_pd128(v1), v1h = _mm256_extractf128_pd(v1, 1);
    const __m128d v2l = _mm256_castpd256_pd128(v2), v2h = _mm256_extractf128_pd(v2, 1);
    _mm_storeu_pd(c0, v0l);
    _mm_store_sd(c0 + 2, v0h);
    _mm_storeh_pd(c1, v0h);
    _mm_storeu_pd(c1 + 1, v1l);
    _mm_storeu_pd(c2, v1h);
    _mm_store_sd(c2 + 2, v2l);
    _mm_storeh_pd(c3, v2l);
    _mm_storeu_pd(c3 + 1, v2h);
}

inline size_t listLanes(uint32_t* unsure, size_t count, size_t first, int lanes)
{
    while (lanes != 0) {
        unsure[count++] = uint32_t(first + size_t(__builtin_ctz(unsigned(lanes))));
        lanes &= lanes - 1;
    }
    return count;
}

LANDUSE_AVX2 size_t updateRowOneAvx2(TCell* out, int countX, const int64_t* withCentre, const double* draws,
                                     const double noise[3], uint32_t* unsure)
{
    const __m256d n0 = _mm256_setr_pd(noise[0], noise[1], noise[2], noise[0]);
    const __m256d n1 = _mm256_setr_pd(noise[1], noise[2], noise[0], noise[1]);
    const __m256d n2 = _mm256_setr_pd(noise[2], noise[0], noise[1], noise[2]);
    const int64_t m[3] = {-int64_t(FastUpdateWholeNoise(noise[0])), -int64_t(FastUpdateWholeNoise(noise[1])),
                          -int64_t(FastUpdateWholeNoise(noise[2]))};
    const __m256d w0 = _mm256_castsi256_pd(_mm256_setr_epi64x(m[0], m[1], m[2], m[0]));
    const __m256d w1 = _mm256_castsi256_pd(_mm256_setr_epi64x(m[1], m[2], m[0], m[1]));
    const __m256d w2 = _mm256_castsi256_pd(_mm256_setr_epi64x(m[2], m[0], m[1], m[2]));
    const size_t cells = size_t(countX);
    size_t count = 0;
    size_t x = 0;
    // The last group reads the rows' slack and lands in scratch cells, of
    // which only those in the row are copied out.
    TCell spare[4];
    for (; x < cells; x += 4) {
        const bool whole = x + 4 <= cells;
        TCell* to = whole ? out + x : spare;
        const size_t i = 3 * x;
        const __m256d r = _mm256_loadu_pd(draws + x);
        int u0, u1, u2;
        const __m256d v0 = updateLanesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(withCentre + i)),
                                           _mm256_permute4x64_pd(r, 0x40), n0, w0, u0);
        const __m256d v1 = updateLanesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(withCentre + i + 4)),
                                           _mm256_permute4x64_pd(r, 0xa5), n1, w1, u1);
        const __m256d v2 = updateLanesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(withCentre + i + 8)),
                                           _mm256_permute4x64_pd(r, 0xfe), n2, w2, u2);
        storeFourCells(to, v0, v1, v2);
        int lanes = u0 | u1 << 4 | u2 << 8;
        if (!whole) {
            for (size_t c = 0; x + c < cells; ++c)
                for (int k = 0; k < 3; ++k)
                    out[x + c].Potential[k] = spare[c].Potential[k];
            lanes &= (1 << (3 * (cells - x))) - 1;
        }
        if (lanes != 0) [[unlikely]]
            count = listLanes(unsure, count, i, lanes);
    }
    return count;
}

// Fixed-point twins four values at a time, as the portable loadRow makes
// them: value * 2^55 cut to a whole number where |value| < 14, else 0, and
// flagged where that is not the value itself. AVX2 converts no doubles to
// 64-bit integers, so the cut value goes over in two halves of 32 bits.
LANDUSE_AVX2 inline __m256i twinsAvx2(__m256d v, int& bad)
{
    const __m256d inRange = _mm256_cmp_pd(absAvx2(v), _mm256_set1_pd(14.0), _CMP_LT_OQ);
    const __m256d t = _mm256_mul_pd(v, _mm256_set1_pd(FixedScale));
    const __m256d cut = _mm256_round_pd(t, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    const __m256d exact = _mm256_and_pd(inRange, _mm256_cmp_pd(cut, t, _CMP_EQ_OQ));
    // Below 2^59 in magnitude: high half below 2^27, low half 0 .. 2^32 - 1.
    const __m256d high = _mm256_round_pd(_mm256_mul_pd(cut, _mm256_set1_pd(0x1p-32)),
                                         _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    const __m256d low = _mm256_sub_pd(cut, _mm256_mul_pd(high, _mm256_set1_pd(0x1p32)));
    const __m256d magic = _mm256_set1_pd(0x1p52 + 0x1p51);
    const __m256i h = _mm256_sub_epi64(_mm256_castpd_si256(_mm256_add_pd(high, magic)), _mm256_castpd_si256(magic));
    const __m256i l = _mm256_sub_epi64(_mm256_castpd_si256(_mm256_add_pd(low, magic)), _mm256_castpd_si256(magic));
    const __m256i f = _mm256_add_epi64(_mm256_slli_epi64(h, 32), l);
    bad = _mm256_movemask_pd(_mm256_andnot_pd(exact, _mm256_set1_pd(-0.0)));
    return _mm256_and_si256(f, _mm256_castpd_si256(inRange));
}

// Four flags, one byte each, from four bits.
constexpr uint32_t FlagBytes[16] = {
    0x00000000, 0x00000001, 0x00000100, 0x00000101, 0x00010000, 0x00010001, 0x00010100, 0x00010101,
    0x01000000, 0x01000001, 0x01000100, 0x01000101, 0x01010000, 0x01010001, 0x01010100, 0x01010101,
};

// Values i .. i + 3 of the row: their twins and flags; returns the flags
// as bits.
LANDUSE_AVX2 inline int twinsAt(__m256d v, size_t i, int64_t* fixed, uint8_t* inexact)
{
    int bad;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(fixed + i), twinsAvx2(v, bad));
    std::memcpy(inexact + i, &FlagBytes[bad], 4);
    return bad;
}

// Four cells at a time go straight from the cells into three vectors of
// the row, the fields of cell c at 3 * c .. 3 * c + 2.
LANDUSE_AVX2 void loadRowAvx2(TLimboRow& row, const TCell* cells, int countX)
{
    constexpr size_t Lead = TLimboRow::Lead;
    const size_t n = 3 * size_t(countX);
    double* value = row.value.data() + Lead;
    int64_t* fixed = row.fixed.data() + Lead;
    uint8_t* inexact = row.inexact.data() + Lead;
    int any = 0;
    size_t x = 0;
    for (; x + 4 <= size_t(countX); x += 4) {
        const double* a = cells[x].Potential;
        const double* b = cells[x + 1].Potential;
        const double* c = cells[x + 2].Potential;
        const double* d = cells[x + 3].Potential;
        const __m256d v0 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(a)),
                                                _mm_loadh_pd(_mm_load_sd(a + 2), b), 1);
        const __m256d v1 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(b + 1)), _mm_loadu_pd(c), 1);
        const __m256d v2 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadh_pd(_mm_load_sd(c + 2), d)),
                                                _mm_loadu_pd(d + 1), 1);
        const size_t i = 3 * x;
        _mm256_storeu_pd(value + i, v0);
        _mm256_storeu_pd(value + i + 4, v1);
        _mm256_storeu_pd(value + i + 8, v2);
        any |= twinsAt(v0, i, fixed, inexact) | twinsAt(v1, i + 4, fixed, inexact) | twinsAt(v2, i + 8, fixed, inexact);
    }
    // The last cells: the last group runs into the entries after the last
    // column, which the wrap then overwrites.
    for (size_t r = x; r < size_t(countX); ++r)
        for (int k = 0; k < 3; ++k)
            value[3 * r + size_t(k)] = cells[r].Potential[k];
    for (size_t i = 3 * x; i < n; i += 4) {
        int bad = twinsAt(_mm256_loadu_pd(value + i), i, fixed, inexact);
        if (n - i < 4)
            bad &= (1 << (n - i)) - 1;
        any |= bad;
    }
    row.anyInexact = any != 0;
    WrapLimboRow(row, countX);
    const int64_t* f = row.fixed.data() + Lead;
    int64_t* across = row.across.data();
    for (size_t i = 0; i < n; i += 4) {
        const auto at = [f, i](ptrdiff_t off) LANDUSE_AVX2 {
            return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f + ptrdiff_t(i) + off));
        };
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(across + i), _mm256_add_epi64(_mm256_add_epi64(at(-3), at(0)), at(3)));
    }
}

// Integer sums are exact in any order. The last group runs into the rows'
// slack.
LANDUSE_AVX2 void sumsAvx2(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX,
                           int64_t* sums, int64_t* withCentre)
{
    const int64_t* u = up.across.data();
    const int64_t* m = mid.across.data();
    const int64_t* d = down.across.data();
    const int64_t* centre = mid.fixed.data() + TLimboRow::Lead;
    const size_t n = 3 * size_t(countX);
    for (size_t i = 0; i < n; i += 4) {
        const auto at = [i](const int64_t* p) LANDUSE_AVX2 {
            return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        };
        const __m256i c = at(centre);
        const __m256i s = _mm256_sub_epi64(_mm256_add_epi64(_mm256_add_epi64(at(u), at(m)), at(d)), c);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i), s);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(withCentre + i), _mm256_add_epi64(s, _mm256_slli_epi64(c, 3)));
    }
}

LANDUSE_AVX2 inline __m256i centreSumsAvx2(const int64_t* u, const int64_t* m, const int64_t* d, const int64_t* centre,
                                          size_t i)
{
    const auto at = [i](const int64_t* p) LANDUSE_AVX2 {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    };
    const __m256i c = at(centre);
    return _mm256_add_epi64(_mm256_add_epi64(_mm256_add_epi64(at(u), at(m)), at(d)), _mm256_sub_epi64(_mm256_slli_epi64(c, 3), c));
}

// Four cells a turn: twelve sums and four draws. The last sums run into
// the rows' slack; the draws stop at the last cell.
LANDUSE_AVX2 void centreSumsDrawingAvx2(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX,
                                        int64_t* withCentre, double* draws, TRandom& rng, const TCell* next)
{
    const int64_t* u = up.across.data();
    const int64_t* m = mid.across.data();
    const int64_t* d = down.across.data();
    const int64_t* centre = mid.fixed.data() + TLimboRow::Lead;
    const size_t cells = size_t(countX);
    TRandom local = rng;
    size_t x = 0;
    const auto sums = [&](size_t i) LANDUSE_AVX2 {
        for (size_t j = 0; j < 12; j += 4)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(withCentre + i + j), centreSumsAvx2(u, m, d, centre, i + j));
    };
    for (; x + 4 <= cells; x += 4) {
        sums(3 * x);
        for (size_t c = 0; c < 4; ++c) {
            __builtin_prefetch(next + x + c);
            draws[x + c] = local.Random();
        }
    }
    if (x < cells) {
        sums(3 * x);
        for (; x < cells; ++x) {
            __builtin_prefetch(next + x);
            draws[x] = local.Random();
        }
    }
    rng = local;
}

} // namespace

void UseAvx2RowKernels(GridKernelTable& table)
{
    if (!CpuHasAvx2())
        return;
    table.updateRowOne = updateRowOneAvx2;
    table.loadRow = loadRowAvx2;
    table.rowSums = sumsAvx2;
    table.centreSumsDrawing = centreSumsDrawingAvx2;
}

bool CpuHasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }();
    return has;
}

} // namespace landuse

#else

namespace landuse {

void UseAvx2RowKernels(GridKernelTable&) {}

bool CpuHasAvx2()
{
    return false;
}

} // namespace landuse

#endif
