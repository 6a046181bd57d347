#include "model/fields.h"

#include "model/range_scan.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace landuse {

namespace {

// The nine values in row order (above, own row, below; left to right), summed
// in extended precision, less the centre, divided by 8. Neighbours in a row
// lie `stride` entries apart.
inline long double meanOfNine(const double* up, const double* mid, const double* down, size_t x, size_t stride)
{
    long double s = up[x - stride];
    s += up[x];
    s += up[x + stride];
    s += mid[x - stride];
    s += mid[x];
    s += mid[x + stride];
    s += down[x - stride];
    s += down[x];
    s += down[x + stride];
    s -= mid[x];
    return s / 8;
}

// Fixed point with 55 fraction bits. A value below 14 in magnitude that is a
// whole multiple of 2^-55 (every double from 1/8 up, and 0) has an exact
// twin. Nine twins add up below 2^62, so every partial sum of the nine is a
// whole number that extended precision holds without rounding: the integer
// sum is the very number the extended sum gives (a zero sum is 0 either
// way: the extended sum less the centre is never -0). The same holds for the
// mean plus the old value, (sum + 8 * twin) * 2^-58.
constexpr double FixedScale = 0x1p55;
// The update runs on values scaled by 2^58, where the mean is the integer
// sum itself. Extended precision has exponent range to spare, so each of its
// roundings commutes with the scaling, and scaling back within extended
// precision is exact: rounding that to double is the very result of the
// unscaled formula, overflow and subnormals included.
constexpr double UpdateScale = 0x1p58;
constexpr double UpdateUnscale = 0x1p-58;

// Writes v's fixed-point twin and returns 1 when v has none.
inline uint8_t fixedTwin(double v, int64_t& twin)
{
    // Below 14 in magnitude the scaled value stays under 2^60, so the
    // conversion is defined.
    const bool inRange = std::fabs(v) < 14.0;
    const double t = v * FixedScale;
    const int64_t f = inRange ? int64_t(t) : 0;
    twin = f;
    return uint8_t(!(inRange && double(f) == t));
}

constexpr size_t Lead = TLimboRow::Lead;

size_t rowIndex(int x, int k)
{
    return Lead + 3 * size_t(x) + size_t(k);
}

// The wrapped neighbours at both ends.
void wrapRow(TLimboRow& row, int countX)
{
    const size_t before = Lead - 3;
    const size_t last = rowIndex(countX - 1, 0);
    const size_t after = rowIndex(countX, 0);
    for (size_t k = 0; k < 3; ++k) {
        row.value[before + k] = row.value[last + k];
        row.value[after + k] = row.value[Lead + k];
        row.fixed[before + k] = row.fixed[last + k];
        row.fixed[after + k] = row.fixed[Lead + k];
        row.inexact[before + k] = row.inexact[last + k];
        row.inexact[after + k] = row.inexact[Lead + k];
    }
}

// Integer sums are exact in any order, so each row's twins are added across
// once, and the three rows of a window add those.
void acrossPortable(TLimboRow& row, int countX)
{
    const int64_t* __restrict f = row.fixed.data() + Lead;
    int64_t* __restrict across = row.across.data();
    for (size_t i = 0; i < 3 * size_t(countX); ++i)
        across[i] = f[i - 3] + f[i] + f[i + 3];
}

void loadRowPortable(TLimboRow& row, const TCell* __restrict cells, int countX)
{
    double* __restrict value = row.value.data();
    int64_t* __restrict fixed = row.fixed.data();
    uint8_t* __restrict inexact = row.inexact.data();
    uint8_t any = 0;
    for (int x = 0; x < countX; ++x) {
        for (int k = 0; k < 3; ++k) {
            const size_t i = rowIndex(x, k);
            const double v = cells[x].Potential[k];
            value[i] = v;
            const uint8_t bad = fixedTwin(v, fixed[i]);
            inexact[i] = bad;
            any |= bad;
        }
    }
    row.anyInexact = any != 0;
    wrapRow(row, countX);
    acrossPortable(row, countX);
}

// Neighbour sums of one row, centre left out, and the same plus eight times
// the centre.
void sumsPortable(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX,
                  int64_t* __restrict sums, int64_t* __restrict withCentre)
{
    const int64_t* __restrict u = up.across.data();
    const int64_t* __restrict m = mid.across.data();
    const int64_t* __restrict d = down.across.data();
    const int64_t* __restrict centre = mid.fixed.data() + Lead;
    for (size_t i = 0; i < 3 * size_t(countX); ++i) {
        const int64_t s = u[i] + m[i] + d[i] - centre[i];
        sums[i] = s;
        withCentre[i] = s + 8 * centre[i];
    }
}

#if defined(__x86_64__)

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
    wrapRow(row, countX);

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

#endif

void loadRow(bool wide, TLimboRow& row, const TCell* cells, int countX)
{
#if defined(__x86_64__)
    if (wide) {
        loadRowAvx512(row, cells, countX);
        return;
    }
#endif
    (void)wide;
    loadRowPortable(row, cells, countX);
}

void rowSums(bool wide, const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX, int64_t* sums,
             int64_t* withCentre)
{
#if defined(__x86_64__)
    if (wide) {
        sumsAvx512(up, mid, down, countX, sums, withCentre);
        return;
    }
#endif
    (void)wide;
    sumsPortable(up, mid, down, countX, sums, withCentre);
}

struct Coefficients {
    double diff[3];
    double noise[3];
    double noiseScaled[3];
};

// One field of one cell on the scaled values: the mean times the coefficient
// plus the old value, then the noise, as the unscaled formula adds them.
template <bool DiffOne>
inline double scaledUpdate(int64_t sum, int64_t withCentre, long double r, double diff, double noiseScaled)
{
    long double z;
    if constexpr (DiffOne) {
        z = (long double)withCentre;
    } else {
        z = (long double)sum * diff;
        z += (long double)(withCentre - sum);
    }
    z += r * noiseScaled;
    return double(z * UpdateUnscale);
}

// The x87 work of a row, free of branches; values whose window holds a value
// without a twin are computed again afterwards, with the row's random numbers
// kept for that. The row loaded next is fetched meanwhile, while the memory
// system has nothing else to do.
template <bool One0, bool One1, bool One2>
void updateRow(TCell* __restrict out, int countX, const int64_t* __restrict sums,
               const int64_t* __restrict withCentre, double* __restrict draws, TRandom& rng, const Coefficients& c,
               const TCell* next)
{
    // A copy of the generator stays in registers; the prefetch would make
    // the compiler store the original on every cell.
    TRandom local = rng;
    for (int x = 0; x < countX; ++x) {
        __builtin_prefetch(next + x);
        draws[x] = local.Random();
        const long double rl = draws[x];
        const size_t i = 3 * size_t(x);
        out[x].Potential[0] = scaledUpdate<One0>(sums[i], withCentre[i], rl, c.diff[0], c.noiseScaled[0]);
        out[x].Potential[1] = scaledUpdate<One1>(sums[i + 1], withCentre[i + 1], rl, c.diff[1], c.noiseScaled[1]);
        out[x].Potential[2] = scaledUpdate<One2>(sums[i + 2], withCentre[i + 2], rl, c.diff[2], c.noiseScaled[2]);
    }
    rng = local;
}

using UpdateRowFn = void (*)(TCell*, int, const int64_t*, const int64_t*, double*, TRandom&, const Coefficients&,
                             const TCell*);

UpdateRowFn pickUpdateRow(const Coefficients& c)
{
    static constexpr UpdateRowFn table[8] = {
        updateRow<false, false, false>, updateRow<true, false, false>, updateRow<false, true, false>,
        updateRow<true, true, false>,   updateRow<false, false, true>, updateRow<true, false, true>,
        updateRow<false, true, true>,   updateRow<true, true, true>,
    };
    const unsigned ones
        = unsigned(c.diff[0] == 1.0) | unsigned(c.diff[1] == 1.0) << 1 | unsigned(c.diff[2] == 1.0) << 2;
    return table[ones];
}

// The formula itself, for values the scaled update cannot take: value i of
// rows whose entry 0 is column 0.
inline double plainValue(const double* up, const double* mid, const double* down, size_t i, double r, double diff,
                         double noise)
{
    const long double mean = meanOfNine(up, mid, down, i, 3);
    return double(mean * diff + mid[i] + (long double)r * noise);
}

// Each field is exact on its own, so only the fields whose window holds a
// value without a twin are computed again. They are listed first, which
// takes a few vector operations for a whole row where a test per value took
// longer than the formulas.
size_t listInexactPortable(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX,
                           uint8_t* __restrict column, uint32_t* __restrict list)
{
    const uint8_t* __restrict a = up.inexact.data();
    const uint8_t* __restrict b = mid.inexact.data();
    const uint8_t* __restrict d = down.inexact.data();
    const size_t padded = rowIndex(countX + 1, 0);
    for (size_t i = 0; i < padded; ++i)
        column[i] = a[i] | b[i] | d[i];
    const size_t values = 3 * size_t(countX);
    size_t count = 0;
    for (size_t i = 0; i < values; i += 8) {
        uint64_t w0, w1, w2;
        std::memcpy(&w0, column + Lead - 3 + i, 8);
        std::memcpy(&w1, column + Lead + i, 8);
        std::memcpy(&w2, column + Lead + 3 + i, 8);
        const uint64_t w = w0 | w1 | w2;
        if (w == 0)
            continue;
        for (size_t j = 0; j < 8 && i + j < values; ++j) {
            list[count] = uint32_t(i + j);
            count += (w >> (8 * j) & 0xff) != 0;
        }
    }
    return count;
}

#if defined(__x86_64__)

LANDUSE_AVX512 size_t listInexactAvx512(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down,
                                        int countX, uint32_t* list)
{
    const uint8_t* a = up.inexact.data();
    const uint8_t* b = mid.inexact.data();
    const uint8_t* d = down.inexact.data();
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

#endif

void redoInexact(bool wide, TCell* out, const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down,
                 int countX, const double* draws, TLimbo& limbo, const Coefficients& c)
{
    uint32_t* redo = limbo.redo.data();
    size_t count;
#if defined(__x86_64__)
    if (wide)
        count = listInexactAvx512(up, mid, down, countX, redo);
    else
#endif
        count = listInexactPortable(up, mid, down, countX, limbo.columnInexact.data(), redo);
    const double* u = up.value.data() + Lead;
    const double* m = mid.value.data() + Lead;
    const double* d = down.value.data() + Lead;
    for (size_t n = 0; n < count; ++n) {
        const size_t i = redo[n];
        const size_t x = i / 3;
        const size_t k = i - 3 * x;
        out[x].Potential[k] = plainValue(u, m, d, i, draws[x], c.diff[k], c.noise[k]);
    }
}

bool cpuHasAvx512()
{
#if defined(__x86_64__)
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")
            && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
    }();
    return has;
#else
    return false;
#endif
}

} // namespace

bool UsesAvx512(GridKernels kernels)
{
    return kernels != GridKernels::Portable && cpuHasAvx512();
}

bool GridKernelsAvailable(GridKernels kernels)
{
    return kernels != GridKernels::Avx512 || cpuHasAvx512();
}

void NeighbourMean(const Grid& grid, int x, int y, long double means[3])
{
    const GridGeometry& g = grid.Geometry;
    for (int k = 0; k < 3; ++k) {
        double rows[3][3];
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int nx = x + dx;
                int ny = y + dy;
                WrapCoords(nx, ny, g.CellCountX, g.CellCountY);
                rows[dy + 1][dx + 1] = grid.Cells.at(nx, ny).Potential[k];
            }
        }
        means[k] = meanOfNine(rows[0], rows[1], rows[2], 1, 1);
    }
}

void DiffuseFields(Grid& grid, const TWeightTable& weights, TRandom& rng)
{
    const int countX = grid.Geometry.CellCountX;
    const int countY = grid.Geometry.CellCountY;
    if (countX <= 0 || countY <= 0)
        return;
    TCellList& cells = grid.Cells;
    TLimbo& limbo = grid.Limbo;
    const bool wide = UsesAvx512(grid.Kernels);

    Coefficients c{{weights.DiffPop, weights.DiffServ, weights.DiffIndu},
                   {weights.NoisePop, weights.NoiseServ, weights.NoiseIndu},
                   {}};
    // The scaled update needs the scaled noise as a double. Noise with its
    // sign bit set is left to the formula too: r * noise can then be -0, and
    // a -0 mean term plus a -0 centre plus that keeps a -0 that the scaled
    // update loses, the twin of a -0 centre being plain 0.
    bool scalable = true;
    for (int k = 0; k < 3; ++k) {
        c.noiseScaled[k] = c.noise[k] * UpdateScale;
        scalable = scalable && std::isfinite(c.noiseScaled[k]) && !std::signbit(c.noise[k]);
    }
    const UpdateRowFn update = pickUpdateRow(c);

    // Each row is updated in place once its means are known; the rows around
    // it keep their previous values in Limbo, so every mean comes from the
    // previous step (a synchronous update).
    TLimboRow& row0 = limbo.rows[3];
    loadRow(wide, row0, cells.row(0), countX);
    TLimboRow* up = &limbo.rows[0];
    TLimboRow* mid = &row0;
    TLimboRow* down = &limbo.rows[1];
    loadRow(wide, *up, cells.row(countY - 1), countX);
    if (countY > 1)
        loadRow(wide, *down, cells.row(1), countX);
    else
        down = &row0;

    for (int y = 0; y < countY; ++y) {
        TCell* out = cells.row(y);
        if (scalable) {
            rowSums(wide, *up, *mid, *down, countX, limbo.sums.data(), limbo.withCentre.data());
            update(out, countX, limbo.sums.data(), limbo.withCentre.data(), limbo.draws.data(), rng, c,
                   cells.row(y + 2 < countY ? y + 2 : y));
            if (up->anyInexact || mid->anyInexact || down->anyInexact)
                redoInexact(wide, out, *up, *mid, *down, countX, limbo.draws.data(), limbo, c);
        } else {
            const double* u = up->value.data() + Lead;
            const double* m = mid->value.data() + Lead;
            const double* d = down->value.data() + Lead;
            for (int x = 0; x < countX; ++x) {
                const double r = rng.Random();
                for (size_t k = 0; k < 3; ++k) {
                    const size_t i = 3 * size_t(x) + k;
                    out[x].Potential[k] = plainValue(u, m, d, i, r, c.diff[k], c.noise[k]);
                }
            }
        }

        // Roll: the row below becomes the middle; the next row down is loaded
        // before it is updated, and the last row wraps to the saved row 0.
        up = mid;
        mid = down;
        if (y + 2 < countY) {
            TLimboRow* spare = &limbo.rows[0];
            while (spare == up || spare == mid)
                ++spare;
            loadRow(wide, *spare, cells.row(y + 2), countX);
            down = spare;
        } else {
            down = &row0;
        }
    }
}

namespace {

void fieldBounds(const TCell* cells, size_t count, bool wide, double lo[3], double f[3])
{
    double hi[CellWords], low[CellWords];
#if defined(__x86_64__)
    if (wide) {
        WideBounds(cells, count, 0b111, 1e-8, 9999999999.0, hi, low);
    } else
#endif
    {
        // The scan order does not change a maximum or a minimum (but see
        // RangeScan on zeros), so one pass finds the ranges of all three
        // fields.
        RangeScan range[3] = {{1e-8, 9999999999.0}, {1e-8, 9999999999.0}, {1e-8, 9999999999.0}};
        size_t i = 0;
        for (; i + 1 < count; i += 2) {
            for (int k = 0; k < 3; ++k) {
                range[k].add(0, cells[i].Potential[k]);
                range[k].add(1, cells[i + 1].Potential[k]);
            }
        }
        if (i < count)
            for (int k = 0; k < 3; ++k)
                range[k].add(0, cells[i].Potential[k]);
        for (int k = 0; k < 3; ++k) {
            hi[k] = range[k].high();
            low[k] = SettledLow(range[k], cells, count, k, 9999999999.0);
        }
    }
    for (int k = 0; k < 3; ++k) {
        lo[k] = low[k];
        if (hi[k] != lo[k]) {
            f[k] = 10.0 / (hi[k] - lo[k]);
        } else {
            f[k] = 1.0;
            lo[k] = 0.0;
        }
    }
}

#if defined(__x86_64__)

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
        double tmp[8];
        BlockConstants(j, loWord, tmp);
        loLanes[j] = _mm512_loadu_pd(tmp);
        BlockConstants(j, fWord, tmp);
        fLanes[j] = _mm512_loadu_pd(tmp);
        lanes[j] = __mmask8(BlockLanes(j, 0b111));
    }
    const size_t head = BlockHead(cells, count);
    for (int j = 0; j < 3; ++j)
        part[j] = __mmask8(lanes[j] & BlockTail(j, head));
    rescaleFieldBlock(reinterpret_cast<double*>(cells), part, loLanes, fLanes);
    double* q = reinterpret_cast<double*>(cells + head);
    const size_t blocks = (count - head) / 4;
    for (size_t b = 0; b < blocks; ++b, q += 24) {
        PrefetchBlock(cells + head, b, blocks);
        rescaleFieldBlock(q, lanes, loLanes, fLanes);
    }
    for (int j = 0; j < 3; ++j)
        part[j] = __mmask8(lanes[j] & BlockTail(j, (count - head) % 4));
    rescaleFieldBlock(q, part, loLanes, fLanes);
}

#endif

} // namespace

void NormalizeFields(Grid& grid)
{
    TCell* begin = grid.Cells.data();
    const size_t count = grid.Cells.size();
    double lo[3];
    double f[3];
    const bool wide = UsesAvx512(grid.Kernels);
    fieldBounds(begin, count, wide, lo, f);
#if defined(__x86_64__)
    if (wide) {
        rescaleFieldsAvx512(begin, count, lo, f);
        return;
    }
#endif
    for (size_t i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k)
            begin[i].Potential[k] = (begin[i].Potential[k] - lo[k]) * f[k];
}

} // namespace landuse
