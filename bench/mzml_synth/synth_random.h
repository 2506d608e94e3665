#pragma once

#include <cstdint>

// SplitMix64: fixed by definition, so the data it drives is the same on every platform and
// compiler, and fast enough to draw tens of millions of peaks per second.
class SynthRng {
  public:
    explicit SynthRng(std::uint64_t seed) : state_(seed) {}

    // An independent stream for one part of the acquisition (layout, compounds, noise...), so
    // changing how one part draws never shifts the others.
    static SynthRng Stream(std::uint64_t seed, std::uint64_t part) {
        SynthRng mix(seed ^ (part * 0xD1B54A32D192ED03ull));
        return SynthRng(mix.Next());
    }

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1) with 53 random bits.
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    // Uniform in [low, high], both included.
    std::uint32_t Between(std::uint32_t low, std::uint32_t high) {
        return low + static_cast<std::uint32_t>((Next() >> 32) % (high - low + 1));
    }

  private:
    std::uint64_t state_;
};
