#pragma once
// Running maximum and minimum the way the model compares: a value replaces
// the bound only when it is strictly beyond it, so NaN never enters. Kept in
// two interleaved halves, since one chain of compares is bound by latency;
// merging the halves gives the same bounds.

namespace landuse {

struct RangeScan {
    double hi[2];
    double lo[2];

    RangeScan(double hiStart, double loStart) : hi{hiStart, hiStart}, lo{loStart, loStart} {}

    void add(int half, double v)
    {
        hi[half] = v > hi[half] ? v : hi[half];
        lo[half] = v < lo[half] ? v : lo[half];
    }
    double high() const { return hi[1] > hi[0] ? hi[1] : hi[0]; }
    double low() const { return lo[1] < lo[0] ? lo[1] : lo[0]; }
};

} // namespace landuse
