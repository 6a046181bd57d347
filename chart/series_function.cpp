#include "chart/series_function.h"

#include <cmath>

namespace landuse {

void AddToSums(PointSums& sums, double x, double y)
{
    if (sums.count == 0)
        sums.firstX = x;
    sums.lastX = x;
    ++sums.count;
    sums.sumX += x;
    sums.sumY += y;
    sums.sumXY += x * y;
    sums.sumXX += x * x;
    sums.sumYY += y * y;
}

PointSums SumPoints(const std::vector<double>& x, const std::vector<double>& y)
{
    PointSums sums;
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i)
        AddToSums(sums, x[i], y[i]);
    return sums;
}

std::optional<FittedLine> LeastSquaresLine(const PointSums& s)
{
    if (s.count < 2)
        return std::nullopt;
    const double n = double(s.count);
    const double denominator = n * s.sumXX - s.sumX * s.sumX;
    if (denominator == 0.0)
        return std::nullopt;
    const double m = (n * s.sumXY - s.sumX * s.sumY) / denominator;
    const double a = (s.sumY * s.sumXX - s.sumX * s.sumXY) / denominator;
    if (!std::isfinite(m) || !std::isfinite(a))
        return std::nullopt;
    return FittedLine{m, a};
}

double CorrelationCoefficient(const PointSums& s)
{
    if (s.count < 2)
        return 1.0;
    const double n = double(s.count);
    const double numerator = s.sumXY - s.sumX * s.sumY / n;
    // Rounding can push a zero spread slightly below zero; that is the
    // "root is 0" case too.
    const double product = (s.sumXX - s.sumX * s.sumX / n) * (s.sumYY - s.sumY * s.sumY / n);
    if (!(product > 0.0))
        return 1.0;
    const double r = numerator / std::sqrt(product);
    return std::isfinite(r) ? r : 1.0;
}

void ComputeFunctionPoints(SeriesFunction function, const PointSums& sums,
                           std::vector<double>& x, std::vector<double>& y)
{
    x.clear();
    y.clear();
    switch (function) {
    case SeriesFunction::None:
        break;
    case SeriesFunction::LeastSquares:
        if (auto line = LeastSquaresLine(sums)) {
            for (double at : {sums.firstX, sums.lastX}) {
                const double value = line->intercept + line->slope * at;
                if (!std::isfinite(value)) {
                    x.clear();
                    y.clear();
                    return;
                }
                x.push_back(at);
                y.push_back(value);
            }
        }
        break;
    case SeriesFunction::Correlation:
        x.push_back(0.0);
        y.push_back(CorrelationCoefficient(sums));
        break;
    }
}

} // namespace landuse
