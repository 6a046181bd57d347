// landuse-run: one run of the model without a window, for scripts, servers
// and batch jobs.

#include "analysis/export_error.h"
#include "analysis/export_series.h"
#include "analysis/statistics.h"
#include "app/run_options.h"
#include "model/numtext.h"
#include "sim/simulation.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

using namespace landuse;

namespace {

constexpr int ExitBad = 2;

// Messages that the window would show in a dialog end the run here.
class RunnerHost : public SimHost {
public:
    void showMessage(const std::string& text) override
    {
        if (message.empty())
            message = text;
    }
    std::string message;
};

// A file that appears under its name only when the run completes, so that a
// failed run leaves nothing half-written behind.
class PendingFile {
public:
    explicit PendingFile(std::string path) : path_(std::move(path)), temp_(path_ + ".part")
    {
        out_.open(temp_, std::ios::binary | std::ios::trunc);
        if (!out_)
            throw std::runtime_error("cannot write '" + path_ + "': " + std::generic_category().message(errno));
    }
    ~PendingFile()
    {
        if (!committed_) {
            out_.close();
            std::error_code ec;
            std::filesystem::remove(temp_, ec);
        }
    }
    std::ofstream& out() { return out_; }
    void commit()
    {
        out_.close();
        if (!out_)
            throw std::runtime_error("cannot write '" + path_ + "'");
        std::error_code ec;
        std::filesystem::rename(temp_, path_, ec);
        if (ec)
            throw std::runtime_error("cannot write '" + path_ + "': " + ec.message());
        committed_ = true;
    }

private:
    std::string path_;
    std::string temp_;
    std::ofstream out_;
    bool committed_ = false;
};

// Data tools read a point as decimal separator.
std::string dataNumber(const std::optional<double>& v)
{
    if (!v)
        return "";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", *v);
    return buf;
}

void writeRankSize(std::ostream& out, const RankSizeWindow& window)
{
    out << "time,intercept_K,correlation_r,slope,avg_diff\n";
    for (const RankSizeRow& row : window.Measures)
        out << row.Time << ',' << dataNumber(row.K) << ',' << dataNumber(row.Correlation) << ','
            << dataNumber(row.Slope) << ',' << dataNumber(row.AvgDiff) << '\n';
}

int fail(const std::string& message)
{
    std::cerr << "landuse-run: " << message << '\n';
    return ExitBad;
}

int run(const RunOptions& options)
{
    RunnerHost host;
    const uint64_t seed = options.seed ? *options.seed : TRandom::ClockSeed();
    Simulation sim(&host, seed);
    sim.Create();
    for (const std::string& assignment : options.assignments) {
        try {
            sim.Register.assign(assignment);
        } catch (const ConvertError& e) {
            return fail(e.what());
        } catch (const std::exception& e) {
            return fail(e.what());
        }
        if (!host.message.empty())
            return fail(host.message);
    }
    if (!sim.NewSetup())
        return fail(host.message);

    std::unique_ptr<PendingFile> stats;
    if (!options.statsFile.empty()) {
        stats = std::make_unique<PendingFile>(options.statsFile);
        stats->out() << "step,agents,successful,travel_time,migrated,returning\n";
    }

    const bool progress = isatty(STDERR_FILENO);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto lastReport = start;
    for (int64_t i = 0; i < options.steps; ++i) {
        sim.Step();
        if (!host.message.empty())
            return fail("step " + IntToStr(i + 1) + ": " + host.message);
        if (stats) {
            const RunStatistics s = ComputeRunStatistics(sim.world.Agents);
            stats->out() << sim.StepCount << ',' << sim.world.Agents.size() << ',' << s.Successful << ','
                         << s.TravelTime << ',' << s.Migrated << ',' << s.Returning << '\n';
        }
        if (progress) {
            const auto now = Clock::now();
            if (now - lastReport > std::chrono::milliseconds(250)) {
                const double seconds = std::chrono::duration<double>(now - start).count();
                std::fprintf(stderr, "\r%lld/%lld steps, %.0f steps/s ", (long long)(i + 1),
                             (long long)options.steps, double(i + 1) / seconds);
                lastReport = now;
            }
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (progress)
        std::fputs("\r\033[K", stderr);

    if (stats)
        stats->commit();
    if (!options.rankSizeFile.empty()) {
        PendingFile rankSize(options.rankSizeFile);
        writeRankSize(rankSize.out(), sim.RankSize);
        rankSize.commit();
    }
    if (!options.dataDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.dataDir, ec);
        if (ec)
            return fail("cannot create '" + options.dataDir + "': " + ec.message());
        const auto files = SaveSeriesDataTo(options.dataDir, sim.Register.text(Ctl::E_pName), sim.RankSize.C_RankSize,
                                            sim.RankSize.C_Linear, sim.Chart1);
        const std::string omissions = DescribeOmissions(files);
        if (!omissions.empty())
            std::cerr << "landuse-run: " << omissions;
    }

    std::printf("%lld steps in %.3f s (%.0f steps/s), %zu agents, seed %llu\n", (long long)options.steps, seconds,
                seconds > 0 ? double(options.steps) / seconds : 0.0, sim.world.Agents.size(),
                (unsigned long long)seed);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    RunOptions options;
    try {
        options = ParseRunOptions(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "landuse-run: " << e.what() << '\n' << RunUsage;
        return ExitBad;
    }
    if (options.help) {
        std::cout << RunUsage;
        return 0;
    }
    try {
        return run(options);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}
