#include "plot/acquisition_peaks.h"

#include <filesystem>
#include <new>
#include <vector>

#include "mzml/document_pass.h"
#include "processing/raw_read_file.h"

namespace plot {

namespace {

std::string RawFailure(const std::string& path, const std::string& step, RawStatus status) {
    // The library's detail names the file already; its sentence alone does not.
    const std::string detail = RawLastErrorDetail();
    return path + ": " + step + ": " + (detail.empty() ? RawStatusText(status) : detail);
}

bool StreamRaw(const std::string& path, std::int32_t function, const PeaksCallback& onPeaks,
               AcquisitionScanCount& counts, std::string& error) {
    processing::RawReadFile file;
    std::string step;
    RawStatus status = file.Open(path, step);
    if (status != kRawOk) {
        error = RawFailure(path, step, status);
        return false;
    }
    if (function < 1 || function > file.FunctionCount()) {
        error = path + ": there is no function " + std::to_string(function) + " (the file has " +
                (file.FunctionCount() == 0 ? std::string("none")
                                           : "1 to " + std::to_string(file.FunctionCount())) +
                ")";
        return false;
    }
    std::uint32_t scans = 0;
    status = processing::BeginFunction(file, function, scans, step);
    if (status != kRawOk) {
        error = RawFailure(path, step, status);
        return false;
    }
    processing::ScanPeaks peaks;
    std::vector<double> intensities;
    for (std::uint32_t s = 1; s <= scans; ++s) {
        status =
            processing::ReadScanPeaks(file.Handle(), function, static_cast<std::int32_t>(s), peaks);
        if (status != kRawOk) {
            error = RawFailure(path,
                               "function " + std::to_string(function) + ", scan " +
                                   std::to_string(s) + ": RawReadSpectrum",
                               status);
            RawReadFuncEnd(file.Handle(), function, 0);
            return false;
        }
        try {
            intensities.resize(peaks.count);
        } catch (const std::bad_alloc&) {
            error = path + ": function " + std::to_string(function) + ", scan " +
                    std::to_string(s) + ": out of memory";
            RawReadFuncEnd(file.Handle(), function, 0);
            return false;
        }
        for (std::uint32_t p = 0; p < peaks.count; ++p) {
            intensities[p] = static_cast<double>(peaks.intensities[p]);
        }
        onPeaks(peaks.masses.data(), intensities.data(), peaks.count);
        ++counts.scans;
    }
    status = RawReadFuncEnd(file.Handle(), function, 0);
    if (status != kRawOk) {
        error = RawFailure(path, "RawReadFuncEnd", status);
        return false;
    }
    return true;
}

bool StreamOpenFormat(const std::string& path, std::int32_t function, const PeaksCallback& onPeaks,
                      AcquisitionScanCount& counts, std::string& error,
                      const AcquisitionReadSettings& read) {
    std::vector<float> masses;
    mzml::PassSettings settings;
    settings.ignoreChecksums = read.ignoreChecksums;
    settings.warn = read.warn;
    settings.decodeLevel = [function](std::int32_t level) { return level == function; };
    settings.onSpectrum = [&](const mzml::SpectrumPeaks& spectrum, std::string&) {
        if (spectrum.scan.msLevel != function) {
            return true;
        }
        masses.resize(spectrum.mz.size());
        for (std::size_t p = 0; p < masses.size(); ++p) {
            masses[p] = static_cast<float>(spectrum.mz[p]);
        }
        // A spectrum without intensities is read as such; its peaks weigh nothing.
        const bool withIntensities = spectrum.intensity.size() == spectrum.mz.size();
        std::vector<double> zeros;
        if (!withIntensities)
            zeros.assign(masses.size(), 0.0);
        onPeaks(masses.data(), withIntensities ? spectrum.intensity.data() : zeros.data(),
                static_cast<std::uint32_t>(masses.size()));
        ++counts.scans;
        return true;
    };
    mzml::PassResult result;
    if (!mzml::RunDocumentPass(path, settings, result, error)) {
        return false;
    }
    if (counts.scans == 0) {
        std::string levels;
        for (const processing::FunctionSummary& level : result.levels) {
            if (level.function > 0) {
                levels += (levels.empty() ? "" : ", ") + std::to_string(level.function);
            }
        }
        error = path + ": there are no spectra of MS level " + std::to_string(function) +
                " (the file has " + (levels.empty() ? std::string("none") : "levels " + levels) +
                ")";
        return false;
    }
    return true;
}

}  // namespace

bool StreamAcquisitionPeaks(const std::string& path, std::int32_t function,
                            const PeaksCallback& onPeaks, AcquisitionScanCount& counts,
                            std::string& error, const AcquisitionReadSettings& read) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return StreamRaw(path, function, onPeaks, counts, error);
    }
    if (!std::filesystem::exists(path, ec)) {
        error = path + ": no such file or directory";
        return false;
    }
    mzml::OpenFormat format;
    if (!mzml::SniffOpenFormat(path, format)) {
        error = path + ": neither a raw data file (a directory) nor an mzML or mzXML file";
        return false;
    }
    return StreamOpenFormat(path, function, onPeaks, counts, error, read);
}

}  // namespace plot
