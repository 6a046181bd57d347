#include "agents/steering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace landuse;

namespace {

// The window as direction numbers 1..8, in window order.
std::vector<int> window(int heading, int threshold)
{
    TCellList cells;
    cells.resize(5, 5);
    TAgent a;
    a.PosX = a.PosY = 2;
    a.Heading = heading;
    TRandom rng(1);
    Sniff(a, cells, threshold, rng);
    std::vector<int> dirs;
    for (int j = 0; j < a.CandidateCount; ++j)
        for (int d = 1; d <= 8; ++d)
            if (DirectionStep(d).dx == a.Candidates[size_t(j)].dx && DirectionStep(d).dy == a.Candidates[size_t(j)].dy)
                dirs.push_back(d);
    return dirs;
}

using V = std::vector<int>;

} // namespace

TEST(Steering, SniffingWindows)
{
    EXPECT_EQ(window(0, 0), V({8}));
    EXPECT_EQ(window(100, 0), V({2}));
    EXPECT_EQ(window(0, 22), V({8}));
    EXPECT_EQ(window(10, 22), V({8, 1}));
    EXPECT_EQ(window(45, 22), V({1}));
    EXPECT_EQ(window(0, 23), V({7, 8, 1}));
    EXPECT_EQ(window(0, 45), V({7, 8, 1}));
    EXPECT_EQ(window(0, 90), V({6, 7, 8, 1, 2}));
    EXPECT_EQ(window(0, 157), V({4, 5, 6, 7, 8, 1, 2, 3}));
    EXPECT_EQ(window(0, 158), V({4}));
    EXPECT_EQ(window(0, 180), V({4}));
    // A heading far out of range still gives a window (full modulo).
    EXPECT_EQ(window(-800, 22), window(280, 22));
    EXPECT_EQ(window(-220, 180), V({7})); // as heading 140: opposite is 320
}

TEST(Steering, SniffSharesAndOneDrawPerCandidate)
{
    TCellList cells;
    cells.resize(5, 5);
    cells[3][2].ReturnTrackValue = 100;  // direction 8 of (2, 2)
    cells[3][3].ReturnTrackValue = 300;  // direction 1
    TAgent a;
    a.PosX = a.PosY = 2;
    a.Heading = 10;
    TRandom rng(7), check(7);
    Sniff(a, cells, 22, rng);
    ASSERT_EQ(a.CandidateCount, 2);
    const double n0 = (check.Random() - 0.5) * 0.1;
    const double n1 = (check.Random() - 0.5) * 0.1;
    EXPECT_EQ(a.ScentSum, (100 + n0) + (300 + n1));
    EXPECT_NEAR(a.Weights[0], 25.0, 0.01);
    EXPECT_NEAR(a.Weights[1], 75.0, 0.01);
    EXPECT_EQ(rng.Random(), check.Random()); // exactly two draws were made
}

TEST(Steering, HalfWayCosinesAndSines)
{
    const int headings[] = {30, 60, 120, 150, 210, 240, 300, 330, 0, 90, 180, 270, 360};
    const int steps[][2] = {{1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1},
                            {1, 0}, {1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}};
    for (size_t i = 0; i < std::size(headings); ++i) {
        const TStepDir s = StepOfHeading(headings[i]);
        EXPECT_EQ(s.dx, steps[i][0]) << headings[i];
        EXPECT_EQ(s.dy, steps[i][1]) << headings[i];
    }
    EXPECT_EQ(HeadingOfStep(1, 1), 45);
    EXPECT_EQ(HeadingOfStep(-1, 0), 180);
    EXPECT_EQ(HeadingOfStep(0, -1), -90);
    EXPECT_EQ(HeadingOfStep(0, 0), 0);
}

TEST(Steering, RouletteAndHillClimbingChoices)
{
    TAgent a;
    a.CandidateCount = 3;
    a.Weights = {10, 20, 70};
    for (int b = 0; b <= 10; ++b)
        EXPECT_EQ(RouletteIndex(a, b), 0) << b;
    for (int b = 11; b <= 30; ++b)
        EXPECT_EQ(RouletteIndex(a, b), 1) << b;
    for (int b = 31; b <= 99; ++b)
        EXPECT_EQ(RouletteIndex(a, b), 2) << b;
    EXPECT_EQ(HillClimbIndex(a), 2);

    // Shares that sum below the draw: the last candidate.
    a.Weights = {1e-3, 2e-3, 3e-3};
    EXPECT_EQ(RouletteIndex(a, 50), 2);

    a.Weights = {30, 40, 40};
    EXPECT_EQ(HillClimbIndex(a), 1); // ties go to the earlier
    a.Weights = {-5, 0, 3};
    EXPECT_EQ(HillClimbIndex(a), 2);
}

TEST(Steering, NormalizeAngleCorners)
{
    const int in[] = {360, -10, 730, -360, 720, 0, 361};
    const int out[] = {360, 350, 370, 0, 360, 0, 1};
    for (size_t i = 0; i < std::size(in); ++i) {
        int a = in[i];
        NormalizeAngle(a);
        EXPECT_EQ(a, out[i]) << in[i];
    }
    double f = -0.5;
    NormalizeAngleF(f);
    EXPECT_EQ(f, 359.5);
    f = 360.5;
    NormalizeAngleF(f);
    EXPECT_EQ(f, 0.5);
}

TEST(Steering, ZeroWiggleStillDrawsTheSign)
{
    TCellList cells;
    cells.resize(5, 5);
    cells[1][3].ReturnTrackValue = 50; // direction 3 of (2, 2): (-1, +1)
    TAgent a;
    a.PosX = a.PosY = 2;
    a.Heading = 135;
    TRandom rng(3), check(3);
    Sniff(a, cells, 0, rng);
    ChangeHeading(a, rng, 0, 1, 0, SniffHill, 30);
    EXPECT_EQ(a.Heading, 135);
    EXPECT_EQ(a.StepX, -1);
    EXPECT_EQ(a.StepY, 1);
    // One draw for the single candidate, then Random(1) and Random(2).
    check.Random();
    check.Random(1);
    check.Random(2);
    EXPECT_EQ(rng.Random(), check.Random());
}

TEST(Steering, ReturnJitterAndRandomWalk)
{
    TAgent a;
    a.State = Returning;
    a.Heading = 90;
    a.ScentSum = 0;
    TRandom rng(5), check(5);
    ChangeHeading(a, rng, 22, 1, 20, SniffHill, 0); // nothing to sniff: direct
    EXPECT_EQ(a.Heading, 90);
    EXPECT_EQ(a.StepX, 0);
    EXPECT_EQ(a.StepY, 1);
    check.Random(1);
    check.Random(2);
    EXPECT_EQ(rng.Random(), check.Random());

    // A searching agent without scent walks at random within the threshold.
    a.State = Searching;
    for (int i = 0; i < 200; ++i) {
        a.Heading = 180;
        ChangeHeading(a, rng, 22, 1, 20, SniffHill, 30);
        EXPECT_GE(a.Heading, 158);
        EXPECT_LE(a.Heading, 202);
        EXPECT_EQ(a.StepX, -1);
    }
}

TEST(Steering, TablesGiveTheLibraryResults)
{
    for (int h = -1500; h <= 1500; ++h) {
        const double r = h * (ModelPi / 180.0);
        const TStepDir s = StepOfHeading(h);
        ASSERT_EQ(s.dx, int(std::nearbyint(std::cos(r)))) << h;
        ASSERT_EQ(s.dy, int(std::nearbyint(std::sin(r)))) << h;
    }
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            EXPECT_EQ(HeadingOfStep(dx, dy), int(std::nearbyint(std::atan2(dy, dx) * (180.0 / ModelPi))));
    // Window ends: one correction each way, a full modulo where that is not
    // enough, then the nearest whole degree, halves to even.
    for (int angle = -3000; angle <= 3000; ++angle) {
        double a = angle - 22.5;
        if (!(a >= 0))
            a += 360;
        if (a > 360)
            a -= 360;
        if (!(a >= 0 && a <= 360)) {
            a = std::fmod(a, 360.0);
            if (a < 0)
                a += 360;
        }
        const int whole = int(std::nearbyint(a));
        const int octant = whole <= 45 ? 1 : (whole + 44) / 45;
        ASSERT_EQ(WindowOctant(angle), octant) << angle;
    }
}
