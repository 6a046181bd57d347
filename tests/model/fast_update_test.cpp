// The vector field updates against the extended-precision formula, value by
// value, over millions of ordinary and adversarial inputs.

#include "model/grid_kernels.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace landuse;

namespace {

// The scaled formula as the diffusion runs it where every coefficient is 1.
double scaledFormula(int64_t a, double r, double noise)
{
    long double z = (long double)a;
    z += (long double)r * noise;
    return double(z * 0x1p-58L);
}

struct FastKernel {
    std::string name;
    UpdateRowOneFn update;
};

std::vector<FastKernel> fastKernels()
{
    std::vector<FastKernel> kernels;
    if (UpdateRowOneFn f = PortableGridKernels().updateRowOne)
        kernels.push_back({"avx2", f});
    if (const GridKernelTable* wide = Avx512GridKernels())
        kernels.push_back({"avx512", wide->updateRowOne});
    return kernels;
}

// One row of inputs; fill(x, a[3], r, noise) sets column x. The row is run
// through the kernel, the unsure values through the formula, and every value
// the kernel vouched for must be the formula's, bit for bit.
struct RowCase {
    int countX = 1003; // not a multiple of 8: the tail too
    double noise[3] = {0, 0, 0};
    std::vector<int64_t> a;
    std::vector<double> r;

    void resize()
    {
        a.assign(3 * size_t(countX) + 32, 0);
        r.assign(size_t(countX) + 32, 0.0);
    }
};

struct Tally {
    size_t values = 0;
    size_t unsure = 0;
    size_t wrong = 0;
    std::string firstWrong;
};

void runRow(const FastKernel& kernel, const RowCase& row, Tally& tally)
{
    std::vector<TCell> out(size_t(row.countX));
    std::vector<uint32_t> unsure(3 * size_t(row.countX));
    for (int k = 0; k < 3; ++k)
        ASSERT_TRUE(FastUpdateTakes(row.noise[k])) << row.noise[k];
    const size_t count = kernel.update(out.data(), row.countX, row.a.data(), row.r.data(), row.noise, unsure.data());
    ASSERT_LE(count, 3 * size_t(row.countX));
    std::vector<uint8_t> left(3 * size_t(row.countX), 0);
    for (size_t n = 0; n < count; ++n) {
        ASSERT_LT(unsure[n], left.size());
        left[unsure[n]] = 1;
    }
    tally.values += left.size();
    tally.unsure += count;
    for (size_t i = 0; i < left.size(); ++i) {
        if (left[i])
            continue;
        const size_t x = i / 3;
        const int k = int(i % 3);
        const double want = scaledFormula(row.a[i], row.r[x], row.noise[k]);
        const double got = out[x].Potential[k];
        if (std::bit_cast<uint64_t>(want) != std::bit_cast<uint64_t>(got)) {
            if (tally.wrong++ == 0) {
                char text[200];
                std::snprintf(text, sizeof text, "a=%lld r=%a noise=%a: formula %a, %s %a", (long long)row.a[i],
                              row.r[x], row.noise[k], want, kernel.name.c_str(), got);
                tally.firstWrong = text;
            }
        }
    }
}

// Runs `rows` rows made by `make` through every fast kernel.
void checkRows(const char* what, int rows, const std::function<void(std::mt19937_64&, RowCase&)>& make,
               double mostUnsure)
{
    const std::vector<FastKernel> kernels = fastKernels();
    if (kernels.empty())
        GTEST_SKIP() << "this processor has no vector update";
    for (const FastKernel& kernel : kernels) {
        std::mt19937_64 gen(12345);
        Tally tally;
        RowCase row;
        for (int n = 0; n < rows && !testing::Test::HasFatalFailure(); ++n) {
            row.resize();
            make(gen, row);
            runRow(kernel, row, tally);
        }
        EXPECT_EQ(tally.wrong, 0u) << what << ", " << kernel.name << ": " << tally.firstWrong;
        EXPECT_LE(double(tally.unsure), mostUnsure * double(tally.values))
            << what << ", " << kernel.name << ": " << tally.unsure << " of " << tally.values << " left";
    }
}

double randomDraw(std::mt19937_64& gen)
{
    return double(gen() >> 11) * 0x1p-53;
}

// A field value with an exact twin, 0 .. 10, as the grid holds between steps.
int64_t twinOfValue(std::mt19937_64& gen)
{
    return int64_t(gen() % (10 * (uint64_t(1) << 55)));
}

int64_t withCentreOfTwins(std::mt19937_64& gen)
{
    int64_t s = 0;
    for (int j = 0; j < 8; ++j)
        s += twinOfValue(gen);
    return s + 8 * twinOfValue(gen);
}

} // namespace

TEST(FastUpdate, OrdinaryFieldsGiveTheFormulasDoubles)
{
    checkRows("default noise", 1500,
              [](std::mt19937_64& gen, RowCase& row) {
                  row.noise[0] = 6.0 * 0x1p58;
                  row.noise[1] = 5.0 * 0x1p58;
                  row.noise[2] = 4.8 * 0x1p58;
                  for (int x = 0; x < row.countX; ++x) {
                      row.r[size_t(x)] = randomDraw(gen);
                      for (int k = 0; k < 3; ++k)
                          row.a[3 * size_t(x) + size_t(k)] = withCentreOfTwins(gen);
                  }
              },
              0.01);
    checkRows("any noise up to 100", 1000,
              [](std::mt19937_64& gen, RowCase& row) {
                  for (double& n : row.noise)
                      n = std::ldexp(double(gen() >> 11) * 0x1p-53 * 100.0, 58);
                  for (int x = 0; x < row.countX; ++x) {
                      row.r[size_t(x)] = randomDraw(gen);
                      for (int k = 0; k < 3; ++k)
                          row.a[3 * size_t(x) + size_t(k)] = withCentreOfTwins(gen);
                  }
              },
              0.01);
}

// The exact sum a + r * noise placed on, or within a few units of the 64-bit
// last place of, a midpoint between two doubles, where the double rounding
// of extended precision decides; and products that are exactly halfway
// between two 64-bit numbers.
TEST(FastUpdate, RoundingTiesGiveTheFormulasDoubles)
{
    checkRows("sums at midpoints", 1000,
              [](std::mt19937_64& gen, RowCase& row) {
                  // A power-of-two noise makes r * noise exact with chosen
                  // fraction bits.
                  for (double& n : row.noise)
                      n = std::ldexp(1.0, 40 + int(gen() % 24));
                  for (int x = 0; x < row.countX; ++x) {
                      const double r = randomDraw(gen);
                      row.r[size_t(x)] = r;
                      for (int k = 0; k < 3; ++k) {
                          const int e = 53 + int(gen() % 9);
                          const uint64_t mantissa = (uint64_t(1) << 52) | (gen() >> 12);
                          // Midpoint above mantissa * 2^(e - 52), an integer here.
                          const int64_t mid = int64_t(mantissa << (e - 52)) + (int64_t(1) << (e - 53));
                          const double p = r * row.noise[k];
                          const int64_t whole = int64_t(std::floor(p));
                          const int64_t nudge = int64_t(gen() % 5) - 2;
                          row.a[3 * size_t(x) + size_t(k)] = mid - whole + nudge;
                      }
                  }
              },
              1.0);
    checkRows("products at 64-bit ties", 1000,
              [](std::mt19937_64& gen, RowCase& row) {
                  // An odd noise of 12 to 14 bits times an odd draw has 65 to
                  // 67 bits: the product rounds, often from exactly halfway.
                  for (double& n : row.noise) {
                      const uint64_t odd = (uint64_t(1) << (11 + gen() % 3)) | (gen() & 0x7ff) | 1;
                      n = std::ldexp(double(odd), int(gen() % 20) - 2);
                  }
                  for (int x = 0; x < row.countX; ++x) {
                      row.r[size_t(x)] = double((gen() >> 11) | (uint64_t(1) << 52) | 1) * 0x1p-53;
                      for (int k = 0; k < 3; ++k)
                          row.a[3 * size_t(x) + size_t(k)] = int64_t(gen() >> (1 + gen() % 40));
                  }
              },
              1.0);
}

// Huge and tiny noise, sums near 2^63, negative sums and negative noise,
// results far below 1 and down to where the scaled result leaves the
// normal range, draws of 0 and of the largest value.
TEST(FastUpdate, ExtremeInputsGiveTheFormulasDoubles)
{
    checkRows("extremes", 1500,
              [](std::mt19937_64& gen, RowCase& row) {
                  for (double& n : row.noise) {
                      const int shape = int(gen() % 6);
                      const double m = 1.0 + double(gen() >> 12) * 0x1p-52;
                      n = shape == 0 ? 0.0 : std::ldexp(m, shape == 1 ? -800 : int(gen() % 1700) - 800);
                      if (std::fabs(n) > 0x1p900)
                          n = 0x1p900;
                      if (gen() % 3 == 0)
                          n = -n;
                  }
                  for (int x = 0; x < row.countX; ++x) {
                      const int drawShape = int(gen() % 8);
                      row.r[size_t(x)] = drawShape == 0   ? 0.0
                                         : drawShape == 1 ? 1.0 - 0x1p-53
                                         : drawShape == 2 ? 0x1p-53 * double(gen() % 1000)
                                                          : randomDraw(gen);
                      for (int k = 0; k < 3; ++k) {
                          int64_t a;
                          switch (gen() % 7) {
                          case 0: a = std::numeric_limits<int64_t>::max() - int64_t(gen() % 4096); break;
                          case 1: a = std::numeric_limits<int64_t>::min() + int64_t(gen() % 4096); break;
                          case 2: a = 0; break;
                          case 3: a = int64_t(gen() % 64) - 32; break;
                          case 4: a = -withCentreOfTwins(gen); break;
                          default: a = int64_t(gen()) >> (gen() % 64); break;
                          }
                          row.a[3 * size_t(x) + size_t(k)] = a;
                      }
                  }
              },
              1.0);
}

// What the kernels may be given: every noise the diffusion scales, apart
// from those whose products could leave the normal range or overflow.
TEST(FastUpdate, TakesOnlyNoiseWithinTheBounds)
{
    EXPECT_TRUE(FastUpdateTakes(0.0));
    EXPECT_TRUE(FastUpdateTakes(6.0 * 0x1p58));
    EXPECT_TRUE(FastUpdateTakes(-0x1p900));
    EXPECT_TRUE(FastUpdateTakes(0x1p-800));
    EXPECT_FALSE(FastUpdateTakes(std::nextafter(0x1p-800, 0.0)));
    EXPECT_FALSE(FastUpdateTakes(std::nextafter(0x1p900, 1e308)));
    EXPECT_FALSE(FastUpdateTakes(std::numeric_limits<double>::denorm_min()));
    EXPECT_FALSE(FastUpdateTakes(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(FastUpdateTakes(std::numeric_limits<double>::quiet_NaN()));
}
