#include "mzml/peak_selection.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include <pwiz/utility/misc/String.hpp>

namespace {

namespace cv = pwiz::cv;
using pwiz::msdata::Spectrum;

// The library's element access is out of line; its iterators index a plain pointer.
template <typename T>
void KeepOnly(pwiz::util::BinaryData<T>& values, const std::vector<std::uint32_t>& kept) {
    if (!kept.empty()) {
        auto v = values.begin();
        for (std::size_t k = 0; k < kept.size(); ++k) {
            v[static_cast<std::ptrdiff_t>(k)] = v[kept[k]];
        }
    }
    values.resize(kept.size());
}

// Replaces the value of a summary parameter the spectrum has; adds none it lacks.
void Restate(Spectrum& spectrum, cv::CVID id, double value) {
    for (auto& param : spectrum.cvParams) {
        if (param.cvid == id) {
            param.value = pwiz::util::toString(value);
        }
    }
}

void Drop(Spectrum& spectrum, cv::CVID id) {
    std::erase_if(spectrum.cvParams, [id](const pwiz::data::CVParam& p) { return p.cvid == id; });
}

void RefreshPeakSummary(Spectrum& spectrum) {
    const auto mz = spectrum.getMZArray();
    const auto intensity = spectrum.getIntensityArray();
    const std::size_t n = mz ? mz->data.size() : 0;
    if (n == 0) {
        Restate(spectrum, cv::MS_total_ion_current, 0.0);
        for (const cv::CVID id : {cv::MS_base_peak_m_z, cv::MS_base_peak_intensity,
                                  cv::MS_lowest_observed_m_z, cv::MS_highest_observed_m_z}) {
            Drop(spectrum, id);
        }
        return;
    }
    const auto& mzs = mz->data;
    const auto [low, high] = std::minmax_element(mzs.begin(), mzs.end());
    Restate(spectrum, cv::MS_lowest_observed_m_z, *low);
    Restate(spectrum, cv::MS_highest_observed_m_z, *high);
    if (intensity) {
        const auto& values = intensity->data;
        Restate(spectrum, cv::MS_total_ion_current,
                std::accumulate(values.begin(), values.end(), 0.0));
        const auto base = std::max_element(values.begin(), values.end());
        Restate(spectrum, cv::MS_base_peak_intensity, *base);
        Restate(spectrum, cv::MS_base_peak_m_z,
                mzs[static_cast<std::size_t>(base - values.begin())]);
    }
}

}  // namespace

std::int32_t MsLevelOf(const Spectrum& spectrum) {
    const auto param = spectrum.cvParam(cv::MS_ms_level);
    if (param.empty()) {
        return 0;
    }
    try {
        return param.valueAs<std::int32_t>();
    } catch (const std::exception&) {
        return 0;
    }
}

PeakCounts FilterSpectrumPeaks(Spectrum& spectrum, const FunctionFilter& filter,
                               PeakScratch& scratch) {
    const auto mz = spectrum.getMZArray();
    if (!mz) {
        return {};
    }
    const std::size_t n = mz->data.size();
    for (const auto& array : spectrum.binaryDataArrayPtrs) {
        if (array && array->data.size() != n) {
            throw std::runtime_error("spectrum \"" + spectrum.id +
                                     "\": its arrays differ in length (" + std::to_string(n) +
                                     " m/z values, " + std::to_string(array->data.size()) +
                                     " in another array)");
        }
    }
    for (const auto& array : spectrum.integerDataArrayPtrs) {
        if (array && array->data.size() != n) {
            throw std::runtime_error("spectrum \"" + spectrum.id +
                                     "\": its integer array differs in length from its m/z array");
        }
    }
    if (n > 0xFFFFFFFFu) {
        throw std::runtime_error("spectrum \"" + spectrum.id + "\": more than 2^32 peaks");
    }
    const auto count = static_cast<std::uint32_t>(n);

    // The filter copies kept (mass, intensity, byte) triples; giving it each peak's index as
    // its "intensity" makes the copy the list of kept indices, decided by its own vectorised
    // path on the float masses.
    scratch.masses.resize(n);
    scratch.indices.resize(n);
    scratch.noBytes.assign(n, 0);
    scratch.keptMasses.resize(n);
    scratch.keptIndices.resize(n);
    scratch.keptBytes.resize(n);
    if (count > 0) {
        const auto values = mz->data.begin();
        for (std::uint32_t i = 0; i < count; ++i) {
            scratch.masses[i] = static_cast<float>(values[i]);
            scratch.indices[i] = i;
        }
    }
    const std::uint32_t kept = filter.Apply(count, scratch.masses.data(), scratch.indices.data(),
                                            scratch.noBytes.data(), scratch.keptMasses.data(),
                                            scratch.keptIndices.data(), scratch.keptBytes.data());
    if (kept == count) {
        return {n, n};
    }
    scratch.keptIndices.resize(kept);
    for (const auto& array : spectrum.binaryDataArrayPtrs) {
        if (array) {
            KeepOnly(array->data, scratch.keptIndices);
        }
    }
    for (const auto& array : spectrum.integerDataArrayPtrs) {
        if (array) {
            KeepOnly(array->data, scratch.keptIndices);
        }
    }
    spectrum.defaultArrayLength = kept;
    RefreshPeakSummary(spectrum);
    return {n, kept};
}
