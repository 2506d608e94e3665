#include "rawsynth/synth_scan.h"

#include <algorithm>
#include <bit>

#include "rawsynth/synth_random.h"

namespace rawsynth {

namespace {

constexpr std::uint64_t kScanPart = 1;
constexpr float kHighestMass = 0x1.2bfffep+10f;  // the float just below 1200

// Masses come out sorted, or nearly when several peaks share a nominal mass, so an insertion
// sort finishes the order in about linear time.
void SortNearlySorted(std::vector<float>& masses) {
    for (std::size_t i = 1; i < masses.size(); ++i) {
        const float value = masses[i];
        std::size_t j = i;
        while (j > 0 && masses[j - 1] > value) {
            masses[j] = masses[j - 1];
            --j;
        }
        masses[j] = value;
    }
}

// Heavy-tailed like real spectra: most peaks small, a few large.
std::uint32_t SynthIntensity(std::uint64_t bits) {
    const auto shift =
        static_cast<unsigned>((bits >> 59) & 15u) + static_cast<unsigned>((bits >> 55) & 7u);
    return (static_cast<std::uint32_t>(bits) | 1u) >> shift;
}

}  // namespace

void GenerateSynthScan(const SynthOptions& options, std::uint32_t function, std::uint32_t scan,
                       SynthScan& out) {
    SynthRandom random =
        SynthRandom::For(options.seed, kScanPart, (std::uint64_t{function} << 32) | scan);
    const std::uint64_t headerBits = random.Next();
    out.header[0] = static_cast<std::uint32_t>(headerBits & 1u);
    out.header[1] = static_cast<std::uint32_t>((headerBits >> 1) & 1u);
    out.header[2] = std::bit_cast<std::uint32_t>(static_cast<float>(scan) * 0.0125f);
    out.header[3] = random.Next32();
    out.header[4] = random.Next32();
    out.header[5] = static_cast<std::uint32_t>((headerBits >> 2) & 1u);

    const std::size_t count = options.peaks;
    out.masses.resize(count);
    out.intensities.resize(count);
    out.peakBytes.resize(count);
    // Peak i takes a nominal mass from its own stratum of the range, so the masses come out in
    // order whenever there are no more peaks than nominal masses. Written for speed (this loop
    // is most of synth's time): local pointers, since byte stores could alias the vectors,
    // and a branch-free choice of defect, since a random branch mispredicts often.
    float* masses = out.masses.data();
    std::uint32_t* intensities = out.intensities.data();
    std::uint8_t* peakBytes = out.peakBytes.data();
    const double stratum =
        (kSynthHighMass - kSynthLowMass) / static_cast<double>(count ? count : 1);
    std::int64_t lower = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t a = random.Next();
        const std::uint64_t b = random.Next();
        const auto upper = static_cast<std::int64_t>(static_cast<double>(i + 1) * stratum);
        const auto width = static_cast<double>(std::max<std::int64_t>(upper - lower, 1));
        const auto offset = static_cast<std::int64_t>(
            static_cast<double>(static_cast<std::int32_t>(a >> 40)) * 0x1.0p-24 * width);
        const double nominal = kSynthLowMass + static_cast<double>(lower + offset);
        lower = upper;
        const double noise = static_cast<double>(static_cast<std::uint32_t>(a)) * 0x1.0p-32;
        // Triangular scatter around the organic line; the line stays below 0.6, so only a
        // negative defect needs wrapping.
        const auto spreadSum = static_cast<std::int32_t>((a & 0xFFFFu) + ((a >> 16) & 0xFFFFu));
        const double spread = static_cast<double>(spreadSum) * 0x1.0p-16 - 1.0;
        double organic = kSynthDefectPerDalton * nominal + kSynthDefectScatter * spread;
        organic += organic < 0.0 ? 1.0 : 0.0;
        // About 35 % noise.
        const std::uint64_t noiseMask = ((a >> 32) & 0xFFu) < 90u ? ~std::uint64_t{0} : 0;
        const double defect =
            std::bit_cast<double>((std::bit_cast<std::uint64_t>(noise) & noiseMask) |
                                  (std::bit_cast<std::uint64_t>(organic) & ~noiseMask));
        masses[i] = std::min(static_cast<float>(nominal + defect), kHighestMass);
        intensities[i] = SynthIntensity(b);
        peakBytes[i] = static_cast<std::uint8_t>(b >> 32);
    }
    SortNearlySorted(out.masses);
}

}  // namespace rawsynth
