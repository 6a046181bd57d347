#include "model/fields.h"

#include "model/range_scan.h"

#include <cmath>
#include <cstdint>

namespace landuse {

namespace {

// The nine values in row order (above, own row, below; left to right), summed
// in extended precision, less the centre, divided by 8.
inline long double meanOfNine(const double* up, const double* mid, const double* down, size_t x)
{
    long double s = up[x - 1];
    s += up[x];
    s += up[x + 1];
    s += mid[x - 1];
    s += mid[x];
    s += mid[x + 1];
    s += down[x - 1];
    s += down[x];
    s += down[x + 1];
    s -= mid[x];
    return s / 8;
}

// Fixed point with 55 fraction bits. A value below 14 in magnitude that is a
// whole multiple of 2^-55 (every double from 1/8 up, and 0) has an exact
// twin. Nine twins add up below 2^62, so every partial sum of the nine is a
// whole number that extended precision holds without rounding: the integer
// sum is the very number the extended sum gives. The same holds for the mean
// plus the old value, (sum + 8 * twin) * 2^-58.
constexpr double FixedScale = 0x1p55;
// The update runs on values scaled by 2^58, where the mean is the integer
// sum itself; rounding commutes with scaling by a power of two, so the result
// is the same once scaled back.
constexpr double UpdateScale = 0x1p58;
constexpr double UpdateUnscale = 0x1p-58;
// Below this a scaled-back result would be subnormal, where scaling no
// longer commutes with rounding.
constexpr double SmallestScaled = 0x1p-964;

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

void loadRow(TLimboRow& row, const TCell* __restrict cells, int countX)
{
    double* __restrict v0 = row.value[0].data() + 1;
    double* __restrict v1 = row.value[1].data() + 1;
    double* __restrict v2 = row.value[2].data() + 1;
    int64_t* __restrict f0 = row.fixed[0].data() + 1;
    int64_t* __restrict f1 = row.fixed[1].data() + 1;
    int64_t* __restrict f2 = row.fixed[2].data() + 1;
    uint8_t* __restrict inexact = row.inexact.data() + 1;
    uint8_t any = 0;
    for (int x = 0; x < countX; ++x) {
        const double a = cells[x].Potential[0];
        const double b = cells[x].Potential[1];
        const double c = cells[x].Potential[2];
        v0[x] = a;
        v1[x] = b;
        v2[x] = c;
        const uint8_t bad = fixedTwin(a, f0[x]) | fixedTwin(b, f1[x]) | fixedTwin(c, f2[x]);
        inexact[x] = bad;
        any |= bad;
    }
    row.anyInexact = any != 0;
    // The wrapped neighbours at both ends.
    const size_t last = size_t(countX);
    for (int k = 0; k < 3; ++k) {
        row.value[k][0] = row.value[k][last];
        row.value[k][last + 1] = row.value[k][1];
        row.fixed[k][0] = row.fixed[k][last];
        row.fixed[k][last + 1] = row.fixed[k][1];
    }
    row.inexact[0] = row.inexact[last];
    row.inexact[last + 1] = row.inexact[1];
}

// Neighbour sums of one row in integers, centre left out, and the same plus
// eight times the centre. Integer sums are exact in any order, so each column
// of three is added once and shared by the three cells that border it.
void fixedSums(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX, int64_t* __restrict column,
               int64_t* __restrict sums, int64_t* __restrict withCentre, int k)
{
    const int64_t* __restrict u = up.fixed[k].data();
    const int64_t* __restrict m = mid.fixed[k].data();
    const int64_t* __restrict d = down.fixed[k].data();
    const size_t n = size_t(countX) + 2;
    for (size_t x = 0; x < n; ++x)
        column[x] = u[x] + m[x] + d[x];
    for (size_t x = 1; x <= size_t(countX); ++x) {
        const int64_t s = column[x - 1] + column[x] + column[x + 1] - m[x];
        sums[x - 1] = s;
        withCentre[x - 1] = s + 8 * m[x];
    }
}

bool windowInexact(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, size_t x)
{
    return (up.inexact[x - 1] | up.inexact[x] | up.inexact[x + 1] | mid.inexact[x - 1] | mid.inexact[x]
            | mid.inexact[x + 1] | down.inexact[x - 1] | down.inexact[x] | down.inexact[x + 1])
        != 0;
}

} // namespace

void NeighbourMean(const World& world, int x, int y, long double means[3])
{
    const GridGeometry& g = world.Geometry;
    for (int k = 0; k < 3; ++k) {
        double rows[3][3];
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int nx = x + dx;
                int ny = y + dy;
                WrapCoords(nx, ny, g.CellCountX, g.CellCountY);
                rows[dy + 1][dx + 1] = world.Cells.at(nx, ny).Potential[k];
            }
        }
        means[k] = meanOfNine(rows[0] + 1, rows[1] + 1, rows[2] + 1, 0);
    }
}

void DiffuseFields(World& world, const TWeightTable& weights, TRandom& rng)
{
    const int countX = world.Geometry.CellCountX;
    const int countY = world.Geometry.CellCountY;
    if (countX <= 0 || countY <= 0)
        return;
    TCellList& cells = world.Cells;
    TLimbo& limbo = world.Limbo;

    const double diff[3] = {weights.DiffPop, weights.DiffServ, weights.DiffIndu};
    const double noise[3] = {weights.NoisePop, weights.NoiseServ, weights.NoiseIndu};
    double noiseScaled[3];
    bool scalable = true;
    for (int k = 0; k < 3; ++k) {
        noiseScaled[k] = noise[k] * UpdateScale;
        scalable = scalable && std::isfinite(noiseScaled[k]);
    }

    // Each row is updated in place once its means are known; the rows around
    // it keep their previous values in Limbo, so every mean comes from the
    // previous step (a synchronous update).
    TLimboRow& row0 = limbo.rows[3];
    loadRow(row0, cells.row(0), countX);
    TLimboRow* up = &limbo.rows[0];
    TLimboRow* mid = &row0;
    TLimboRow* down = &limbo.rows[1];
    loadRow(*up, cells.row(countY - 1), countX);
    if (countY > 1)
        loadRow(*down, cells.row(1), countX);
    else
        down = &row0;

    for (int y = 0; y < countY; ++y) {
        for (int k = 0; k < 3; ++k)
            fixedSums(*up, *mid, *down, countX, limbo.columns.data(), limbo.sums[k].data(), limbo.withCentre[k].data(),
                      k);
        const bool anyInexact = !scalable || up->anyInexact || mid->anyInexact || down->anyInexact;
        TCell* out = cells.row(y);
        for (size_t x = 1; x <= size_t(countX); ++x) {
            const double r = rng.Random();
            TCell& cell = out[x - 1];
            if (!(anyInexact && windowInexact(*up, *mid, *down, x))) {
                double result[3];
                for (int k = 0; k < 3; ++k) {
                    long double z;
                    if (diff[k] == 1.0) {
                        z = (long double)limbo.withCentre[k][x - 1];
                    } else {
                        z = (long double)limbo.sums[k][x - 1] * diff[k];
                        z += (long double)(limbo.withCentre[k][x - 1] - limbo.sums[k][x - 1]);
                    }
                    z += (long double)r * noiseScaled[k];
                    result[k] = double(z) * UpdateUnscale;
                }
                if ((result[0] == 0 || std::fabs(result[0]) >= SmallestScaled)
                    && (result[1] == 0 || std::fabs(result[1]) >= SmallestScaled)
                    && (result[2] == 0 || std::fabs(result[2]) >= SmallestScaled)) {
                    cell.Potential[0] = result[0];
                    cell.Potential[1] = result[1];
                    cell.Potential[2] = result[2];
                    continue;
                }
            }
            for (int k = 0; k < 3; ++k) {
                const long double mean
                    = meanOfNine(up->value[k].data(), mid->value[k].data(), down->value[k].data(), x);
                cell.Potential[k] = double(mean * diff[k] + mid->value[k][x] + (long double)r * noise[k]);
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
            loadRow(*spare, cells.row(y + 2), countX);
            down = spare;
        } else {
            down = &row0;
        }
    }
}

void NormalizeFields(World& world)
{
    // The scan order does not change a maximum or a minimum, so one pass finds
    // the ranges of all three fields.
    RangeScan range[3] = {{1e-8, 9999999999.0}, {1e-8, 9999999999.0}, {1e-8, 9999999999.0}};
    TCell* begin = world.Cells.data();
    const size_t count = world.Cells.size();
    size_t i = 0;
    for (; i + 1 < count; i += 2) {
        for (int k = 0; k < 3; ++k) {
            range[k].add(0, begin[i].Potential[k]);
            range[k].add(1, begin[i + 1].Potential[k]);
        }
    }
    if (i < count)
        for (int k = 0; k < 3; ++k)
            range[k].add(0, begin[i].Potential[k]);
    double lo[3];
    double f[3];
    for (int k = 0; k < 3; ++k) {
        const double hi = range[k].high();
        lo[k] = range[k].low();
        if (hi != lo[k]) {
            f[k] = 10.0 / (hi - lo[k]);
        } else {
            f[k] = 1.0;
            lo[k] = 0.0;
        }
    }
    for (i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k)
            begin[i].Potential[k] = (begin[i].Potential[k] - lo[k]) * f[k];
}

} // namespace landuse
