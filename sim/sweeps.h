#pragma once
// The state of the two parameter sweeps beyond the world: it survives the
// setups that a sweep runs between its runs.

#include <array>
#include <cstdint>
#include <optional>

namespace landuse {

// How far one sweep has come, for the progress the user sees.
struct SweepProgress {
    uint32_t startTick = 0; // clock of the sweep's start, ms
    uint32_t run = 0;       // the run under way, from 1; 0 when none started
};

struct SweepState {
    std::array<bool, 3> RandomizeFlags{}; // land uses whose weights analysis 1 draws
    uint32_t RunCount = 0;                // runs started by analysis 1's check since its start
    double NoiseValue = 0;                // noise amplitude of the current analysis-2 run
    uint8_t NoiseRow = 0;                 // weight-table row analysis 2 varies, 1..3; 0 at start
    SweepProgress Progress1;
    SweepProgress Progress2;
};

class ParamRegister;

// The weight-table row whose noise analysis 2 varies, from its radio
// buttons tested in the order population, service, industry: 1..3, or 0
// when none is selected.
uint8_t SelectedNoiseRow(const ParamRegister& reg);

// One turn of analysis 2's loop: the noise grows by the increment, summed
// in extended precision and held as a double, and the sweep goes on while
// the end is at least the new value. `end` gives E_valTo2's value and is
// asked only after the sum, as the sweep reads its texts.
template <typename End>
bool NextNoise(double& noise, long double increment, End end)
{
    noise = double(noise + increment);
    return end() >= noise;
}

// The noise values of analysis 2 in the order its check steps through them:
// from E_valFrom2, adding E_incre while E_valTo2 is at least the sum. The
// texts are extended reals and the value a double, as the sweep holds them;
// the last value of a range depends on it.
class NoiseSteps {
public:
    // Throws ConvertError when a text does not convert.
    explicit NoiseSteps(const ParamRegister& reg);

    double value() const { return value_; }
    // The next value; false when the sweep ends after the current one.
    bool next();
    // How many values there are, or nothing when the range holds more than
    // `most` (or never ends, as with an increment of 0).
    std::optional<uint64_t> count(uint64_t most) const;

private:
    long double increment_;
    long double to_;
    double value_;
};

} // namespace landuse
