#include "model/fields.h"

namespace landuse {

void NeighbourMean(World& world, int x, int y)
{
    const GridGeometry& g = world.Geometry;
    for (int k = 0; k < 3; ++k) {
        long double& mean = world.Limbo.at(k, x, y);
        mean = 0;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int nx = x + dx;
                int ny = y + dy;
                WrapCoords(nx, ny, g.CellCountX, g.CellCountY);
                mean += world.Cells.at(nx, ny).Potential[k];
            }
        }
        mean -= world.Cells.at(x, y).Potential[k];
        mean /= 8;
    }
}

namespace {

// The mean pass of one row, the three fields interleaved: their 80-bit sums
// are independent chains, so the processor can overlap them. The additions of
// each field keep the order of NeighbourMean, so the results are the same.
void meanRow(const TCell* up, const TCell* mid, const TCell* down, int countX, long double* m0,
             long double* m1, long double* m2)
{
    for (int x = 0; x < countX; ++x) {
        const int xl = x == 0 ? countX - 1 : x - 1;
        const int xr = x == countX - 1 ? 0 : x + 1;
        const TCell* cells[9] = {up + xl, up + x, up + xr, mid + xl, mid + x, mid + xr, down + xl, down + x, down + xr};
        long double s0 = cells[0]->Potential[0];
        long double s1 = cells[0]->Potential[1];
        long double s2 = cells[0]->Potential[2];
        for (int n = 1; n < 9; ++n) {
            s0 += cells[n]->Potential[0];
            s1 += cells[n]->Potential[1];
            s2 += cells[n]->Potential[2];
        }
        s0 -= mid[x].Potential[0];
        s1 -= mid[x].Potential[1];
        s2 -= mid[x].Potential[2];
        m0[x] = s0 / 8;
        m1[x] = s1 / 8;
        m2[x] = s2 / 8;
    }
}

} // namespace

void DiffuseFields(World& world, const TWeightTable& weights, TRandom& rng)
{
    const int countX = world.Geometry.CellCountX;
    const int countY = world.Geometry.CellCountY;
    if (countX <= 0 || countY <= 0)
        return;
    TCellList& cells = world.Cells;
    long double* m0 = world.Limbo.field(0);
    long double* m1 = world.Limbo.field(1);
    long double* m2 = world.Limbo.field(2);

    // Reads only Potential and writes only Limbo: every mean comes from the
    // previous step's values.
    for (int y = 0; y < countY; ++y) {
        const int yu = y == 0 ? countY - 1 : y - 1;
        const int yd = y == countY - 1 ? 0 : y + 1;
        const size_t offset = size_t(y) * size_t(countX);
        meanRow(cells.row(yu), cells.row(y), cells.row(yd), countX, m0 + offset, m1 + offset, m2 + offset);
    }

    const long double d0 = weights.DiffPop, d1 = weights.DiffServ, d2 = weights.DiffIndu;
    const long double n0 = weights.NoisePop, n1 = weights.NoiseServ, n2 = weights.NoiseIndu;
    TCell* cell = cells.data();
    const size_t count = cells.size();
    for (size_t i = 0; i < count; ++i, ++cell) {
        const long double r = rng.Random();
        cell->Potential[0] = double(m0[i] * d0 + cell->Potential[0] + r * n0);
        cell->Potential[1] = double(m1[i] * d1 + cell->Potential[1] + r * n1);
        cell->Potential[2] = double(m2[i] * d2 + cell->Potential[2] + r * n2);
    }
}

void NormalizeFields(World& world)
{
    // The scan order does not change a maximum or a minimum, so one pass finds
    // the ranges of all three fields.
    double hi[3] = {1e-8, 1e-8, 1e-8};
    double lo[3] = {9999999999.0, 9999999999.0, 9999999999.0};
    TCell* begin = world.Cells.data();
    TCell* end = begin + world.Cells.size();
    for (const TCell* c = begin; c != end; ++c) {
        for (int k = 0; k < 3; ++k) {
            const double p = c->Potential[k];
            if (p > hi[k])
                hi[k] = p;
            if (p < lo[k])
                lo[k] = p;
        }
    }
    bool scale[3];
    double f[3];
    for (int k = 0; k < 3; ++k) {
        scale[k] = hi[k] != lo[k];
        f[k] = scale[k] ? 10.0 / (hi[k] - lo[k]) : 1.0;
        if (!scale[k])
            lo[k] = 0.0;
    }
    for (TCell* c = begin; c != end; ++c)
        for (int k = 0; k < 3; ++k)
            c->Potential[k] = (c->Potential[k] - lo[k]) * f[k];
}

} // namespace landuse
