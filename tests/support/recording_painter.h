#pragma once
// A painter that writes down what it is asked to draw, in order.

#include "render/world_painter.h"

#include "support/empty_cells.h"

#include <string>
#include <vector>

namespace landuse::test {

class RecordingPainter : public WorldPainter {
public:
    void CreateLayers(const World&) override { calls.push_back("CreateLayers"); }
    void FreeLayers() override { calls.push_back("FreeLayers"); }
    // Not a drawing call: kept apart from the calls.
    void setDisplayOptions(const DisplayOptions& options) override { given.push_back(options); }
    void FindShadeRange(World&) override { calls.push_back("FindShadeRange"); }
    // Also notes the survey it was handed next to a scan of the cells as
    // they are at the call.
    void FindShadeRange(World& world, const EmptyCellSurvey& emptyCells) override
    {
        calls.push_back("FindShadeRange");
        surveys.push_back({emptyCells.word(), emptyCells.cellCount(), SameAsScan(emptyCells,
                           ScanEmptyCells(world.Cells.data(), world.Cells.size(), emptyCells.word())),
                           std::vector<uint32_t>(emptyCells.occupied().begin(), emptyCells.occupied().end())});
    }
    void ClearAgentLayer() override { calls.push_back("ClearAgentLayer"); }
    void RepaintCells(World&) override { calls.push_back("RepaintCells"); }
    void RedrawAllCells(World&) override { calls.push_back("RedrawAllCells"); }
    void DrawAgents(const World&) override { calls.push_back("DrawAgents"); }
    void DrawCell(World&, int x, int y, ShadeSource source, bool hideLandUse) override
    {
        calls.push_back("DrawCell");
        cells.push_back({x, y, source, hideLandUse});
    }

    // The calls with every run of DrawCell folded into "DrawCell xN".
    std::vector<std::string> folded() const
    {
        std::vector<std::string> out;
        int run = 0;
        for (size_t i = 0; i <= calls.size(); ++i) {
            if (i < calls.size() && calls[i] == "DrawCell") {
                ++run;
                continue;
            }
            if (run > 0)
                out.push_back("DrawCell x" + std::to_string(run));
            run = 0;
            if (i < calls.size())
                out.push_back(calls[i]);
        }
        return out;
    }
    void clear()
    {
        calls.clear();
        cells.clear();
        surveys.clear();
        given.clear();
    }

    struct Cell {
        int x, y;
        ShadeSource source;
        bool hideLandUse;
    };
    struct Survey {
        int word;
        size_t cellCount;
        bool sameAsScan; // and taken
        std::vector<uint32_t> occupied;
    };
    std::vector<std::string> calls;
    std::vector<Cell> cells;
    std::vector<Survey> surveys;
    std::vector<DisplayOptions> given; // every setDisplayOptions, in order
};

} // namespace landuse::test
