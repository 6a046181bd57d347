#pragma once
// Command line of the headless runner.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace landuse {

struct RunOptions {
    int64_t steps = -1;
    std::optional<uint64_t> seed;
    std::vector<std::string> assignments; // NAME=TEXT, in the order given
    std::string statsFile;
    std::string rankSizeFile;
    std::string dataDir;
    bool help = false;
};

// Throws std::invalid_argument with a one-line message naming the bad text.
RunOptions ParseRunOptions(int argc, char** argv);

extern const char* const RunUsage;

} // namespace landuse
