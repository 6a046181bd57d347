#pragma once
// A share of an experiment's runs, so that several machines (or the tasks
// of a Slurm job array) make one experiment together.

#include <cstdint>

namespace landuse {

// The runs whose number modulo `count` is `index`.
struct Shard {
    uint64_t index = 0;
    uint64_t count = 1;
};

} // namespace landuse
