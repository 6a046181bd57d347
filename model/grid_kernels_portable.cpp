// The grid kernels for any processor.

#include "model/grid_kernels.h"

#include "model/range_scan.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace landuse {

namespace {

constexpr size_t Lead = TLimboRow::Lead;

size_t rowIndex(int x, int k)
{
    return Lead + 3 * size_t(x) + size_t(k);
}

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
    WrapLimboRow(row, countX);
    acrossPortable(row, countX);
}

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

// A test per value took longer than the formulas it saves, so the flags of
// the three rows are or-ed first and looked at eight values at a time.
size_t listInexactPortable(const TLimboRow& up, const TLimboRow& mid, const TLimboRow& down, int countX,
                           TLimbo& limbo)
{
    const uint8_t* __restrict a = up.inexact.data();
    const uint8_t* __restrict b = mid.inexact.data();
    const uint8_t* __restrict d = down.inexact.data();
    uint8_t* __restrict column = limbo.columnInexact.data();
    uint32_t* __restrict list = limbo.redo.data();
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

// Even columns go to lanes 0..2 of the survey, odd ones to lanes 6..8: two
// chains of compares rather than one.
void surveyRowPortable(const TCell* row, int countX, uint32_t first, FieldSurvey& survey)
{
    double hi[2][3], lo[2][3];
    uint64_t bits[2][3];
    for (int h = 0; h < 2; ++h) {
        for (int k = 0; k < 3; ++k) {
            hi[h][k] = survey.laneHi[CellWords * h + k];
            lo[h][k] = survey.laneLo[CellWords * h + k];
            bits[h][k] = survey.laneBits[CellWords * h + k];
        }
    }
    double floor[3] = {survey.candidates[0].floor(), survey.candidates[1].floor(), survey.candidates[2].floor()};
    const auto add = [&](int h, int x) {
        const TCell& c = row[x];
        bool above = false;
        for (int k = 0; k < 3; ++k) {
            const double v = c.Potential[k];
            hi[h][k] = v > hi[h][k] ? v : hi[h][k];
            lo[h][k] = v < lo[h][k] ? v : lo[h][k];
            bits[h][k] |= std::bit_cast<uint64_t>(v);
            above = above || v > floor[k];
        }
        if (above && c.LandUse == Empty) {
            for (int k = 0; k < 3; ++k) {
                survey.candidates[k].offer(c.Potential[k], first + uint32_t(x));
                floor[k] = survey.candidates[k].floor();
            }
        }
    };
    int x = 0;
    for (; x + 1 < countX; x += 2) {
        add(0, x);
        add(1, x + 1);
    }
    if (x < countX)
        add(0, x);
    for (int h = 0; h < 2; ++h) {
        for (int k = 0; k < 3; ++k) {
            survey.laneHi[CellWords * h + k] = hi[h][k];
            survey.laneLo[CellWords * h + k] = lo[h][k];
            survey.laneBits[CellWords * h + k] = bits[h][k];
        }
    }
}

void fieldBoundsPortable(const TCell* cells, size_t count, double hi[3], double lo[3])
{
    // The scan order does not change a maximum or a minimum (but see
    // RangeScan on zeros), so one pass finds the ranges of all three fields.
    RangeScan range[3] = {{FieldHiStart, FieldLoStart}, {FieldHiStart, FieldLoStart}, {FieldHiStart, FieldLoStart}};
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
        lo[k] = SettledLow(range[k], cells, count, k, FieldLoStart);
    }
}

void rescaleFieldsPortable(TCell* cells, size_t count, const double lo[3], const double f[3])
{
    for (size_t i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k)
            cells[i].Potential[k] = (cells[i].Potential[k] - lo[k]) * f[k];
}

// Without a branch on the land use, which mixes along a row: a cell that is
// not empty offers the bounds' start values, which never enter, and writes
// its index where the next one goes unless it counts. Two chains of
// compares, for even and odd cells, as in RangeScan.
void rescaleFieldsSurveyingPortable(TCell* cells, size_t count, const double lo[3], const double f[3],
                                    EmptyCellSurvey& empty)
{
    constexpr double Inf = std::numeric_limits<double>::infinity();
    // Copies, which the stores into the cells cannot touch.
    const double l0 = lo[0], l1 = lo[1], l2 = lo[2];
    const double f0 = f[0], f1 = f[1], f2 = f[2];
    const int word = empty.word();
    uint32_t* occupied = empty.occupiedRoom();
    size_t occupiedCount = 0;
    double hi[2] = {-Inf, -Inf};
    double low[2] = {Inf, Inf};
    const auto add = [&](size_t i, int h) {
        TCell& cell = cells[i];
        cell.Potential[0] = (cell.Potential[0] - l0) * f0;
        cell.Potential[1] = (cell.Potential[1] - l1) * f1;
        cell.Potential[2] = (cell.Potential[2] - l2) * f2;
        const bool free = cell.LandUse == Empty;
        const double v = CellWord(cell, word);
        const double up = free ? v : -Inf;
        const double down = free ? v : Inf;
        hi[h] = up > hi[h] ? up : hi[h];
        low[h] = down < low[h] ? down : low[h];
        occupied[occupiedCount] = uint32_t(i);
        occupiedCount += free ? 0 : 1;
    };
    size_t i = 0;
    for (; i + 1 < count; i += 2) {
        add(i, 0);
        add(i + 1, 1);
    }
    if (i < count)
        add(i, 0);
    empty.finish(hi[1] > hi[0] ? hi[1] : hi[0], low[1] < low[0] ? low[1] : low[0], occupiedCount);
}

void trackBoundsPortable(const TCell* cells, size_t count, double hi[2], double lo[2])
{
    RangeScan track(TrackHiStart, TrackLoStart);
    RangeScan ret(TrackHiStart, TrackLoStart);
    size_t i = 0;
    for (; i + 1 < count; i += 2) {
        track.add(0, cells[i].TrackValue);
        ret.add(0, cells[i].ReturnTrackValue);
        track.add(1, cells[i + 1].TrackValue);
        ret.add(1, cells[i + 1].ReturnTrackValue);
    }
    if (i < count) {
        track.add(0, cells[i].TrackValue);
        ret.add(0, cells[i].ReturnTrackValue);
    }
    hi[0] = track.high();
    lo[0] = SettledLow(track, cells, count, TrackWord, TrackLoStart);
    hi[1] = ret.high();
    lo[1] = SettledLow(ret, cells, count, ReturnTrackWord, TrackLoStart);
}

void rescaleTracksPortable(TCell* cells, size_t count, const TrackScale& s)
{
    for (size_t i = 0; i < count; ++i) {
        if (s.scaleR) {
            const double r = cells[i].ReturnTrackValue;
            cells[i].ReturnTrackValue = r > 0 ? (r - s.loR) * s.fR : r;
        }
        cells[i].TrackValue = (cells[i].TrackValue - s.loT) * s.fT;
    }
}

constexpr GridKernelTable Plain = {
    loadRowPortable,
    sumsPortable,
    nullptr,
    listInexactPortable,
    surveyRowPortable,
    fieldBoundsPortable,
    rescaleFieldsPortable,
    rescaleFieldsSurveyingPortable,
    trackBoundsPortable,
    rescaleTracksPortable,
    nullptr,
};

} // namespace

void WrapLimboRow(TLimboRow& row, int countX)
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

const GridKernelTable& PlainGridKernels()
{
    return Plain;
}

const GridKernelTable& PortableGridKernels()
{
    static const GridKernelTable portable = [] {
        GridKernelTable t = Plain;
        UseAvx2RowKernels(t);
        UseAvx2Passes(t);
        return t;
    }();
    return portable;
}

} // namespace landuse
