#pragma once
// How far an experiment has come, on standard error: a live bar on a
// terminal, a plain line once a minute otherwise (a log file, a Slurm job's
// output).

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace landuse {

class BatchProgress {
public:
    using Seconds = std::function<double()>; // a steady clock, in seconds

    // `total` runs of which `done` were complete before this start.
    BatchProgress(uint64_t total, uint64_t done, bool terminal, std::FILE* out, Seconds clock = {});

    void runFinished() { ++finished_; }
    // Draws the bar (at most a few times a second) or, once a minute, a line.
    void show();
    // Takes the bar away, so that the last words stand on a line of their own.
    void clear();

    // "12/130 runs, 4.1 runs/min, about 0:28 left"; the rate and the time
    // left once a run of this start has ended.
    std::string status() const;
    uint64_t finished() const { return finished_; }
    double elapsed() const { return clock_() - start_; }

private:
    uint64_t total_;
    uint64_t before_;
    uint64_t finished_ = 0;
    bool terminal_;
    std::FILE* out_;
    Seconds clock_;
    double start_;
    double lastShown_;
    bool barShown_ = false;
};

} // namespace landuse
