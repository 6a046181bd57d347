#pragma once
// What the diffusion notes about the fields as it leaves them, for the growth
// and the rescale of the same step, so that neither has to scan the grid
// again: each field's bounds, and the empty cells where growth may pick.

#include "model/cell.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace landuse {

struct GrowthCandidate {
    double value;
    uint32_t index; // row-major
};

// The best `keep` candidates of one field among those offered, in pick order:
// highest value first, lower index first among equals. Candidates must be
// offered in row-major order; a value that is not above floor() can never be
// among the best, so the pool takes only values above it.
class CandidatePool {
public:
    // keep 0 takes nothing.
    void reset(size_t keep);
    size_t keep() const { return keep_; }
    double floor() const { return floor_; }

    void offer(double value, uint32_t index)
    {
        if (!(value > floor_))
            return;
        pool_.push_back({value, index});
        if (pool_.size() == limit_)
            prune();
    }

    // The kept candidates in pick order; sorts them on the first call.
    std::span<const GrowthCandidate> ranked();
    // Whether the pool holds every candidate offered (fewer than keep).
    bool complete() const { return pool_.size() < keep_; }

private:
    void prune();

    std::vector<GrowthCandidate> pool_;
    size_t keep_ = 0;
    size_t limit_ = 0;
    double floor_ = std::numeric_limits<double>::infinity();
    bool ranked_ = false;
};

// Offers every empty cell whose Potential[k] is above 0 to pools[k], in
// row-major order.
void CollectCandidates(const TCell* cells, size_t count, CandidatePool pools[3]);

// A change of one cell's potentials after the diffusion (growth).
struct FieldChange {
    uint32_t index;
    double before[3];
    double after[3];
};

// Filled by DiffuseFields (ranges, candidates), then growth (changes), and
// read by NormalizeFields; valid for the one step only.
struct FieldSurvey {
    // Lane i of these holds the running bounds of word i % CellWords over
    // some of the cells (Potential[0..2] are words 0..2), with the compares
    // of RangeScan, and the or of their bits; the lanes of the other words
    // are unused. How cells are spread over lanes is up to the kernel.
    static constexpr int Lanes = 24;
    alignas(64) double laneHi[Lanes];
    alignas(64) double laneLo[Lanes];
    alignas(64) uint64_t laneBits[Lanes];
    bool ranged = false; // the lanes cover every cell

    CandidatePool candidates[3];
    std::vector<FieldChange> changes;

    // No candidates wanted and no changes: the state before a step plans its
    // growth. The memory stays for the next step.
    void clear();
    // Lanes at the bounds' start values, changes cleared.
    void startRanges();
    void noteChange(uint32_t index, const double before[3], const double after[3])
    {
        changes.push_back({index, {before[0], before[1], before[2]}, {after[0], after[1], after[2]}});
    }

    // Each field's bounds over the grid as it is now, exactly as a scan in
    // row order finds them, from the lanes and the changes; false when they
    // cannot tell (a zero low bound of either sign, a change at a bound) and
    // the grid must be scanned.
    bool currentBounds(double hi[3], double lo[3]) const;
};

// The bounds' start values of the field rescale.
inline constexpr double FieldHiStart = 1e-8;
inline constexpr double FieldLoStart = 9999999999.0;

} // namespace landuse
