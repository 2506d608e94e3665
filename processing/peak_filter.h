#pragma once

#include <cstdint>
#include <vector>

#include "params/mass_range_list.h"

namespace processing {

// The mass-defect peak filter.
//
// A peak of function j survives when at least one rule of function j keeps it. A rule keeps a
// peak of mass m (the single-precision mass widened to double) when
//   lowMass <= m < highMass, and
//   the fraction f = m - trunc(m) lies strictly inside the rule's window:
//     lower = massDefect - windowBelow * 0.001, plus 1.0 once if it is below 0.0;
//     upper = massDefect + windowAbove * 0.001, minus 1.0 once if that leaves it above 0.0;
//     lower <= upper: keep when lower < f < upper (an ordinary window);
//     lower >  upper: keep when f > lower or f < upper (a window wrapping past the integer).
// Every step is done in IEEE double exactly as written, because bounds that land exactly on a
// fraction must compare as they do in double.
//
// Masses that the arithmetic above does not cover are given a defined outcome: a NaN is never
// kept, and the fraction of any other mass is taken by exact truncation toward zero (0 for
// masses of 2^31 and above, which a float holds only as whole numbers).

// The fraction of a mass as the filter sees it; NaN for a NaN or infinite mass.
double MassFraction(double mass);

// The rules of one function, with their window bounds worked out once. Building one allocates;
// applying it to a scan does not.
class FunctionFilter {
  public:
    FunctionFilter(const params::CMassRangeList& rules, std::int32_t function);

    // True when the function has no rule, i.e. its scans are copied unfiltered.
    bool Empty() const { return bounds.empty(); }
    bool Keeps(float mass) const;

    // Copies the kept peaks of one scan, in input order and bit for bit, into the output
    // arrays (each with room for n elements) and returns their count k <= n.
    std::uint32_t Apply(std::uint32_t n, const float* masses, const std::uint32_t* intensities,
                        const std::uint8_t* peakBytes, float* keptMasses,
                        std::uint32_t* keptIntensities, std::uint8_t* keptPeakBytes) const;

    // Sets bit p % 64 of keep[p / 64] exactly for the masses (of `count`) that some rule
    // keeps; clears the other bits of those words. For callers that carry peaks in arrays of
    // their own (the open formats keep every per-peak array, whatever its type).
    void Decide(const float* masses, std::uint32_t count, std::uint64_t* keep) const;

    // The window of one rule as worked out above, for callers that draw or explain it.
    struct RuleBounds {
        double lowMass;
        double highMass;
        double lower;
        double upper;
        bool wraps;
    };
    const std::vector<RuleBounds>& Bounds() const { return bounds; }

  private:
    std::vector<RuleBounds> bounds;
};

// One filtering step for a scan of function j against the whole rule list; the same result as
// FunctionFilter(rules, function).Apply(...). Callers that filter many scans of one function
// build the FunctionFilter once instead.
std::uint32_t FilterPeaks(std::int32_t function, const params::CMassRangeList& rules,
                          std::uint32_t n, const float* masses, const std::uint32_t* intensities,
                          const std::uint8_t* peakBytes, float* keptMasses,
                          std::uint32_t* keptIntensities, std::uint8_t* keptPeakBytes);

}  // namespace processing
