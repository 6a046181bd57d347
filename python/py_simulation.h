#pragma once
// One simulation as Python sees it: the core's Simulation with a host that
// keeps its messages, the per-step statistics the runner writes, a raster
// once a picture is asked for, and the bookkeeping that keeps array views of
// the cells valid when a new world replaces them.

#include "analysis/statistics.h"
#include "render/world_raster.h"
#include "sim/simulation.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace landuse {

// Keeps only the first message of an operation, as the runner reports it.
class MessageHost : public SimHost {
public:
    void showMessage(const std::string& text) override
    {
        if (message.empty())
            message = text;
    }
    // The message, and the host ready for the next operation.
    std::string take() { return std::exchange(message, std::string()); }

    std::string message;
};

// The cells that array views point into. While the simulation owns them,
// `cells` is null; when a new world is about to replace them and views are
// still alive, they move here and the views keep showing the old world.
struct CellsLease {
    std::unique_ptr<TCellList> cells;
};

struct StatsRow {
    int64_t step = 0;
    int64_t agents = 0;
    RunStatistics stats;
};

class PySimulation {
public:
    // With `draw`, a raster draws the world from the first setup on, as the
    // window does; without, steps skip all drawing and there is no picture.
    PySimulation(std::optional<uint64_t> seed, bool draw);

    uint64_t seed() const { return seed_; }
    bool draws() const { return raster_.has_value(); }
    int32_t stepCount() const { return sim_.stepCount(); }
    bool hasWorld() const { return sim_.HasWorld(); }
    int rows() const { return sim_.world().Cells.countY(); }
    int columns() const { return sim_.world().Cells.countX(); }

    // Throws std::invalid_argument with the runner's message.
    void set(const std::string& name, const std::string& text);
    std::string get(const std::string& name) const;
    std::vector<std::string> settings() const;

    // "new Setup"; throws std::invalid_argument when a text does not convert.
    void setup();
    // Steps n times; throws std::runtime_error "step N: message" at the first
    // step that fails. Call without the Python lock: it takes the
    // simulation's own.
    void step(int64_t n);

    // The statistics of every step since the last setup, and their CSV text.
    const std::vector<StatsRow>& statsRows() const { return stats_; }
    std::string statsCsv() const;
    std::string rankSizeCsv() const;
    const std::vector<RankSizeRow>& rankSizeRows() const { return sim_.rankSize().Measures; }

    // The world as the window's panel shows it; std::logic_error without
    // drawing.
    RgbImage picture() const;

    // The cells views may point into, and the lease that keeps them valid.
    const TCell* cells() const { return sim_.world().Cells.data(); }
    std::shared_ptr<CellsLease> lease() const { return lease_; }
    const std::vector<TAgent>& agents() const { return sim_.world().Agents; }

    // Held by every call that touches the simulation, so that a step running
    // without the Python lock is never read or changed half-way.
    std::mutex& mutex() { return mutex_; }

private:
    // Before a new world: views of the old cells keep them.
    void releaseCellsToViews();
    bool sweepActive() const { return sim_.analysis1Active() || sim_.analysis2Active(); }

    MessageHost host_;
    uint64_t seed_;
    Simulation sim_;
    std::optional<WorldRaster> raster_;
    std::vector<StatsRow> stats_;
    std::shared_ptr<CellsLease> lease_ = std::make_shared<CellsLease>();
    std::mutex mutex_;
};

} // namespace landuse
