#include "model/weighttable.h"

#include "model/numtext.h"

#include <gtest/gtest.h>

using namespace landuse;

TEST(WeightTable, ResetWritesTheDefaultsAndReadsThem)
{
    ParamRegister reg;
    TWeightTable t;
    ResetWeightTable(reg, t);
    EXPECT_EQ(reg.gridText(0, 0), "usage");
    EXPECT_EQ(reg.gridText(5, 0), "noise");
    EXPECT_EQ(reg.gridText(0, 3), "industry");
    EXPECT_EQ(reg.gridText(4, 1), "0,0");
    EXPECT_EQ(reg.gridText(4, 2), "0");
    EXPECT_EQ(reg.gridText(5, 3), "4,8");

    EXPECT_EQ(t.DiffPop, 1.0);
    EXPECT_EQ(t.DiffServ, 1.0);
    EXPECT_EQ(t.DiffIndu, 1.0);
    const double rows[3][3] = {{t.WPopPop, t.WPopServ, t.WPopIndu},
                               {t.WServPop, t.WServServ, t.WServIndu},
                               {t.WInduPop, t.WInduServ, t.WInduIndu}};
    const double expected[3][3] = {{1.0, 0.5, 0.0}, {0.5, 1.0, 0.0}, {0.5, 0.0, 1.0}};
    for (int f = 0; f < 3; ++f)
        for (int s = 0; s < 3; ++s)
            EXPECT_EQ(rows[f][s], expected[f][s]) << f << "," << s;
    EXPECT_EQ(t.NoisePop, 6.0);
    EXPECT_EQ(t.NoiseServ, 5.0);
    EXPECT_EQ(t.NoiseIndu, 4.8);
}

TEST(WeightTable, ReadStopsAtTheFirstBadCellKeepingEarlierValues)
{
    ParamRegister reg;
    TWeightTable t;
    ResetWeightTable(reg, t);
    // Order: diffusion column, then weight rows, then noise column.
    reg.setGridText(1, 3, "2");    // DiffIndu, read before the weights
    reg.setGridText(2, 1, "3");    // WPopPop
    reg.setGridText(3, 2, "0,");   // WServServ fails
    reg.setGridText(4, 3, "7");    // WInduIndu, after the failure
    reg.setGridText(5, 1, "9");    // NoisePop, after the failure
    try {
        ReadWeightTable(reg, t);
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "'0,' is not a valid floating point value");
    }
    EXPECT_EQ(t.DiffIndu, 2.0);
    EXPECT_EQ(t.WPopPop, 3.0);
    EXPECT_EQ(t.WServServ, 1.0);
    EXPECT_EQ(t.WInduIndu, 1.0);
    EXPECT_EQ(t.NoisePop, 6.0);
}
