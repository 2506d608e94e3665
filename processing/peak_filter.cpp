#include "processing/peak_filter.h"

#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace processing {

namespace {

// Branch-free form of MassFraction, so that the scan loop below can be vectorised. Inside
// (-2^31, 2^31) the conversion to a 32-bit integer is defined and truncates toward zero.
// Outside it every finite double is a whole number, so its fraction is 0; m - m gives exactly
// that, and NaN for an infinity or a NaN.
inline double Fraction(double mass) {
    const bool convertible = std::fabs(mass) < 2147483648.0;
    const double safe = convertible ? mass : 0.0;
    const double fraction = safe - static_cast<double>(static_cast<std::int32_t>(safe));
    return convertible ? fraction : mass - mass;
}

// Peaks are decided in blocks of this many, into a small mask on the stack, and then copied.
constexpr std::uint32_t kBlock = 256;

}  // namespace

double MassFraction(double mass) {
    return Fraction(mass);
}

FunctionFilter::FunctionFilter(const params::CMassRangeList& rules, std::int32_t function) {
    const std::int32_t count = rules.GetCount();
    for (std::int32_t r = 0; r < count; ++r) {
        params::CMassRange rule;
        if (!rules.GetEntry(r, rule) || rule.GetFunction() != function) {
            continue;
        }
        double lower = rule.GetMassDefect() - (static_cast<double>(rule.GetWindowBelow()) * 0.001);
        if (lower < 0.0) {
            lower = lower + 1.0;
        }
        double upper = rule.GetMassDefect() + (static_cast<double>(rule.GetWindowAbove()) * 0.001);
        const double upperLessOne = upper - 1.0;
        if (upperLessOne > 0.0) {
            upper = upperLessOne;
        }
        bounds.push_back({static_cast<double>(rule.GetLowMass()),
                          static_cast<double>(rule.GetHighMass()), lower, upper, lower > upper});
    }
}

bool FunctionFilter::Keeps(float mass) const {
    std::uint64_t keep = 0;
    Decide(&mass, 1, &keep);
    return keep != 0;
}

void FunctionFilter::Decide(const float* masses, std::uint32_t count, std::uint64_t* keep) const {
    // Every rule is evaluated for every peak, without branches: a peak is kept when any rule
    // keeps it, so stopping at the first one that does cannot change the outcome, and with
    // random masses a branch on each test is a guess. A NaN mass passes both range tests as
    // they are written, but its fraction is NaN, which no window holds.
    for (std::uint32_t w = 0; w < (count + 63) / 64; ++w) {
        keep[w] = 0;
    }
    std::uint32_t p = 0;
#if defined(__SSE2__)
    // Two peaks at a time in double lanes: the same IEEE operations as the scalar form below,
    // so the decisions are identical.
    const __m128d limit = _mm_set1_pd(2147483648.0);
    const __m128d signBit = _mm_set1_pd(-0.0);
    for (; p + 2 <= count; p += 2) {
        const __m128d m = _mm_cvtps_pd(_mm_castpd_ps(
            _mm_load_sd(reinterpret_cast<const double*>(static_cast<const void*>(masses + p)))));
        const __m128d convertible = _mm_cmplt_pd(_mm_andnot_pd(signBit, m), limit);
        const __m128d safe = _mm_and_pd(convertible, m);
        const __m128d whole = _mm_cvtepi32_pd(_mm_cvttpd_epi32(safe));
        const __m128d f = _mm_or_pd(_mm_and_pd(convertible, _mm_sub_pd(safe, whole)),
                                    _mm_andnot_pd(convertible, _mm_sub_pd(m, m)));
        __m128d any = _mm_setzero_pd();
        for (const RuleBounds& b : bounds) {
            const __m128d inRange = _mm_and_pd(_mm_cmpngt_pd(_mm_set1_pd(b.lowMass), m),
                                               _mm_cmpnge_pd(m, _mm_set1_pd(b.highMass)));
            const __m128d aboveLower = _mm_cmpgt_pd(f, _mm_set1_pd(b.lower));
            const __m128d belowUpper = _mm_cmplt_pd(f, _mm_set1_pd(b.upper));
            const __m128d wraps = _mm_castsi128_pd(_mm_set1_epi64x(b.wraps ? -1 : 0));
            const __m128d inside = _mm_or_pd(_mm_and_pd(aboveLower, belowUpper),
                                             _mm_and_pd(wraps, _mm_or_pd(aboveLower, belowUpper)));
            any = _mm_or_pd(any, _mm_and_pd(inRange, inside));
        }
        const auto bits = static_cast<std::uint64_t>(_mm_movemask_pd(any));
        keep[p / 64] |= bits << (p % 64);
    }
#endif
    for (; p < count; ++p) {
        const double m = static_cast<double>(masses[p]);
        const double f = Fraction(m);
        bool any = false;
        for (const RuleBounds& b : bounds) {
            const bool inRange = !(b.lowMass > m) & !(m >= b.highMass);
            const bool aboveLower = f > b.lower;
            const bool belowUpper = f < b.upper;
            const bool inside = (aboveLower & belowUpper) | (b.wraps & (aboveLower | belowUpper));
            any |= inRange & inside;
        }
        keep[p / 64] |= static_cast<std::uint64_t>(any) << (p % 64);
    }
}

std::uint32_t FunctionFilter::Apply(std::uint32_t n, const float* masses,
                                    const std::uint32_t* intensities, const std::uint8_t* peakBytes,
                                    float* keptMasses, std::uint32_t* keptIntensities,
                                    std::uint8_t* keptPeakBytes) const {
    // Kept peaks are usually few, so the copy visits only the set bits of the block's mask.
    std::uint64_t keep[kBlock / 64];
    std::uint32_t k = 0;
    for (std::uint32_t start = 0; start < n; start += kBlock) {
        const std::uint32_t count = n - start < kBlock ? n - start : kBlock;
        Decide(masses + start, count, keep);
        for (std::uint32_t w = 0; w < (count + 63) / 64; ++w) {
            for (std::uint64_t bits = keep[w]; bits != 0; bits &= bits - 1) {
                const std::uint32_t p =
                    start + w * 64 + static_cast<std::uint32_t>(std::countr_zero(bits));
                // The mass is copied as its 32 bits, never through a float register that
                // might alter a NaN payload.
                std::memcpy(keptMasses + k, masses + p, sizeof(float));
                keptIntensities[k] = intensities[p];
                keptPeakBytes[k] = peakBytes[p];
                ++k;
            }
        }
    }
    return k;
}

std::uint32_t FilterPeaks(std::int32_t function, const params::CMassRangeList& rules,
                          std::uint32_t n, const float* masses, const std::uint32_t* intensities,
                          const std::uint8_t* peakBytes, float* keptMasses,
                          std::uint32_t* keptIntensities, std::uint8_t* keptPeakBytes) {
    return FunctionFilter(rules, function)
        .Apply(n, masses, intensities, peakBytes, keptMasses, keptIntensities, keptPeakBytes);
}

}  // namespace processing
