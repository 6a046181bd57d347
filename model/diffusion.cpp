#include "model/diffusion.h"

#include "model/grid.h"
#include "model/grid_kernels.h"

#include <cmath>
#include <cstdint>

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

// The rows' fixed-point twins have 55 fraction bits (FixedScale). A value
// below 14 in magnitude that is a whole multiple of 2^-55 (every double from
// 1/8 up, and 0) has an exact twin. Nine twins add up below 2^62, so every
// partial sum of the nine is a whole number that extended precision holds
// without rounding: the integer sum is the very number the extended sum
// gives (a zero sum is 0 either way: the extended sum less the centre is
// never -0). The same holds for the mean plus the old value,
// (sum + 8 * twin) * 2^-58.
//
// The update runs on values scaled by 2^58, where the mean is the integer
// sum itself. Extended precision has exponent range to spare, so each of its
// roundings commutes with the scaling, and scaling back within extended
// precision is exact: rounding that to double is the very result of the
// unscaled formula, overflow and subnormals included.
constexpr double UpdateScale = 0x1p58;
constexpr double UpdateUnscale = 0x1p-58;

constexpr size_t Lead = TLimboRow::Lead;

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

// The row's random numbers, one per cell; the row loaded next is fetched
// meanwhile.
void drawRow(double* __restrict draws, int countX, TRandom& rng, const TCell* next)
{
    TRandom local = rng;
    for (int x = 0; x < countX; ++x) {
        __builtin_prefetch(next + x);
        draws[x] = local.Random();
    }
    rng = local;
}

// Coefficients 1 everywhere, the draws made: the kernel's vector update,
// and the scaled formula for the values it leaves.
void updateDrawnRowOne(UpdateRowOneFn fast, TCell* out, int countX, const int64_t* withCentre, const double* draws,
                       uint32_t* unsure, const Coefficients& c)
{
    const size_t count = fast(out, countX, withCentre, draws, c.noiseScaled, unsure);
    for (size_t n = 0; n < count; ++n) {
        const size_t i = unsure[n];
        const size_t x = i / 3;
        const size_t k = i - 3 * x;
        out[x].Potential[k] = scaledUpdate<true>(0, withCentre[i], draws[x], 1.0, c.noiseScaled[k]);
    }
}

void updateRowOne(UpdateRowOneFn fast, TCell* out, int countX, const int64_t* withCentre, double* draws,
                  uint32_t* unsure, TRandom& rng, const Coefficients& c, const TCell* next)
{
    drawRow(draws, countX, rng, next);
    updateDrawnRowOne(fast, out, countX, withCentre, draws, unsure, c);
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
// value without a twin are computed again.
void redoInexact(const GridKernelTable& kernels, TCell* out, const TLimboRow& up, const TLimboRow& mid,
                 const TLimboRow& down, int countX, TLimbo& limbo, const Coefficients& c)
{
    const size_t count = kernels.listInexact(up, mid, down, countX, limbo);
    const uint32_t* redo = limbo.redo.data();
    const double* draws = limbo.draws.data();
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

// The update as a step runs it, settled once from the weights.
struct RowUpdate {
    Coefficients c;
    bool scalable;
    UpdateRowFn update;
    UpdateRowOneFn fast; // none where a coefficient is not 1 or a noise too large or small
};

RowUpdate prepareUpdate(const GridKernelTable& kernels, const TWeightTable& weights)
{
    RowUpdate u{{{weights.DiffPop, weights.DiffServ, weights.DiffIndu},
                 {weights.NoisePop, weights.NoiseServ, weights.NoiseIndu},
                 {}},
                true,
                nullptr,
                kernels.updateRowOne};
    // The scaled update needs the scaled noise as a double. Noise with its
    // sign bit set is left to the formula too: r * noise can then be -0, and
    // a -0 mean term plus a -0 centre plus that keeps a -0 that the scaled
    // update loses, the twin of a -0 centre being plain 0.
    for (int k = 0; k < 3; ++k) {
        u.c.noiseScaled[k] = u.c.noise[k] * UpdateScale;
        u.scalable = u.scalable && std::isfinite(u.c.noiseScaled[k]) && !std::signbit(u.c.noise[k]);
        if (u.c.diff[k] != 1.0 || !FastUpdateTakes(u.c.noiseScaled[k]))
            u.fast = nullptr;
    }
    u.update = pickUpdateRow(u.c);
    return u;
}

// A row from the scaled sums in limbo.
void scaledRow(const RowUpdate& u, TCell* out, int countX, TLimbo& limbo, TRandom& rng, const TCell* next)
{
    if (u.fast)
        updateRowOne(u.fast, out, countX, limbo.withCentre.data(), limbo.draws.data(), limbo.unsure.data(), rng, u.c,
                     next);
    else
        u.update(out, countX, limbo.sums.data(), limbo.withCentre.data(), limbo.draws.data(), rng, u.c, next);
}

void diffuse(Grid& grid, const TWeightTable& weights, TRandom& rng, FieldSurvey* survey)
{
    const int countX = grid.Geometry.CellCountX;
    const int countY = grid.Geometry.CellCountY;
    if (survey)
        survey->startRanges();
    if (countX <= 0 || countY <= 0)
        return;
    TCellList& cells = grid.Cells;
    TLimbo& limbo = grid.Limbo;
    const GridKernelTable& kernels = GridKernelsOf(grid);

    const RowUpdate u = prepareUpdate(kernels, weights);
    const Coefficients& c = u.c;

    // Each row is updated in place once its means are known; the rows around
    // it keep their previous values in Limbo, so every mean comes from the
    // previous step (a synchronous update).
    TLimboRow& row0 = limbo.rows[3];
    kernels.loadRow(row0, cells.row(0), countX);
    TLimboRow* up = &limbo.rows[0];
    TLimboRow* mid = &row0;
    TLimboRow* down = &limbo.rows[1];
    kernels.loadRow(*up, cells.row(countY - 1), countX);
    if (countY > 1)
        kernels.loadRow(*down, cells.row(1), countX);
    else
        down = &row0;

    for (int y = 0; y < countY; ++y) {
        TCell* out = cells.row(y);
        const TCell* next = cells.row(y + 2 < countY ? y + 2 : y);
        if (u.fast && kernels.centreSumsDrawing) {
            // The fast update reads no sums without the centre.
            kernels.centreSumsDrawing(*up, *mid, *down, countX, limbo.withCentre.data(), limbo.draws.data(), rng,
                                      next);
            updateDrawnRowOne(u.fast, out, countX, limbo.withCentre.data(), limbo.draws.data(), limbo.unsure.data(),
                              c);
            if (up->anyInexact || mid->anyInexact || down->anyInexact)
                redoInexact(kernels, out, *up, *mid, *down, countX, limbo, c);
        } else if (u.scalable) {
            kernels.rowSums(*up, *mid, *down, countX, limbo.sums.data(), limbo.withCentre.data());
            scaledRow(u, out, countX, limbo, rng, next);
            if (up->anyInexact || mid->anyInexact || down->anyInexact)
                redoInexact(kernels, out, *up, *mid, *down, countX, limbo, c);
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
        // The row is final and still in the first-level cache.
        if (survey)
            kernels.surveyRow(out, countX, uint32_t(size_t(y) * size_t(countX)), *survey);

        // Roll: the row below becomes the middle; the next row down is loaded
        // before it is updated, and the last row wraps to the saved row 0.
        up = mid;
        mid = down;
        if (y + 2 < countY) {
            TLimboRow* spare = &limbo.rows[0];
            while (spare == up || spare == mid)
                ++spare;
            kernels.loadRow(*spare, cells.row(y + 2), countX);
            down = spare;
        } else {
            down = &row0;
        }
    }
    if (survey)
        survey->ranged = true;
}

} // namespace

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

bool UpdateFieldRow(const GridKernelTable& kernels, const TWeightTable& weights, TCell* out, int countX,
                    TLimbo& limbo, TRandom& rng)
{
    const RowUpdate u = prepareUpdate(kernels, weights);
    if (u.scalable)
        scaledRow(u, out, countX, limbo, rng, out);
    return u.scalable;
}

void DiffuseFields(Grid& grid, const TWeightTable& weights, TRandom& rng)
{
    diffuse(grid, weights, rng, nullptr);
}

void DiffuseFields(Grid& grid, const TWeightTable& weights, TRandom& rng, FieldSurvey& survey)
{
    diffuse(grid, weights, rng, &survey);
}

} // namespace landuse
