// The whole-grid passes and the row sums of every table against the plain
// table's, bit for bit, on awkward cells at every length and alignment.

#include "model/diffusion.h"
#include "model/empty_cell_survey.h"
#include "model/field_survey.h"
#include "model/grid_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace landuse;

namespace {

// Tables other than the plain one; empty when this processor runs only the
// plain code.
std::vector<std::pair<std::string, const GridKernelTable*>> fastTables()
{
    std::vector<std::pair<std::string, const GridKernelTable*>> tables;
    if (PortableGridKernels().rescaleTracks != PlainGridKernels().rescaleTracks)
        tables.push_back({"portable", &PortableGridKernels()});
    if (const GridKernelTable* wide = Avx512GridKernels())
        tables.push_back({"avx512", wide});
    return tables;
}

// Zeros of both signs, subnormals, infinities, NaN of both signs, huge and
// tiny values, whole marks as the walk lays them, and plain fractions.
double awkward(std::mt19937_64& gen)
{
    const double sign = gen() % 2 ? 1.0 : -1.0;
    switch (gen() % 12) {
    case 0: return sign * 0.0;
    case 1: return sign * std::numeric_limits<double>::denorm_min() * double(gen() % 1000 + 1);
    case 2: return sign * std::numeric_limits<double>::infinity();
    case 3: return std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);
    case 4: return sign * std::ldexp(1.0 + double(gen() % 1000) / 1000, int(gen() % 2000) - 1000);
    case 5: return double(gen() % 300);
    case 6: return 10.0 * double(gen() % 30);
    case 7: return sign * std::numeric_limits<double>::max();
    case 8: return 0.1;
    default: return double(gen() >> 11) * 0x1p-53 * 255.0;
    }
}

// Cells whose every word may be awkward; the land use is often empty so the
// survey offers many of them. `plain` runs them as they are, so a NaN has the
// same bits in both copies.
std::vector<TCell> awkwardCells(std::mt19937_64& gen, size_t count, int roundKind)
{
    std::vector<TCell> cells(count);
    for (TCell& c : cells) {
        for (double& v : c.Potential)
            v = roundKind == 0 ? double(gen() >> 11) * 0x1p-53 * 10.0 : awkward(gen);
        c.TrackValue = roundKind == 1 ? double(gen() % 5) : awkward(gen);
        c.ReturnTrackValue = roundKind == 1 ? 10.0 * double(gen() % 5) : awkward(gen);
        c.LandUse = gen() % 3 == 0 ? int32_t(gen() % 6) : Empty;
        c.AgentCount = int32_t(gen() % 4);
    }
    return cells;
}

void expectSameBytes(const std::vector<TCell>& a, const std::vector<TCell>& b, const std::string& what)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(std::memcmp(&a[i], &b[i], sizeof(TCell)), 0) << what << ", cell " << i;
}

void expectSameDoubles(const double* a, const double* b, int n, const std::string& what)
{
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(std::bit_cast<uint64_t>(a[i]), std::bit_cast<uint64_t>(b[i])) << what << ", entry " << i;
}

// A scale as RescaleTracks makes it, or an arbitrary one.
TrackScale scaleFor(std::mt19937_64& gen, const double hi[2], const double lo[2])
{
    TrackScale s;
    if (gen() % 3 != 0) {
        s.scaleR = hi[1] != lo[1];
        s.loR = lo[1];
        s.fR = s.scaleR ? 255.0 / (hi[1] - lo[1]) : 1.0;
        s.loT = hi[0] != lo[0] ? lo[0] : 0.0;
        s.fT = hi[0] != lo[0] ? 255.0 / (hi[0] - lo[0]) : 1.0;
    } else {
        s.scaleR = gen() % 2 == 0;
        s.loR = awkward(gen);
        s.fR = awkward(gen);
        s.loT = awkward(gen);
        s.fT = awkward(gen);
    }
    return s;
}

} // namespace

TEST(GridKernelPasses, TrackBoundsAndRescaleAreThePlainOnes)
{
    const auto tables = fastTables();
    if (tables.empty())
        GTEST_SKIP() << "this processor runs only the plain code";
    std::mt19937_64 gen(11);
    for (size_t count = 0; count <= 41; ++count) {
        for (int round = 0; round < 60; ++round) {
            // One cell more, so that the pass may start at an odd cell and
            // meet every alignment.
            const std::vector<TCell> cells = awkwardCells(gen, count + 1, round % 3);
            const size_t from = size_t(round % 2);
            std::vector<TCell> plain = cells;
            double hiP[2], loP[2];
            PlainGridKernels().trackBounds(plain.data() + from, count, hiP, loP);
            const TrackScale s = scaleFor(gen, hiP, loP);
            PlainGridKernels().rescaleTracks(plain.data() + from, count, s);
            for (const auto& [name, table] : tables) {
                const std::string what = name + ", " + std::to_string(count) + " cells, round " + std::to_string(round);
                std::vector<TCell> other = cells;
                double hi[2], lo[2];
                table->trackBounds(other.data() + from, count, hi, lo);
                expectSameDoubles(hiP, hi, 2, what + ": high bounds");
                expectSameDoubles(loP, lo, 2, what + ": low bounds");
                table->rescaleTracks(other.data() + from, count, s);
                expectSameBytes(plain, other, what + ": rescaled");
            }
        }
    }
}

TEST(GridKernelPasses, ZeroLowBoundsKeepTheSignTheRowOrderFinds)
{
    const auto tables = fastTables();
    if (tables.empty())
        GTEST_SKIP() << "this processor runs only the plain code";
    // Only 0 and -0 as lows: the first one met decides, wherever it lies.
    for (size_t count = 1; count <= 20; ++count) {
        for (size_t negative = 0; negative < count; ++negative) {
            std::vector<TCell> cells(count);
            for (size_t i = 0; i < count; ++i) {
                cells[i].TrackValue = i == negative ? -0.0 : (i % 3 == 0 ? 0.0 : 5.0);
                cells[i].ReturnTrackValue = i < negative ? 7.0 : (i == negative ? 0.0 : -0.0);
            }
            double hiP[2], loP[2];
            PlainGridKernels().trackBounds(cells.data(), count, hiP, loP);
            for (const auto& [name, table] : tables) {
                double hi[2], lo[2];
                table->trackBounds(cells.data(), count, hi, lo);
                const std::string what = name + ", " + std::to_string(count) + " cells, -0 at " + std::to_string(negative);
                expectSameDoubles(hiP, hi, 2, what + ": high bounds");
                expectSameDoubles(loP, lo, 2, what + ": low bounds");
            }
        }
    }
}

TEST(GridKernelPasses, FieldRescaleIsThePlainOne)
{
    const auto tables = fastTables();
    if (tables.empty())
        GTEST_SKIP() << "this processor runs only the plain code";
    std::mt19937_64 gen(12);
    for (size_t count = 0; count <= 41; ++count) {
        for (int round = 0; round < 40; ++round) {
            const std::vector<TCell> cells = awkwardCells(gen, count + 1, round % 3);
            const size_t from = size_t(round % 2);
            double lo[3], f[3];
            for (int k = 0; k < 3; ++k) {
                lo[k] = round % 4 == 0 ? awkward(gen) : -double(gen() % 100) / 7;
                f[k] = round % 4 == 0 ? awkward(gen) : 10.0 / double(gen() % 1000 + 1);
            }
            std::vector<TCell> plain = cells;
            PlainGridKernels().rescaleFields(plain.data() + from, count, lo, f);
            for (const auto& [name, table] : tables) {
                std::vector<TCell> other = cells;
                table->rescaleFields(other.data() + from, count, lo, f);
                expectSameBytes(plain, other,
                                name + ", " + std::to_string(count) + " cells, round " + std::to_string(round));
            }
        }
    }
}

TEST(GridKernelPasses, FieldRescaleWithTheEmptyCellSurveyIsThePlainOne)
{
    const auto tables = fastTables();
    if (tables.empty())
        GTEST_SKIP() << "this processor runs only the plain code";
    std::mt19937_64 gen(15);
    for (size_t count = 0; count <= 33; ++count) {
        for (int round = 0; round < 40; ++round) {
            const std::vector<TCell> cells = awkwardCells(gen, count + 1, round % 3);
            const size_t from = size_t(round % 2);
            const int word = round % 5;
            double lo[3], f[3];
            for (int k = 0; k < 3; ++k) {
                lo[k] = round % 4 == 0 ? awkward(gen) : -double(gen() % 100) / 7;
                f[k] = round % 4 == 0 ? awkward(gen) : 10.0 / double(gen() % 1000 + 1);
            }
            std::vector<TCell> plain = cells;
            EmptyCellSurvey plainSurvey;
            plainSurvey.start(word, count);
            PlainGridKernels().rescaleFieldsSurveying(plain.data() + from, count, lo, f, plainSurvey);
            for (const auto& [name, table] : tables) {
                const std::string what = name + ", " + std::to_string(count) + " cells, round " + std::to_string(round);
                std::vector<TCell> other = cells;
                EmptyCellSurvey survey;
                survey.start(word, count);
                table->rescaleFieldsSurveying(other.data() + from, count, lo, f, survey);
                expectSameBytes(plain, other, what + ": rescaled");
                ASSERT_TRUE(survey.taken()) << what;
                // Which zero a zero bound is may depend on the order taken.
                const auto sameBound = [](double a, double b) {
                    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b) || (a == 0 && b == 0);
                };
                EXPECT_TRUE(sameBound(plainSurvey.high(), survey.high())) << what << ": high";
                EXPECT_TRUE(sameBound(plainSurvey.low(), survey.low())) << what << ": low";
                const auto a = plainSurvey.occupied();
                const auto b = survey.occupied();
                ASSERT_EQ(a.size(), b.size()) << what;
                EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin())) << what << ": occupied cells";
            }
        }
    }
}

TEST(GridKernelPasses, RowSurveyFindsThePlainBoundsAndCandidates)
{
    const auto tables = fastTables();
    if (tables.empty())
        GTEST_SKIP() << "this processor runs only the plain code";
    std::mt19937_64 gen(13);
    for (int countX = 1; countX <= 23; ++countX) {
        for (int round = 0; round < 30; ++round) {
            const int rows = 1 + round % 4;
            const std::vector<TCell> cells = awkwardCells(gen, size_t(countX * rows), round % 3);
            const size_t keep = size_t(gen() % 40);
            const auto survey = [&](const GridKernelTable& table, FieldSurvey& s) {
                s.clear();
                for (CandidatePool& pool : s.candidates)
                    pool.reset(keep);
                s.startRanges();
                for (int y = 0; y < rows; ++y)
                    table.surveyRow(cells.data() + size_t(y * countX), countX, uint32_t(y * countX), s);
                s.ranged = true;
            };
            FieldSurvey plain;
            survey(PlainGridKernels(), plain);
            double hiP[3], loP[3];
            const bool knownP = plain.currentBounds(hiP, loP);
            for (const auto& [name, table] : tables) {
                const std::string what
                    = name + ", " + std::to_string(countX) + " columns, round " + std::to_string(round);
                FieldSurvey other;
                survey(*table, other);
                double hi[3], lo[3];
                ASSERT_EQ(knownP, other.currentBounds(hi, lo)) << what;
                if (knownP) {
                    expectSameDoubles(hiP, hi, 3, what + ": high bounds");
                    expectSameDoubles(loP, lo, 3, what + ": low bounds");
                }
                for (int k = 0; k < 3; ++k) {
                    const auto a = plain.candidates[k].ranked();
                    const auto b = other.candidates[k].ranked();
                    ASSERT_EQ(a.size(), b.size()) << what << ", field " << k;
                    for (size_t j = 0; j < a.size(); ++j) {
                        EXPECT_EQ(a[j].index, b[j].index) << what << ", field " << k << ", pick " << j;
                        EXPECT_EQ(std::bit_cast<uint64_t>(a[j].value), std::bit_cast<uint64_t>(b[j].value))
                            << what << ", field " << k << ", pick " << j;
                    }
                }
            }
        }
    }
}

TEST(GridKernelPasses, RowSumsAndDrawsAreThePlainOnes)
{
    const auto tables = fastTables();
    if (tables.empty())
        GTEST_SKIP() << "this processor runs only the plain code";
    std::mt19937_64 gen(14);
    for (int countX = 1; countX <= 40; ++countX) {
        for (int round = 0; round < 20; ++round) {
            TLimbo limbo;
            limbo.resize(countX);
            // Sums across of three twins below 2^59 each, centres below
            // 2^59: no sum leaves 64 bits. Negative ones too.
            for (int r = 0; r < 3; ++r) {
                for (int64_t& v : limbo.rows[r].across)
                    v = int64_t(gen() % (uint64_t(1) << 61)) - (int64_t(1) << 60);
                for (int64_t& v : limbo.rows[r].fixed)
                    v = round % 2 ? int64_t(gen() % (uint64_t(1) << 59)) - (int64_t(1) << 58) : int64_t(gen() % 8);
            }
            const size_t n = 3 * size_t(countX);
            PlainGridKernels().rowSums(limbo.rows[0], limbo.rows[1], limbo.rows[2], countX, limbo.sums.data(),
                                       limbo.withCentre.data());
            const std::vector<int64_t> sums(limbo.sums.begin(), limbo.sums.begin() + std::ptrdiff_t(n));
            const std::vector<int64_t> withCentre(limbo.withCentre.begin(), limbo.withCentre.begin() + std::ptrdiff_t(n));
            for (const auto& [name, table] : tables) {
                std::fill(limbo.sums.begin(), limbo.sums.end(), 0);
                std::fill(limbo.withCentre.begin(), limbo.withCentre.end(), 0);
                table->rowSums(limbo.rows[0], limbo.rows[1], limbo.rows[2], countX, limbo.sums.data(),
                               limbo.withCentre.data());
                const std::string what = name + ", " + std::to_string(countX) + " columns, round " + std::to_string(round);
                for (size_t i = 0; i < n; ++i) {
                    ASSERT_EQ(sums[i], limbo.sums[i]) << what << ", sum " << i;
                    ASSERT_EQ(withCentre[i], limbo.withCentre[i]) << what << ", with centre " << i;
                }
                if (!table->centreSumsDrawing)
                    continue;
                // The same sums, and the draws one by one from the same
                // generator, which ends where they leave it.
                std::fill(limbo.withCentre.begin(), limbo.withCentre.end(), 0);
                std::fill(limbo.draws.begin(), limbo.draws.end(), -1.0);
                TRandom rng(uint64_t(countX * 100 + round));
                TRandom expected = rng;
                const std::vector<TCell> next(static_cast<size_t>(countX));
                table->centreSumsDrawing(limbo.rows[0], limbo.rows[1], limbo.rows[2], countX, limbo.withCentre.data(),
                                         limbo.draws.data(), rng, next.data());
                for (size_t i = 0; i < n; ++i)
                    ASSERT_EQ(withCentre[i], limbo.withCentre[i]) << what << ", drawing, with centre " << i;
                for (int x = 0; x < countX; ++x)
                    ASSERT_EQ(std::bit_cast<uint64_t>(expected.Random()), std::bit_cast<uint64_t>(limbo.draws[size_t(x)]))
                        << what << ", draw " << x;
                EXPECT_EQ(limbo.draws[size_t(countX)], -1.0) << what << ": a draw past the row";
                EXPECT_EQ(expected.Random(), rng.Random()) << what << ": the generator after the row";
            }
        }
    }
}
