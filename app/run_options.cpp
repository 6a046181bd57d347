#include "app/run_options.h"

#include "model/fields.h"
#include "model/numtext.h"

#include <charconv>
#include <stdexcept>
#include <string_view>

namespace landuse {

namespace {

template <typename T>
T parseNumber(std::string_view option, std::string_view text)
{
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument("'" + std::string(text) + "' is not a valid value for " + std::string(option));
    return value;
}

constexpr const char* KernelNames = "best, portable or avx512";

} // namespace

uint64_t ParseCountOption(std::string_view option, std::string_view text) { return parseNumber<uint64_t>(option, text); }

GridKernels ParseKernelsOption(std::string_view text)
{
    const std::optional<GridKernels> kernels = ParseGridKernels(text);
    if (!kernels)
        throw std::invalid_argument("--kernels: " + Quoted(text) + " is none of " + KernelNames);
    return *kernels;
}

GridKernels ChooseKernels(std::optional<GridKernels> option, const char* environment)
{
    std::string source = "--kernels ";
    if (!option && environment && *environment) {
        source = "LANDUSE_KERNELS=";
        option = ParseGridKernels(environment);
        if (!option)
            throw std::invalid_argument("LANDUSE_KERNELS: " + Quoted(environment) + " is none of " + KernelNames);
    }
    const GridKernels kernels = option.value_or(GridKernels::Best);
    if (!GridKernelsAvailable(kernels))
        throw std::invalid_argument(source + "avx512: this processor has no AVX-512");
    return kernels;
}

namespace {

RunOptions parseOptions(int argc, char** argv, bool window)
{
    RunOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc)
                throw std::invalid_argument("option " + std::string(arg) + " needs a value");
            return argv[++i];
        };
        // An empty path would read as "not given" and write nothing.
        auto path = [&]() -> std::string_view {
            const std::string_view text = value();
            if (text.empty())
                throw std::invalid_argument(std::string(arg) + ": an empty path names no file");
            return text;
        };
        const bool runnerOnly
            = arg == "--steps" || arg == "--stats" || arg == "--ranksize" || arg == "--data" || arg == "--picture"
              || arg == "--animation" || arg == "--every";
        if (window && runnerOnly) {
            throw std::invalid_argument("unknown option '" + std::string(arg) + "'");
        } else if (arg == "--steps") {
            options.steps = parseNumber<int64_t>(arg, value());
            if (options.steps < 0)
                throw std::invalid_argument("--steps must not be negative");
        } else if (arg == "--seed") {
            options.seed = ParseCountOption(arg, value());
        } else if (arg == "--set") {
            options.assignments.emplace_back(value());
        } else if (arg == "--stats") {
            options.statsFile = path();
        } else if (arg == "--ranksize") {
            options.rankSizeFile = path();
        } else if (arg == "--data") {
            options.dataDir = path();
        } else if (arg == "--picture") {
            options.pictureFile = path();
        } else if (arg == "--animation") {
            options.animationFile = path();
        } else if (arg == "--every") {
            options.animationEvery = parseNumber<int64_t>(arg, value());
            if (*options.animationEvery < 1)
                throw std::invalid_argument("--every: keep every K-th step with K 1 or more, not "
                                            + std::to_string(*options.animationEvery));
        } else if (arg == "--kernels") {
            options.kernels = ParseKernelsOption(value());
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else {
            throw std::invalid_argument("unknown option '" + std::string(arg) + "'");
        }
    }
    if (!window && !options.help && !options.version && options.steps < 0)
        throw std::invalid_argument("--steps N is required");
    if (options.animationEvery && options.animationFile.empty())
        throw std::invalid_argument("--every needs --animation FILE.gif");
    return options;
}

} // namespace

RunOptions ParseRunOptions(int argc, char** argv) { return parseOptions(argc, argv, false); }

RunOptions ParseWindowOptions(int argc, char** argv) { return parseOptions(argc, argv, true); }

} // namespace landuse
