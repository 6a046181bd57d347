// landuse-run: one run of the model without a window, for scripts, servers
// and batch jobs.

#include "files/export_error.h"
#include "files/export_file.h"
#include "files/export_paths.h"
#include "files/export_pictures.h"
#include "analysis/export_series.h"
#include "files/jpeg_file.h"
#include "files/rgb_image.h"
#include "analysis/run_csv.h"
#include "analysis/statistics.h"
#include "analysis/world_animation.h"
#include "app/message_line.h"
#include "app/run_options.h"
#include "app/stop_signal.h"
#include "app/usage_text.h"
#include "render/world_raster.h"
#include "model/numtext.h"
#include "sim/headless_host.h"
#include "sim/simulation.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

using namespace landuse;
namespace fs = std::filesystem;

namespace {

constexpr int ExitBad = 2;

bool stopRequested() { return StopSignal() != 0; }

void installStopHandlers()
{
    InstallStopHandlers({SIGINT, SIGTERM, SIGHUP});
    // A reader that goes away then shows as a failed write, and the run
    // cleans up like after any other failure.
    std::signal(SIGPIPE, SIG_IGN);
}

// The run ends at a signal; files are cleaned up on the way out.
struct Stopped {
    int signal;
    int64_t steps;
};

void checkStop(int64_t steps)
{
    if (const int signal = StopSignal())
        throw Stopped{signal, steps};
}

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

// The folders a run made for its data, taken away again (while still empty)
// when the run fails.
class MadeFolders {
public:
    MadeFolders() = default;
    MadeFolders(const MadeFolders&) = delete;
    MadeFolders& operator=(const MadeFolders&) = delete;
    ~MadeFolders()
    {
        std::error_code ec;
        for (const fs::path& folder : made_)
            fs::remove(folder, ec);
    }

    void make(const fs::path& folder)
    {
        std::error_code ec;
        fs::path missing = fs::absolute(folder, ec).lexically_normal();
        if (!missing.has_filename())
            missing = missing.parent_path();
        std::vector<fs::path> made;
        for (; missing.has_relative_path() && !fs::exists(missing, ec) && !ec; missing = missing.parent_path())
            made.push_back(missing); // innermost first, the order to remove them in
        EnsureFolder(folder);
        made_ = std::move(made);
    }
    void keep() { made_.clear(); }

private:
    std::vector<fs::path> made_;
};

// The run's files, all opened before the first step so that a path that
// cannot be written ends the run before any work is done.
class RunOutputs {
public:
    void plan(std::string option, const fs::path& file) { planned_.push_back({std::move(option), PlanOutput(file)}); }

    // Refuses two options that would write one file, then opens every file.
    void open()
    {
        for (size_t j = 0; j < planned_.size(); ++j) {
            for (size_t i = 0; i < j; ++i) {
                const Planned& a = planned_[i];
                const Planned& b = planned_[j];
                const OutputCollision collision = OutputsCollide(a.plan, b.plan);
                if (collision == OutputCollision::None)
                    continue;
                const std::string both = b.option + " and " + a.option + " (\"" + a.plan.file.string() + "\")";
                throw ExportError(FileErrorMessage("write", b.plan.file,
                                                   collision == OutputCollision::SameFile
                                                       ? both + " name the same file"
                                                       : both + " would meet in a temporary \".part\" file"));
            }
        }
        for (const Planned& p : planned_)
            files_.push_back(std::make_unique<OutputFile>(p.plan, stopRequested));
    }

    size_t planned() const { return planned_.size(); }
    OutputFile& at(size_t i) { return *files_.at(i); }

    bool usesStandardOutput() const
    {
        for (const Planned& p : planned_)
            if (p.plan.way == OutputPlan::Way::StandardOutput)
                return true;
        return false;
    }

    // All files complete before any takes its name, so that a failure
    // leaves none of them.
    void commit(int64_t steps)
    {
        for (auto& f : files_)
            f->finish();
        checkStop(steps);
        for (auto& f : files_)
            f->commit();
    }

private:
    struct Planned {
        std::string option;
        OutputPlan plan;
    };
    std::vector<Planned> planned_;
    std::vector<std::unique_ptr<OutputFile>> files_;
};

int fail(const std::string& message)
{
    std::cerr << "landuse-run: " << OneLine(message) << '\n';
    return ExitBad;
}

int run(const RunOptions& options)
{
    RunnerHost host;
    const uint64_t seed = options.seed ? *options.seed : TRandom::clockSeed();
    Simulation sim(&host, seed);
    sim.setKernels(ChooseKernels(options.kernels, std::getenv("LANDUSE_KERNELS")));
    // Drawn from the first setup on, as the window draws.
    std::optional<WorldRaster> raster;
    if (!options.pictureFile.empty() || !options.animationFile.empty()) {
        raster.emplace();
        sim.setPainter(&*raster);
    }
    sim.Create();
    for (const std::string& assignment : options.assignments) {
        sim.controls().assign(assignment);
        if (!host.message.empty())
            return fail(host.message);
    }

    MadeFolders folders;
    RunOutputs outputs;
    std::optional<size_t> stats;
    std::optional<size_t> rankSize;
    std::optional<size_t> data;
    std::optional<size_t> picture;
    std::optional<size_t> animationAt;
    std::array<fs::path, 3> dataFiles;
    if (!options.dataDir.empty()) {
        // The stem first: a refused one leaves no folder behind.
        dataFiles = SeriesDataFiles(options.dataDir, sim.controls().text(Ctl::E_pName));
        folders.make(options.dataDir);
    }
    const auto plan = [&](std::optional<size_t>& at, const char* option, const fs::path& file) {
        at = outputs.planned();
        outputs.plan(option, file);
    };
    if (!options.statsFile.empty())
        plan(stats, "--stats", options.statsFile);
    if (!options.rankSizeFile.empty())
        plan(rankSize, "--ranksize", options.rankSizeFile);
    if (!options.dataDir.empty()) {
        plan(data, "--data", dataFiles[0]);
        for (size_t i = 1; i < dataFiles.size(); ++i)
            outputs.plan("--data", dataFiles[i]);
    }
    if (!options.pictureFile.empty())
        plan(picture, "--picture", options.pictureFile);
    if (!options.animationFile.empty())
        plan(animationAt, "--animation", options.animationFile);
    outputs.open();
    checkStop(0);
    std::optional<WorldAnimation> animation;
    if (animationAt)
        animation.emplace(options.animationEvery.value_or(DefaultAnimationEvery),
                          [&outputs, at = *animationAt](std::string_view bytes) { outputs.at(at).write(bytes); });

    if (!sim.NewSetup())
        return fail(host.message);
    if (stats)
        outputs.at(*stats).write(StatsCsvHeader);

    const bool progress = isatty(STDERR_FILENO);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto lastReport = start;
    for (int64_t i = 0; i < options.steps; ++i) {
        checkStop(i);
        sim.Step();
        if (!host.message.empty())
            return fail("step " + IntToStr(i + 1) + ": " + host.message);
        if (stats) {
            const RunStatistics s = ComputeRunStatistics(sim.world().Agents);
            outputs.at(*stats).write(StatsCsvRow(sim.stepCount(), int64_t(sim.world().Agents.size()), s));
        }
        if (animation && animation->due(sim.stepCount()))
            animation->addFrame(*raster, sim.stepCount());
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
    checkStop(options.steps);

    if (animation) {
        // The last frame is the world at the end, whatever K.
        if (animation->lastStep() != int64_t(sim.stepCount()))
            animation->addFrame(*raster, sim.stepCount());
        animation->finish();
    }
    if (rankSize)
        outputs.at(*rankSize).write(RankSizeCsv(sim.rankSize()));
    std::string omissions;
    if (data) {
        const auto encoded = EncodeSeriesData(sim.rankSize().C_RankSize, sim.rankSize().C_Linear, sim.chart1());
        std::vector<WrittenFile> written;
        for (size_t i = 0; i < encoded.size(); ++i) {
            outputs.at(*data + i).write(encoded[i].bytes);
            written.push_back({dataFiles[i], encoded[i].report});
        }
        omissions = DescribeOmissions(written);
    }
    if (picture) {
        std::string jpeg;
        try {
            jpeg = EncodeJpeg(ComposedPicture(*raster), PictureJpegQuality);
        } catch (const ExportError& e) {
            throw ExportError(FileErrorMessage("write", options.pictureFile, e.what()));
        }
        outputs.at(*picture).write(jpeg);
    }
    outputs.commit(options.steps);
    folders.keep();
    if (!omissions.empty())
        std::cerr << "landuse-run: " << omissions;

    // Standard output may carry a CSV file; the summary must not join it.
    std::FILE* summary = outputs.usesStandardOutput() ? stderr : stdout;
    std::fprintf(summary, "%lld steps in %.3f s (%.0f steps/s), %zu agents, seed %llu\n", (long long)options.steps,
                 seconds, seconds > 0 ? double(options.steps) / seconds : 0.0, sim.world().Agents.size(),
                 (unsigned long long)seed);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return fail(FileErrorMessage("write", "standard output", std::strerror(errno)));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    installStopHandlers();
    RunOptions options;
    try {
        options = ParseRunOptions(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "landuse-run: " << OneLine(e.what()) << '\n' << UsageText(RunProgram());
        return ExitBad;
    }
    if (options.help || options.version) {
        std::cout << (options.help ? HelpText(RunProgram()) : VersionText(RunProgram()));
        return 0;
    }
    try {
        return run(options);
    } catch (const Stopped& s) {
        std::cerr << "landuse-run: stopped by " << SignalName(s.signal) << " after " << s.steps << " steps\n";
        return 128 + s.signal;
    } catch (const OutputInterrupted&) {
        std::cerr << "landuse-run: stopped by " << SignalName(StopSignal()) << '\n';
        return 128 + StopSignal();
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}
