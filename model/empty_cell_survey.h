#pragma once
// One word of the cells seen over the empty ones, as a whole-grid pass that
// visits every cell anyway notes it on the way: the largest and the smallest
// value of that word among the cells whose LandUse is Empty, and the cells
// whose LandUse is not, in row order. Whoever needs these next need not pass
// over the grid again, as long as no cell has changed since.

#include "model/range_scan.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace landuse {

class EmptyCellSurvey {
public:
    // Potential[0..2] (words 0..2), TrackWord or ReturnTrackWord.
    static bool surveyable(int word) { return word >= 0 && word <= ReturnTrackWord; }

    // Asks the next pass for `word` over `count` cells; nothing is taken
    // until it finish()es. The list's memory grows only with the grid.
    void start(int word, size_t count)
    {
        word_ = surveyable(word) ? word : -1;
        count_ = count;
        if (occupied_.size() < count)
            occupied_.resize(count);
        occupiedCount_ = 0;
        high_ = -std::numeric_limits<double>::infinity();
        low_ = std::numeric_limits<double>::infinity();
        taken_ = false;
    }

    // -1 when none was asked for, or none that a pass can take.
    int word() const { return word_; }
    size_t cellCount() const { return count_; }
    // Whether a pass has filled in what start() asked for.
    bool taken() const { return taken_; }

    // Over the empty cells, with strict compares so that NaN never enters:
    // -infinity and infinity when no value entered. Which zero a bound of
    // zero is (0 or -0) depends on the order the pass took, and is either.
    double high() const { return high_; }
    double low() const { return low_; }
    // The indices (row-major) of the cells that are not empty, ascending.
    std::span<const uint32_t> occupied() const { return {occupied_.data(), occupiedCount_}; }

    // For the pass: room for cellCount() indices, and its results.
    uint32_t* occupiedRoom() { return occupied_.data(); }
    void finish(double high, double low, size_t occupiedCount)
    {
        high_ = high;
        low_ = low;
        occupiedCount_ = occupiedCount;
        taken_ = word_ >= 0;
    }

private:
    std::vector<uint32_t> occupied_;
    size_t occupiedCount_ = 0;
    size_t count_ = 0;
    double high_ = -std::numeric_limits<double>::infinity();
    double low_ = std::numeric_limits<double>::infinity();
    int word_ = -1;
    bool taken_ = false;
};

} // namespace landuse
