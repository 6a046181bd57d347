#include "batch/batch_run.h"

#include "files/export_file.h"
#include "files/export_paths.h"
#include "files/json_text.h"
#include "analysis/run_csv.h"
#include "render/world_raster.h"
#include "model/numtext.h"
#include "model/register_settings.h"
#include "sim/headless_host.h"
#include "sim/simulation.h"

#include <stdexcept>
#include <system_error>

namespace landuse {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view CompleteMark = "  \"complete\": true\n}\n";

// A word as a POSIX shell reads it back: bare when it holds nothing the
// shell would take apart, else in single quotes.
std::string shellWord(std::string_view word)
{
    const bool plain = !word.empty() && word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                               "0123456789_-+=,.:/@%")
                                            == std::string_view::npos;
    if (plain)
        return std::string(word);
    std::string quoted = "'";
    for (const char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::string jsonList(const std::vector<std::string>& items, const char* indent)
{
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        out += i ? ",\n" : "\n";
        out += indent;
        out += JsonString(items[i]);
    }
    out += items.empty() ? "]" : std::string("\n") + (indent + 2) + "]";
    return out;
}

// The landuse-run command that repeats the run, where one can: analysis 1
// draws its weights from the run's generator before the world is built,
// which no runner setting can do.
std::optional<std::string> replayCommand(const BatchPlan& plan, const RunRecord& record,
                                         const std::vector<std::string>& settings)
{
    if (plan.request.experiment == Experiment::Analysis1)
        return std::nullopt;
    std::string command = "landuse-run --seed " + std::to_string(record.seed) + " --steps " + IntToStr(plan.steps);
    for (const std::string& setting : ChangedSettings(settings, plan.defaults))
        command += " --set " + shellWord(setting);
    return command;
}

std::string runJson(const BatchPlan& plan, const RunRecord& r, const Simulation& sim,
                    const std::vector<std::string>& files)
{
    const TWeightTable& w = sim.weightTable();
    const std::pair<const char*, double> weights[] = {
        {"DiffPop", w.DiffPop},     {"DiffServ", w.DiffServ},   {"DiffIndu", w.DiffIndu},
        {"WPopPop", w.WPopPop},     {"WPopServ", w.WPopServ},   {"WPopIndu", w.WPopIndu},
        {"WServPop", w.WServPop},   {"WServServ", w.WServServ}, {"WServIndu", w.WServIndu},
        {"WInduPop", w.WInduPop},   {"WInduServ", w.WInduServ}, {"WInduIndu", w.WInduIndu},
        {"NoisePop", w.NoisePop},   {"NoiseServ", w.NoiseServ}, {"NoiseIndu", w.NoiseIndu},
    };
    const std::vector<std::string> settings = SettingsOf(sim.controls());
    const auto field = [](std::string& out, const char* name, const std::string& value, bool last = false) {
        out += "    ";
        out += JsonString(name);
        out += ": ";
        out += value;
        out += last ? "\n" : ",\n";
    };

    std::string j = "{\n";
    j += "  \"experiment\": " + JsonString(ExperimentName(plan.request.experiment)) + ",\n";
    j += "  \"run\": " + std::to_string(r.run) + ",\n";
    j += "  \"seed\": " + std::to_string(r.seed) + ",\n";
    j += "  \"master_seed\": " + std::to_string(plan.request.seed) + ",\n";
    j += "  \"steps\": " + IntToStr(plan.steps) + ",\n";
    j += "  \"stem\": " + JsonString(r.stem) + ",\n";
    j += "  \"varied\": {\n";
    for (size_t i = 0; i < plan.varied.size(); ++i)
        field(j, plan.varied[i].c_str(), JsonNumber(r.varied[i]), i + 1 == plan.varied.size());
    j += "  },\n  \"weights\": {\n";
    for (size_t i = 0; i < std::size(weights); ++i)
        field(j, weights[i].first, JsonNumber(weights[i].second), i + 1 == std::size(weights));
    j += "  },\n  \"counts\": {\n";
    const Ctl counts[] = {Ctl::Edit_anzAg, Ctl::E_crAgs, Ctl::E_crServ, Ctl::E_crIndu};
    for (size_t i = 0; i < std::size(counts); ++i)
        field(j, ControlDefOf(counts[i]).name, IntToStr(sim.controls().readInt(counts[i])), i + 1 == std::size(counts));
    j += "  },\n  \"result\": {\n";
    field(j, "step", IntToStr(r.step));
    field(j, "agents", IntToStr(r.agents));
    field(j, "successful", IntToStr(r.stats.Successful));
    field(j, "travel_time", IntToStr(r.stats.TravelTime));
    field(j, "migrated", IntToStr(r.stats.Migrated));
    field(j, "returning", IntToStr(r.stats.Returning));
    const RankSizeRow fit = r.fit.value_or(RankSizeRow{});
    field(j, "intercept_K", JsonNumber(fit.K));
    field(j, "correlation_r", JsonNumber(fit.Correlation));
    field(j, "slope", JsonNumber(fit.Slope));
    field(j, "avg_diff", JsonNumber(fit.AvgDiff), true);
    j += "  },\n";
    j += "  \"settings\": " + jsonList(settings, "    ") + ",\n";
    const std::optional<std::string> replay = replayCommand(plan, r, settings);
    j += "  \"replay\": " + (replay ? JsonString(*replay) : std::string("null")) + ",\n";
    j += "  \"files\": " + jsonList(files, "    ") + ",\n";
    j += CompleteMark;
    return j;
}

// Messages of the model end the run.
void throwIfMessage(const HeadlessHost& host, const std::string& where)
{
    if (!host.messages.empty())
        throw std::runtime_error(where + host.messages.front());
}

} // namespace

std::string RunFolderName(uint64_t run)
{
    std::string digits = std::to_string(run);
    return digits.size() < 6 ? std::string(6 - digits.size(), '0') + digits : digits;
}

std::string RunsCsvHeader(const BatchPlan& plan)
{
    std::string header = "run,seed";
    for (const std::string& name : plan.varied)
        header += "," + name;
    header += ",step,agents,successful,travel_time,migrated,returning,intercept_K,correlation_r,slope,avg_diff\n";
    return header;
}

std::string RunsCsvRow(const RunRecord& r)
{
    std::string row = std::to_string(r.run) + ',' + std::to_string(r.seed);
    for (const double v : r.varied)
        row += ',' + DataNumber(v);
    row += ',';
    // The statistics row without its line end, the step first.
    std::string stats = StatsCsvRow(r.step, r.agents, r.stats);
    stats.pop_back();
    row += stats;
    const RankSizeRow fit = r.fit.value_or(RankSizeRow{});
    for (const auto& v : {fit.K, fit.Correlation, fit.Slope, fit.AvgDiff})
        row += ',' + CsvNumber(v);
    row += '\n';
    return row;
}

RunRecord ExecuteRun(const BatchPlan& plan, uint64_t run, const fs::path& folder, GridKernels kernels)
{
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (ec)
        throw ExportError(FileErrorMessage("empty", folder, ec.message()));
    EnsureFolder(folder);
    EnsureExportFolders(folder);

    RunRecord record;
    record.run = run;
    record.seed = RunSeed(plan.request.seed, run);

    WorldRaster raster;
    HeadlessHost host(folder, &raster);
    Simulation sim(&host, record.seed);
    sim.setKernels(kernels);
    sim.setPainter(&raster);
    // As the runner starts: the window's first world, then the settings.
    sim.Create();
    for (const std::string& setting : plan.request.settings)
        sim.controls().assign(setting);
    // This runner ends the runs itself; the window's checks must not.
    sim.controls().setChecked(Ctl::CB_actAna1, false);
    sim.controls().setChecked(Ctl::CB_actAna2, false);
    throwIfMessage(host, "");

    try {
        switch (plan.request.experiment) {
        case Experiment::Analysis1:
            sim.StartAnalysis1();
            for (size_t i = 0; i < 3; ++i)
                if (plan.drawn[i])
                    for (int col = 2; col <= 4; ++col)
                        record.varied.push_back(StrToFloat(sim.controls().gridText(col, int(i) + 1)));
            break;
        case Experiment::Analysis2:
            sim.StartAnalysis2At(plan.noise.at(run));
            record.varied.push_back(plan.noise.at(run));
            break;
        case Experiment::Repeat:
            sim.NewSetup();
            break;
        }
    } catch (const ConvertError& e) {
        throw std::runtime_error(e.what());
    }
    throwIfMessage(host, "");

    std::string stats = StatsCsvHeader;
    for (int32_t i = 0; i < plan.steps; ++i) {
        sim.Step();
        throwIfMessage(host, "step " + IntToStr(i + 1) + ": ");
        const std::vector<TAgent>& agents = sim.world().Agents;
        stats += StatsCsvRow(sim.stepCount(), int64_t(agents.size()), ComputeRunStatistics(agents));
    }

    std::vector<std::string> files;
    const auto note = [&](const fs::path& file) { files.push_back(file.lexically_relative(folder).generic_string()); };
    // Under the stem the window would use: analysis 1 drew it with the
    // weights, analysis 2 names its noise now, a repeat keeps E_pName.
    if (plan.request.experiment == Experiment::Analysis2)
        sim.NameRunAnalysis2();
    for (const fs::path& f : sim.SavePictures())
        note(f);
    for (const WrittenFile& f : sim.SaveSeriesData())
        note(f.file);
    record.stem = sim.controls().text(Ctl::E_pName);
    record.step = sim.stepCount();
    record.agents = int64_t(sim.world().Agents.size());
    record.stats = ComputeRunStatistics(sim.world().Agents);
    if (!sim.rankSize().Measures.empty())
        record.fit = sim.rankSize().Measures.back();

    WriteFileReplacing(folder / "stats.csv", stats);
    WriteFileReplacing(folder / "ranksize.csv", RankSizeCsv(sim.rankSize()));
    WriteFileReplacing(folder / "result.csv", RunsCsvHeader(plan) + RunsCsvRow(record));
    files.insert(files.end(), {"stats.csv", "ranksize.csv", "result.csv"});
    WriteFileReplacing(folder / "run.json", runJson(plan, record, sim, files));
    return record;
}

bool RunIsComplete(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_regular_file(folder / "run.json", ec))
        return false;
    try {
        const std::string json = ReadFileBytes(folder / "run.json");
        return json.ends_with(CompleteMark);
    } catch (const ExportError&) {
        return false;
    }
}

} // namespace landuse
