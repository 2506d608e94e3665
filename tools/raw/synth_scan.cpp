#include "tools/raw/synth_scan.h"

#include <bit>
#include <cmath>

#include "tools/raw/synth_random.h"

namespace {

constexpr std::uint64_t kScanPart = 1;
constexpr float kHighestMass = 0x1.2bfffep+10f;  // the float just below 1200

// Masses come out nearly sorted (each one stays within its own stratum of the mass range, give
// or take the defect), so an insertion sort finishes the order in about linear time.
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
    const double stratum =
        (kSynthHighMass - kSynthLowMass) / static_cast<double>(count ? count : 1);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t a = random.Next();
        const std::uint64_t b = random.Next();
        const double position =
            kSynthLowMass +
            stratum * (static_cast<double>(i) + static_cast<double>(a >> 40) * 0x1.0p-24);
        const double nominal = std::floor(position);
        double defect;
        if (((a >> 32) & 0xFFu) < 90u) {  // about 35 % uniform noise
            defect = static_cast<double>(a & 0xFFFFFFFFu) * 0x1.0p-32;
        } else {  // triangular scatter around the organic line
            const double spread =
                static_cast<double>((a & 0xFFFFu) + ((a >> 16) & 0xFFFFu)) * 0x1.0p-16 - 1.0;
            defect = kSynthDefectPerDalton * position + kSynthDefectScatter * spread;
            defect -= std::floor(defect);
        }
        float mass = static_cast<float>(nominal + defect);
        if (mass > kHighestMass) {
            mass = kHighestMass;
        }
        out.masses[i] = mass;
        out.intensities[i] = SynthIntensity(b);
        out.peakBytes[i] = static_cast<std::uint8_t>(b >> 32);
    }
    SortNearlySorted(out.masses);
}
