#include "agents/tracks.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace landuse;

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
