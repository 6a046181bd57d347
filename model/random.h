#pragma once
// The pseudo-random generator of one simulation. Each simulation owns its
// own, so several can run side by side; the same seed gives the same run on
// the same build.

#include <cstdint>

namespace landuse {

// The splitmix64 generator: adds the golden gamma to the state and returns
// the mixed state. Good for spreading seeds: nearby states give unrelated words.
inline uint64_t SplitMix64(uint64_t& state)
{
    state += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

class TRandom {
public:
    explicit TRandom(uint64_t seed = 0) { reseed(seed); }

    void reseed(uint64_t seed);
    static uint64_t clockSeed();

    // Uniform whole number in 0 .. n-1; 0 when n is 0 or less.
    int32_t Random(int32_t n)
    {
        if (n <= 0)
            return 0;
        return int32_t((uint64_t(next() >> 32) * uint64_t(n)) >> 32);
    }

    // Uniform real in [0, 1).
    double Random() { return double(next() >> 11) * 0x1.0p-53; }

private:
    uint64_t next()
    {
        // xoshiro256**
        const uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }
    static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    uint64_t s_[4];
};

} // namespace landuse
