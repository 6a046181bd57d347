#include "analysis/ranksize.h"

#include "model/numtext.h"

#include <cmath>
#include <cstdlib>

namespace landuse {

int32_t TilesPerSide(int32_t cellCountY, int32_t tileSize)
{
    if (tileSize <= 0)
        return 0;
    return int32_t(std::floor(double(cellCountY) / double(tileSize)));
}

void BuildTiles(std::vector<TTile>& tiles, int32_t cellCountY, int32_t tileSize)
{
    const int32_t n = TilesPerSide(cellCountY, tileSize);
    tiles.assign(size_t(n) * size_t(n), TTile{});
    for (size_t t = 0; t < tiles.size(); ++t)
        tiles[t].TileNumber = int32_t(t);
}

namespace {

const char* const Ana1Headers[4] = {"time", "intercept K", "correlation r\u00b2", "slope"};
const char* const Ana2Headers[4] = {"rank", "popul. in sim", "ideal distrib.", "difference"};

// A grid of `rows` rows in all: the headers, then blank rows.
TextGrid headedGrid(const char* const (&headers)[4], int rows)
{
    TextGrid grid(4);
    grid.setRowCount(rows);
    for (int c = 0; c < 4; ++c)
        grid.cell(c, 0) = headers[c];
    return grid;
}

template <typename Before>
void quickSort(std::vector<TTile>& list, int left, int right, Before before)
{
    int i = left;
    do {
        i = left;
        int j = right;
        const TTile pivot = list[size_t((left + right) / 2)];
        do {
            while (before(list[size_t(i)], pivot))
                ++i;
            while (before(pivot, list[size_t(j)]))
                --j;
            if (i <= j) {
                std::swap(list[size_t(i)], list[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (left < j)
            quickSort(list, left, j, before);
        left = i;
    } while (i < right);
}

template <typename Before>
void sortTiles(std::vector<TTile>& list, Before before)
{
    if (list.size() > 1)
        quickSort(list, 0, int(list.size()) - 1, before);
}

bool settled(int32_t landUse) { return landUse == Residential || landUse == Service || landUse == Industry; }

std::string numberText(double v) { return FloatToStr(v); }

} // namespace

void SortTilesByPopulation(std::vector<TTile>& tiles)
{
    sortTiles(tiles, [](const TTile& a, const TTile& b) { return a.Population > b.Population; });
}

void SortTilesByNumber(std::vector<TTile>& tiles)
{
    sortTiles(tiles, [](const TTile& a, const TTile& b) { return a.TileNumber < b.TileNumber; });
}

RankSizeWindow::RankSizeWindow()
{
    C_RankSize.legendVisible = false;
    C_RankSize.view3D = false;
    C_RankSize.border = {true, 1, true};
    C_RankSize.rightAxis.visible = true;
    C_RankSize.rightAxis.color = {128, 128, 255};
    C_RankSize.rightAxis.gridVisible = true;
    C_RankSize.rightAxis.gridColor = {128, 128, 255};
    C_RankSize.rightAxis.gridSmallDots = true;
    C_RankSize.rightAxis.increment = 5;
    C_Linear.legendVisible = false;
    C_Linear.view3D = false;
    C_Linear.border = {true, 1, true};
}

void RankSizeWindow::ResetRankSize()
{
    LogLogSeries.clear();
    LinearSeries.clear();
    Measures.clear();
    C_RankSize.RemoveAllSeries();
    C_RankSize.SetTitle("log-log distribution");
    TrendSeries = &C_RankSize.AddFunctionSeries(SeriesFunction::LeastSquares);
    TrendSeries->SetAxis(VerticalAxis::Left);
    CorrelationSeries = &C_RankSize.AddFunctionSeries(SeriesFunction::Correlation);
    CorrelationSeries->SetAxis(VerticalAxis::Right);
    CorrelationSeries->SetActive(false);
    RankChangeSeries = &C_RankSize.AddSeries();
    RankChangeSeries->SetAxis(VerticalAxis::Right);
    RankChangeSeries->SetColor({0, 0, 255});
    C_Linear.RemoveAllSeries();
    C_Linear.SetTitle("linear distribution");

    SG_Ana1 = headedGrid(Ana1Headers, 2);
    SG_Ana2 = headedGrid(Ana2Headers, 2);
    GridsChanged.callEach([](const auto& call) { call(); });
}

void RankSizeWindow::ShowRankSize(const std::vector<TTile>& sorted, int32_t stepCount)
{
    const Marker crosses{true, MarkerShape::Cross, 2, 2};
    Series& logLog = C_RankSize.AddSeries();
    logLog.SetAxis(VerticalAxis::Left);
    logLog.SetColor({0, 0, 0});
    logLog.SetMarkers(crosses);
    LogLogSeries.push_back(&logLog);
    RankChangeSeries->Clear();

    const size_t n = sorted.size();
    for (size_t i = 1; i <= n; ++i) {
        const TTile& tile = sorted[i - 1];
        if (tile.Population > 1)
            logLog.Add(std::log10(double(i)), std::log10(double(tile.Population)));
        if (tile.PrevRank > 0)
            RankChangeSeries->Add(std::log10(double(i)), double(tile.RankChange));
    }
    TrendSeries->SetSource(&logLog);
    CorrelationSeries->SetSource(&logLog);

    // A fit needs a line through two populated tiles, and log10(N - 1) above 0.
    RankSizeRow row;
    row.Time = stepCount;
    const bool fit = TrendSeries->Count() >= 2 && CorrelationSeries->Count() >= 1 && n >= 3;
    if (fit) {
        const double k = RoundToDecimals(TrendSeries->Y(0), 3);
        const double e = RoundToDecimals(TrendSeries->Y(1), 3);
        row.K = k;
        row.Slope = RoundToDecimals((e - k) / std::log10(double(n) - 1), 3);
        row.Correlation = RoundToDecimals(CorrelationSeries->Y(0), 3);
    }

    const int k = int(LogLogSeries.size());
    SG_Ana1.setRowCount(k + 1);
    SG_Ana1.cell(0, k) = IntToStr(stepCount);
    SG_Ana1.cell(1, k) = row.K ? numberText(*row.K) : "";
    SG_Ana1.cell(2, k) = row.Correlation ? numberText(*row.Correlation) : "";
    SG_Ana1.cell(3, k) = row.Slope ? numberText(*row.Slope) : "";

    Series& linear = C_Linear.AddSeries();
    linear.SetAxis(VerticalAxis::Left);
    linear.SetColor({0, 0, 0});
    linear.SetMarkers(crosses);
    LinearSeries.push_back(&linear);
    linear.Reserve(n);
    for (size_t i = 1; i <= n; ++i)
        linear.Add(double(i), double(sorted[i - 1].Population));

    // Rebuilt for each measure, so no row keeps a value of an earlier one.
    SG_Ana2 = headedGrid(Ana2Headers, int(n) + 2);
    double sum = 0;
    for (size_t i = 1; i <= n; ++i) {
        const int32_t p = sorted[i - 1].Population;
        SG_Ana2.cell(0, int(i)) = IntToStr(int64_t(i));
        SG_Ana2.cell(1, int(i)) = IntToStr(p);
        if (fit) {
            const double ideal = RoundHalfEven(std::pow(10.0, *row.K) * std::pow(double(i), *row.Slope));
            SG_Ana2.cell(2, int(i)) = numberText(ideal);
            SG_Ana2.cell(3, int(i)) = numberText(ideal - p);
            sum += std::fabs(ideal - p);
        }
    }
    SG_Ana2.cell(0, int(n) + 1) = "avg. diff.";
    if (fit) {
        row.AvgDiff = RoundToDecimals(sum / double(n), 3);
        SG_Ana2.cell(3, int(n) + 1) = numberText(*row.AvgDiff);
    }
    Measures.push_back(row);
    GridsChanged.callEach([](const auto& call) { call(); });
}

void MeasureRankSize(const Grid& grid, std::vector<TTile>& tiles, int32_t tileSize, int32_t stepCount,
                     RankSizeWindow& window)
{
    const int32_t n = TilesPerSide(grid.Geometry.CellCountY, tileSize);
    if (tiles.size() != size_t(n) * size_t(n))
        BuildTiles(tiles, grid.Geometry.CellCountY, tileSize);
    const TCellList& cells = grid.Cells;
    for (TTile& tile : tiles) {
        const int32_t x0 = (tile.TileNumber % n) * tileSize;
        const int32_t y0 = (tile.TileNumber / n) * tileSize;
        const int32_t w = std::min(tileSize, grid.Geometry.CellCountX - x0);
        const int32_t h = std::min(tileSize, grid.Geometry.CellCountY - y0);
        int32_t population = 0;
        for (int32_t y = y0; y < y0 + h; ++y) {
            const TCell* row = cells.row(y);
            for (int32_t x = x0; x < x0 + w; ++x)
                population += settled(row[x].LandUse);
        }
        tile.Population = population;
    }
    SortTilesByPopulation(tiles);
    for (size_t i = 1; i <= tiles.size(); ++i) {
        TTile& tile = tiles[i - 1];
        if (tile.Population > 1)
            tile.Rank = int32_t(i);
        if (tile.PrevRank > 0)
            tile.RankChange = tile.Rank - tile.PrevRank;
        tile.PrevRank = tile.Rank;
    }
    window.ShowRankSize(tiles, stepCount);
    SortTilesByNumber(tiles);
}

} // namespace landuse
