#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/series_function.h"

namespace landuse {
namespace {

PointSums Sums(std::initializer_list<std::pair<double, double>> points)
{
    PointSums sums;
    for (auto [x, y] : points)
        AddToSums(sums, x, y);
    return sums;
}

// Points (1,2), (2,3), (3,5), (4,6): R = 4, Σx = 10, Σy = 16, Σxy = 47,
// Σx² = 30, Σy² = 74. Denominator 4·30 − 10² = 20;
// m = (4·47 − 10·16) / 20 = 28/20 = 1.4; a = (16·30 − 10·47) / 20 = 10/20 = 0.5.
// Line at x = 1: 1.9, at x = 4: 6.1.
// r = (47 − 160/4) / sqrt((30 − 100/4)·(74 − 256/4)) = 7 / sqrt(5·10) = 0.7·√2.
TEST(ChartFunction, RisingLineWorkedByHand)
{
    const PointSums sums = Sums({{1, 2}, {2, 3}, {3, 5}, {4, 6}});
    const auto line = LeastSquaresLine(sums);
    ASSERT_TRUE(line);
    EXPECT_DOUBLE_EQ(line->slope, 1.4);
    EXPECT_DOUBLE_EQ(line->intercept, 0.5);
    EXPECT_DOUBLE_EQ(CorrelationCoefficient(sums), 0.7 * std::sqrt(2.0));

    std::vector<double> x, y;
    ComputeFunctionPoints(SeriesFunction::LeastSquares, sums, x, y);
    ASSERT_EQ(x.size(), 2u);
    EXPECT_EQ(x[0], 1.0);
    EXPECT_EQ(x[1], 4.0);
    EXPECT_DOUBLE_EQ(y[0], 1.9);
    EXPECT_DOUBLE_EQ(y[1], 6.1);
}

// Points (0,3), (1,2), (2,0): R = 3, Σx = 3, Σy = 5, Σxy = 2, Σx² = 5, Σy² = 13.
// Denominator 15 − 9 = 6; m = (6 − 15)/6 = −1.5; a = (25 − 6)/6 = 19/6.
// r = (2 − 15/3) / sqrt((5 − 3)·(13 − 25/3)) = −3 / sqrt(28/3).
TEST(ChartFunction, FallingLineGivesNegativeCoefficient)
{
    const PointSums sums = Sums({{0, 3}, {1, 2}, {2, 0}});
    std::vector<double> x, y;
    ComputeFunctionPoints(SeriesFunction::LeastSquares, sums, x, y);
    ASSERT_EQ(x.size(), 2u);
    EXPECT_EQ(x[0], 0.0);
    EXPECT_DOUBLE_EQ(y[0], 19.0 / 6.0);
    EXPECT_EQ(x[1], 2.0);
    EXPECT_DOUBLE_EQ(y[1], 19.0 / 6.0 - 3.0);

    ComputeFunctionPoints(SeriesFunction::Correlation, sums, x, y);
    ASSERT_EQ(x.size(), 1u);
    EXPECT_EQ(x[0], 0.0);
    EXPECT_DOUBLE_EQ(y[0], -3.0 / std::sqrt(28.0 / 3.0));
}

TEST(ChartFunction, TooFewPointsOrNoSpread)
{
    std::vector<double> x, y;
    for (const PointSums& sums : {Sums({}), Sums({{2, 7}}), Sums({{2, 1}, {2, 5}})}) {
        ComputeFunctionPoints(SeriesFunction::LeastSquares, sums, x, y);
        EXPECT_TRUE(x.empty() && y.empty()) << "no line through " << sums.count << " point(s) or a vertical set";
        ComputeFunctionPoints(SeriesFunction::Correlation, sums, x, y);
        ASSERT_EQ(y.size(), 1u);
        EXPECT_EQ(y[0], 1.0);
    }
    // Constant y: the line is flat at 5 and the root is zero, so r is 1.
    const PointSums flat = Sums({{1, 5}, {2, 5}, {3, 5}});
    ComputeFunctionPoints(SeriesFunction::LeastSquares, flat, x, y);
    ASSERT_EQ(y.size(), 2u);
    EXPECT_DOUBLE_EQ(y[0], 5.0);
    EXPECT_DOUBLE_EQ(y[1], 5.0);
    EXPECT_EQ(CorrelationCoefficient(flat), 1.0);
}

TEST(ChartFunction, NonFiniteInputNeverLeaksOut)
{
    const double inf = std::numeric_limits<double>::infinity();
    const PointSums sums = Sums({{1, 2}, {2, inf}, {3, 4}});
    std::vector<double> x, y;
    ComputeFunctionPoints(SeriesFunction::LeastSquares, sums, x, y);
    EXPECT_TRUE(y.empty());
    EXPECT_EQ(CorrelationCoefficient(sums), 1.0);
    EXPECT_EQ(CorrelationCoefficient(Sums({{1e200, 1e200}, {-1e200, 3e200}})), 1.0);
}

} // namespace
} // namespace landuse
