// Every table's row load against the plain one, entry by entry.

#include "model/diffusion.h"
#include "model/grid_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace landuse;

namespace {

// Values with and without a twin: whole multiples of 2^-55 below 14, the
// bound itself, values with bits below 2^-55, zeros of both signs,
// subnormals, infinities and NaN.
double awkwardValue(std::mt19937_64& gen)
{
    switch (gen() % 10) {
    case 0: return double(int64_t(gen() % (28 * (uint64_t(1) << 55))) - int64_t(14 * (uint64_t(1) << 55))) * 0x1p-55;
    case 1: return gen() % 2 ? 14.0 : -14.0;
    case 2: return std::nextafter(14.0, 0.0) * (gen() % 2 ? 1 : -1);
    case 3: return gen() % 2 ? 0.0 : -0.0;
    case 4: return std::numeric_limits<double>::denorm_min() * double(gen() % 1000);
    case 5: return gen() % 2 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
    case 6: return std::ldexp(double(gen() >> 11), -53 - int(gen() % 20));
    case 7: return double(gen() >> 11) * 0x1p-53 * 1e6;
    default: return double(gen() >> 11) * 0x1p-53 * 10.0;
    }
}

template <class T>
void expectSameEntries(const T& a, const T& b, size_t count, const std::string& what)
{
    ASSERT_GE(a.size(), count);
    ASSERT_GE(b.size(), count);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), count * sizeof(a[0])), 0) << what;
}

} // namespace

TEST(RowLoad, EveryTableLoadsTheEntriesOfThePlainOne)
{
    std::vector<std::pair<std::string, const GridKernelTable*>> tables = {{"portable", &PortableGridKernels()}};
    if (const GridKernelTable* wide = Avx512GridKernels())
        tables.push_back({"avx512", wide});
    std::mt19937_64 gen(7);
    for (int countX = 1; countX <= 40; ++countX) {
        for (int round = 0; round < 50; ++round) {
            std::vector<TCell> cells(static_cast<size_t>(countX));
            const bool allTwins = round % 5 == 0;
            for (TCell& c : cells)
                for (double& v : c.Potential)
                    v = allTwins ? double(gen() % 1000) * 0x1p-7 : awkwardValue(gen);
            TLimbo plain;
            plain.resize(countX);
            PlainGridKernels().loadRow(plain.rows[0], cells.data(), countX);
            const size_t padded = TLimboRow::Lead + 3 * (size_t(countX) + 1);
            for (const auto& [name, table] : tables) {
                TLimbo other;
                other.resize(countX);
                table->loadRow(other.rows[0], cells.data(), countX);
                const std::string what = name + ", " + std::to_string(countX) + " columns, round " + std::to_string(round);
                const TLimboRow& a = plain.rows[0];
                const TLimboRow& b = other.rows[0];
                expectSameEntries(a.value, b.value, padded, what + ": values");
                expectSameEntries(a.fixed, b.fixed, padded, what + ": twins");
                // A flag is any nonzero byte.
                for (size_t i = 0; i < padded; ++i)
                    ASSERT_EQ(a.inexact[i] != 0, b.inexact[i] != 0) << what << ": flag " << i;
                expectSameEntries(a.across, b.across, 3 * size_t(countX), what + ": sums across");
                EXPECT_EQ(a.anyInexact, b.anyInexact) << what;
                if (allTwins) {
                    EXPECT_FALSE(b.anyInexact) << what;
                }
            }
        }
    }
}
