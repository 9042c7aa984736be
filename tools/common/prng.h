#pragma once
// The generator's own random numbers. Deliberately not qelo::rand: the show's
// generator has a call sequence that is part of its behaviour, and the
// pictures and music must not depend on it or on the C library. SplitMix64:
// the same seed gives the same numbers on every platform.
#include <cstdint>

namespace qelo::assetgen {

class Prng {
public:
    explicit Prng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1), 53 bits.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Uniform in [-1, 1).
    double bipolar() { return uniform() * 2.0 - 1.0; }

    // Uniform integer in [0, n); n > 0.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

// A stateless hash of integers, for noise lattices and per-note seeds.
inline std::uint64_t hashInts(std::uint64_t a, std::uint64_t b = 0, std::uint64_t c = 0)
{
    Prng p(a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full ^ c);
    p.next();
    return p.next();
}

}  // namespace qelo::assetgen
