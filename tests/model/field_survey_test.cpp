#include "model/field_survey.h"
#include "model/fields.h"
#include "model/grid_kernels.h"

#include "support/grid_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace landuse;

using namespace landuse::test;

namespace {

World makeWorld(int countX, int countY, GridKernels kernels)
{
    World w;
    w.Kernels = kernels;
    w.Geometry.CellCountX = countX;
    w.Geometry.CellCountY = countY;
    w.Cells.resize(countX, countY);
    return w;
}

// Row by row, as the diffusion hands its rows to the survey.
void surveyGrid(const World& w, FieldSurvey& survey)
{
    const GridKernelTable& kernels = GridKernelsOf(w);
    survey.startRanges();
    for (int y = 0; y < w.Cells.countY(); ++y)
        kernels.surveyRow(w.Cells.row(y), w.Cells.countX(), uint32_t(y * w.Cells.countX()), survey);
    survey.ranged = true;
}

// The bounds from their definition: one scan in row order, a value
// replacing a bound only when strictly beyond it.
void scanBounds(const World& w, double hi[3], double lo[3])
{
    for (int k = 0; k < 3; ++k) {
        hi[k] = FieldHiStart;
        lo[k] = FieldLoStart;
        for (size_t i = 0; i < w.Cells.size(); ++i) {
            const double v = w.Cells.data()[i].Potential[k];
            if (v > hi[k])
                hi[k] = v;
            if (v < lo[k])
                lo[k] = v;
        }
    }
}

size_t argBound(const World& w, int k, bool high)
{
    double hi[3], lo[3];
    scanBounds(w, hi, lo);
    for (size_t i = 0; i < w.Cells.size(); ++i)
        if (w.Cells.data()[i].Potential[k] == (high ? hi[k] : lo[k]))
            return i;
    return 0;
}

} // namespace

TEST(FieldSurvey, PoolsKeepTheBestCandidatesInPickOrder)
{
    // Values on a coarse grid so that ties are common, with zeros of both
    // signs, negatives and NaN, none of which may be taken.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (size_t keep : {size_t(0), size_t(1), size_t(3), size_t(64), size_t(65), size_t(700), size_t(9000)}) {
        for (uint64_t seed = 1; seed <= 3; ++seed) {
            TRandom fill(seed);
            CandidatePool pool;
            pool.reset(keep);
            std::vector<GrowthCandidate> all;
            for (uint32_t i = 0; i < 12000; ++i) {
                double v = fill.Random(40) * 0.25 - 2.0;
                const int32_t odd = fill.Random(50);
                v = odd == 0 ? -0.0 : odd == 1 ? nan : odd == 2 ? 1e300 : v;
                pool.offer(v, i);
                if (v > 0)
                    all.push_back({v, i});
            }
            std::stable_sort(all.begin(), all.end(),
                             [](const GrowthCandidate& a, const GrowthCandidate& b) { return a.value > b.value; });
            const size_t want = std::min(keep, all.size());
            EXPECT_EQ(pool.complete(), all.size() < keep) << keep << " " << seed;
            const std::span<const GrowthCandidate> got = pool.ranked();
            ASSERT_EQ(got.size(), want) << keep << " " << seed;
            for (size_t i = 0; i < want; ++i) {
                EXPECT_EQ(got[i].index, all[i].index) << keep << " " << seed << " rank " << i;
                EXPECT_EQ(bits(got[i].value), bits(all[i].value)) << keep << " " << seed << " rank " << i;
            }
        }
    }
}

TEST(FieldSurvey, CandidatesAreTheEmptyCellsOfEachField)
{
    for (GridKernels kernels : kernelsToTry()) {
        // Widths that end rows inside a four-cell block.
        for (int countX : {1, 5, 6, 13}) {
            World w = makeWorld(countX, 9, kernels);
            TRandom fill{uint64_t(countX)};
            for (size_t i = 0; i < w.Cells.size(); ++i) {
                TCell& c = w.Cells.data()[i];
                for (int k = 0; k < 3; ++k)
                    c.Potential[k] = fill.Random(6) * 0.5 - 0.5;
                c.LandUse = fill.Random(4) == 0 ? Service : Empty;
            }
            FieldSurvey survey;
            CandidatePool expected[3];
            for (int k = 0; k < 3; ++k) {
                survey.candidates[k].reset(size_t(k) * 7 + 2);
                expected[k].reset(size_t(k) * 7 + 2);
            }
            surveyGrid(w, survey);
            CollectCandidates(w.Cells.data(), w.Cells.size(), expected);
            for (int k = 0; k < 3; ++k) {
                const std::span<const GrowthCandidate> got = survey.candidates[k].ranked();
                const std::span<const GrowthCandidate> want = expected[k].ranked();
                ASSERT_EQ(got.size(), want.size()) << kernelName(kernels) << " " << countX << " field " << k;
                for (size_t i = 0; i < want.size(); ++i) {
                    EXPECT_EQ(got[i].index, want[i].index) << kernelName(kernels) << " " << countX << " field " << k;
                    EXPECT_EQ(w.Cells.data()[got[i].index].LandUse, Empty);
                }
            }
        }
    }
}

TEST(FieldSurvey, BoundsFollowChangedCellsBitForBit)
{
    // Fields with ties, zeros of both signs (0 first in one field, -0 first
    // in another), negatives, NaN, and one field that is 0 everywhere.
    // Changes as growth makes them, with weights below, at and above 0,
    // often on the cells at a bound and on the same cell again.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double weights[] = {-1.0, -0.5, -0.0, 0.0, 0.25, 1.0, 40.0};
    size_t told = 0, scanned = 0;
    for (GridKernels kernels : kernelsToTry()) {
        for (uint64_t seed = 1; seed <= 80; ++seed) {
            // Odd seeds aim changes at the bounds, one in four on small grids
            // of coarse values, where a bound is often held by several cells.
            const bool aimed = seed % 2 == 1;
            const bool coarse = seed % 4 == 1;
            World start = makeWorld(coarse ? int(3 + seed % 9) : 40, 5, kernels);
            TRandom fill(seed);
            for (size_t i = 0; i < start.Cells.size(); ++i) {
                TCell& c = start.Cells.data()[i];
                c.Potential[0] = fill.Random(coarse ? 8 : 200) * 0.5;
                c.Potential[1] = fill.Random(3) == 0 ? (fill.Random(2) == 0 ? 0.0 : -0.0) : fill.Random(coarse ? 5 : 100) * 2.0 - 1.0;
                c.Potential[2] = seed % 6 == 0 ? 0.0 : fill.Random(10) == 0 ? nan : fill.Random(coarse ? 4 : 100) * 0.25;
            }
            if (seed % 4 == 1)
                start.Cells.data()[0].Potential[1] = -0.0;
            World w = start;
            FieldSurvey survey;
            surveyGrid(w, survey);
            const int changes = 1 + fill.Random(aimed ? 2 : 6);
            for (int n = 0; n < changes; ++n) {
                const int32_t which = aimed ? fill.Random(5) : 3;
                const size_t i = which == 0   ? argBound(w, fill.Random(3), true)
                                 : which == 1 ? argBound(w, fill.Random(3), false)
                                 : which == 2 ? 0
                                              : size_t(fill.Random(int32_t(w.Cells.size())));
                TCell& c = w.Cells.data()[i];
                double before[3];
                for (int k = 0; k < 3; ++k) {
                    before[k] = c.Potential[k];
                    c.Potential[k] += weights[fill.Random(7)];
                }
                survey.noteChange(uint32_t(i), before, c.Potential);
            }
            const std::string what = kernelName(kernels) + ", seed " + std::to_string(seed);
            double hi[3], lo[3], wantHi[3], wantLo[3];
            scanBounds(w, wantHi, wantLo);
            if (survey.currentBounds(hi, lo)) {
                ++told;
                for (int k = 0; k < 3; ++k) {
                    EXPECT_EQ(bits(hi[k]), bits(wantHi[k])) << what << " field " << k;
                    EXPECT_EQ(bits(lo[k]), bits(wantLo[k])) << what << " field " << k;
                }
            } else {
                ++scanned;
            }
            // The bounds the step hands the rescale, told or scanned: a scan's.
            const FieldBounds handed = FieldBoundsOf(w, survey);
            const FieldBounds byScan = ScanFieldBounds(w);
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(bits(handed.hi[k]), bits(wantHi[k])) << what << " field " << k;
                EXPECT_EQ(bits(handed.lo[k]), bits(wantLo[k])) << what << " field " << k;
                EXPECT_EQ(bits(byScan.hi[k]), bits(wantHi[k])) << what << " field " << k;
                EXPECT_EQ(bits(byScan.lo[k]), bits(wantLo[k])) << what << " field " << k;
            }
            World plain = w;
            NormalizeFields(w, handed);
            NormalizeFields(plain);
            expectSameCells(w, plain, what);
        }
    }
    // Both ways through the rescale were taken.
    EXPECT_GT(told, 20u);
    EXPECT_GT(scanned, 20u);
}

TEST(FieldSurvey, OneChangeAtOrBeyondABound)
{
    // Field 0 holds 1..n with its bounds on single cells, field 1 the same
    // with the low bound a 0 on cell 4 and further zeros after it, field 2
    // is 0 but for 2 on cells 0, 7 and the top and 3 on cell 1. One cell
    // changes; `exact` tells whether the survey must know the new bounds
    // without a scan.
    struct Case {
        size_t cell;
        double after[3];
        bool exact;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const size_t top = 20; // the cell holding the highest values
    const Case cases[] = {
        {top, {40, 40, 2.5}, true},    // the top rises
        {top, {5, 5, 1.5}, false},     // the top falls: the next one is unknown
        {top, {nan, nan, nan}, false},
        {0, {-3, -3, -1}, true},       // a new low
        {0, {7, 7, 1}, false},         // the low rises
        {7, {30, 30, 0.5}, true},      // a new top elsewhere
        {7, {-0.0, -0.0, -0.0}, false}, // a zero beside zero low bounds
        {1, {2.5, -0.0, 3.5}, false},  // -0 before the first 0 of field 1
        {9, {nan, nan, nan}, false},   // field 2 loses a cell at its low bound
        {9, {8.5, 8.5, 0}, false},
        {12, {nan, 2.5, 3}, false},
    };
    for (GridKernels kernels : kernelsToTry()) {
        for (size_t c = 0; c < sizeof(cases) / sizeof(cases[0]); ++c) {
            World w = makeWorld(7, 3, kernels);
            for (size_t i = 0; i < w.Cells.size(); ++i) {
                TCell& cell = w.Cells.data()[i];
                cell.Potential[0] = i == top ? 30.0 : double(i + 1);
                cell.Potential[1] = i == top ? 30.0 : i == 4 || i > 14 ? 0.0 : double(i + 1);
                cell.Potential[2] = i == 1 ? 3.0 : i == 0 || i == 7 || i == top ? 2.0 : 0.0;
            }
            FieldSurvey survey;
            surveyGrid(w, survey);
            TCell& cell = w.Cells.data()[cases[c].cell];
            double before[3];
            for (int k = 0; k < 3; ++k) {
                before[k] = cell.Potential[k];
                cell.Potential[k] = cases[c].after[k];
            }
            survey.noteChange(uint32_t(cases[c].cell), before, cell.Potential);
            const std::string what = kernelName(kernels) + ", case " + std::to_string(c);
            double hi[3], lo[3], wantHi[3], wantLo[3];
            scanBounds(w, wantHi, wantLo);
            const bool told = survey.currentBounds(hi, lo);
            if (cases[c].exact) {
                EXPECT_TRUE(told) << what;
            }
            if (told) {
                for (int k = 0; k < 3; ++k) {
                    EXPECT_EQ(bits(hi[k]), bits(wantHi[k])) << what << " field " << k;
                    EXPECT_EQ(bits(lo[k]), bits(wantLo[k])) << what << " field " << k;
                }
            }
        }
    }
}

TEST(FieldSurvey, NoSurveyOrAZeroLowOfUnknownSignMeansAScan)
{
    for (GridKernels kernels : kernelsToTry()) {
        World w = makeWorld(7, 3, kernels);
        FieldSurvey survey;
        double hi[3], lo[3];
        EXPECT_FALSE(survey.currentBounds(hi, lo)) << "never surveyed";
        for (size_t i = 0; i < w.Cells.size(); ++i)
            w.Cells.data()[i].Potential[2] = i % 5 == 3 ? -0.0 : 1.0;
        surveyGrid(w, survey);
        EXPECT_FALSE(survey.currentBounds(hi, lo)) << kernelName(kernels);
        w.Cells.data()[3].Potential[2] = 0.0;
        w.Cells.data()[8].Potential[2] = 0.0;
        w.Cells.data()[13].Potential[2] = 0.0;
        w.Cells.data()[18].Potential[2] = 0.0;
        surveyGrid(w, survey);
        ASSERT_TRUE(survey.currentBounds(hi, lo)) << kernelName(kernels);
        EXPECT_EQ(bits(lo[2]), bits(0.0));
        EXPECT_EQ(hi[0], FieldHiStart);
        EXPECT_EQ(lo[0], 0.0);
    }
}
