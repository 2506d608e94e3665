#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <vector>

#include "mzml/byte_source.h"
#include "mzml/document_pass.h"
#include "mzml/hex_bytes.h"
#include "mzml/markup_scanner.h"
#include "mzml/raw_conversion.h"
#include "mzml/scan_record_mapping.h"
#include "processing/output_path.h"
#include "processing/temporary_output.h"
#include "rawio/record_fields.h"

namespace mzml {

namespace {

namespace fs = std::filesystem;
using Params = std::vector<std::pair<std::string, std::string>>;

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
        const std::string detail = RawLastErrorDetail();
        throw RawWriteFailure(operation + " failed: " + RawStatusText(status) +
                              (detail.empty() ? "" : " (" + detail + ")"));
    }
}

std::string ParamValue(const Params& params, const std::string& name) {
    for (const auto& [key, value] : params) {
        if (key == name)
            return value;
    }
    return {};
}

struct RawPeaks {
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> bytes;
};

void PeaksOf(const SpectrumPeaks& spectrum, RawPeaks& peaks) {
    const std::string where = "spectrum \"" + spectrum.scan.nativeId + "\"";
    const std::size_t n = spectrum.mz.size();
    if (spectrum.intensity.size() != n) {
        throw ImportFailure(where + ": its m/z and intensity arrays differ in length");
    }
    if (n > kScanInfoCountMask) {
        throw ImportFailure(where + ": too many peaks for a raw data file");
    }
    if (!spectrum.peakBytes.empty() && spectrum.peakBytes.size() != n) {
        throw ImportFailure(where + ": its peak byte array differs in length");
    }
    peaks.masses.resize(n);
    peaks.intensities.resize(n);
    peaks.bytes.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        peaks.masses[i] = static_cast<float>(spectrum.mz[i]);
        const double rounded = std::nearbyint(spectrum.intensity[i]);
        if (!(rounded >= 0.0 && rounded <= kMaxIntensity)) {
            throw ImportFailure(where + ", peak " + std::to_string(i + 1) + ": intensity " +
                                std::to_string(spectrum.intensity[i]) +
                                " is not a count of 0..4294967295 that a raw data file holds");
        }
        peaks.intensities[i] = static_cast<std::uint32_t>(rounded);
    }
    for (std::size_t i = 0; i < spectrum.peakBytes.size(); ++i) {
        const double b = spectrum.peakBytes[i];
        if (!(b >= 0.0 && b <= 255.0 && b == std::floor(b))) {
            throw ImportFailure(where + ": its peak byte array holds a value outside 0..255");
        }
        peaks.bytes[i] = static_cast<std::uint8_t>(b);
    }
}

// The carried record when the parameter holds a valid one, else the one the mapping gives.
ScanHeaderBytes ScanHeaderOf(const Params& params, const ScanMetadata& scan) {
    if (const auto carried = FromHex(ParamValue(params, kScanHeaderParam), kScanHeaderSize)) {
        ScanHeaderBytes header{};
        std::copy(carried->begin(), carried->end(), header.begin());
        if (IsValidScanHeader(header)) {
            return header;
        }
    }
    return EncodeScanHeader(scan);
}

StatsRecordBytes StatsRecordOf(const Params& params, const ScanMetadata& scan) {
    if (const auto carried = FromHex(ParamValue(params, kStatsRecordParam), kStatsRecordSize)) {
        StatsRecordBytes record{};
        std::copy(carried->begin(), carried->end(), record.begin());
        return record;
    }
    return EncodeStatsRecord(scan);
}

// A carried function record (or zeros) with the scan count this import writes.
std::vector<std::uint8_t> FunctionRecordOf(const Params& run, std::int32_t function,
                                           std::uint32_t scans) {
    auto record =
        FromHex(ParamValue(run, std::string(kFunctionRecordParam) + " " + std::to_string(function)),
                kFunctionRecordSize)
            .value_or(std::vector<std::uint8_t>(kFunctionRecordSize, 0));
    rawio::SetFunctionScanCount(record.data(), scans);
    return record;
}

std::int32_t ScanFileCodeOf(const std::vector<std::uint8_t>& record) {
    return static_cast<std::int32_t>(rawio::FunctionScanFileCode(record.data()));
}

// Runs a read pass over `input`, turning the reader's failures into ImportFailure.
void ReadPass(const std::string& input, PassSettings& settings, PassResult& result) {
    std::string error;
    if (!RunDocumentPass(input, settings, result, error)) {
        throw ImportFailure(error);
    }
}

// Writes the raw data file at `path` from `input`: one pass to learn the functions, then one
// per function (the library writes a function's scans together), so memory stays that of one
// spectrum whatever the size of the input.
void WriteRawFile(const std::string& input, const std::string& path, const ImportOptions& options) {
    std::map<std::int32_t, std::uint32_t> scansOf;
    PassSettings survey;
    survey.ignoreChecksums = options.ignoreChecksums;
    survey.warn = [&](const std::string& what) {
        if (options.warn)
            options.warn(FileMessage(input, what));
    };
    survey.decodeLevel = [](std::int32_t) { return false; };
    survey.onSpectrum = [&](const SpectrumPeaks& spectrum, std::string& error) {
        const std::int32_t level = spectrum.scan.msLevel;
        if (level <= 0 || level > kMaxLevel) {
            error = "spectrum \"" + spectrum.scan.nativeId + "\" has no MS level of 1.." +
                    std::to_string(kMaxLevel) + ", which a raw data file's function needs";
            return false;
        }
        ++scansOf[level];
        return true;
    };
    PassResult surveyed;
    ReadPass(input, survey, surveyed);
    const std::int32_t functionCount = scansOf.empty() ? 0 : scansOf.rbegin()->first;

    RawHandle handle = 0;
    Check(RawCreateOpen(path.c_str(), &handle), "RawCreateOpen");
    try {
        const std::vector<std::uint8_t> headerRecord(kHeaderRecordSize, 0);
        const std::vector<std::uint8_t> headerBlock(kHeaderBlockSize, 0);
        Check(RawCreateHeader(handle, headerRecord.data(), headerBlock.data()), "RawCreateHeader");
        std::vector<std::uint8_t> table;
        RawPeaks peaks;
        for (std::int32_t f = 1; f <= functionCount; ++f) {
            const auto record = FunctionRecordOf(surveyed.runUserParams, f, scansOf[f]);
            const std::int32_t code = ScanFileCodeOf(record);
            const std::string fn = " for function " + std::to_string(f);
            Check(RawCreateScanFile(handle, f, 0, code), "RawCreateScanFile" + fn);
            Check(RawStatsCreateFile(handle, f, 0), "RawStatsCreateFile" + fn);
            if (scansOf[f] > 0) {
                PassSettings read;
                read.ignoreChecksums = options.ignoreChecksums;
                read.decodeLevel = [f](std::int32_t level) { return level == f; };
                read.onSpectrum = [&](const SpectrumPeaks& spectrum, std::string&) {
                    if (spectrum.scan.msLevel != f)
                        return true;
                    PeaksOf(spectrum, peaks);
                    const ScanHeaderBytes header = ScanHeaderOf(spectrum.userParams, spectrum.scan);
                    const StatsRecordBytes stats =
                        StatsRecordOf(spectrum.userParams, spectrum.scan);
                    const std::string at = " for spectrum \"" + spectrum.scan.nativeId + "\"";
                    Check(RawCreateScansEx(handle, f, 0, code, header.data(),
                                           static_cast<std::uint32_t>(peaks.masses.size()),
                                           peaks.masses.data(), peaks.intensities.data(),
                                           peaks.bytes.data(), 1),
                          "RawCreateScansEx" + at);
                    Check(RawStatsCreateRecord(handle, f, 0, stats.data()),
                          "RawStatsCreateRecord" + at);
                    return true;
                };
                PassResult ignored;
                ReadPass(input, read, ignored);
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

// A private directory beside the output, holding the raw data file until it is complete; it
// is removed on failure and on the signals that end a run.
class ScratchDirectory {
  public:
    explicit ScratchDirectory(const fs::path& output) {
        processing::RemoveStaleTemporaries(output.string());
        path = processing::TemporaryPathFor(output.string());
        if (::mkdir(path.c_str(), 0777) != 0) {
            throw ImportFailure("cannot create a temporary directory beside it");
        }
        processing::RegisterTemporary(path.string());
    }
    ~ScratchDirectory() {
        std::error_code ec;
        fs::remove_all(path, ec);
        processing::UnregisterTemporary(path.string());
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const fs::path& Path() const { return path; }

  private:
    fs::path path;
};

}  // namespace

bool ImportMzml(const std::string& givenInput, const std::string& givenOutput, std::string& error,
                const ImportOptions& options) {
    // "out.raw/" as shell completion writes it names the same directory as "out.raw".
    const std::string input = processing::WithoutTrailingSlashes(givenInput);
    const std::string outputRaw = processing::WithoutTrailingSlashes(givenOutput);
    {
        // The input first: a missing input is the mistake to name, whatever the output.
        std::string why;
        if (!ByteSource::Open(input, why)) {
            error = why;
            return false;
        }
    }
    const std::string refused = processing::CheckOutputPath(input, outputRaw);
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
    std::unique_ptr<ScratchDirectory> scratch;
    try {
        scratch = std::make_unique<ScratchDirectory>(output);
    } catch (const std::exception& e) {
        error = FileMessage(outputRaw, e.what());
        return false;
    }
    const fs::path temporary = scratch->Path() / output.filename();
    try {
        WriteRawFile(input, temporary.string(), options);
    } catch (const RawWriteFailure& e) {
        error = FileMessage(outputRaw, e.what());
        return false;
    } catch (const ImportFailure& e) {
        const std::string what = e.what();
        // The reader's messages name the file already.
        error = what.rfind(input + ": ", 0) == 0 ? what : FileMessage(input, what);
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

}  // namespace mzml
