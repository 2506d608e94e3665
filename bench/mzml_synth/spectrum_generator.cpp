#include "bench/mzml_synth/spectrum_generator.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kProtonMass = 1.007276;
constexpr double kIsotopeSpacing = 1.003355;  // 13C - 12C
constexpr double kMs1Low = 100.0;
constexpr double kMs1High = 2000.0;
constexpr double kMs2Low = 50.0;
constexpr double kCompoundsPerSecond = 8.0;
constexpr double kMs1Seconds = 0.25;
constexpr double kMs2Seconds = 0.06;

// Moves an m/z off the band around whole numbers, within its own unit interval, so the order
// of a sorted array survives.
double AwayFromIntegers(double mz) {
    const double whole = std::floor(mz);
    const double fraction = mz - whole;
    if (fraction < SpectrumGenerator::kIntegerMargin) {
        return whole + SpectrumGenerator::kIntegerMargin;
    }
    if (fraction > 1.0 - SpectrumGenerator::kIntegerMargin) {
        return whole + 1.0 - SpectrumGenerator::kIntegerMargin;
    }
    return mz;
}

// The fractional m/z of a singly charged organic ion of this nominal mass.
double OrganicFraction(double nominal, double jitter) {
    const double defect = 0.00048 * nominal + jitter;
    return defect - std::floor(defect);
}

// Detector counts: whole numbers, at least one.
float Counts(double value) {
    return static_cast<float>(std::max(1.0, std::floor(value + 0.5)));
}

// Insertion sort of parallel arrays: the arrays handed to it are nearly sorted already
// (isotopes and fragments stray at most a few Da), where it runs in close to linear time.
void SortNearlySorted(std::vector<double>& mz, std::vector<float>& intensity) {
    for (std::size_t i = 1; i < mz.size(); ++i) {
        const double m = mz[i];
        const float v = intensity[i];
        std::size_t j = i;
        while (j > 0 && mz[j - 1] > m) {
            mz[j] = mz[j - 1];
            intensity[j] = intensity[j - 1];
            --j;
        }
        mz[j] = m;
        intensity[j] = v;
    }
}

}  // namespace

SpectrumGenerator::SpectrumGenerator(std::uint64_t seed)
    : layout_(seed), compoundRng_(SynthRng::Stream(seed, 2)), peakRng_(SynthRng::Stream(seed, 3)) {
    // The run starts in the middle of the gradient, with compounds already eluting.
    upcomingStart_ = -60.0;
    upcoming_ = MakeCompound(upcomingStart_);
}

SpectrumGenerator::Compound SpectrumGenerator::MakeCompound(double firstSeconds) {
    SynthRng& rng = compoundRng_;
    Compound c{};
    const double u = rng.Unit();
    c.charge = u < 0.7 ? 1 : (u < 0.9 ? 2 : 3);
    // Neutral masses crowd the low end, as in small-molecule and peptide work alike.
    const double mz = 150.0 + (kMs1High - 160.0) * std::pow(rng.Unit(), 1.6);
    const double neutral = (mz - kProtonMass) * c.charge;
    const double defect = 0.00048 * neutral + 0.03 * (rng.Unit() - 0.5) * 2.0;
    const double nominal = std::floor(neutral);
    const double exactNeutral = nominal + defect;
    c.monoMz = exactNeutral / c.charge + kProtonMass;
    c.sigmaSeconds = 3.0 + 8.0 * rng.Unit();
    c.apexSeconds = firstSeconds + 3.0 * c.sigmaSeconds;
    // Log-uniform over four decades.
    c.abundance = 1e3 * std::exp2(13.3 * rng.Unit());
    // Poisson isotope shares, about one carbon per 14 Da of neutral mass at 1.07% 13C.
    const double lambda = exactNeutral / 14.0 * 0.0107;
    double share = std::exp(-lambda);
    double largest = 0;
    c.isotopes = 0;
    for (int k = 0; k < 6; ++k) {
        if (k > 0) {
            share *= lambda / k;
        }
        c.isotopeShare[k] = static_cast<float>(share);
        largest = std::max(largest, share);
        ++c.isotopes;
        if (k >= 1 && share < 0.02 * largest) {
            break;
        }
    }
    return c;
}

void SpectrumGenerator::AdmitCompounds() {
    while (upcomingStart_ <= seconds_) {
        const auto at =
            std::upper_bound(eluting_.begin(), eluting_.end(), upcoming_.monoMz,
                             [](double mz, const Compound& c) { return mz < c.monoMz; });
        eluting_.insert(at, upcoming_);
        upcomingStart_ += -std::log(1.0 - compoundRng_.Unit()) / kCompoundsPerSecond;
        upcoming_ = MakeCompound(upcomingStart_);
    }
    std::erase_if(eluting_, [this](const Compound& c) {
        return c.apexSeconds + 3.0 * c.sigmaSeconds < seconds_;
    });
}

void SpectrumGenerator::Next(SynthSpectrum& spectrum) {
    const SpectrumShape shape = layout_.Next();
    spectrum.index = nextIndex_++;
    spectrum.msLevel = shape.msLevel;
    spectrum.startTimeMinutes = seconds_ / 60.0;
    if (shape.msLevel == 1) {
        MakeMs1(shape, spectrum);
        seconds_ += kMs1Seconds;
    } else {
        MakeMs2(shape, spectrum);
        seconds_ += kMs2Seconds;
    }
    spectrum.Summarise();
}

void SpectrumGenerator::MakeMs1(const SpectrumShape& shape, SynthSpectrum& spectrum) {
    AdmitCompounds();
    spectrum.scanWindowLow = kMs1Low;
    spectrum.scanWindowHigh = kMs1High;
    compoundMz_.clear();
    compoundIntensity_.clear();
    candidates_.clear();
    for (const Compound& c : eluting_) {
        const double offset = (seconds_ - c.apexSeconds) / c.sigmaSeconds;
        const double height = c.abundance * std::exp(-0.5 * offset * offset);
        for (int k = 0; k < c.isotopes; ++k) {
            const double mz = c.monoMz + k * kIsotopeSpacing / c.charge;
            if (mz >= kMs1High - 0.01) {
                break;
            }
            compoundMz_.push_back(AwayFromIntegers(mz));
            compoundIntensity_.push_back(
                Counts(height * c.isotopeShare[k] * (0.95 + 0.1 * peakRng_.Unit())));
        }
        candidates_.push_back(
            {AwayFromIntegers(c.monoMz), c.charge, Counts(height * c.isotopeShare[0])});
    }
    SortNearlySorted(compoundMz_, compoundIntensity_);
    if (compoundMz_.size() > shape.peaks) {
        compoundMz_.resize(shape.peaks);
        compoundIntensity_.resize(shape.peaks);
    }

    // Noise: one peak in each of `noise` equal slices of the window, so it comes out sorted.
    const std::size_t noise = shape.peaks - compoundMz_.size();
    const double slice = (kMs1High - kMs1Low) / static_cast<double>(noise > 0 ? noise : 1);
    spectrum.mz.resize(shape.peaks);
    spectrum.intensity.resize(shape.peaks);
    std::size_t fromCompounds = 0;
    std::size_t out = 0;
    for (std::size_t i = 0; i < noise; ++i) {
        const double u = peakRng_.Unit();
        const double mz =
            AwayFromIntegers(kMs1Low + (static_cast<double>(i) + peakRng_.Unit()) * slice);
        while (fromCompounds < compoundMz_.size() && compoundMz_[fromCompounds] <= mz) {
            spectrum.mz[out] = compoundMz_[fromCompounds];
            spectrum.intensity[out++] = compoundIntensity_[fromCompounds++];
        }
        spectrum.mz[out] = mz;
        spectrum.intensity[out++] = Counts(20.0 + 400.0 * u * u * u);
    }
    while (fromCompounds < compoundMz_.size()) {
        spectrum.mz[out] = compoundMz_[fromCompounds];
        spectrum.intensity[out++] = compoundIntensity_[fromCompounds++];
    }

    // Data-dependent acquisition: the strongest monoisotopic ions go to MS2.
    const std::size_t wanted = std::min<std::size_t>(shape.followingMs2, candidates_.size());
    std::partial_sort(
        candidates_.begin(), candidates_.begin() + static_cast<long>(wanted), candidates_.end(),
        [](const Candidate& a, const Candidate& b) { return a.intensity > b.intensity; });
    candidates_.resize(wanted);
    lastMs1Index_ = spectrum.index;
    nextCandidate_ = 0;
}

void SpectrumGenerator::MakeMs2(const SpectrumShape& shape, SynthSpectrum& spectrum) {
    Candidate picked{500.0 + kIntegerMargin * 10, 1, 1000.0f};
    if (!candidates_.empty()) {
        picked = candidates_[nextCandidate_ % candidates_.size()];
        ++nextCandidate_;
    }
    spectrum.precursor = {lastMs1Index_, picked.mz, picked.charge, picked.intensity};

    // Singly charged fragments up to the protonated precursor.
    const double protonated = (picked.mz - kProtonMass) * picked.charge + kProtonMass;
    spectrum.scanWindowLow = kMs2Low;
    spectrum.scanWindowHigh = std::min(kMs1High, std::ceil(protonated) + 5.0);
    const double slice = (spectrum.scanWindowHigh - 1.0 - kMs2Low) / shape.peaks;
    spectrum.mz.resize(shape.peaks);
    spectrum.intensity.resize(shape.peaks);
    for (std::uint32_t i = 0; i < shape.peaks; ++i) {
        const double nominal = std::floor(kMs2Low + (i + peakRng_.Unit()) * slice);
        const double jitter = 0.03 * (peakRng_.Unit() - 0.5) * 2.0;
        spectrum.mz[i] = AwayFromIntegers(nominal + OrganicFraction(nominal, jitter));
        const double u = peakRng_.Unit();
        spectrum.intensity[i] = Counts(10.0 + 5000.0 * (u * u) * (u * u));
    }
    SortNearlySorted(spectrum.mz, spectrum.intensity);
}
