#pragma once

#include <cstdint>

namespace rawsynth {

// SplitMix64: tiny, fast and good enough for test data; fixed by definition, so the data it
// drives is the same on every platform and compiler.
class SynthRandom {
  public:
    explicit SynthRandom(std::uint64_t seed) : state_(seed) {}

    // A generator for one part of an acquisition, so every part can be regenerated on its own
    // without replaying the parts before it.
    static SynthRandom For(std::uint64_t seed, std::uint64_t part, std::uint64_t index) {
        SynthRandom mix(seed ^ (part * 0x9E3779B97F4A7C15ull));
        mix.state_ ^= index * 0xD1B54A32D192ED03ull;
        return SynthRandom(mix.Next());
    }

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::uint32_t Next32() { return static_cast<std::uint32_t>(Next() >> 32); }

  private:
    std::uint64_t state_;
};

}  // namespace rawsynth
