#pragma once
// The diffusion of the three potential fields, and its scratch rows.

#include "model/cache_lines.h"
#include "model/field_survey.h"
#include "model/random.h"
#include "model/weighttable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace landuse {

// Scratch space of the field diffusion, sized with the grid at setup. The
// diffusion updates the grid row by row in place, so it keeps the previous
// step's values of the rows around the one it updates (and of row 0, which
// the last row wraps to). A row holds the three fields of a cell side by
// side, field k of column x at index Lead + 3 * x + k, with the wrapped
// neighbour just before column 0 and just after the last column. Next to
// each value sits its exact fixed-point twin, so that neighbour sums can be
// added in integers whenever that gives the extended-precision sum exactly.
// Every array starts on a cache line (so does column 0) and runs on past its
// last entry, so that vector code may read and write whole lines there.
struct TLimboRow {
    template <class T>
    using Lines = CacheLineVector<T>;

    static constexpr size_t Lead = 8;

    Lines<double> value;
    Lines<int64_t> fixed;   // value * 2^55 when exact
    Lines<uint8_t> inexact; // nonzero where a value has no exact twin
    Lines<int64_t> across;  // index 3 * x + k: twins of columns x - 1, x, x + 1
    bool anyInexact = false;
};

struct TLimbo {
    static constexpr size_t Slack = 32;

    void resize(int countX)
    {
        const size_t padded = TLimboRow::Lead + 3 * (size_t(countX) + 1) + Slack;
        const size_t inner = 3 * size_t(countX) + Slack;
        for (TLimboRow& row : rows) {
            row.value.assign(padded, 0.0);
            row.fixed.assign(padded, 0);
            row.inexact.assign(padded, 0);
            row.across.assign(inner, 0);
            row.anyInexact = false;
        }
        sums.assign(inner, 0);
        withCentre.assign(inner, 0);
        draws.assign(size_t(countX) + Slack, 0.0);
        columnInexact.assign(padded, 0);
        redo.assign(inner, 0);
        unsure.assign(inner, 0);
    }
    void clear() { *this = TLimbo{}; }

    TLimboRow rows[4];                       // three rolling rows and row 0
    TLimboRow::Lines<int64_t> sums;          // neighbour sums of the row being updated
    TLimboRow::Lines<int64_t> withCentre;    // the same plus eight times the centre
    TLimboRow::Lines<double> draws;          // the row's random numbers, one per cell
    TLimboRow::Lines<uint8_t> columnInexact; // inexact of the three rows, or-ed
    TLimboRow::Lines<uint32_t> redo;         // values of the row the formula computes
    TLimboRow::Lines<uint32_t> unsure;       // values the fast update leaves to the formula
};

struct Grid;
struct GridKernelTable;

// The mean of each field over the eight neighbours of (x, y), with
// wrap-around: the nine cells summed in extended precision in row order,
// less the centre, divided by 8.
void NeighbourMean(const Grid& grid, int x, int y, long double means[3]);

// Every cell at once from the previous step's values:
// Potential[k] = mean_k * Diff_k + Potential[k] + r * Noise_k in extended
// precision, with one Random r per cell in row-major order shared by the
// three fields.
void DiffuseFields(Grid& grid, const TWeightTable& weights, TRandom& rng);

// The same, noting the new fields' bounds and the growth candidates that
// `survey` asks for while each row is still at hand.
void DiffuseFields(Grid& grid, const TWeightTable& weights, TRandom& rng, FieldSurvey& survey);

// The update pass of one row alone, as DiffuseFields runs it with `kernels`
// from the sums that the kernels' rowSums left in `limbo`: draws the row's
// random numbers and writes Potential. False, with nothing done, where the
// weights leave every value to the formula on the field values themselves.
// For the benchmarks.
bool UpdateFieldRow(const GridKernelTable& kernels, const TWeightTable& weights, TCell* out, int countX,
                    TLimbo& limbo, TRandom& rng);

} // namespace landuse
