#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <set>
#include <stdexcept>
#include <vector>

#include <boost/make_shared.hpp>
#include <pwiz/data/msdata/MSData.hpp>
#include <pwiz/data/msdata/SpectrumListBase.hpp>

#include "mzml/atomic_mzml_writer.h"
#include "mzml/hex_bytes.h"
#include "mzml/open_format_input.h"
#include "mzml/processing_entry.h"
#include "mzml/raw_conversion.h"
#include "mzml/scan_record_mapping.h"
#include "processing/output_path.h"

namespace {

namespace cv = pwiz::cv;
namespace fs = std::filesystem;
using pwiz::msdata::BinaryDataEncoder;

class RawReadFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

void Check(RawStatus status, const std::string& operation) {
    if (status != kRawOk) {
        throw RawReadFailure(operation + " failed: " + RawStatusText(status));
    }
}

std::uint32_t GetU32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= std::uint32_t{at[i]} << (8 * i);
    }
    return value;
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// The scan header as it was given, rebuilt from the scanInfo the library gives back (the
// mapping is in raw_api.h).
ScanHeaderBytes HeaderFromScanInfo(const std::uint8_t* info) {
    ScanHeaderBytes header{};
    const std::uint32_t word0 = GetU32(info + kScanInfoCountOffset);
    const std::uint32_t flags = GetU32(info + kScanInfoFlagsOffset);
    PutU32(header.data(), (word0 & kScanInfoFlagBit) ? 1u : 0u);
    PutU32(header.data() + 4, flags & 1u);
    std::memcpy(header.data() + 8, info + kScanInfoValue32Offset, 4);
    std::memcpy(header.data() + 12, info + kScanInfoValue12Offset, 4);
    std::memcpy(header.data() + 16, info + kScanInfoValue36Offset, 4);
    PutU32(header.data() + 20, (flags >> 2) & 1u);
    return header;
}

// One raw scan in the order the export writes them.
struct ScanPlace {
    std::int32_t function = 0;
    std::int32_t scan = 0;
    std::uint32_t sourceIndex = 0;
};

// The scans of an open raw data file as a spectrum list; each spectrum is read from the file
// when the writer asks for it.
class RawSpectrumList : public pwiz::msdata::SpectrumListBase {
  public:
    RawSpectrumList(RawHandle readHandle, std::vector<ScanPlace> scanPlaces,
                    std::vector<pwiz::msdata::SpectrumIdentity> identities,
                    std::vector<std::uint8_t> statsTokens, std::vector<bool> functionHasStats,
                    const pwiz::msdata::DataProcessingPtr& processing)
        : handle(readHandle),
          places(std::move(scanPlaces)),
          ids(std::move(identities)),
          tokens(std::move(statsTokens)),
          hasStats(std::move(functionHasStats)) {
        dp_ = processing;
    }

    std::size_t size() const override { return places.size(); }
    const pwiz::msdata::SpectrumIdentity& spectrumIdentity(std::size_t index) const override {
        return ids.at(index);
    }
    pwiz::msdata::SpectrumPtr spectrum(std::size_t index, bool getBinaryData) const override;

  private:
    RawHandle handle;
    std::vector<ScanPlace> places;
    std::vector<pwiz::msdata::SpectrumIdentity> ids;
    std::vector<std::uint8_t> tokens;  // kStatsFileSize per function, from function 1
    std::vector<bool> hasStats;        // per function, from function 1
    mutable std::vector<float> masses;
    mutable std::vector<std::uint32_t> intensities;
    mutable std::vector<std::uint8_t> bytes;
};

pwiz::msdata::SpectrumPtr RawSpectrumList::spectrum(std::size_t index, bool getBinaryData) const {
    const ScanPlace& place = places.at(index);
    const std::string where = " (function " + std::to_string(place.function) + ", scan " +
                              std::to_string(place.scan) + ")";
    std::array<std::uint8_t, kScanInfoSize> info{};
    std::uint32_t capacity = 0;
    Check(RawReadSpectrum(handle, place.function, 0, place.scan, 1, &capacity, info.data(), nullptr,
                          nullptr, nullptr, 0),
          "RawReadSpectrum" + where);
    const std::uint32_t count = GetU32(info.data()) & kScanInfoCountMask;
    masses.resize(std::max<std::uint32_t>(count, 1));
    intensities.resize(masses.size());
    bytes.resize(masses.size());
    capacity = count;
    if (getBinaryData && count > 0) {
        Check(RawReadSpectrum(handle, place.function, 0, place.scan, 1, &capacity, info.data(),
                              masses.data(), intensities.data(), bytes.data(), 0),
              "RawReadSpectrum" + where);
    }
    const std::size_t n = getBinaryData ? capacity : 0;

    auto s = boost::make_shared<pwiz::msdata::Spectrum>();
    s->index = index;
    s->id = ids[index].id;
    s->defaultArrayLength = count;
    s->set(cv::MS_ms_level, place.function);
    s->set(place.function == 1 ? cv::MS_MS1_spectrum : cv::MS_MSn_spectrum);
    const ScanHeaderBytes header = HeaderFromScanInfo(info.data());
    s->set(GetU32(header.data()) ? cv::MS_profile_spectrum : cv::MS_centroid_spectrum);
    s->set(GetU32(header.data() + 4) ? cv::MS_negative_scan : cv::MS_positive_scan);
    s->userParams.emplace_back(kScanHeaderParam, ToHex(header));

    ScanMetadata scan;
    bool mapped = false;
    const auto f = static_cast<std::size_t>(place.function - 1);
    if (hasStats[f]) {
        StatsRecordBytes record{};
        Check(RawStatsReadEntry(tokens.data() + f * kStatsFileSize, place.scan, record.data()),
              "RawStatsReadEntry" + where);
        s->userParams.emplace_back(kStatsRecordParam, ToHex(record));
        mapped = DecodeStatsRecord(record, scan);
    }
    const double seconds =
        mapped ? scan.retentionSeconds : RetentionSecondsFromHeader(header.data() + 8);
    s->scanList.set(cv::MS_no_combination);
    s->scanList.scans.emplace_back();
    if (std::isfinite(seconds)) {
        s->scanList.scans.back().set(cv::MS_scan_start_time, seconds, cv::UO_second);
    }
    if (mapped && std::isfinite(scan.precursorMz)) {
        pwiz::msdata::Precursor precursor;
        pwiz::msdata::SelectedIon ion;
        ion.set(cv::MS_selected_ion_m_z, scan.precursorMz, cv::MS_m_z);
        if (scan.precursorCharge != 0) {
            ion.set(cv::MS_charge_state, scan.precursorCharge);
        }
        precursor.selectedIons.push_back(ion);
        s->precursors.push_back(precursor);
    }
    // Summary values: those the import kept, else worked out from the peaks.
    if (!mapped && n > 0) {
        const auto top = std::max_element(intensities.begin(),
                                          intensities.begin() + static_cast<std::ptrdiff_t>(n));
        const auto [low, high] =
            std::minmax_element(masses.begin(), masses.begin() + static_cast<std::ptrdiff_t>(n));
        scan.totalIonCurrent = std::accumulate(
            intensities.begin(), intensities.begin() + static_cast<std::ptrdiff_t>(n), 0.0);
        scan.basePeakIntensity = *top;
        scan.basePeakMz = masses[static_cast<std::size_t>(top - intensities.begin())];
        scan.lowestMz = *low;
        scan.highestMz = *high;
    }
    const std::pair<cv::CVID, double> summary[] = {
        {cv::MS_total_ion_current, scan.totalIonCurrent},
        {cv::MS_base_peak_m_z, scan.basePeakMz},
        {cv::MS_base_peak_intensity, scan.basePeakIntensity},
        {cv::MS_lowest_observed_m_z, scan.lowestMz},
        {cv::MS_highest_observed_m_z, scan.highestMz}};
    for (const auto& [id, value] : summary) {
        if (std::isfinite(value)) {
            s->set(id, value);
        }
    }

    if (getBinaryData) {
        std::vector<double> mz(masses.begin(), masses.begin() + static_cast<std::ptrdiff_t>(n));
        std::vector<double> in(intensities.begin(),
                               intensities.begin() + static_cast<std::ptrdiff_t>(n));
        s->setMZIntensityArrays(mz, in, cv::MS_number_of_detector_counts);
        if (std::any_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n),
                        [](std::uint8_t b) { return b != 0; })) {
            auto array = boost::make_shared<pwiz::msdata::BinaryDataArray>();
            array->set(cv::MS_non_standard_data_array, kPeakByteArrayName,
                       cv::UO_dimensionless_unit);
            array->data.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
            s->binaryDataArrayPtrs.push_back(array);
        }
    }
    return s;
}

// Reads the open raw data file's functions and scan places and builds the document to write.
class RawExport {
  public:
    explicit RawExport(const std::string& path) : inputPath(path) {
        Check(RawReadOpen(path.c_str(), &handle), "RawReadOpen");
    }
    ~RawExport() {
        for (std::int32_t f = 1; f <= initialised; ++f) {
            RawReadFuncEnd(handle, f, 0);
        }
        if (handle != 0) {
            RawReadClose(handle);
        }
    }
    RawExport(const RawExport&) = delete;
    RawExport& operator=(const RawExport&) = delete;

    void Build(pwiz::msdata::MSData& msd);

  private:
    std::string inputPath;
    RawHandle handle = 0;
    std::int32_t initialised = 0;
};

void RawExport::Build(pwiz::msdata::MSData& msd) {
    std::vector<std::uint8_t> headerRecord(kHeaderRecordSize);
    std::vector<std::uint8_t> headerBlock(kHeaderBlockSize);
    std::uint16_t functionCount = 0;
    Check(RawReadHeader(handle, headerRecord.data(), headerBlock.data(), &functionCount, nullptr),
          "RawReadHeader");

    const std::string stem = fs::path(inputPath).stem().string();
    msd.id = stem.empty() ? "raw" : stem;
    msd.cvs = pwiz::msdata::defaultCVList();
    const auto software = AddBrevantoSoftware(msd);
    const auto processing =
        ConversionProcessing("Brevanto_export", software, "raw data file to mzML");
    msd.dataProcessingPtrs.push_back(processing);
    auto source = boost::make_shared<pwiz::msdata::SourceFile>(
        "RAW1", fs::path(inputPath).filename().string(),
        "file://" + fs::absolute(inputPath).parent_path().string());
    source->set(cv::MS_no_nativeID_format);
    msd.fileDescription.sourceFilePtrs.push_back(source);
    auto instrument = boost::make_shared<pwiz::msdata::InstrumentConfiguration>("IC1");
    instrument->set(cv::MS_instrument_model);
    msd.instrumentConfigurationPtrs.push_back(instrument);
    msd.run.id = msd.id;
    msd.run.defaultInstrumentConfigurationPtr = instrument;
    msd.run.defaultSourceFilePtr = source;

    std::vector<ScanPlace> places;
    std::vector<std::uint8_t> tokens(std::size_t{functionCount} * kStatsFileSize);
    std::vector<bool> hasStats(functionCount, false);
    bool allMapped = true;
    for (std::int32_t f = 1; f <= functionCount; ++f) {
        const std::string fn = " for function " + std::to_string(f);
        std::vector<std::uint8_t> record(kFunctionRecordSize);
        Check(RawReadFuncInfo(handle, f, record.data(), nullptr), "RawReadFuncInfo" + fn);
        Check(RawReadFuncInit(handle, f, 0, 0, record.data(), headerBlock.data()),
              "RawReadFuncInit" + fn);
        initialised = f;
        msd.run.userParams.emplace_back(std::string(kFunctionRecordParam) + " " + std::to_string(f),
                                        ToHex(record));
        msd.fileDescription.fileContent.set(f == 1 ? cv::MS_MS1_spectrum : cv::MS_MSn_spectrum);
        const auto i = static_cast<std::size_t>(f - 1);
        const RawStatus stats =
            RawReadGetStatsFile(handle, f, 0, tokens.data() + i * kStatsFileSize);
        if (stats != kRawNoData) {
            Check(stats, "RawReadGetStatsFile" + fn);
            hasStats[i] = true;
        }
        const std::uint32_t scans = GetU32(record.data() + kFunctionRecordScanCountOffset);
        for (std::uint32_t scan = 1; scan <= scans; ++scan) {
            ScanPlace place{f, static_cast<std::int32_t>(scan), 0};
            ScanMetadata mapped;
            StatsRecordBytes statsRecord{};
            if (hasStats[i]) {
                Check(RawStatsReadEntry(tokens.data() + i * kStatsFileSize, place.scan,
                                        statsRecord.data()),
                      "RawStatsReadEntry" + fn);
            }
            if (hasStats[i] && DecodeStatsRecord(statsRecord, mapped)) {
                place.sourceIndex = mapped.sourceIndex;
            } else {
                allMapped = false;
            }
            places.push_back(place);
        }
    }
    // Spectra that came from one open-format file go back in that file's order; others go
    // function by function.
    if (allMapped) {
        std::stable_sort(places.begin(), places.end(), [](const ScanPlace& a, const ScanPlace& b) {
            return a.sourceIndex < b.sourceIndex;
        });
    }
    std::vector<pwiz::msdata::SpectrumIdentity> ids(places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        ids[i].index = i;
        ids[i].id = "function=" + std::to_string(places[i].function) +
                    " scan=" + std::to_string(places[i].scan);
    }
    msd.run.spectrumListPtr =
        boost::make_shared<RawSpectrumList>(handle, std::move(places), std::move(ids),
                                            std::move(tokens), std::move(hasStats), processing);
}

}  // namespace

bool ExportMzml(const std::string& inputRaw, const std::string& outputMzml, std::string& error) {
    const std::string refused = CheckOutputPath(inputRaw, outputMzml);
    if (!refused.empty()) {
        error = FileMessage(outputMzml, refused);
        return false;
    }
    try {
        RawExport raw(inputRaw);
        pwiz::msdata::MSData msd;
        raw.Build(msd);
        BinaryDataEncoder::Config encoding;
        encoding.precision = BinaryDataEncoder::Precision_64;
        encoding.precisionOverrides[cv::MS_m_z_array] = BinaryDataEncoder::Precision_32;
        encoding.precisionOverrides[cv::MS_non_standard_data_array] =
            BinaryDataEncoder::Precision_32;
        return WriteMzmlAtomically(msd, encoding, inputRaw, outputMzml, error);
    } catch (const std::exception& e) {
        error = FileMessage(inputRaw, e.what());
        return false;
    }
}
