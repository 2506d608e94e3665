#include "bench/mzml_synth/spectrum_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "params/mass_range_list.h"
#include "processing/peak_filter.h"

namespace {

std::vector<SynthSpectrum> Generate(std::uint64_t seed, std::size_t count) {
    SpectrumGenerator generator(seed);
    std::vector<SynthSpectrum> spectra(count);
    for (SynthSpectrum& s : spectra) {
        generator.Next(s);
    }
    return spectra;
}

const std::vector<SynthSpectrum>& Sample() {
    static const std::vector<SynthSpectrum> spectra = Generate(7, 400);
    return spectra;
}

TEST(SpectrumGenerator, SameSeedSameSpectraOtherSeedOthers) {
    const std::vector<SynthSpectrum> again = Generate(7, 400);
    const std::vector<SynthSpectrum> other = Generate(8, 400);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].mz, Sample()[i].mz) << "spectrum " << i;
        EXPECT_EQ(again[i].intensity, Sample()[i].intensity) << "spectrum " << i;
        differing += other[i].mz != Sample()[i].mz ? 1u : 0u;
    }
    EXPECT_EQ(differing, again.size());
}

TEST(SpectrumGenerator, CyclesOfOneMs1AndFourToTenMs2) {
    std::size_t run = 0;
    std::size_t ms1 = 0;
    for (const SynthSpectrum& s : Sample()) {
        if (s.msLevel == 1) {
            if (ms1 > 0) {
                EXPECT_GE(run, 4u) << "cycle before spectrum " << s.index;
                EXPECT_LE(run, 10u) << "cycle before spectrum " << s.index;
            }
            ++ms1;
            run = 0;
        } else {
            ASSERT_EQ(s.msLevel, 2) << "spectrum " << s.index;
            ASSERT_GT(ms1, 0u) << "an MS2 spectrum before any MS1";
            ++run;
        }
    }
    EXPECT_GT(ms1, 30u);
}

TEST(SpectrumGenerator, PeakCountsOrderAndRangesAreRealistic) {
    double lastTime = -1;
    for (const SynthSpectrum& s : Sample()) {
        const bool ms1 = s.msLevel == 1;
        EXPECT_GE(s.mz.size(), ms1 ? 2000u : 100u) << "spectrum " << s.index;
        EXPECT_LE(s.mz.size(), ms1 ? 5000u : 500u) << "spectrum " << s.index;
        ASSERT_EQ(s.mz.size(), s.intensity.size());
        EXPECT_GT(s.startTimeMinutes, lastTime) << "spectrum " << s.index;
        lastTime = s.startTimeMinutes;
        for (std::size_t i = 0; i < s.mz.size(); ++i) {
            EXPECT_GE(s.mz[i], s.scanWindowLow) << "spectrum " << s.index << " peak " << i;
            EXPECT_LT(s.mz[i], s.scanWindowHigh) << "spectrum " << s.index << " peak " << i;
            EXPECT_GE(s.intensity[i], 1.0f) << "spectrum " << s.index << " peak " << i;
            if (i > 0) {
                ASSERT_LE(s.mz[i - 1], s.mz[i]) << "spectrum " << s.index << " peak " << i;
            }
        }
        EXPECT_EQ(s.basePeakIntensity, *std::max_element(s.intensity.begin(), s.intensity.end()))
            << "spectrum " << s.index;
    }
}

// Data-dependent acquisition: each precursor is a peak of the MS1 spectrum it names, the one
// that opened its cycle.
TEST(SpectrumGenerator, PrecursorsArePeaksOfTheirMs1Spectrum) {
    const SynthSpectrum* parent = nullptr;
    for (const SynthSpectrum& s : Sample()) {
        if (s.msLevel == 1) {
            parent = &s;
            continue;
        }
        ASSERT_NE(parent, nullptr);
        EXPECT_EQ(s.precursor.spectrumIndex, parent->index) << "spectrum " << s.index;
        EXPECT_TRUE(std::binary_search(parent->mz.begin(), parent->mz.end(), s.precursor.mz))
            << "spectrum " << s.index << " precursor " << s.precursor.mz;
        EXPECT_GE(s.precursor.charge, 1);
        EXPECT_LE(s.precursor.charge, 3);
    }
}

// What the benchmark relies on: a mass-defect window over (0.001, 0.999) on the float mass
// keeps exactly the peaks that a plain 64-bit range [300, 700) keeps.
TEST(SpectrumGenerator, WideDefectWindowKeepsWhatAPlainRangeKeeps) {
    params::CMassRangeList rules;
    rules.AddEntry(params::MakeMassRange(1, 300, 700, 0.5, 499, 499));
    rules.AddEntry(params::MakeMassRange(2, 300, 700, 0.5, 499, 499));
    const processing::FunctionFilter filters[] = {processing::FunctionFilter(rules, 1),
                                                  processing::FunctionFilter(rules, 2)};
    std::size_t inRange = 0;
    for (const SynthSpectrum& s : Sample()) {
        for (double mz : s.mz) {
            const double fraction = mz - std::floor(mz);
            ASSERT_GT(fraction, 0.002) << "m/z " << mz;
            ASSERT_LT(fraction, 0.998) << "m/z " << mz;
            const bool plain = mz >= 300.0 && mz < 700.0;
            inRange += plain ? 1u : 0u;
            ASSERT_EQ(filters[s.msLevel - 1].Keeps(static_cast<float>(mz)), plain)
                << "m/z " << mz << " of spectrum " << s.index;
        }
    }
    EXPECT_GT(inRange, 50000u);
}

// Organic ions: the mass defect of the MS1 isotope peaks grows with the mass, about +0.48 mDa
// per Da, rather than spreading evenly as the noise does.
TEST(SpectrumGenerator, Ms1DefectsFollowOrganicIons) {
    std::size_t near = 0;
    std::size_t all = 0;
    for (const SynthSpectrum& s : Sample()) {
        if (s.msLevel != 1) {
            continue;
        }
        for (std::size_t i = 0; i < s.mz.size(); ++i) {
            if (s.mz[i] < 200 || s.mz[i] > 400 || s.intensity[i] < 1000) {
                continue;  // noise peaks stay below 420 counts
            }
            const double fraction = s.mz[i] - std::floor(s.mz[i]);
            near += std::abs(fraction - 0.00048 * s.mz[i]) < 0.1 ? 1u : 0u;
            ++all;
        }
    }
    ASSERT_GT(all, 1000u);
    // Uniform fractions would give 0.2; ions of charge 2 and 3 stray by half or a third.
    EXPECT_GT(static_cast<double>(near) / static_cast<double>(all), 0.6);
}

}  // namespace
