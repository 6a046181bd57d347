#include "analysis/ranksize.h"

#include "model/numtext.h"
#include "sim/simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace landuse;

namespace {

std::vector<TTile> tilesWith(std::initializer_list<int> populations)
{
    std::vector<TTile> tiles;
    int number = 0;
    for (int p : populations) {
        TTile t;
        t.Population = p;
        t.TileNumber = number++;
        tiles.push_back(t);
    }
    return tiles;
}

// A 40 by 40 world (cell size 10) cut into tiles of 10: 4 by 4 tiles.
struct TileWorld {
    Simulation sim{nullptr, 3};
    TileWorld()
    {
        sim.controls().setText(Ctl::Edit_size, "10");
        sim.controls().setText(Ctl::E_tileSz, "10");
        sim.Create();
        for (size_t i = 0; i < sim.world().Cells.size(); ++i)
            sim.worldForTest().Cells.data()[i].LandUse = Empty;
        tiles = sim.tiles();
    }
    std::vector<TTile> tiles; // the world's tiles, measured here
    // Fills the first `count` cells of tile t (row by row) with land use.
    void settle(int t, int count, int landUse = Residential)
    {
        const int x0 = (t % 4) * 10, y0 = (t / 4) * 10;
        for (int i = 0; i < 100; ++i)
            sim.worldForTest().Cells[x0 + i % 10][y0 + i / 10].LandUse = i < count ? landUse : Empty;
    }
    void measure(int step) { MeasureRankSize(sim.world(), tiles, sim.tileSize(), step, sim.rankSize()); }
    const TTile& tile(int t) const { return tiles[size_t(t)]; }
};

} // namespace

TEST(RankSize, QuicksortLeavesEqualTilesInItsOwnOrder)
{
    // Worked by hand through the quicksort from tile-number order:
    // pivot #2, swap 0-4, swap 1-2, then the left part 0..1 swaps once and
    // the right part 2..4 swaps 3-4: #2, #4, #1, #0, #3.
    std::vector<TTile> tiles = tilesWith({1, 3, 3, 1, 3});
    SortTilesByPopulation(tiles);
    const int order[] = {2, 4, 1, 0, 3};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(tiles[i].TileNumber, order[i]) << i;
    SortTilesByNumber(tiles);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(tiles[i].TileNumber, int(i));
}

TEST(RankSize, TilesCoverWholeTilesOnly)
{
    EXPECT_EQ(TilesPerSide(202, 20), 10);
    EXPECT_EQ(TilesPerSide(202, 2), 101);
    EXPECT_EQ(TilesPerSide(40, 50), 0);
    Simulation sim(nullptr, 1);
    sim.Create();
    EXPECT_EQ(sim.tiles().size(), 100u);
    EXPECT_EQ(sim.tiles()[37].TileNumber, 37);
    // A new tile size rebuilds the list at once.
    sim.controls().setText(Ctl::E_tileSz, "50");
    EXPECT_EQ(sim.tiles().size(), 16u);
    sim.controls().setText(Ctl::E_tileSz2, "2");
    EXPECT_EQ(sim.tiles().size(), 16u);
}

TEST(RankSize, RanksPersistForTilesThatEmpty)
{
    TileWorld w;
    w.settle(0, 5);
    w.settle(5, 9, Service);
    w.settle(7, 1);             // population 1: never ranked
    w.sim.worldForTest().Cells[35][35].LandUse = Destination; // never counted
    w.measure(100);
    EXPECT_EQ(w.tile(5).Population, 9);
    EXPECT_EQ(w.tile(5).Rank, 1);
    EXPECT_EQ(w.tile(0).Rank, 2);
    EXPECT_EQ(w.tile(7).Population, 1);
    EXPECT_EQ(w.tile(7).Rank, 0);
    EXPECT_EQ(w.tile(5).RankChange, 0); // first ranking: no change yet

    w.settle(0, 0);   // falls to 0
    w.settle(3, 20);  // new leader
    w.measure(200);
    EXPECT_EQ(w.tile(0).Rank, 2);       // keeps its old rank
    EXPECT_EQ(w.tile(0).RankChange, 0);
    EXPECT_EQ(w.tile(3).Rank, 1);
    EXPECT_EQ(w.tile(5).Rank, 2);
    EXPECT_EQ(w.tile(5).RankChange, 1);
    // Every tile ranked so far adds a rank-change point: tiles 3, 5 and 0.
    EXPECT_EQ(w.sim.rankSize().RankChangeSeries->Count(), 3u);
}

TEST(RankSize, FitSlopeAndIdealDistribution)
{
    TileWorld w;
    const int pops[16] = {90, 40, 30, 20, 16, 13, 11, 9, 8, 7, 6, 5, 5, 4, 3, 2};
    for (int t = 0; t < 16; ++t)
        w.settle(t, pops[t]);
    w.measure(100);
    const RankSizeWindow& win = w.sim.rankSize();
    ASSERT_EQ(win.Measures.size(), 1u);
    const RankSizeRow& row = win.Measures[0];
    ASSERT_TRUE(row.K && row.Slope && row.Correlation && row.AvgDiff);

    // The least-squares line over (log10 i, log10 p), worked out here.
    double sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
    for (int i = 1; i <= 16; ++i) {
        const double x = std::log10(double(i)), y = std::log10(double(pops[i - 1]));
        sx += x, sy += y, sxx += x * x, sxy += x * y, syy += y * y;
    }
    const double m = (16 * sxy - sx * sy) / (16 * sxx - sx * sx);
    const double a = (sy * sxx - sx * sxy) / (16 * sxx - sx * sx);
    const double r = (sxy - sx * sy / 16) / std::sqrt((sxx - sx * sx / 16) * (syy - sy * sy / 16));
    const double k = RoundToDecimals(a, 3);
    const double e = RoundToDecimals(a + m * std::log10(16.0), 3);
    EXPECT_DOUBLE_EQ(*row.K, k);
    EXPECT_DOUBLE_EQ(*row.Slope, RoundToDecimals((e - k) / std::log10(15.0), 3)); // N - 1, not R
    EXPECT_DOUBLE_EQ(*row.Correlation, RoundToDecimals(r, 3));
    EXPECT_LT(*row.Correlation, 0);

    EXPECT_EQ(win.SG_Ana1.rowCount(), 2);
    EXPECT_EQ(win.SG_Ana1.cell(0, 1), "100");
    EXPECT_EQ(win.SG_Ana1.cell(1, 1), FloatToStr(k));
    EXPECT_EQ(win.SG_Ana1.cell(0, 0), "time");
    EXPECT_EQ(win.SG_Ana1.cell(2, 0), "correlation r\u00b2");

    EXPECT_EQ(win.SG_Ana2.rowCount(), 18);
    double sum = 0;
    for (int i = 1; i <= 16; ++i) {
        const double ideal = RoundHalfEven(std::pow(10.0, k) * std::pow(double(i), *row.Slope));
        EXPECT_EQ(win.SG_Ana2.cell(0, i), IntToStr(i));
        EXPECT_EQ(win.SG_Ana2.cell(1, i), IntToStr(pops[i - 1]));
        EXPECT_EQ(win.SG_Ana2.cell(2, i), FloatToStr(ideal));
        EXPECT_EQ(win.SG_Ana2.cell(3, i), FloatToStr(ideal - pops[i - 1]));
        sum += std::fabs(ideal - pops[i - 1]);
    }
    EXPECT_EQ(win.SG_Ana2.cell(0, 17), "avg. diff.");
    EXPECT_EQ(win.SG_Ana2.cell(3, 17), FloatToStr(RoundToDecimals(sum / 16, 3)));
    EXPECT_EQ(win.LinearSeries.back()->Count(), 16u);
    EXPECT_EQ(win.LogLogSeries.back()->Count(), 16u);
}

TEST(RankSize, NoFitWithFewerThanTwoPopulatedTiles)
{
    TileWorld w;
    w.settle(6, 30);
    w.measure(100);
    const RankSizeWindow& win = w.sim.rankSize();
    const RankSizeRow& row = win.Measures.at(0);
    EXPECT_FALSE(row.K || row.Slope || row.Correlation || row.AvgDiff);
    EXPECT_EQ(win.SG_Ana1.cell(0, 1), "100");
    EXPECT_EQ(win.SG_Ana1.cell(1, 1), "");
    EXPECT_EQ(win.SG_Ana1.cell(3, 1), "");
    EXPECT_EQ(win.SG_Ana2.cell(1, 1), "30");
    EXPECT_EQ(win.SG_Ana2.cell(2, 1), "");
    EXPECT_EQ(win.SG_Ana2.cell(3, 17), "");
    EXPECT_EQ(win.LogLogSeries.back()->Count(), 1u);
}

TEST(RankSize, FirstMeasureAfterANewSetupFollowsTheCounter)
{
    Simulation sim(nullptr, 9);
    sim.controls().setText(Ctl::Edit_size, "10");
    sim.Create();
    for (int i = 0; i < 150; ++i)
        sim.Step();
    EXPECT_EQ(sim.rankSize().Measures.size(), 1u);
    ASSERT_TRUE(sim.NewSetup());
    EXPECT_TRUE(sim.rankSize().Measures.empty());
    EXPECT_EQ(sim.rankSize().SG_Ana1.rowCount(), 2);
    EXPECT_EQ(sim.rankSize().C_RankSize.SeriesCount(), 3u);
    EXPECT_EQ(sim.rankSize().C_RankSize.TitleLines().at(0), "log-log distribution");
    for (int i = 0; i < 50; ++i)
        sim.Step();
    ASSERT_EQ(sim.rankSize().Measures.size(), 1u);
    EXPECT_EQ(sim.rankSize().SG_Ana1.cell(0, 1), "50");
    EXPECT_EQ(sim.rankSize().C_RankSize.SeriesCount(), 4u);
    EXPECT_EQ(sim.rankSize().C_Linear.SeriesCount(), 1u);
}

TEST(RankSize, BothGridsKeepTheirHeaderRowsThroughResetsAndMeasures)
{
    const std::vector<std::string> ana1 = {"time", "intercept K", "correlation r\u00b2", "slope"};
    const std::vector<std::string> ana2 = {"rank", "popul. in sim", "ideal distrib.", "difference"};
    const auto row = [](const TextGrid& grid, int r) {
        std::vector<std::string> cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells.push_back(grid.cell(c, r));
        return cells;
    };
    const std::vector<std::string> blank(4);
    TileWorld w;
    RankSizeWindow& window = w.sim.rankSize();
    const auto expectReset = [&] {
        ASSERT_EQ(window.SG_Ana1.rowCount(), 2);
        ASSERT_EQ(window.SG_Ana2.rowCount(), 2);
        EXPECT_EQ(row(window.SG_Ana1, 0), ana1);
        EXPECT_EQ(row(window.SG_Ana2, 0), ana2);
        EXPECT_EQ(row(window.SG_Ana1, 1), blank);
        EXPECT_EQ(row(window.SG_Ana2, 1), blank);
    };
    window.ResetRankSize();
    expectReset();

    w.settle(0, 5);
    w.settle(1, 3);
    w.measure(100);
    w.measure(200);
    ASSERT_EQ(window.SG_Ana1.rowCount(), 3);
    EXPECT_EQ(row(window.SG_Ana1, 0), ana1);
    EXPECT_EQ(window.SG_Ana1.cell(0, 2), "200");
    ASSERT_EQ(window.SG_Ana2.rowCount(), 16 + 2);
    EXPECT_EQ(row(window.SG_Ana2, 0), ana2);
    EXPECT_EQ(row(window.SG_Ana2, 1)[1], "5");
    EXPECT_EQ(window.SG_Ana2.cell(0, 17), "avg. diff.");

    window.ResetRankSize();
    expectReset();
}
