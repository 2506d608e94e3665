#include "mzml/spectrum_element.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <span>
#include <string_view>

#include "mzml/base64.h"
#include "mzml/hex_bytes.h"
#include "mzml/tag_text.h"

namespace mzml {

namespace {

struct CvUnit {
    const char* cvRef;
    const char* accession;
    const char* name;
};

constexpr CvUnit kMzUnit{"MS", "MS:1000040", "m/z"};
constexpr CvUnit kCountsUnit{"MS", "MS:1000131", "number of detector counts"};
constexpr CvUnit kSecondUnit{"UO", "UO:0000010", "second"};
constexpr CvUnit kDimensionlessUnit{"UO", "UO:0000186", "dimensionless unit"};

void AppendCv(std::string& out, std::string_view indent, std::string_view accession,
              std::string_view name, std::string_view value = {}, const CvUnit* unit = nullptr) {
    out += indent;
    out += "<cvParam cvRef=\"MS\" accession=\"";
    out += accession;
    out += "\" name=\"";
    out += name;
    out += "\" value=\"";
    out += EscapeXml(value);
    out += '"';
    if (unit != nullptr) {
        out += " unitCvRef=\"";
        out += unit->cvRef;
        out += "\" unitAccession=\"";
        out += unit->accession;
        out += "\" unitName=\"";
        out += unit->name;
        out += '"';
    }
    out += "/>\n";
}

void AppendUserParam(std::string& out, std::string_view indent, std::string_view name,
                     std::string_view value) {
    out += indent;
    out += "<userParam name=\"";
    out += EscapeXml(name);
    out += "\" value=\"";
    out += EscapeXml(value);
    out += "\"/>\n";
}

template <typename Value>
void PutLittleEndian(Value value, std::vector<std::uint8_t>& bytes) {
    using Bits = std::conditional_t<sizeof(Value) == 4, std::uint32_t, std::uint64_t>;
    const auto bits = std::bit_cast<Bits>(value);
    for (std::size_t i = 0; i < sizeof(Value); ++i) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
}

// The summary values a spectrum states about its peaks.
struct Summary {
    double totalIonCurrent = kAbsent;
    double basePeakMz = kAbsent;
    double basePeakIntensity = kAbsent;
    double lowestMz = kAbsent;
    double highestMz = kAbsent;
};

Summary SummaryOfPeaks(const RawExportScan& scan) {
    Summary summary;
    if (scan.masses.empty()) {
        return summary;
    }
    const auto top = std::max_element(scan.intensities.begin(), scan.intensities.end());
    const auto [low, high] = std::minmax_element(scan.masses.begin(), scan.masses.end());
    summary.totalIonCurrent =
        std::accumulate(scan.intensities.begin(), scan.intensities.end(), 0.0);
    summary.basePeakIntensity = *top;
    summary.basePeakMz = scan.masses[static_cast<std::size_t>(top - scan.intensities.begin())];
    summary.lowestMz = *low;
    summary.highestMz = *high;
    return summary;
}

}  // namespace

std::string ExportSpectrumId(std::int32_t function, std::int32_t scan) {
    return "function=" + std::to_string(function) + " scan=" + std::to_string(scan);
}

void SpectrumElementWriter::Append(const RawExportScan& scan, std::size_t index, std::string& out) {
    constexpr std::string_view in1 = "          ";
    constexpr std::string_view in2 = "            ";
    constexpr std::string_view in3 = "              ";
    constexpr std::string_view in4 = "                ";
    constexpr std::string_view in5 = "                  ";
    const std::size_t n = scan.masses.size();

    out += "<spectrum index=\"" + std::to_string(index) + "\" id=\"" +
           ExportSpectrumId(scan.function, scan.scan) + "\" defaultArrayLength=\"" +
           std::to_string(n) + "\">\n";
    AppendCv(out, in1, "MS:1000511", "ms level", std::to_string(scan.function));
    if (scan.function == 1) {
        AppendCv(out, in1, "MS:1000579", "MS1 spectrum");
    } else {
        AppendCv(out, in1, "MS:1000580", "MSn spectrum");
    }
    // Words 0 and 1 are 0 or 1 (the raw data library refuses anything else).
    if (scan.header[0] != 0) {
        AppendCv(out, in1, "MS:1000128", "profile spectrum");
    } else {
        AppendCv(out, in1, "MS:1000127", "centroid spectrum");
    }
    if (scan.header[4] != 0) {
        AppendCv(out, in1, "MS:1000129", "negative scan");
    } else {
        AppendCv(out, in1, "MS:1000130", "positive scan");
    }

    ScanMetadata mapped;
    const bool isMapped = scan.hasStats && DecodeStatsRecord(scan.stats, mapped);
    // Summary values: those the import kept, else worked out from the peaks.
    Summary summary = SummaryOfPeaks(scan);
    if (isMapped) {
        summary = {mapped.totalIonCurrent, mapped.basePeakMz, mapped.basePeakIntensity,
                   mapped.lowestMz, mapped.highestMz};
    }
    const struct {
        const char* accession;
        const char* name;
        double value;
        const CvUnit* unit;
    } summaryParams[] = {
        {"MS:1000285", "total ion current", summary.totalIonCurrent, nullptr},
        {"MS:1000504", "base peak m/z", summary.basePeakMz, &kMzUnit},
        {"MS:1000505", "base peak intensity", summary.basePeakIntensity, &kCountsUnit},
        {"MS:1000528", "lowest observed m/z", summary.lowestMz, &kMzUnit},
        {"MS:1000527", "highest observed m/z", summary.highestMz, &kMzUnit},
    };
    for (const auto& param : summaryParams) {
        if (std::isfinite(param.value)) {
            AppendCv(out, in1, param.accession, param.name, FormatDouble(param.value), param.unit);
        }
    }
    AppendUserParam(out, in1, kScanHeaderParam, ToHex(scan.header));
    if (scan.hasStats) {
        AppendUserParam(out, in1, kStatsRecordParam, ToHex(scan.stats));
    }

    out += in1;
    out += "<scanList count=\"1\">\n";
    AppendCv(out, in2, "MS:1000795", "no combination");
    const double seconds =
        isMapped ? mapped.retentionSeconds : RetentionSecondsFromHeader(scan.header.data() + 8);
    if (std::isfinite(seconds)) {
        out += in2;
        out += "<scan>\n";
        AppendCv(out, in3, "MS:1000016", "scan start time", FormatDouble(seconds), &kSecondUnit);
        out += in2;
        out += "</scan>\n";
    } else {
        out += in2;
        out += "<scan/>\n";
    }
    out += in1;
    out += "</scanList>\n";

    if (isMapped && std::isfinite(mapped.precursorMz)) {
        out += in1;
        out += "<precursorList count=\"1\">\n";
        out += in2;
        out += "<precursor>\n";
        out += in3;
        out += "<selectedIonList count=\"1\">\n";
        out += in4;
        out += "<selectedIon>\n";
        AppendCv(out, in5, "MS:1000744", "selected ion m/z", FormatDouble(mapped.precursorMz),
                 &kMzUnit);
        if (mapped.precursorCharge != 0) {
            AppendCv(out, in5, "MS:1000041", "charge state",
                     std::to_string(mapped.precursorCharge));
        }
        out += in4;
        out += "</selectedIon>\n";
        out += in3;
        out += "</selectedIonList>\n";
        // The schema requires the element; the raw data file does not know the activation.
        out += in3;
        out += "<activation/>\n";
        out += in2;
        out += "</precursor>\n";
        out += in1;
        out += "</precursorList>\n";
    }

    const bool anyPeakByte = std::any_of(scan.peakBytes.begin(), scan.peakBytes.end(),
                                         [](std::uint8_t b) { return b != 0; });
    out += in1;
    out += "<binaryDataArrayList count=\"" + std::to_string(anyPeakByte ? 3 : 2) + "\">\n";
    const auto appendArray = [&](bool wide, std::string_view accession, std::string_view name,
                                 std::string_view value, const CvUnit* unit) {
        base64_.clear();
        Base64Encode(bytes_, base64_);
        out += in2;
        out += "<binaryDataArray encodedLength=\"" + std::to_string(base64_.size()) + "\">\n";
        if (wide) {
            AppendCv(out, in3, "MS:1000523", "64-bit float");
        } else {
            AppendCv(out, in3, "MS:1000521", "32-bit float");
        }
        AppendCv(out, in3, "MS:1000576", "no compression");
        AppendCv(out, in3, accession, name, value, unit);
        out += in3;
        out += "<binary>";
        out += base64_;
        out += "</binary>\n";
        out += in2;
        out += "</binaryDataArray>\n";
    };
    bytes_.clear();
    bytes_.reserve(n * 8);
    for (const float mass : scan.masses) {
        PutLittleEndian(mass, bytes_);
    }
    appendArray(false, "MS:1000514", "m/z array", {}, &kMzUnit);
    bytes_.clear();
    for (const std::uint32_t intensity : scan.intensities) {
        PutLittleEndian(static_cast<double>(intensity), bytes_);
    }
    appendArray(true, "MS:1000515", "intensity array", {}, &kCountsUnit);
    if (anyPeakByte) {
        bytes_.clear();
        for (const std::uint8_t b : scan.peakBytes) {
            PutLittleEndian(static_cast<float>(b), bytes_);
        }
        appendArray(false, "MS:1000786", "non-standard data array", kPeakByteArrayName,
                    &kDimensionlessUnit);
    }
    out += in1;
    out += "</binaryDataArrayList>\n";
    out += kSpectrumIndent;
    out += "</spectrum>\n";
}

}  // namespace mzml
