#pragma once
// Shared by the tests of the whole-grid passes: the kernel choices to run,
// and comparisons bit for bit (-0 is not 0, a NaN must be the same NaN).

#include "model/fields.h"
#include "agents/world.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace landuse::test {

inline std::vector<GridKernels> kernelsToTry()
{
    std::vector<GridKernels> kernels{GridKernels::Portable};
    if (GridKernelsAvailable(GridKernels::Avx512))
        kernels.push_back(GridKernels::Avx512);
    return kernels;
}

inline std::string kernelName(GridKernels k)
{
    return k == GridKernels::Avx512 ? "AVX-512" : "portable";
}

inline uint64_t bits(double v)
{
    return std::bit_cast<uint64_t>(v);
}

inline void expectSameCells(const World& a, const World& b, const std::string& what)
{
    ASSERT_EQ(a.Cells.size(), b.Cells.size());
    for (size_t i = 0; i < a.Cells.size(); ++i) {
        const TCell& p = a.Cells.data()[i];
        const TCell& q = b.Cells.data()[i];
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(bits(p.Potential[k]), bits(q.Potential[k]))
                << what << ": cell " << i << " field " << k << ": " << p.Potential[k] << " vs " << q.Potential[k];
        ASSERT_EQ(bits(p.TrackValue), bits(q.TrackValue)) << what << ": cell " << i << " " << p.TrackValue;
        ASSERT_EQ(bits(p.ReturnTrackValue), bits(q.ReturnTrackValue))
            << what << ": cell " << i << " " << p.ReturnTrackValue;
        ASSERT_EQ(p.LandUse, q.LandUse) << what << ": cell " << i;
        ASSERT_EQ(p.AgentCount, q.AgentCount) << what << ": cell " << i;
    }
}

} // namespace landuse::test
