#pragma once
// Command line of the headless runner.

#include "model/grid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace landuse {

struct RunOptions {
    int64_t steps = -1;
    std::optional<uint64_t> seed;
    std::vector<std::string> assignments; // NAME=TEXT, in the order given
    std::string statsFile;
    std::string rankSizeFile;
    std::string dataDir;
    std::string pictureFile; // JPEG of the world after the last step
    std::string animationFile; // GIF of the world every animationEvery-th step
    std::optional<int64_t> animationEvery;
    std::optional<GridKernels> kernels;
    bool help = false;
    bool version = false;
};

// Throws std::invalid_argument with a one-line message naming the bad text.
RunOptions ParseRunOptions(int argc, char** argv);

// The window's command line: the runner's options that choose a setting
// (--seed, --set, --kernels, --help, --version); the others are unknown to it.
RunOptions ParseWindowOptions(int argc, char** argv);

// The kernels to run: the option's, else LANDUSE_KERNELS's (environment may
// be null or empty), else Best. Throws std::invalid_argument for a name that
// is none of best, portable, avx512 and for a choice this processor cannot run.
GridKernels ChooseKernels(std::optional<GridKernels> option, const char* environment);

// A whole number of 0 or more for an option, or std::invalid_argument
// "'TEXT' is not a valid value for OPTION".
uint64_t ParseCountOption(std::string_view option, std::string_view text);
// best, portable or avx512, or std::invalid_argument naming the text.
GridKernels ParseKernelsOption(std::string_view text);

} // namespace landuse
