#include "python/py_simulation.h"

#include "analysis/run_csv.h"
#include "model/numtext.h"
#include "model/register_settings.h"
#include "sim/headless_host.h"

#include <stdexcept>

namespace landuse {

PySimulation::PySimulation(std::optional<uint64_t> seed, bool draw)
    : seed_(seed ? *seed : TRandom::clockSeed()), sim_(&host_, seed_)
{
    if (draw) {
        raster_.emplace();
        sim_.setPainter(&*raster_);
    }
    // As the runner starts: the window's first world; the settings and a
    // "new Setup" follow from the caller.
    sim_.Create();
    host_.take();
}

void PySimulation::set(const std::string& name, const std::string& text)
{
    sim_.controls().assign(name + "=" + text);
    if (const std::string message = host_.take(); !message.empty())
        throw std::invalid_argument(message);
}

std::string PySimulation::get(const std::string& name) const
{
    const std::string prefix = name + "=";
    for (const std::string& line : SettingsOf(sim_.controls()))
        if (line.starts_with(prefix))
            return line.substr(prefix.size());
    if (FindControl(name))
        throw std::invalid_argument("control " + Quoted(name) + " holds no value to set");
    throw std::invalid_argument("unknown control " + Quoted(name));
}

std::vector<std::string> PySimulation::settings() const { return SettingsOf(sim_.controls()); }

void PySimulation::releaseCellsToViews()
{
    if (lease_.use_count() == 1)
        return;
    // The views keep the old cells; the simulation goes on with a copy, which
    // the new world then replaces.
    lease_->cells = std::make_unique<TCellList>(sim_.releaseCells());
    lease_ = std::make_shared<CellsLease>();
}

void PySimulation::setup()
{
    releaseCellsToViews();
    const bool built = sim_.NewSetup();
    const std::string message = host_.take();
    if (!built)
        throw std::invalid_argument(message);
    stats_.clear();
}

void PySimulation::step(int64_t n)
{
    if (n < 0)
        throw std::invalid_argument("a step count of " + IntToStr(n) + " is below 0");
    if (sweepActive())
        releaseCellsToViews(); // a sweep builds its next world inside a step
    stats_.reserve(stats_.size() + size_t(n));
    for (int64_t i = 0; i < n; ++i) {
        sim_.Step();
        if (const std::string message = host_.take(); !message.empty())
            throw std::runtime_error("step " + IntToStr(int64_t(stats_.size()) + 1) + ": " + message);
        const std::vector<TAgent>& agents = sim_.world().Agents;
        stats_.push_back({sim_.stepCount(), int64_t(agents.size()), ComputeRunStatistics(agents)});
    }
}

std::string PySimulation::statsCsv() const
{
    std::string csv = StatsCsvHeader;
    for (const StatsRow& row : stats_)
        csv += StatsCsvRow(row.step, row.agents, row.stats);
    return csv;
}

std::string PySimulation::rankSizeCsv() const { return RankSizeCsv(sim_.rankSize()); }

RgbImage PySimulation::picture() const
{
    if (!raster_)
        throw std::logic_error("this simulation was made with draw=False and keeps no picture");
    return ComposedPicture(*raster_);
}

} // namespace landuse
