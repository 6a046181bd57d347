#pragma once
// The world a headless run draws after its steps, drawn in the test's own
// process the same way, as 0xFFRRGGBB words.

#include "render/world_raster.h"
#include "sim/simulation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace landuse::test {

inline std::vector<uint32_t> ComposedWorld(uint64_t seed, int steps, const std::vector<std::string>& sets)
{
    WorldRaster raster;
    Simulation sim(nullptr, seed);
    sim.setPainter(&raster);
    sim.Create();
    for (const std::string& s : sets)
        sim.controls().assign(s);
    EXPECT_TRUE(sim.NewSetup());
    for (int i = 0; i < steps; ++i)
        sim.Step();
    return raster.Compose();
}

} // namespace landuse::test
