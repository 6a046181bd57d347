#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace landuse {

enum class SeriesFunction { None, LeastSquares, Correlation };

// Running sums over a source series, in point order. Adding one point is all
// an append costs, and summing in the same order as a full pass gives the
// same bits, so incremental and recomputed results agree exactly.
struct PointSums {
    std::size_t count = 0;
    double sumX = 0.0;
    double sumY = 0.0;
    double sumXY = 0.0;
    double sumXX = 0.0;
    double sumYY = 0.0;
    double firstX = 0.0;
    double lastX = 0.0;
};

void AddToSums(PointSums& sums, double x, double y);
PointSums SumPoints(const std::vector<double>& x, const std::vector<double>& y);

struct FittedLine {
    double slope;     // m
    double intercept; // a
};

// Least-squares line y = m·x + a; nothing when fewer than two points, the
// denominator is zero or the result is not finite.
std::optional<FittedLine> LeastSquaresLine(const PointSums& sums);

// Pearson coefficient; 1 with fewer than two points, when the root is zero,
// or when rounding would make it undefined.
double CorrelationCoefficient(const PointSums& sums);

// Result points of a function: the fitted line at the first and the last
// source x, or the single point (0, r). Replaces the contents of x and y.
void ComputeFunctionPoints(SeriesFunction function, const PointSums& sums,
                           std::vector<double>& x, std::vector<double>& y);

} // namespace landuse
