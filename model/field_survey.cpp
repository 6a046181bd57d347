#include "model/field_survey.h"

#include "model/range_scan.h"

#include <algorithm>
#include <bit>

namespace landuse {

namespace {

bool inPickOrder(const GrowthCandidate& a, const GrowthCandidate& b)
{
    return a.value > b.value || (a.value == b.value && a.index < b.index);
}

// A pool may grow to what it keeps plus this much (at least) before it is
// cut back, so that cutting costs a constant per candidate.
constexpr size_t MinSlack = 64;

} // namespace

void CandidatePool::reset(size_t keep)
{
    pool_.clear();
    keep_ = keep;
    limit_ = keep + std::max(keep, MinSlack);
    floor_ = keep == 0 ? std::numeric_limits<double>::infinity() : 0.0;
    ranked_ = false;
}

// Keeps the best keep_; a later candidate must beat the worst of them, as
// one equal to it comes later in row-major order.
void CandidatePool::prune()
{
    std::nth_element(pool_.begin(), pool_.begin() + std::ptrdiff_t(keep_ - 1), pool_.end(), inPickOrder);
    pool_.resize(keep_);
    floor_ = pool_[keep_ - 1].value;
}

std::span<const GrowthCandidate> CandidatePool::ranked()
{
    if (!ranked_) {
        if (pool_.size() > keep_) {
            std::nth_element(pool_.begin(), pool_.begin() + std::ptrdiff_t(keep_ - 1), pool_.end(), inPickOrder);
            pool_.resize(keep_);
        }
        std::sort(pool_.begin(), pool_.end(), inPickOrder);
        ranked_ = true;
    }
    return pool_;
}

void CollectCandidates(const TCell* cells, size_t count, CandidatePool pools[3])
{
    for (size_t i = 0; i < count; ++i) {
        if (cells[i].LandUse != Empty)
            continue;
        for (int k = 0; k < 3; ++k)
            pools[k].offer(cells[i].Potential[k], uint32_t(i));
    }
}

void FieldSurvey::clear()
{
    for (CandidatePool& pool : candidates)
        pool.reset(0);
    changes.clear();
    ranged = false;
}

void FieldSurvey::startRanges()
{
    for (int i = 0; i < Lanes; ++i) {
        laneHi[i] = FieldHiStart;
        laneLo[i] = FieldLoStart;
        laneBits[i] = 0;
    }
    ranged = false;
    changes.clear();
}

bool FieldSurvey::currentBounds(double hi[3], double lo[3]) const
{
    if (!ranged)
        return false;
    bool signSeen[3] = {false, false, false};
    for (int k = 0; k < 3; ++k) {
        hi[k] = FieldHiStart;
        lo[k] = FieldLoStart;
    }
    for (int i = 0; i < Lanes; ++i) {
        const int k = i % CellWords;
        if (k >= 3)
            continue;
        hi[k] = laneHi[i] > hi[k] ? laneHi[i] : hi[k];
        lo[k] = laneLo[i] < lo[k] ? laneLo[i] : lo[k];
        signSeen[k] = signSeen[k] || (laneBits[i] >> 63) != 0;
    }
    // Lanes do not keep row order, which decides only between 0 and -0.
    for (int k = 0; k < 3; ++k)
        if (lo[k] == 0 && signSeen[k])
            return false;
    // Each change takes a value out and puts one in. Taking out a value at a
    // bound leaves the bound unknown unless the new value passes it; a new
    // zero equal to a zero low bound may come before or after the first one.
    for (const FieldChange& c : changes) {
        for (int k = 0; k < 3; ++k) {
            const double before = c.before[k];
            const double after = c.after[k];
            if (after >= hi[k])
                hi[k] = after;
            else if (before == hi[k])
                return false;
            if (after < lo[k])
                lo[k] = after;
            else if (before == lo[k] || (after == lo[k] && after == 0))
                return false;
        }
    }
    return true;
}

} // namespace landuse
