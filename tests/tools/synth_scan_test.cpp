#include "rawsynth/synth_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

rawsynth::SynthOptions WithPeaks(std::uint32_t peaks, std::uint64_t seed = 1) {
    rawsynth::SynthOptions options;
    options.peaks = peaks;
    options.seed = seed;
    return options;
}

TEST(GenerateSynthScan, GivesExactlyThePeaksAskedForInOrderAndRange) {
    for (const std::uint32_t peaks : {0u, 1u, 2u, 500u, 1150u, 5000u}) {
        rawsynth::SynthScan scan;
        for (std::uint32_t s = 1; s <= 20; ++s) {
            rawsynth::GenerateSynthScan(WithPeaks(peaks), 1, s, scan);
            ASSERT_EQ(scan.masses.size(), peaks);
            ASSERT_EQ(scan.intensities.size(), peaks);
            ASSERT_EQ(scan.peakBytes.size(), peaks);
            ASSERT_TRUE(std::is_sorted(scan.masses.begin(), scan.masses.end())) << peaks;
            for (const float mass : scan.masses) {
                ASSERT_GE(mass, rawsynth::kSynthLowMass);
                ASSERT_LT(mass, rawsynth::kSynthHighMass);
            }
            for (const std::size_t word : {0u, 1u, 5u}) {
                ASSERT_LE(scan.header[word], 1u) << "word " << word;
            }
        }
    }
}

TEST(GenerateSynthScan, DependsOnSeedFunctionAndScanOnly) {
    rawsynth::SynthScan first;
    rawsynth::SynthScan again;
    rawsynth::GenerateSynthScan(WithPeaks(300, 5), 2, 7, first);
    rawsynth::GenerateSynthScan(WithPeaks(10, 5), 1, 1, again);  // a different scan in between
    rawsynth::GenerateSynthScan(WithPeaks(300, 5), 2, 7, again);
    EXPECT_EQ(first.masses, again.masses);
    EXPECT_EQ(first.intensities, again.intensities);
    EXPECT_EQ(first.peakBytes, again.peakBytes);
    EXPECT_EQ(first.header, again.header);

    struct Other {
        const char* what;
        std::uint64_t seed;
        std::uint32_t function;
        std::uint32_t scan;
    };
    for (const Other& other :
         {Other{"seed", 6, 2, 7}, Other{"function", 5, 3, 7}, Other{"scan", 5, 2, 8}}) {
        rawsynth::SynthScan different;
        rawsynth::GenerateSynthScan(WithPeaks(300, other.seed), other.function, other.scan,
                                    different);
        EXPECT_NE(first.masses, different.masses) << other.what;
        EXPECT_NE(first.intensities, different.intensities) << other.what;
    }
}

// The filter downstream depends on it: most peaks sit near the organic defect line, the rest
// are spread over every defect.
TEST(GenerateSynthScan, MixesOrganicDefectsWithUniformNoise) {
    rawsynth::SynthScan scan;
    std::size_t nearLine = 0;
    std::size_t total = 0;
    std::array<std::size_t, 10> deciles{};
    for (std::uint32_t s = 1; s <= 50; ++s) {
        rawsynth::GenerateSynthScan(WithPeaks(1000), 1, s, scan);
        for (const float mass : scan.masses) {
            const double m = mass;
            const double defect = m - std::floor(m);
            double distance =
                std::fabs(defect - std::fmod(rawsynth::kSynthDefectPerDalton * m, 1.0));
            distance = std::min(distance, 1.0 - distance);
            nearLine += distance <= rawsynth::kSynthDefectScatter ? 1 : 0;
            ++deciles[static_cast<std::size_t>(defect * 10)];
            ++total;
        }
    }
    // Uniform defects alone would put 12 % within the scatter of the line.
    EXPECT_GT(static_cast<double>(nearLine) / static_cast<double>(total), 0.6);
    for (std::size_t d = 0; d < deciles.size(); ++d) {
        EXPECT_GT(deciles[d], total / 40) << "defect decile " << d;
    }
}

TEST(GenerateSynthScan, VariesIntensitiesBytesAndHeaders) {
    rawsynth::SynthScan scan;
    std::set<std::uint32_t> intensities;
    std::set<std::uint8_t> bytes;
    std::set<std::uint32_t> flagPatterns;
    std::set<std::uint32_t> word3;
    for (std::uint32_t s = 1; s <= 64; ++s) {
        rawsynth::GenerateSynthScan(WithPeaks(200), 1, s, scan);
        intensities.insert(scan.intensities.begin(), scan.intensities.end());
        bytes.insert(scan.peakBytes.begin(), scan.peakBytes.end());
        flagPatterns.insert(scan.header[0] | scan.header[1] << 1 | scan.header[5] << 2);
        word3.insert(scan.header[3]);
    }
    EXPECT_GT(intensities.size(), 10000u);
    EXPECT_EQ(bytes.size(), 256u);
    EXPECT_EQ(flagPatterns.size(), 8u);
    EXPECT_EQ(word3.size(), 64u);
}

}  // namespace
