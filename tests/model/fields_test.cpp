#include "model/fields.h"
#include "model/grid_kernels.h"
#include "model/range_scan.h"
#include "sim/simulation.h"

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

World makeWorld(int countX, int countY)
{
    World w;
    w.Geometry = MakeGeometry(2);
    w.Geometry.CellCountX = countX;
    w.Geometry.CellCountY = countY;
    w.Cells.resize(countX, countY);
    w.Limbo.resize(countX);
    return w;
}

World makeWorld(int n)
{
    return makeWorld(n, n);
}

TWeightTable quietTable()
{
    TWeightTable t;
    t.DiffPop = t.DiffServ = t.DiffIndu = 1.0;
    return t;
}

std::string shapeName(int countX, int countY)
{
    std::string name = std::to_string(countX);
    name += 'x';
    name += std::to_string(countY);
    return name;
}

// The diffusion cell by cell, straight from its definition.
void referenceDiffuse(World& w, const TWeightTable& t, TRandom& rng)
{
    const int n = w.Geometry.CellCountX;
    std::vector<long double> means(size_t(n) * size_t(w.Geometry.CellCountY) * 3);
    for (int y = 0; y < w.Geometry.CellCountY; ++y)
        for (int x = 0; x < n; ++x)
            NeighbourMean(w, x, y, &means[(size_t(y) * size_t(n) + size_t(x)) * 3]);
    for (int y = 0; y < w.Geometry.CellCountY; ++y) {
        for (int x = 0; x < n; ++x) {
            const long double r = rng.Random();
            for (int k = 0; k < 3; ++k) {
                double& p = w.Cells[x][y].Potential[k];
                p = double(means[(size_t(y) * size_t(n) + size_t(x)) * 3 + size_t(k)] * (long double)t.diff(k) + p
                           + r * (long double)t.noise(k));
            }
        }
    }
}

// Bit for bit: -0 is not 0, and a NaN must be the same NaN.
void expectSameFields(const World& a, const World& b, const std::string& what)
{
    for (size_t i = 0; i < a.Cells.size(); ++i)
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(bits(a.Cells.data()[i].Potential[k]), bits(b.Cells.data()[i].Potential[k]))
                << what << ": cell " << i << " field " << k << ": " << a.Cells.data()[i].Potential[k] << " vs "
                << b.Cells.data()[i].Potential[k];
}

// Runs the diffusion and the reference from the same state and seed under
// every kernel choice.
void expectDiffusionMatchesDefinition(const World& start, const TWeightTable& t, const std::string& what)
{
    for (GridKernels k : kernelsToTry()) {
        World w = start;
        w.Kernels = k;
        World ref = start;
        TRandom a(42), b(42);
        DiffuseFields(w, t, a);
        referenceDiffuse(ref, t, b);
        expectSameFields(w, ref, what + ", " + kernelName(k));
        EXPECT_EQ(a.Random(), b.Random()) << what << ": one draw per cell";
    }
}

const double OddValues[] = {
    1e-3, 1e-20, 3e-300, 15.5, 1e6, -0.7, 0.0, -0.0, 0.0625, 13.99, 14.0, -14.0, 0.125, 0.1,
    std::numeric_limits<double>::denorm_min(), -4e-310, 1e300, -1e300,
};

// Mostly values with an exact twin (whole multiples of 1/8 below 14, as after
// the rescale), every seventh from the list above, NaN and infinities where
// asked.
void fillMixed(World& w, uint64_t seed, bool nonFinite)
{
    TRandom fill(seed);
    const size_t oddCount = sizeof(OddValues) / sizeof(OddValues[0]);
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        for (int k = 0; k < 3; ++k) {
            double v = fill.Random(2) == 0 ? fill.Random() * 10 : double(fill.Random(112)) / 8;
            if ((i + size_t(k)) % 7 == 3)
                v = OddValues[(i * 3 + size_t(k)) % oddCount];
            if (nonFinite && (i + size_t(k)) % 29 == 5)
                v = (i % 3 == 0)   ? std::numeric_limits<double>::quiet_NaN()
                    : (i % 3 == 1) ? std::numeric_limits<double>::infinity()
                                   : -std::numeric_limits<double>::infinity();
            w.Cells.data()[i].Potential[k] = v;
        }
    }
}

} // namespace

TEST(Fields, SinglePeakSpreadsToItsEightNeighbours)
{
    World w = makeWorld(10);
    w.Cells[4][4].Potential[0] = 8;
    TRandom rng(1);
    DiffuseFields(w, quietTable(), rng);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool centre = x == 4 && y == 4;
            const bool neighbour = !centre && std::abs(x - 4) <= 1 && std::abs(y - 4) <= 1;
            EXPECT_EQ(w.Cells[x][y].Potential[0], centre ? 8.0 : neighbour ? 1.0 : 0.0) << x << "," << y;
        }
    }
    NormalizeFields(w);
    EXPECT_EQ(w.Cells[4][4].Potential[0], 10.0);
    EXPECT_EQ(w.Cells[5][5].Potential[0], 1.25);
    EXPECT_EQ(w.Cells[0][0].Potential[0], 0.0);
}

TEST(Fields, NeighboursWrapAroundTheTorus)
{
    World w = makeWorld(202);
    w.Cells[0][201].Potential[1] = 8;
    TRandom rng(1);
    DiffuseFields(w, quietTable(), rng);
    EXPECT_EQ(w.Cells[201][0].Potential[1], 1.0);
    EXPECT_EQ(w.Cells[1][200].Potential[1], 1.0);
    EXPECT_EQ(w.Cells[201][201].Potential[1], 1.0);
    EXPECT_EQ(w.Cells[0][0].Potential[1], 1.0);
    EXPECT_EQ(w.Cells[2][201].Potential[1], 0.0);
}

TEST(Fields, ZeroFieldStaysZeroWithoutNoise)
{
    World w = makeWorld(20);
    TWeightTable t = quietTable();
    t.NoiseServ = 5.0;
    TRandom rng(3);
    for (int step = 0; step < 5; ++step) {
        DiffuseFields(w, t, rng);
        NormalizeFields(w);
    }
    double hiServ = 0;
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        EXPECT_EQ(w.Cells.data()[i].Potential[0], 0.0);
        hiServ = std::max(hiServ, w.Cells.data()[i].Potential[1]);
    }
    EXPECT_EQ(hiServ, 10.0);
}

TEST(Fields, WholeGridPassMatchesTheCellByCellDefinition)
{
    // Values of every kind: exact in fixed point, tiny ones whose sums round
    // in extended precision, large ones, negative ones and zeros.
    World w = makeWorld(23);
    fillMixed(w, 9, false);
    for (double diffServ : {1.0, 0.7, 0.0}) {
        TWeightTable t = quietTable();
        t.DiffServ = diffServ;
        t.DiffIndu = -1.3;
        t.NoisePop = 6.0;
        t.NoiseServ = 5.0;
        t.NoiseIndu = 4.8;
        expectDiffusionMatchesDefinition(w, t, "diffServ " + std::to_string(diffServ));
    }
}

TEST(Fields, EveryGridShapeMatchesTheDefinition)
{
    // Widths around the vector lengths (eight cells, sixteen values) and the
    // smallest tori, where a cell is its own neighbour.
    TWeightTable t = quietTable();
    t.DiffServ = 0.7;
    t.NoisePop = 6.0;
    t.NoiseServ = 5.0;
    t.NoiseIndu = 4.8;
    for (int countX : {1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 33}) {
        for (int countY : {1, 2, 3, 6}) {
            World w = makeWorld(countX, countY);
            fillMixed(w, uint64_t(countX * 10 + countY), false);
            expectDiffusionMatchesDefinition(w, t, shapeName(countX, countY));
        }
    }
}

TEST(Fields, ValuesWithoutTwinAtTheWrapEdges)
{
    // Whole multiples of 1/8 everywhere, so the integer sums are used, except
    // for values without a twin on the first and last column and row, whose
    // windows reach across the wrap.
    TWeightTable t = quietTable();
    t.DiffIndu = 0.7;
    t.NoisePop = 6.0;
    t.NoiseServ = 5.0;
    t.NoiseIndu = 4.8;
    for (int n : {9, 17, 24}) {
        World w = makeWorld(n, n);
        TRandom fill{uint64_t(n)};
        for (size_t i = 0; i < w.Cells.size(); ++i)
            for (int k = 0; k < 3; ++k)
                w.Cells.data()[i].Potential[k] = double(fill.Random(112)) / 8;
        w.Cells[0][0].Potential[0] = 0.1;
        w.Cells[n - 1][n / 2].Potential[1] = 1e-3;
        w.Cells[n / 2][n - 1].Potential[2] = std::numeric_limits<double>::quiet_NaN();
        w.Cells[n - 1][n - 1].Potential[2] = 20.0;
        expectDiffusionMatchesDefinition(w, t, "n " + std::to_string(n));
    }
}

TEST(Fields, ExtremeCoefficientsMatchTheDefinition)
{
    // Results that overflow or fall into the subnormals, coefficients that are
    // zero, negative or not finite, noise too large to scale, noise with its
    // sign bit set (where a -0 can come out), and values that are not finite.
    struct Case {
        double diff[3];
        double noise[3];
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {{1, 1, 1}, {0, 0, 0}},
        {{1e300, 1e-310, -1e308}, {1, 1e-300, 0}},
        {{1, 1, 1}, {0x1p965, 1e308, 0x1p-1070}},
        {{1e-320, 4e-300, 1}, {0, 1e-320, 2}},
        {{-0.0, -1.0, 0.0}, {-0.0, -2.0, 0.0}},
        {{-1.0, 1, 1}, {-0.0, 1, 1}},
        {{inf, nan, -inf}, {1, 1, 1}},
        {{1, 1, 1}, {inf, 1, 1}},
        {{1, 1, 1}, {nan, 1, 1}},
    };
    for (bool nonFinite : {false, true}) {
        World w = makeWorld(11, 7);
        fillMixed(w, 77, nonFinite);
        // Zero windows with a -0 centre: a -0 result is possible only here.
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 4; ++y)
                for (int k = 0; k < 3; ++k)
                    w.Cells[x][y].Potential[k] = 0.0;
        for (int k = 0; k < 3; ++k)
            w.Cells[1][1].Potential[k] = -0.0;
        for (size_t c = 0; c < sizeof(cases) / sizeof(cases[0]); ++c) {
            TWeightTable t;
            t.DiffPop = cases[c].diff[0];
            t.DiffServ = cases[c].diff[1];
            t.DiffIndu = cases[c].diff[2];
            t.NoisePop = cases[c].noise[0];
            t.NoiseServ = cases[c].noise[1];
            t.NoiseIndu = cases[c].noise[2];
            expectDiffusionMatchesDefinition(w, t,
                                             "case " + std::to_string(c) + (nonFinite ? " with NaN and inf" : ""));
        }
    }
}

TEST(Fields, TinyNoiseGivesSubnormalResults)
{
    // A zero field with noise so small that most results are subnormal: the
    // update must round them as the unscaled formula does.
    World w = makeWorld(19, 5);
    TWeightTable t = quietTable();
    t.NoisePop = 0x1p-1060;
    t.NoiseServ = 3e-320;
    t.NoiseIndu = std::numeric_limits<double>::denorm_min();
    expectDiffusionMatchesDefinition(w, t, "zero field");
    bool subnormalSeen = false;
    World probe = w;
    TRandom rng(42);
    DiffuseFields(probe, t, rng);
    for (size_t i = 0; i < probe.Cells.size(); ++i)
        subnormalSeen = subnormalSeen || std::fpclassify(probe.Cells.data()[i].Potential[1]) == FP_SUBNORMAL;
    EXPECT_TRUE(subnormalSeen);
}

TEST(Fields, WholeGridPassMatchesTheDefinitionInARunningWorld)
{
    for (GridKernels k : kernelsToTry()) {
        Simulation sim(nullptr, 4);
        sim.setKernels(k);
        sim.Create();
        for (int i = 0; i < 40; ++i)
            sim.Step();
        World ref = sim.world();
        TRandom rng = sim.rng();
        TRandom refRng = sim.rng();
        DiffuseFields(sim.worldForTest(), sim.weightTable(), rng);
        referenceDiffuse(ref, sim.weightTable(), refRng);
        expectSameFields(sim.world(), ref, kernelName(k));
    }
}

TEST(Fields, KernelChoicesRunTheSameWorld)
{
    // Whole steps, including growth, walks and the track rescale or decay, on
    // each kernel choice: every cell must come out the same.
    if (kernelsToTry().size() < 2)
        GTEST_SKIP() << "this processor runs only the portable code";
    const std::vector<std::vector<std::string>> settings = {
        {},
        {"CB_decay=1"},
        {"StringGrid1[1,2]=0,7", "StringGrid1[5,3]=0,0001"},
    };
    for (const std::vector<std::string>& assignments : settings) {
        World worlds[2];
        for (int i = 0; i < 2; ++i) {
            Simulation sim(nullptr, 11);
            sim.setKernels(i == 0 ? GridKernels::Portable : GridKernels::Avx512);
            sim.Create();
            for (const std::string& a : assignments)
                sim.controls().assign(a);
            ASSERT_TRUE(sim.NewSetup());
            for (int step = 0; step < 60; ++step)
                sim.Step();
            worlds[i] = sim.world();
        }
        expectSameCells(worlds[0], worlds[1], assignments.empty() ? "defaults" : assignments.front());
    }
}

TEST(Fields, CoefficientZeroLeavesOnlyNoise)
{
    World w = makeWorld(8);
    w.Cells[3][3].Potential[2] = 4;
    TWeightTable t;
    t.NoiseIndu = 1.0;
    TRandom a(5), b(5);
    DiffuseFields(w, t, a);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(w.Cells[x][y].Potential[2], (x == 3 && y == 3 ? 4.0 : 0.0) + b.Random());
}

TEST(Fields, FieldWithoutSpanIsLeftAlone)
{
    World w = makeWorld(6);
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        w.Cells.data()[i].Potential[0] = 3.5;
        w.Cells.data()[i].Potential[1] = double(i);
    }
    NormalizeFields(w);
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        EXPECT_EQ(w.Cells.data()[i].Potential[0], 3.5);
        EXPECT_FALSE(std::isnan(w.Cells.data()[i].Potential[0]));
    }
    EXPECT_EQ(w.Cells.data()[35].Potential[1], 10.0);
    EXPECT_EQ(w.Cells.data()[0].Potential[1], 0.0);
    // A field whose top is at most 1e-8 is scaled as if its top were 1e-8.
    w.Cells.data()[0].Potential[2] = 5e-9;
    NormalizeFields(w);
    EXPECT_DOUBLE_EQ(w.Cells.data()[0].Potential[2], 5.0);
}

namespace {

// The rescale from its definition: bounds found by one scan in row order
// (a value replaces a bound only when strictly beyond it), then
// (v - lo) * 10 / (hi - lo), or nothing done (v - 0) * 1 when there is no span.
void referenceNormalize(World& w)
{
    TCell* cells = w.Cells.data();
    const size_t count = w.Cells.size();
    for (int k = 0; k < 3; ++k) {
        double hi = 1e-8;
        double lo = 9999999999.0;
        for (size_t i = 0; i < count; ++i) {
            const double v = cells[i].Potential[k];
            if (v > hi)
                hi = v;
            if (v < lo)
                lo = v;
        }
        double f = 1.0;
        if (hi != lo)
            f = 10.0 / (hi - lo);
        else
            lo = 0.0;
        for (size_t i = 0; i < count; ++i)
            cells[i].Potential[k] = (cells[i].Potential[k] - lo) * f;
    }
}

void expectNormalizeMatchesDefinition(const World& start, const std::string& what)
{
    for (GridKernels k : kernelsToTry()) {
        World w = start;
        w.Kernels = k;
        World ref = start;
        NormalizeFields(w);
        referenceNormalize(ref);
        expectSameCells(w, ref, what + ", " + kernelName(k));
    }
}

} // namespace

TEST(Fields, RescaleMatchesItsDefinitionOnEveryGridShape)
{
    // Grid sizes that are no whole number of vectors, so that a short block
    // can fall at either end.
    for (int countX = 1; countX <= 9; ++countX) {
        for (int countY : {1, 2, 5}) {
            World w = makeWorld(countX, countY);
            fillMixed(w, uint64_t(100 + countX * 7 + countY), countX % 2 == 1);
            for (size_t i = 0; i < w.Cells.size(); ++i) {
                w.Cells.data()[i].TrackValue = double(i) - 3;
                w.Cells.data()[i].ReturnTrackValue = std::numeric_limits<double>::signaling_NaN();
                w.Cells.data()[i].LandUse = int32_t(i % 6);
                w.Cells.data()[i].AgentCount = -int32_t(i);
            }
            expectNormalizeMatchesDefinition(w, shapeName(countX, countY));
        }
    }
}

TEST(Fields, RescaleKeepsTheLowBoundZeroThatTheDefinitionFinds)
{
    // With 0 and -0 both present the low bound's sign depends on the scan,
    // and it decides the sign of every rescaled -0.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::vector<double>> fields = {
        {5.0, -0.0, 0.0, 3.0, -0.0, 0.0, 7.0},      // first zero is -0, of the even cells 0
        {5.0, 0.0, -0.0, 3.0, 0.0, -0.0, 7.0},      // first zero is 0, of the even cells -0
        {5.0, -0.0, 4.0, 0.0, 6.0, -0.0, 7.0},      // zeros only among the odd cells
        {-0.0, nan, -0.0, 2.0, -0.0, 8.0, 9.0},     // only -0
        {-nan, 0.0, 4.0, -0.0, 6.0, 0.0, 7.0},      // a NaN with its sign bit set
        {0.0, 0.0, -0.0, -0.0, 0.0, 1.0, 2.0},
        {1e-9, -0.0, 0.0, 0.0, -0.0, 1e-9, 1e-9},   // top below 1e-8
    };
    for (size_t f = 0; f < fields.size(); ++f) {
        World w = makeWorld(int(fields[f].size()), 1);
        for (size_t i = 0; i < fields[f].size(); ++i)
            for (int k = 0; k < 3; ++k)
                w.Cells.data()[i].Potential[k] = fields[(f + size_t(k)) % fields.size()][i];
        expectNormalizeMatchesDefinition(w, "fields from " + std::to_string(f));
    }
}

TEST(Fields, RescaleMatchesItsDefinitionInARunningWorld)
{
    Simulation sim(nullptr, 5);
    sim.Create();
    for (int i = 0; i < 30; ++i)
        sim.Step();
    TRandom rng = sim.rng();
    DiffuseFields(sim.worldForTest(), sim.weightTable(), rng);
    expectNormalizeMatchesDefinition(sim.world(), "step 31");
}

TEST(Fields, BoundsKernelsAreThoseOfAScanInRowOrderAtEveryAlignment)
{
    // Word 0 plain numbers, word 1 with NaN and infinity, words 2 and 3 at
    // least 0 with zeros of both signs (the low bound is the first zero met),
    // word 4 with -0 among negative numbers.
    std::vector<TCell> cells(40);
    TRandom fill(3);
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].Potential[0] = (fill.Random() - 0.3) * 100;
        cells[i].Potential[1] = fill.Random() * 50;
        cells[i].Potential[2] = fill.Random(3) == 0 ? (fill.Random(2) == 0 ? 0.0 : -0.0) : fill.Random() * 9;
        cells[i].TrackValue = fill.Random(4) == 0 ? (i % 3 == 0 ? -0.0 : 0.0) : fill.Random() * 9;
        cells[i].ReturnTrackValue = fill.Random(5) == 0 ? -0.0 : fill.Random() * 9 - 1;
        cells[i].LandUse = int32_t(i);
        cells[i].AgentCount = -1;
    }
    cells[7].Potential[1] = std::numeric_limits<double>::quiet_NaN();
    cells[30].Potential[1] = std::numeric_limits<double>::infinity();
    for (GridKernels kernels : kernelsToTry()) {
        World w;
        w.Kernels = kernels;
        const GridKernelTable& table = GridKernelsOf(w);
        // Each start and length reaches a different mix of short and whole blocks.
        size_t zeroLows = 0;
        for (size_t start = 0; start < 4; ++start) {
            for (size_t count = 0; count + start <= cells.size(); ++count) {
                double got[2][CellWords];
                double fieldHi[3], fieldLo[3], trackHi[2], trackLo[2];
                table.fieldBounds(cells.data() + start, count, fieldHi, fieldLo);
                table.trackBounds(cells.data() + start, count, trackHi, trackLo);
                for (int k = 0; k < 3; ++k) {
                    got[0][k] = fieldHi[k];
                    got[1][k] = fieldLo[k];
                }
                got[0][TrackWord] = trackHi[0];
                got[1][TrackWord] = trackLo[0];
                got[0][ReturnTrackWord] = trackHi[1];
                got[1][ReturnTrackWord] = trackLo[1];
                for (int word = 0; word < 5; ++word) {
                    // The bounds as one scan in row order finds them.
                    double wantHi = word < 3 ? FieldHiStart : TrackHiStart;
                    double wantLo = word < 3 ? FieldLoStart : TrackLoStart;
                    for (size_t i = 0; i < count; ++i) {
                        const double v = CellWord(cells[start + i], word);
                        if (v > wantHi)
                            wantHi = v;
                        if (v < wantLo)
                            wantLo = v;
                    }
                    const std::string where = kernelName(kernels) + " " + std::to_string(start) + " "
                        + std::to_string(count) + " word " + std::to_string(word);
                    EXPECT_EQ(bits(got[0][word]), bits(wantHi)) << where;
                    EXPECT_EQ(bits(got[1][word]), bits(wantLo)) << where;
                    zeroLows += wantLo == 0;
                }
            }
        }
        EXPECT_GT(zeroLows, 100u);
    }
}
