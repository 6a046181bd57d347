#pragma once
// The rank-size measure of the settled land and the state of the rank-size
// window: its two charts, their series and its two grids.

#include "analysis/text_grid.h"
#include "chart/chart.h"
#include "analysis/tile.h"
#include "model/grid.h"
#include "model/listeners.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace landuse {

// Tiles per side: rows of the grid over the tile edge, rounded down.
int32_t TilesPerSide(int32_t cellCountY, int32_t tileSize);

// n * n zeroed tiles in tile-number order.
void BuildTiles(std::vector<TTile>& tiles, int32_t cellCountY, int32_t tileSize);

// The list's quicksort: pivot at (L + R) div 2, not stable; the order it
// leaves equal keys in shows in the ranks.
void SortTilesByPopulation(std::vector<TTile>& tiles); // largest first
void SortTilesByNumber(std::vector<TTile>& tiles);     // smallest first

// One measure as the first grid shows it; no fit when fewer than two tiles
// are populated or there are fewer than three tiles.
struct RankSizeRow {
    int32_t Time = 0;
    std::optional<double> K, Correlation, Slope, AvgDiff;
};

class RankSizeWindow {
public:
    RankSizeWindow();
    RankSizeWindow(const RankSizeWindow&) = delete;
    RankSizeWindow& operator=(const RankSizeWindow&) = delete;

    // Clears both charts and grids; the history of measures starts again.
    void ResetRankSize();
    // Draws and tabulates one measure, from tiles sorted by population.
    void ShowRankSize(const std::vector<TTile>& sorted, int32_t stepCount);

    Chart C_RankSize;
    Chart C_Linear;
    std::vector<Series*> LogLogSeries;
    std::vector<Series*> LinearSeries;
    Series* TrendSeries = nullptr;
    Series* CorrelationSeries = nullptr;
    Series* RankChangeSeries = nullptr;
    TextGrid SG_Ana1{4};
    TextGrid SG_Ana2{4};
    std::vector<RankSizeRow> Measures; // the rows of SG_Ana1 as numbers

    // Told after every reset and every measure, when the grids' rows
    // changed; the charts tell their own observers.
    ListenerList<> GridsChanged;
};

// Counts, ranks and shows one measure, then restores tile-number order.
void MeasureRankSize(const Grid& grid, std::vector<TTile>& tiles, int32_t tileSize, int32_t stepCount,
                     RankSizeWindow& window);

} // namespace landuse
