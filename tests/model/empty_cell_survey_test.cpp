// The survey of the empty cells that the field rescale takes on its way.

#include "model/empty_cell_survey.h"
#include "model/fields.h"
#include "model/grid_kernels.h"
#include "model/random.h"

#include "support/empty_cells.h"
#include "support/grid_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace landuse;

using namespace landuse::test;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Every surveyable word holds plain numbers, zeros of both signs, NaN and
// infinities. Most cells are empty, and some of those hold agents, so that
// the word LandUse shares with AgentCount is not zero; the others hold every
// land use and codes that are none.
std::vector<TCell> mixedCells(size_t count, uint64_t seed)
{
    const double odd[] = {0.0, -0.0, NaN, Inf, -Inf, 1e300, -1e300, 4e-320};
    const int32_t uses[] = {Barrier, Residential, Destination, Service, Industry, -1, 77, int32_t(0x80000000)};
    TRandom fill(seed);
    std::vector<TCell> cells(count);
    for (size_t i = 0; i < count; ++i) {
        TCell& c = cells[i];
        for (int w = 0; w < 5; ++w) {
            double v = (fill.Random() - 0.4) * 20;
            if (fill.Random(4) == 0)
                v = odd[fill.Random(8)];
            double* word = w < 3 ? &c.Potential[w] : w == TrackWord ? &c.TrackValue : &c.ReturnTrackValue;
            *word = v;
        }
        c.LandUse = fill.Random(3) == 0 ? uses[fill.Random(8)] : Empty;
        c.AgentCount = fill.Random(3) == 0 ? int32_t(fill.Random(5)) - 1 : 0;
    }
    return cells;
}

} // namespace

TEST(EmptyCellSurvey, RescaleSurveysAsAScanInRowOrderAfterIt)
{
    const std::vector<TCell> start = mixedCells(44, 9);
    const double lo[3] = {-3.5, 0.25, -0.0};
    const double f[3] = {0.5, 7.0, 1.0};
    for (GridKernels kernels : kernelsToTry()) {
        World w;
        w.Kernels = kernels;
        const GridKernelTable& table = GridKernelsOf(w);
        size_t none = 0, all = 0, both = 0;
        // Each start and length reaches a different mix of short and whole
        // blocks.
        for (size_t first = 0; first < 4; ++first) {
            for (size_t count = 0; count + first <= start.size(); ++count) {
                for (int word = 0; word <= ReturnTrackWord; ++word) {
                    const std::string where = kernelName(kernels) + " from " + std::to_string(first) + ", "
                        + std::to_string(count) + " cells, word " + std::to_string(word);
                    std::vector<TCell> plain = start, surveyed = start;
                    table.rescaleFields(plain.data() + first, count, lo, f);
                    EmptyCellSurvey empty;
                    empty.start(word, count);
                    table.rescaleFieldsSurveying(surveyed.data() + first, count, lo, f, empty);
                    for (size_t i = 0; i < start.size(); ++i)
                        for (int k = 0; k <= ReturnTrackWord; ++k)
                            ASSERT_EQ(bits(CellWord(surveyed[i], k)), bits(CellWord(plain[i], k)))
                                << where << ": cell " << i << " word " << k;
                    const EmptyCellScan scan = ScanEmptyCells(plain.data() + first, count, word);
                    ASSERT_TRUE(SameAsScan(empty, scan))
                        << where << ": " << empty.high() << " " << empty.low() << " " << empty.occupied().size()
                        << " for " << scan.high << " " << scan.low << " " << scan.occupied.size();
                    ASSERT_EQ(empty.word(), word);
                    none += scan.occupied.empty() && count > 0;
                    all += scan.occupied.size() == count && count > 0;
                    both += !scan.occupied.empty() && scan.occupied.size() < count;
                }
            }
        }
        EXPECT_GT(none, 0u);
        EXPECT_GT(all, 0u);
        EXPECT_GT(both, 500u);
    }
}

TEST(EmptyCellSurvey, BoundsSkipNaNAndStayOpenWithoutEmptyCells)
{
    for (GridKernels kernels : kernelsToTry()) {
        World w;
        w.Kernels = kernels;
        const GridKernelTable& table = GridKernelsOf(w);
        std::vector<TCell> cells(9);
        for (size_t i = 0; i < cells.size(); ++i)
            cells[i].TrackValue = i == 4 ? NaN : double(i);
        cells[2].LandUse = Industry;
        cells[8].LandUse = Barrier;
        cells[3].AgentCount = -1; // empty all the same
        const double lo[3] = {0, 0, 0}, f[3] = {1, 1, 1};
        EmptyCellSurvey empty;
        empty.start(TrackWord, cells.size());
        table.rescaleFieldsSurveying(cells.data(), cells.size(), lo, f, empty);
        EXPECT_TRUE(empty.taken()) << kernelName(kernels);
        EXPECT_EQ(empty.high(), 7.0) << kernelName(kernels);
        EXPECT_EQ(empty.low(), 0.0) << kernelName(kernels);
        EXPECT_EQ(std::vector<uint32_t>(empty.occupied().begin(), empty.occupied().end()),
                  (std::vector<uint32_t>{2, 8}))
            << kernelName(kernels);

        for (TCell& c : cells)
            c.LandUse = Residential;
        empty.start(TrackWord, cells.size());
        table.rescaleFieldsSurveying(cells.data(), cells.size(), lo, f, empty);
        EXPECT_EQ(empty.high(), -Inf) << kernelName(kernels);
        EXPECT_EQ(empty.low(), Inf) << kernelName(kernels);
        EXPECT_EQ(empty.occupied().size(), cells.size()) << kernelName(kernels);
    }
}

TEST(EmptyCellSurvey, NormalizeFieldsTakesTheSurveyItIsAskedFor)
{
    World start;
    start.Cells.resize(13, 7);
    const std::vector<TCell> cells = mixedCells(start.Cells.size(), 4);
    for (size_t i = 0; i < cells.size(); ++i) {
        start.Cells.data()[i] = cells[i];
        for (double& p : start.Cells.data()[i].Potential)
            p = std::isfinite(p) ? p : 1.5; // fields with bounds to rescale by
    }
    FieldSurvey fields;
    fields.clear();
    for (GridKernels kernels : kernelsToTry()) {
        World plain = start;
        plain.Kernels = kernels;
        NormalizeFields(plain);
        for (int word = -1; word <= 5; ++word) {
            const std::string where = kernelName(kernels) + ", word " + std::to_string(word);
            World w = start;
            w.Kernels = kernels;
            EmptyCellSurvey empty;
            empty.start(word, w.Cells.size());
            NormalizeFields(w, FieldBoundsOf(w, fields), empty);
            expectSameCells(w, plain, where);
            if (EmptyCellSurvey::surveyable(word)) {
                EXPECT_TRUE(SameAsScan(empty, ScanEmptyCells(w.Cells.data(), w.Cells.size(), word))) << where;
            } else {
                EXPECT_FALSE(empty.taken()) << where;
                EXPECT_EQ(empty.word(), -1) << where;
            }
        }
        // A survey started for another grid is not taken.
        World w = start;
        w.Kernels = kernels;
        EmptyCellSurvey empty;
        empty.start(ReturnTrackWord, w.Cells.size() - 1);
        NormalizeFields(w, FieldBoundsOf(w, fields), empty);
        expectSameCells(w, plain, kernelName(kernels) + ", other count");
        EXPECT_FALSE(empty.taken()) << kernelName(kernels);
    }
}

TEST(EmptyCellSurvey, StartForgetsTheLastSurvey)
{
    World w;
    w.Cells.resize(5, 2);
    w.Cells.at(1, 1).LandUse = Service;
    FieldSurvey fields;
    fields.clear();
    EmptyCellSurvey empty;
    empty.start(0, w.Cells.size());
    NormalizeFields(w, FieldBoundsOf(w, fields), empty);
    ASSERT_TRUE(empty.taken());
    ASSERT_EQ(empty.occupied().size(), 1u);
    empty.start(TrackWord, w.Cells.size());
    EXPECT_FALSE(empty.taken());
    EXPECT_EQ(empty.word(), TrackWord);
    EXPECT_TRUE(empty.occupied().empty());
    EXPECT_EQ(empty.high(), -Inf);
    EXPECT_EQ(empty.low(), Inf);
}
