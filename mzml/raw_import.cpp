#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include <pwiz/data/msdata/MSDataFile.hpp>

#include "mzml/hex_bytes.h"
#include "mzml/open_format_input.h"
#include "mzml/peak_selection.h"
#include "mzml/raw_conversion.h"
#include "mzml/scan_record_mapping.h"
#include "processing/output_path.h"

namespace {

namespace cv = pwiz::cv;
namespace fs = std::filesystem;
using pwiz::msdata::Spectrum;

// Rules name functions 0..1000; a level past that is no real acquisition.
constexpr std::int32_t kMaxLevel = 1000;
constexpr double kMaxIntensity = 4294967295.0;

class ImportFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A failure of the raw data library while writing: the output's, not the input's.
class RawWriteFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

void Check(RawStatus status, const std::string& operation) {
    if (status != kRawOk) {
        throw RawWriteFailure(operation + " failed: " + RawStatusText(status));
    }
}

std::string UserParamValue(const pwiz::data::ParamContainer& container, const std::string& name) {
    return container.userParam(name).value;
}

double CvDouble(const pwiz::data::ParamContainer& container, cv::CVID id) {
    const auto param = container.cvParam(id);
    return param.empty() ? kAbsent : param.valueAs<double>();
}

ScanMetadata MetadataOf(const Spectrum& spectrum) {
    ScanMetadata scan;
    scan.msLevel = MsLevelOf(spectrum);
    scan.profile = spectrum.hasCVParam(cv::MS_profile_spectrum);
    scan.negative = spectrum.hasCVParam(cv::MS_negative_scan);
    if (!spectrum.scanList.scans.empty()) {
        const auto time = spectrum.scanList.scans.front().cvParam(cv::MS_scan_start_time);
        if (!time.empty()) {
            scan.retentionSeconds = time.timeInSeconds();
        }
    }
    scan.totalIonCurrent = CvDouble(spectrum, cv::MS_total_ion_current);
    scan.basePeakMz = CvDouble(spectrum, cv::MS_base_peak_m_z);
    scan.basePeakIntensity = CvDouble(spectrum, cv::MS_base_peak_intensity);
    scan.lowestMz = CvDouble(spectrum, cv::MS_lowest_observed_m_z);
    scan.highestMz = CvDouble(spectrum, cv::MS_highest_observed_m_z);
    if (!spectrum.precursors.empty() && !spectrum.precursors.front().selectedIons.empty()) {
        const auto& ion = spectrum.precursors.front().selectedIons.front();
        scan.precursorMz = CvDouble(ion, cv::MS_selected_ion_m_z);
        const auto charge = ion.cvParam(cv::MS_charge_state);
        if (!charge.empty()) {
            scan.precursorCharge = charge.valueAs<std::int32_t>();
        }
    }
    scan.sourceIndex = static_cast<std::uint32_t>(spectrum.index);
    scan.nativeId = spectrum.id;
    return scan;
}

struct RawPeaks {
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> bytes;
};

void PeaksOf(const Spectrum& spectrum, RawPeaks& peaks) {
    const auto mz = spectrum.getMZArray();
    const auto intensity = spectrum.getIntensityArray();
    const std::string where = "spectrum \"" + spectrum.id + "\"";
    const std::size_t n = mz ? mz->data.size() : 0;
    if ((intensity ? intensity->data.size() : 0) != n) {
        throw ImportFailure(where + ": its m/z and intensity arrays differ in length");
    }
    if (n > kScanInfoCountMask) {
        throw ImportFailure(where + ": too many peaks for a raw data file");
    }
    pwiz::msdata::BinaryDataArrayPtr byteArray;
    for (const auto& array : spectrum.binaryDataArrayPtrs) {
        if (array && array->cvParam(cv::MS_non_standard_data_array).value == kPeakByteArrayName) {
            byteArray = array;
        }
    }
    if (byteArray && byteArray->data.size() != n) {
        throw ImportFailure(where + ": its peak byte array differs in length");
    }
    peaks.masses.resize(n);
    peaks.intensities.resize(n);
    peaks.bytes.assign(n, 0);
    if (n == 0) {
        return;
    }
    const auto mzs = mz->data.begin();
    const auto values = intensity->data.begin();
    for (std::size_t i = 0; i < n; ++i) {
        const auto k = static_cast<std::ptrdiff_t>(i);
        peaks.masses[i] = static_cast<float>(mzs[k]);
        const double rounded = std::nearbyint(values[k]);
        if (!(rounded >= 0.0 && rounded <= kMaxIntensity)) {
            throw ImportFailure(where + ", peak " + std::to_string(i + 1) + ": intensity " +
                                std::to_string(values[k]) +
                                " is not a count of 0..4294967295 that a raw data file holds");
        }
        peaks.intensities[i] = static_cast<std::uint32_t>(rounded);
    }
    if (byteArray) {
        const auto bytes = byteArray->data.begin();
        for (std::size_t i = 0; i < n; ++i) {
            const double b = bytes[static_cast<std::ptrdiff_t>(i)];
            if (!(b >= 0.0 && b <= 255.0 && b == std::floor(b))) {
                throw ImportFailure(where + ": its peak byte array holds a value outside 0..255");
            }
            peaks.bytes[i] = static_cast<std::uint8_t>(b);
        }
    }
}

// The carried record when the parameter holds a valid one, else the one the mapping gives.
ScanHeaderBytes ScanHeaderOf(const Spectrum& spectrum, const ScanMetadata& scan) {
    if (const auto carried = FromHex(UserParamValue(spectrum, kScanHeaderParam), kScanHeaderSize)) {
        ScanHeaderBytes header{};
        std::copy(carried->begin(), carried->end(), header.begin());
        if (IsValidScanHeader(header)) {
            return header;
        }
    }
    return EncodeScanHeader(scan);
}

StatsRecordBytes StatsRecordOf(const Spectrum& spectrum, const ScanMetadata& scan) {
    if (const auto carried =
            FromHex(UserParamValue(spectrum, kStatsRecordParam), kStatsRecordSize)) {
        StatsRecordBytes record{};
        std::copy(carried->begin(), carried->end(), record.begin());
        return record;
    }
    return EncodeStatsRecord(scan);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// A carried function record (or zeros) with the scan count this import writes.
std::vector<std::uint8_t> FunctionRecordOf(const pwiz::msdata::Run& run, std::int32_t function,
                                           std::uint32_t scans) {
    auto record = FromHex(UserParamValue(run, std::string(kFunctionRecordParam) + " " +
                                                  std::to_string(function)),
                          kFunctionRecordSize)
                      .value_or(std::vector<std::uint8_t>(kFunctionRecordSize, 0));
    PutU32(record.data() + kFunctionRecordScanCountOffset, scans);
    return record;
}

std::int32_t ScanFileCodeOf(const std::vector<std::uint8_t>& record) {
    const std::uint32_t word0 = std::uint32_t{record[kFunctionRecordScanCodeWord]} |
                                std::uint32_t{record[kFunctionRecordScanCodeWord + 1]} << 8;
    return static_cast<std::int32_t>((word0 >> kFunctionRecordScanCodeShift) &
                                     kFunctionRecordScanCodeMask);
}

// Writes the raw data file at `path` from the open input.
void WriteRawFile(const pwiz::msdata::MSData& msd, const std::string& path) {
    const auto& spectra = msd.run.spectrumListPtr;
    const std::size_t total = spectra ? spectra->size() : 0;
    std::vector<std::int32_t> levels(total);
    std::int32_t functionCount = 0;
    std::vector<std::uint32_t> scansOf(1, 0);
    for (std::size_t i = 0; i < total; ++i) {
        const auto spectrum = spectra->spectrum(i, false);
        const std::int32_t level = MsLevelOf(*spectrum);
        if (level <= 0 || level > kMaxLevel) {
            throw ImportFailure("spectrum \"" + spectrum->id + "\" has no MS level of 1.." +
                                std::to_string(kMaxLevel) +
                                ", which a raw data file's function needs");
        }
        levels[i] = level;
        if (level > functionCount) {
            functionCount = level;
            scansOf.resize(static_cast<std::size_t>(level) + 1, 0);
        }
        ++scansOf[static_cast<std::size_t>(level)];
    }

    RawHandle handle = 0;
    Check(RawCreateOpen(path.c_str(), &handle), "RawCreateOpen");
    try {
        const std::vector<std::uint8_t> headerRecord(kHeaderRecordSize, 0);
        const std::vector<std::uint8_t> headerBlock(kHeaderBlockSize, 0);
        Check(RawCreateHeader(handle, headerRecord.data(), headerBlock.data()), "RawCreateHeader");
        std::vector<std::uint8_t> table;
        RawPeaks peaks;
        for (std::int32_t f = 1; f <= functionCount; ++f) {
            const auto record = FunctionRecordOf(msd.run, f, scansOf[static_cast<std::size_t>(f)]);
            const std::int32_t code = ScanFileCodeOf(record);
            const std::string fn = " for function " + std::to_string(f);
            Check(RawCreateScanFile(handle, f, 0, code), "RawCreateScanFile" + fn);
            Check(RawStatsCreateFile(handle, f, 0), "RawStatsCreateFile" + fn);
            for (std::size_t i = 0; i < total; ++i) {
                if (levels[i] != f) {
                    continue;
                }
                const auto spectrum = spectra->spectrum(i, true);
                const ScanMetadata scan = MetadataOf(*spectrum);
                PeaksOf(*spectrum, peaks);
                const ScanHeaderBytes header = ScanHeaderOf(*spectrum, scan);
                const StatsRecordBytes stats = StatsRecordOf(*spectrum, scan);
                const std::string at = " for spectrum \"" + spectrum->id + "\"";
                Check(RawCreateScansEx(handle, f, 0, code, header.data(),
                                       static_cast<std::uint32_t>(peaks.masses.size()),
                                       peaks.masses.data(), peaks.intensities.data(),
                                       peaks.bytes.data(), 1),
                      "RawCreateScansEx" + at);
                Check(RawStatsCreateRecord(handle, f, 0, stats.data()),
                      "RawStatsCreateRecord" + at);
            }
            Check(RawCreateScansEnd(handle, f, 0, code), "RawCreateScansEnd" + fn);
            Check(RawStatsCreateEnd(handle, f, 0), "RawStatsCreateEnd" + fn);
            table.insert(table.end(), record.begin(), record.end());
        }
        Check(RawCreateFunctions(handle, static_cast<std::uint16_t>(functionCount), table.data()),
              "RawCreateFunctions");
    } catch (...) {
        RawCreateAbandon(handle);
        throw;
    }
    Check(RawCreateClose(handle), "RawCreateClose");
}

// A private directory beside the output, holding the raw data file until it is complete.
class ScratchDirectory {
  public:
    explicit ScratchDirectory(const fs::path& output) {
        fs::path directory = output.parent_path();
        if (directory.empty()) {
            directory = ".";
        }
        std::string pattern =
            (directory / ("." + output.filename().string() + ".tmp-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw ImportFailure("cannot create a temporary directory beside it");
        }
        path = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const fs::path& Path() const { return path; }

  private:
    fs::path path;
};

}  // namespace

bool ImportMzml(const std::string& input, const std::string& outputRaw, std::string& error) {
    const std::string refused = CheckOutputPath(input, outputRaw);
    if (!refused.empty()) {
        error = FileMessage(outputRaw, refused);
        return false;
    }
    const fs::path output(outputRaw);
    if (output.extension() != ".raw") {
        error = FileMessage(outputRaw, "a raw data file's name must end in \".raw\"");
        return false;
    }
    std::error_code ec;
    if (fs::exists(output, ec) && !(fs::is_directory(output, ec) && fs::is_empty(output, ec))) {
        error =
            FileMessage(outputRaw, "already exists; the import writes a new raw data file only");
        return false;
    }
    OpenFormatInput opened;
    if (!OpenOpenFormatFile(input, false, opened, error)) {
        return false;
    }
    std::unique_ptr<ScratchDirectory> scratch;
    try {
        scratch = std::make_unique<ScratchDirectory>(output);
    } catch (const std::exception& e) {
        error = FileMessage(outputRaw, e.what());
        return false;
    }
    const fs::path temporary = scratch->Path() / output.filename();
    try {
        WriteRawFile(*opened.data, temporary.string());
    } catch (const RawWriteFailure& e) {
        error = FileMessage(outputRaw, e.what());
        return false;
    } catch (const ImportFailure& e) {
        error = FileMessage(input, e.what());
        return false;
    } catch (const std::exception& e) {
        error = FileMessage(input, std::string("cannot be read: ") + e.what());
        return false;
    }
    fs::rename(temporary, output, ec);
    if (ec) {
        error =
            FileMessage(outputRaw, "cannot rename the finished temporary file: " + ec.message());
        return false;
    }
    return true;
}
