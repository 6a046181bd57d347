#pragma once
// A painter that writes down what it is asked to draw, in order.

#include "chart/world_painter.h"

#include <string>
#include <vector>

namespace landuse::test {

class RecordingPainter : public WorldPainter {
public:
    void CreateLayers(const World&) override { calls.push_back("CreateLayers"); }
    void FreeLayers() override { calls.push_back("FreeLayers"); }
    void FindShadeRange(World&, const ParamRegister&) override { calls.push_back("FindShadeRange"); }
    void ClearAgentLayer() override { calls.push_back("ClearAgentLayer"); }
    void RepaintCells(World&, const ParamRegister&) override { calls.push_back("RepaintCells"); }
    void RedrawAllCells(World&, const ParamRegister&) override { calls.push_back("RedrawAllCells"); }
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
    }

    struct Cell {
        int x, y;
        ShadeSource source;
        bool hideLandUse;
    };
    std::vector<std::string> calls;
    std::vector<Cell> cells;
};

} // namespace landuse::test
