#include "analysis/statistics.h"

namespace landuse {

int64_t PercentOf(int64_t sum, int64_t count)
{
    if (sum <= 0 || count <= 0)
        return 0;
    const int64_t scaled = sum * 100;
    int64_t quotient = scaled / count;
    const int64_t twiceRest = 2 * (scaled % count);
    if (twiceRest > count || (twiceRest == count && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

RunStatistics ComputeRunStatistics(const std::vector<TAgent>& agents)
{
    int64_t s1 = 0, s2 = 0, s3 = 0, s4 = 0;
    for (const TAgent& a : agents) {
        s1 += a.Successful;
        s2 += a.TripSteps;
        s3 += a.Migrated;
        s4 += a.State;
    }
    const int64_t n = int64_t(agents.size());
    return {PercentOf(s1, n), PercentOf(s2, n), PercentOf(s3, n), PercentOf(s4, n)};
}

} // namespace landuse
