#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

#include "mzml/raw_conversion.h"
#include "tests/mzml_export/export_cases.h"
#include "tests/mzml_export/exported_document.h"
#include "tests/mzml_export/external_checks.h"
#include "tests/mzml_export/raw_acquisitions.h"

using mzml::EncodeStatsRecord;
using mzml::ExportMzml;
using mzml::kAbsent;
using mzml::ScanHeaderBytes;
using mzml::ScanMetadata;
using mzml::StatsRecordBytes;

namespace {

ScanHeaderBytes Header(bool profile, bool negative, float minutes) {
    ScanHeaderBytes header{};
    header[0] = profile ? 1 : 0;
    header[4] = negative ? 1 : 0;
    const auto bits = std::bit_cast<std::uint32_t>(minutes);
    for (int i = 0; i < 4; ++i)
        header[static_cast<std::size_t>(8 + i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    return header;
}

HandMadeScan Scan(std::int32_t function, const ScanHeaderBytes& header,
                  const StatsRecordBytes& stats) {
    HandMadeScan scan;
    scan.function = function;
    scan.header = header;
    scan.masses = {100.25f, 200.5f, 300.75f};
    scan.intensities = {10, 4000000000u, 30};
    scan.peakBytes = {0, 0, 0};
    scan.stats = stats;
    return scan;
}

// A statistics record as the import writes it.
StatsRecordBytes Imported(std::uint32_t sourceIndex, double seconds, double precursorMz,
                          std::int32_t charge) {
    ScanMetadata scan;
    scan.sourceIndex = sourceIndex;
    scan.retentionSeconds = seconds;
    scan.totalIonCurrent = 1234.5;
    scan.basePeakMz = 200.5;
    scan.precursorMz = precursorMz;
    scan.precursorCharge = charge;
    scan.nativeId = "scan=" + std::to_string(sourceIndex);
    return EncodeStatsRecord(scan);
}

std::optional<double> NumberOf(const std::optional<std::string>& text) {
    return text ? std::optional<double>(std::stod(*text)) : std::nullopt;
}

class ExportMappingTest : public testing::Test {
  protected:
    std::vector<ExportedSpectrum> Export(const std::vector<HandMadeScan>& scans) {
        const std::string input = scratch_.Path("made.raw");
        output_ = scratch_.Path("made.mzML");
        WriteHandMade(input, scans);
        std::string error;
        EXPECT_TRUE(ExportMzml(input, output_, error)) << error;
        if (const auto complaints = SchemaComplaints(output_)) {
            EXPECT_EQ(*complaints, "");
        }
        return ReadSpectra(ReadFile(output_));
    }

    ScratchDir scratch_;
    std::string output_;
};

TEST_F(ExportMappingTest, AnImportedFileGoesBackInItsSourceOrder) {
    const auto spectra = Export({
        Scan(1, Header(true, false, 0), Imported(2, 30.5, kAbsent, 0)),
        Scan(1, Header(false, false, 0), Imported(0, 10.25, kAbsent, 0)),
        Scan(2, Header(false, true, 0), Imported(1, 20.0, 445.25, 2)),
    });
    ASSERT_EQ(spectra.size(), 3u);
    EXPECT_EQ(spectra[0].id, "function=1 scan=2");
    EXPECT_EQ(spectra[1].id, "function=2 scan=1");
    EXPECT_EQ(spectra[2].id, "function=1 scan=1");
    for (std::size_t i = 0; i < spectra.size(); ++i) {
        EXPECT_EQ(spectra[i].index, i);
    }
}

TEST_F(ExportMappingTest, MetadataComesFromTheImportedRecords) {
    const auto spectra = Export({
        Scan(1, Header(true, false, 0), Imported(0, 30.5, kAbsent, 0)),
        Scan(2, Header(false, true, 0), Imported(1, 20.0, 445.25, 2)),
        Scan(2, Header(false, false, 0), Imported(2, 21.0, 446.5, 0)),
    });
    ASSERT_EQ(spectra.size(), 3u);
    const std::string& ms1 = spectra[0].element;
    EXPECT_TRUE(CvParamValue(ms1, "MS:1000579"));  // MS1 spectrum
    EXPECT_TRUE(CvParamValue(ms1, "MS:1000128"));  // profile
    EXPECT_TRUE(CvParamValue(ms1, "MS:1000130"));  // positive
    EXPECT_EQ(NumberOf(CvParamValue(ms1, "MS:1000016")), 30.5);
    // The record's summary, not the peaks' (whose sum is 4000000040).
    EXPECT_EQ(NumberOf(CvParamValue(ms1, "MS:1000285")), 1234.5);
    EXPECT_EQ(NumberOf(CvParamValue(ms1, "MS:1000504")), 200.5);
    EXPECT_FALSE(CvParamValue(ms1, "MS:1000505"));  // absent from the record
    EXPECT_EQ(ms1.find("<precursorList"), std::string::npos);

    const std::string& ms2 = spectra[1].element;
    EXPECT_TRUE(CvParamValue(ms2, "MS:1000580"));  // MSn spectrum
    EXPECT_TRUE(CvParamValue(ms2, "MS:1000127"));  // centroid
    EXPECT_TRUE(CvParamValue(ms2, "MS:1000129"));  // negative
    EXPECT_EQ(CvParamValue(ms2, "MS:1000511"), "2");
    EXPECT_EQ(NumberOf(CvParamValue(ms2, "MS:1000744")), 445.25);
    EXPECT_EQ(CvParamValue(ms2, "MS:1000041"), "2");
    EXPECT_EQ(NumberOf(CvParamValue(spectra[2].element, "MS:1000744")), 446.5);
    EXPECT_FALSE(CvParamValue(spectra[2].element, "MS:1000041"));  // charge unknown
}

TEST_F(ExportMappingTest, OtherRecordsKeepFunctionOrderAndTakeTheHeaderTime) {
    const StatsRecordBytes foreign{};  // no magic: opaque statistics of another origin
    const auto spectra = Export({
        Scan(2, Header(false, false, 1.5f), Imported(0, 99.0, kAbsent, 0)),
        Scan(1, Header(false, false, -1.0f), foreign),
        Scan(1, Header(false, false, std::nanf("")), foreign),
    });
    ASSERT_EQ(spectra.size(), 3u);
    EXPECT_EQ(spectra[0].id, "function=1 scan=1");
    EXPECT_EQ(spectra[1].id, "function=1 scan=2");
    EXPECT_EQ(spectra[2].id, "function=2 scan=1");
    // Times no header can hold are left out rather than made up.
    EXPECT_FALSE(CvParamValue(spectra[0].element, "MS:1000016"));
    EXPECT_FALSE(CvParamValue(spectra[1].element, "MS:1000016"));
    // Summaries worked out from the peaks where the record has none of our layout.
    EXPECT_EQ(NumberOf(CvParamValue(spectra[0].element, "MS:1000285")), 4000000040.0);
    EXPECT_EQ(NumberOf(CvParamValue(spectra[0].element, "MS:1000504")), 200.5);
    EXPECT_EQ(NumberOf(CvParamValue(spectra[0].element, "MS:1000505")), 4000000000.0);
    EXPECT_EQ(NumberOf(CvParamValue(spectra[0].element, "MS:1000528")), 100.25);
    EXPECT_EQ(NumberOf(CvParamValue(spectra[0].element, "MS:1000527")), 300.75);
    // The function's own record is of our layout and says 99 s; the header's 1.5 min is not
    // used then.
    EXPECT_EQ(NumberOf(CvParamValue(spectra[2].element, "MS:1000016")), 99.0);
}

TEST_F(ExportMappingTest, HeaderTimeInMinutesBecomesSeconds) {
    const StatsRecordBytes foreign{};
    const auto spectra = Export({Scan(1, Header(false, false, 1.5f), foreign)});
    ASSERT_EQ(spectra.size(), 1u);
    EXPECT_EQ(NumberOf(CvParamValue(spectra[0].element, "MS:1000016")), 90.0);
}

TEST_F(ExportMappingTest, PeakBytesOnlyWhenAnyIsSet) {
    HandMadeScan with = Scan(1, Header(false, false, 0), Imported(0, 1, kAbsent, 0));
    with.peakBytes = {0, 255, 7};
    HandMadeScan without = Scan(1, Header(false, false, 0), Imported(1, 2, kAbsent, 0));
    const auto spectra = Export({with, without});
    ASSERT_EQ(spectra.size(), 2u);
    ASSERT_EQ(spectra[0].arrays.size(), 3u);
    EXPECT_EQ(spectra[0].arrays[2].values, (std::vector<double>{0, 255, 7}));
    EXPECT_EQ(spectra[1].arrays.size(), 2u);
}

// Names a file system allows but XML does not are made fit, and the document stays valid.
TEST(ExportFileNameTest, AnyInputNameGivesAValidDocument) {
    const char* names[] = {"2024 run #1 & more.raw", "caf\xE9.raw", "MS.raw", "IC1.raw",
                           "\xC3\xA9t\xC3\xA9 <x>.raw"};
    for (const char* name : names) {
        ScratchDir scratch;
        const std::string input = scratch.Path(name);
        WriteHandMade(input, {Scan(1, Header(false, false, 0), StatsRecordBytes{})});
        std::string error;
        ASSERT_TRUE(ExportMzml(input, scratch.Path("out.mzML"), error)) << error;
        if (const auto complaints = SchemaComplaints(scratch.Path("out.mzML"))) {
            EXPECT_EQ(*complaints, "") << name;
        }
    }
}

}  // namespace
