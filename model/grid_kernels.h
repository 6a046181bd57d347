#pragma once
// The whole-grid passes that have machine code for more than one kind of
// processor, as one table per kernel choice. A pass looks its table up once;
// every entry gives the same bits in every table.

#include "model/empty_cell_survey.h"
#include "model/grid.h"
#include "model/random.h"

#include <cstddef>
#include <cstdint>

namespace landuse {

// How RescaleTracks rescales: track marks (v - loT) * fT everywhere, return
// marks (v - loR) * fR where v > 0, and only when scaleR.
struct TrackScale {
    bool scaleR;
    double loR, fR;
    double loT, fT;
};

// Values of a row for the fast update: the scaled update of value i
// = 3 * x + k (field k of column x) is withCentre[i] + draws[x] * noise[k]
// in extended precision, times 2^-58, stored as a double. Writes that into
// out[x].Potential[k] wherever it can vouch for the very double extended
// precision gives, and lists in `unsure` the indices of the values it cannot
// vouch for, which the caller computes by the formula; returns how many.
// Each noise must pass FastUpdateTakes.
using UpdateRowOneFn = size_t (*)(TCell* out, int countX, const int64_t* withCentre, const double* draws,
                                  const double noise[3], uint32_t* unsure);

// A scaled noise the fast update can take: zero, or finite and within
// 2^-800 .. 2^900 in magnitude, so that no product or sum of it leaves the
// range where doubles round as the error bounds assume.
inline bool FastUpdateTakes(double noise)
{
    const double m = noise < 0 ? -noise : noise;
    return m == 0.0 || (m >= 0x1p-800 && m <= 0x1p900);
}

// One row of the diffusion's scratch from the grid: values, fixed-point
// twins and their flags, the wrapped ends and the sums across.
using LoadRowFn = void (*)(TLimboRow& row, const TCell* cells, int countX);

// Neighbour sums of the middle row, centre left out, and the same plus
// eight times the centre.
using RowSumsFn = void (*)(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX, int64_t* sums,
                           int64_t* withCentre);

// The sums plus eight times the centre (as RowSumsFn gives them) of the
// middle row, and the row's random numbers, one per cell in column order,
// drawn from `rng`; the cells of `next` are fetched meanwhile. What the fast
// update reads, in one loop, so that the generator's chain of dependent
// steps runs beside the loads and stores of the sums.
using CentreSumsDrawingFn = void (*)(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX,
                                     int64_t* withCentre, double* draws, TRandom& rng, const TCell* next);

struct GridKernelTable {
    LoadRowFn loadRow;
    RowSumsFn rowSums;
    // The update of a row whose coefficients are all 1, several values at
    // once (see UpdateRowOne); none where only the formula runs.
    UpdateRowOneFn updateRowOne;
    // Lists in limbo.redo the values of the middle row whose window holds a
    // value without a twin; returns how many.
    size_t (*listInexact)(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX,
                          TLimbo& limbo);
    // Adds a finished row, whose first cell has row-major index `first`, to
    // the survey's bounds and candidates.
    void (*surveyRow)(const TCell* row, int countX, uint32_t first, FieldSurvey& survey);

    // Bounds of the fields over all cells, exactly as a scan in row order
    // finds them from FieldHiStart and FieldLoStart.
    void (*fieldBounds)(const TCell* cells, size_t count, double hi[3], double lo[3]);
    // Potential[k] = (Potential[k] - lo[k]) * f[k] on every cell.
    void (*rescaleFields)(TCell* cells, size_t count, const double lo[3], const double f[3]);
    // The same, and the survey that `empty` asks for, of the cells as the
    // rescale leaves them; its word is surveyable and its count is `count`.
    void (*rescaleFieldsSurveying)(TCell* cells, size_t count, const double lo[3], const double f[3],
                                   EmptyCellSurvey& empty);
    // Bounds of TrackValue ([0]) and ReturnTrackValue ([1]) the same way,
    // from TrackHiStart and TrackLoStart.
    void (*trackBounds)(const TCell* cells, size_t count, double hi[2], double lo[2]);
    void (*rescaleTracks)(TCell* cells, size_t count, const TrackScale& scale);
    // None where the sums and the draws run one after the other.
    CentreSumsDrawingFn centreSumsDrawing;
};

inline constexpr double TrackHiStart = 0.1;
inline constexpr double TrackLoStart = 99999999999.0;

// The portable table: x86-64 code, with AVX2 and FMA for the update and
// the row load where the processor has them.
const GridKernelTable& PortableGridKernels();
// The same without any AVX2: the formula for every update.
const GridKernelTable& PlainGridKernels();
// Whether the processor and the build run AVX2 and FMA.
bool CpuHasAvx2();
// Puts the field update, the row load and the neighbour sums (with the
// row's draws) in AVX2 and FMA into `table` where CpuHasAvx2; leaves the
// table as it is otherwise.
void UseAvx2RowKernels(GridKernelTable& table);
// Puts the track bounds, the rescales and the row survey in AVX2 into `table` where the
// processor has it; leaves the table as it is otherwise.
void UseAvx2Passes(GridKernelTable& table);
// The AVX-512 table, or nothing where the processor or the build has none.
const GridKernelTable* Avx512GridKernels();

// The table that a grid's kernel choice runs.
inline const GridKernelTable& GridKernelsOf(const Grid& grid)
{
    if (grid.Kernels != GridKernels::Portable)
        if (const GridKernelTable* wide = Avx512GridKernels())
            return *wide;
    return PortableGridKernels();
}

// Shared by the tables' diffusion rows (see TLimboRow): a value's exact
// fixed-point twin is value * FixedScale.
inline constexpr double FixedScale = 0x1p55;

// Copies the entries of the last column before column 0 and those of
// column 0 after the last column.
void WrapLimboRow(TLimboRow& row, int countX);

} // namespace landuse
