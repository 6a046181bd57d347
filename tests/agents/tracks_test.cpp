#include "agents/tracks.h"
#include "model/fields.h"
#include "model/random.h"
#include "model/range_scan.h"

#include "support/grid_checks.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace landuse;

using namespace landuse::test;

namespace {

World smallWorld()
{
    World w;
    w.Cells.resize(4, 4);
    return w;
}

} // namespace

TEST(Tracks, RescaleWorksAsRelativeFading)
{
    World w = smallWorld();
    w.Cells[1][1].TrackValue = 1;
    RescaleTracks(w);
    EXPECT_EQ(w.Cells[1][1].TrackValue, 255.0);
    EXPECT_EQ(w.Cells[2][2].TrackValue, 0.0);
    // Walked again, next to a newly walked cell.
    w.Cells[1][1].TrackValue += 1;
    w.Cells[2][2].TrackValue += 1;
    RescaleTracks(w);
    EXPECT_EQ(w.Cells[1][1].TrackValue, 255.0);
    EXPECT_DOUBLE_EQ(w.Cells[2][2].TrackValue, 255.0 / 256.0);
}

TEST(Tracks, RescaleLeavesUnmarkedAndFlatKindsAlone)
{
    World w = smallWorld();
    w.Cells[0][0].ReturnTrackValue = 10;
    w.Cells[0][1].ReturnTrackValue = -3; // never changed by the rescale
    RescaleTracks(w);
    EXPECT_EQ(w.Cells[0][1].ReturnTrackValue, -3.0);
    EXPECT_DOUBLE_EQ(w.Cells[0][0].ReturnTrackValue, 255.0);
    EXPECT_EQ(w.Cells[3][3].TrackValue, 0.0); // still 0 everywhere

    // Every cell with the same mark above 0.1: no span, left as it is.
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        w.Cells.data()[i].TrackValue = 7;
        w.Cells.data()[i].ReturnTrackValue = double(i);
    }
    RescaleTracks(w);
    EXPECT_EQ(w.Cells[2][3].TrackValue, 7.0);
    EXPECT_FALSE(std::isnan(w.Cells[2][3].TrackValue));
    EXPECT_DOUBLE_EQ(w.Cells[3][3].ReturnTrackValue, 255.0); // the other kind still rescales
}

TEST(Tracks, DecayByTheFactorEachStep)
{
    World w = smallWorld();
    w.Cells[2][1].ReturnTrackValue = 10;
    w.Cells[2][1].TrackValue = 1;
    DecayTracks(w, 0.99);
    EXPECT_DOUBLE_EQ(w.Cells[2][1].ReturnTrackValue, 9.9);
    for (int n = 2; n <= 50; ++n)
        DecayTracks(w, 0.99);
    EXPECT_NEAR(w.Cells[2][1].ReturnTrackValue, 10 * std::pow(0.99, 50), 1e-12);
    DecayTracks(w, 0);
    EXPECT_EQ(w.Cells[2][1].TrackValue, 0.0);
}

namespace {

World gridWorld(int countX, int countY)
{
    World w;
    w.Geometry.CellCountX = countX;
    w.Geometry.CellCountY = countY;
    w.Cells.resize(countX, countY);
    return w;
}

// The rescale from its definition: each kind's bounds found by one scan in
// row order (a value replaces a bound only when strictly beyond it); return
// marks above 0 rescaled only when that kind has a span, track marks always,
// with (v - 0) * 1 when they have none.
void referenceRescale(World& w)
{
    TCell* cells = w.Cells.data();
    const size_t count = w.Cells.size();
    double hiR = 0.1, loR = 99999999999.0, hiT = 0.1, loT = 99999999999.0;
    for (size_t i = 0; i < count; ++i) {
        const double r = cells[i].ReturnTrackValue, t = cells[i].TrackValue;
        if (r > hiR)
            hiR = r;
        if (r < loR)
            loR = r;
        if (t > hiT)
            hiT = t;
        if (t < loT)
            loT = t;
    }
    if (hiR != loR) {
        const double f = 255.0 / (hiR - loR);
        for (size_t i = 0; i < count; ++i)
            if (cells[i].ReturnTrackValue > 0)
                cells[i].ReturnTrackValue = (cells[i].ReturnTrackValue - loR) * f;
    }
    const bool span = hiT != loT;
    const double lo = span ? loT : 0.0;
    const double f = span ? 255.0 / (hiT - loT) : 1.0;
    for (size_t i = 0; i < count; ++i)
        cells[i].TrackValue = (cells[i].TrackValue - lo) * f;
}

void expectRescaleMatchesDefinition(const World& start, const std::string& what)
{
    for (GridKernels k : kernelsToTry()) {
        World w = start;
        w.Kernels = k;
        World ref = start;
        RescaleTracks(w);
        referenceRescale(ref);
        expectSameCells(w, ref, what + ", " + kernelName(k));
    }
}

// Marks as a walk leaves them, with the odd value of every kind: -0, NaN
// (quiet and signalling, either sign), infinities, subnormals, negatives.
void fillMarks(World& w, uint64_t seed)
{
    const double oddValues[] = {
        -0.0, 0.0, std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::signaling_NaN(), std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::denorm_min(), -3.0, 0.1, 1e300,
    };
    TRandom fill(seed);
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        TCell& c = w.Cells.data()[i];
        c.TrackValue = fill.Random(3) == 0 ? 0.0 : double(fill.Random(40));
        c.ReturnTrackValue = fill.Random(2) == 0 ? 0.0 : fill.Random() * 300;
        if (fill.Random(9) == 0)
            c.TrackValue = oddValues[fill.Random(10)];
        if (fill.Random(9) == 0)
            c.ReturnTrackValue = oddValues[fill.Random(10)];
        c.Potential[0] = std::numeric_limits<double>::signaling_NaN();
        c.Potential[1] = -0.0;
        c.Potential[2] = double(i);
        c.LandUse = int32_t(i % 6);
        c.AgentCount = int32_t(fill.Random(5)) - 2;
    }
}

} // namespace

TEST(Tracks, RescaleMatchesItsDefinitionOnEveryGridShape)
{
    // Sizes that are no whole number of four-cell blocks, so that a short
    // block can fall at either end.
    for (int countX = 1; countX <= 11; ++countX) {
        for (int countY : {1, 2, 3, 7}) {
            World w = gridWorld(countX, countY);
            fillMarks(w, uint64_t(countX * 31 + countY));
            expectRescaleMatchesDefinition(w, std::to_string(countX) + " by " + std::to_string(countY));
        }
    }
}

TEST(Tracks, RescaleKindsWithoutSpanOrWithZeroBoundsMatchTheDefinition)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        std::vector<double> track;
        std::vector<double> ret;
    };
    const std::vector<Case> cases = {
        {{7, 7, 7, 7, 7}, {3, 3, 3, 3, 3}},                // no span in either kind
        {{0.05, 0.0, 0.05, 0.0, 0.05}, {0.1, 0.0, -0.0, 0.1, 0.1}}, // tops at or below 0.1
        {{5, -0.0, 0.0, 3, -0.0}, {5, 0.0, -0.0, 1, -0.0}}, // zero low bounds of both signs
        {{5, 0.0, -0.0, 3, 0.0}, {-0.0, 2, 0.0, 1, 0.0}},
        {{-nan, 0.0, 4, -0.0, 0.0}, {nan, -2, 4, 0.0, -0.0}},
        {{-0.0, -0.0, -0.0, 2, -0.0}, {-0.0, -0.0, -0.0, -0.0, -0.0}},
    };
    for (size_t c = 0; c < cases.size(); ++c) {
        for (int repeat = 1; repeat <= 3; ++repeat) {
            World w = gridWorld(int(cases[c].track.size()), repeat);
            for (size_t i = 0; i < w.Cells.size(); ++i) {
                w.Cells.data()[i].TrackValue = cases[c].track[i % cases[c].track.size()];
                w.Cells.data()[i].ReturnTrackValue = cases[c].ret[i % cases[c].ret.size()];
            }
            expectRescaleMatchesDefinition(w, "case " + std::to_string(c));
        }
    }
}

TEST(Tracks, DecayMatchesItsDefinitionOnEveryGridShape)
{
    for (int countX = 1; countX <= 9; ++countX) {
        for (double factor : {0.99, -0.5, 0.0, 1e-310}) {
            World start = gridWorld(countX, 3);
            fillMarks(start, uint64_t(countX));
            World ref = start;
            for (size_t i = 0; i < ref.Cells.size(); ++i) {
                ref.Cells.data()[i].TrackValue *= factor;
                ref.Cells.data()[i].ReturnTrackValue *= factor;
            }
            World w = start;
            DecayTracks(w, factor);
            expectSameCells(w, ref, std::to_string(countX) + " wide, factor " + std::to_string(factor));
        }
    }
}
