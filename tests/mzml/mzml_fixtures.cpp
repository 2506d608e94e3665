#include "tests/mzml/mzml_fixtures.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <boost/make_shared.hpp>
#include <pwiz/data/msdata/MSDataFile.hpp>
#include <pwiz/data/msdata/Serializer_mzML.hpp>

namespace cv = pwiz::cv;
using namespace pwiz::msdata;

TestDir::TestDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mzml-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root = pattern;
}

TestDir::~TestDir() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}

std::vector<std::string> TestDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

std::string SharedSample(const std::string& name) {
    const char* dir = std::getenv("BREVANTO_SHARED_DATA");
    if (dir == nullptr) {
        return {};
    }
    const auto path = std::filesystem::path(dir) / name;
    return std::filesystem::exists(path) ? path.string() : std::string();
}

void WriteTestMzml(const std::string& path, const TestInputOptions& options) {
    MSData msd;
    msd.id = "generated";
    msd.cvs = defaultCVList();
    msd.run.id = "generated_run";
    auto software = boost::make_shared<Software>("generator");
    software->set(cv::MS_custom_unreleased_software_tool, "test generator");
    msd.softwarePtrs.push_back(software);
    auto processing = boost::make_shared<DataProcessing>("generator_processing");
    processing->processingMethods.emplace_back();
    processing->processingMethods.back().softwarePtr = software;
    processing->processingMethods.back().set(cv::MS_file_format_conversion);
    msd.dataProcessingPtrs.push_back(processing);
    auto instrument = boost::make_shared<InstrumentConfiguration>("IC1");
    instrument->set(cv::MS_instrument_model);
    msd.instrumentConfigurationPtrs.push_back(instrument);
    msd.run.defaultInstrumentConfigurationPtr = instrument;

    auto spectra = boost::make_shared<SpectrumListSimple>();
    spectra->dp = processing;
    std::vector<double> times;
    std::vector<double> tics;
    for (int s = 0; s < options.spectra; ++s) {
        auto spectrum = boost::make_shared<Spectrum>();
        spectrum->index = static_cast<std::size_t>(s);
        spectrum->id = "scan=" + std::to_string(s + 1);
        const int level = s % 2 + 1;
        spectrum->set(cv::MS_ms_level, level);
        spectrum->set(level == 1 ? cv::MS_MS1_spectrum : cv::MS_MSn_spectrum);
        spectrum->set(cv::MS_centroid_spectrum);
        spectrum->scanList.set(cv::MS_no_combination);
        spectrum->scanList.scans.emplace_back();
        spectrum->scanList.scans.back().set(cv::MS_scan_start_time, 1.5 * s, cv::UO_second);
        if (level == 2) {
            Precursor precursor;
            precursor.selectedIons.emplace_back();
            precursor.selectedIons.back().set(cv::MS_selected_ion_m_z, 445.3, cv::MS_m_z);
            spectrum->precursors.push_back(precursor);
        }
        std::vector<double> mz;
        std::vector<double> intensity;
        const int peaks = s % 3 == 2 ? 0 : options.peaks;
        for (int p = 0; p < peaks; ++p) {
            // Whole masses from 100 up, fractions stepping through [0, 1) by an odd amount.
            double value = 100.0 + 7.0 * p + std::fmod(0.0137 * (p * 13 + s * 5), 1.0) + 1e-7;
            if (options.mz32) {
                value = static_cast<float>(value);
            }
            mz.push_back(value);
            intensity.push_back(
                static_cast<float>(1000.0 + 37.0 * p + s + options.intensityOffset));
        }
        double tic = 0.0;
        for (const double v : intensity) {
            tic += v;
        }
        spectrum->set(cv::MS_total_ion_current, tic);
        times.push_back(1.5 * s);
        tics.push_back(tic);
        spectrum->setMZIntensityArrays(mz, intensity, cv::MS_number_of_detector_counts);
        spectra->spectra.push_back(spectrum);
    }
    msd.run.spectrumListPtr = spectra;
    if (options.chromatogram) {
        auto chromatograms = boost::make_shared<ChromatogramListSimple>();
        chromatograms->dp = processing;
        auto tic = boost::make_shared<Chromatogram>();
        tic->index = 0;
        tic->id = "TIC";
        tic->set(cv::MS_TIC_chromatogram);
        tic->setTimeIntensityArrays(times, tics, cv::UO_second, cv::MS_number_of_detector_counts);
        chromatograms->chromatograms.push_back(tic);
        msd.run.chromatogramListPtr = chromatograms;
    }

    Serializer_mzML::Config config;
    auto& encoding = config.binaryDataEncoderConfig;
    encoding.precision = BinaryDataEncoder::Precision_64;
    if (options.mz32) {
        encoding.precisionOverrides[cv::MS_m_z_array] = BinaryDataEncoder::Precision_32;
    }
    if (options.intensity32) {
        encoding.precisionOverrides[cv::MS_intensity_array] = BinaryDataEncoder::Precision_32;
    }
    encoding.compression =
        options.zlib ? BinaryDataEncoder::Compression_Zlib : BinaryDataEncoder::Compression_None;
    std::ofstream os(path, std::ios::binary);
    Serializer_mzML(config).write(os, msd);
}

std::vector<SpectrumPeaks> ReadAllPeaks(const std::string& path) {
    MSDataFile msd(path);
    std::vector<SpectrumPeaks> out;
    const auto& spectra = msd.run.spectrumListPtr;
    for (std::size_t i = 0; spectra && i < spectra->size(); ++i) {
        const auto spectrum = spectra->spectrum(i, true);
        SpectrumPeaks peaks;
        peaks.id = spectrum->id;
        peaks.msLevel = spectrum->cvParam(cv::MS_ms_level).valueAs<int>();
        if (const auto mz = spectrum->getMZArray()) {
            peaks.mz.assign(mz->data.begin(), mz->data.end());
        }
        if (const auto intensity = spectrum->getIntensityArray()) {
            peaks.intensity.assign(intensity->data.begin(), intensity->data.end());
        }
        out.push_back(std::move(peaks));
    }
    return out;
}

std::size_t ChromatogramCount(const std::string& path) {
    MSDataFile msd(path);
    return msd.run.chromatogramListPtr ? msd.run.chromatogramListPtr->size() : 0;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
