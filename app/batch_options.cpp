#include "app/batch_options.h"

#include "app/run_options.h"
#include "model/numtext.h"

#include <fstream>
#include <stdexcept>
#include <string_view>

namespace landuse {

namespace {

std::string trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// A setting must fit on one line of a params file, as the batch keeps them.
void checkSetting(std::string_view setting, std::string_view where)
{
    if (setting.find('=') == std::string_view::npos)
        throw std::invalid_argument(std::string(where) + Quoted(setting) + " is not of the form NAME=TEXT");
    if (setting.find_first_of("\r\n") != std::string_view::npos)
        throw std::invalid_argument(std::string(where) + "a setting cannot hold a line break");
}

} // namespace

std::vector<std::string> ReadParamsFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(file, ec))
        throw std::invalid_argument("--params: cannot read " + Quoted(file.string()) + ": "
                                    + (std::filesystem::exists(file, ec) ? "not a readable file" : "no such file"));
    std::vector<std::string> settings;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string setting = trimmed(line);
        if (setting.empty() || setting.front() == '#')
            continue;
        const std::string where = file.string() + ":" + IntToStr(number) + ": ";
        checkSetting(setting, where);
        settings.push_back(setting);
    }
    if (in.bad())
        throw std::invalid_argument("--params: cannot read " + Quoted(file.string()));
    return settings;
}

Shard ParseShard(std::string_view text)
{
    const size_t slash = text.find('/');
    Shard shard;
    bool ok = slash != std::string_view::npos;
    if (ok) {
        try {
            shard.index = ParseCountOption("--shard", text.substr(0, slash));
            shard.count = ParseCountOption("--shard", text.substr(slash + 1));
        } catch (const std::invalid_argument&) {
            ok = false;
        }
    }
    if (!ok)
        throw std::invalid_argument("--shard: " + Quoted(text) + " is not of the form I/N");
    if (shard.count == 0 || shard.index >= shard.count)
        throw std::invalid_argument("--shard: " + Quoted(text) + ": I must be from 0 to N - 1");
    return shard;
}

std::optional<Shard> ShardFromEnvironment(const Environment& env)
{
    const char* id = env("SLURM_ARRAY_TASK_ID");
    if (!id || !*id)
        return std::nullopt;
    const auto number = [&](const char* name, const char* text) {
        try {
            return ParseCountOption(name, text);
        } catch (const std::invalid_argument&) {
            throw std::invalid_argument(std::string(name) + "=" + Quoted(text) + " is not a task number");
        }
    };
    const char* minText = env("SLURM_ARRAY_TASK_MIN");
    const uint64_t min = minText && *minText ? number("SLURM_ARRAY_TASK_MIN", minText) : 0;
    const uint64_t task = number("SLURM_ARRAY_TASK_ID", id);
    uint64_t count = 0;
    if (const char* c = env("SLURM_ARRAY_TASK_COUNT"); c && *c) {
        count = number("SLURM_ARRAY_TASK_COUNT", c);
    } else if (const char* m = env("SLURM_ARRAY_TASK_MAX"); m && *m) {
        const uint64_t max = number("SLURM_ARRAY_TASK_MAX", m);
        count = max >= min ? max - min + 1 : 0;
    } else {
        throw std::invalid_argument("SLURM_ARRAY_TASK_ID is set without SLURM_ARRAY_TASK_COUNT or "
                                    "SLURM_ARRAY_TASK_MAX: give --shard I/N");
    }
    if (task < min || task - min >= count)
        throw std::invalid_argument("array task " + std::string(id) + " is not one of " + IntToStr(int64_t(count))
                                    + " tasks from " + IntToStr(int64_t(min))
                                    + " (an array with steps, such as 0-9:2, needs --shard I/N)");
    return Shard{task - min, count};
}

BatchOptions ParseBatchOptions(int argc, char** argv)
{
    BatchOptions options;
    std::vector<std::string_view> positional;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        // "-j4" and "--runs=10" as well as "-j 4" and "--runs 10".
        std::optional<std::string_view> attached;
        if (arg.starts_with("-j") && arg.size() > 2) {
            attached = arg.substr(2);
            arg = arg.substr(0, 2);
        } else if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            attached = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        auto value = [&]() -> std::string_view {
            if (attached) {
                const std::string_view v = *attached;
                attached.reset();
                return v;
            }
            if (i + 1 >= argc)
                throw std::invalid_argument("option " + std::string(arg) + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        } else if (arg == "--version") {
            options.version = true;
            return options;
        } else if (arg == "--set") {
            const std::string_view setting = value();
            checkSetting(setting, "--set: ");
            options.settings.emplace_back(setting);
        } else if (arg == "--params") {
            for (std::string& s : ReadParamsFile(std::string(value())))
                options.settings.push_back(std::move(s));
        } else if (arg == "--runs") {
            options.runs = ParseCountOption(arg, value());
            if (*options.runs == 0)
                throw std::invalid_argument("--runs: an experiment makes at least 1 run");
        } else if (arg == "--seed") {
            options.seed = ParseCountOption(arg, value());
        } else if (arg == "-j" || arg == "--jobs") {
            const uint64_t jobs = ParseCountOption(arg, value());
            if (jobs < 1 || jobs > 1024)
                throw std::invalid_argument(std::string(arg) + ": " + IntToStr(int64_t(jobs))
                                            + " workers: give 1 to 1024");
            options.jobs = unsigned(jobs);
        } else if (arg == "--shard") {
            options.shard = ParseShard(value());
        } else if (arg == "--report") {
            options.report = true;
        } else if (arg == "--kernels") {
            options.kernels = ParseKernelsOption(value());
        } else if (arg.size() > 1 && arg.front() == '-') {
            throw std::invalid_argument("unknown option " + Quoted(argv[i]));
        } else {
            positional.push_back(arg);
        }
        if (attached)
            throw std::invalid_argument("option " + std::string(arg) + " takes no value");
    }
    if (positional.empty())
        throw std::invalid_argument("no experiment: give analysis1, analysis2, repeat, merge or report");
    const std::string_view what = positional.front();
    if (what == "merge") {
        options.merge = true;
    } else if (what == "report") {
        options.reportOnly = true;
    } else if (const std::optional<Experiment> e = ExperimentNamed(what)) {
        options.experiment = *e;
    } else {
        throw std::invalid_argument(Quoted(what)
                                    + " is no experiment: give analysis1, analysis2, repeat, merge or report");
    }
    if (positional.size() < 2)
        throw std::invalid_argument("no OUT_DIR: give the folder the runs go to");
    if (positional.size() > 2)
        throw std::invalid_argument("unexpected " + Quoted(positional[2]) + " after OUT_DIR");
    options.outDir = std::string(positional[1]);
    if (options.outDir.empty())
        throw std::invalid_argument("OUT_DIR is empty");
    if (options.merge && (!options.settings.empty() || options.runs || options.seed || options.shard))
        throw std::invalid_argument("merge takes only OUT_DIR: the experiment is read from its folder");
    if (options.reportOnly
        && (!options.settings.empty() || options.runs || options.seed || options.shard || options.jobs
            || options.kernels || options.report))
        throw std::invalid_argument("report takes only OUT_DIR: the experiment is read from its folder");
    if (options.merge && options.report)
        throw std::invalid_argument("--report goes with an experiment; 'report OUT_DIR' makes one alone");
    return options;
}

} // namespace landuse
