#include <gtest/gtest.h>

#include "mzml/raw_conversion.h"
#include "rawsynth/synth_acquisition.h"
#include "tests/mzml_export/export_cases.h"
#include "tests/mzml_export/external_checks.h"

namespace {

class IndependentChecksTest : public testing::TestWithParam<ExportCase> {
  protected:
    void SetUp() override {
        const std::string input = scratch_.Path("acquisition.raw");
        output_ = scratch_.Path("acquisition.mzML");
        ASSERT_EQ(rawsynth::SynthesizeAcquisition(input, GetParam().options), kRawOk);
        std::string error;
        ASSERT_TRUE(mzml::ExportMzml(input, output_, error)) << error;
    }

    ScratchDir scratch_;
    std::string output_;
};

TEST_P(IndependentChecksTest, ValidatesAgainstTheIndexedSchema) {
    const auto complaints = SchemaComplaints(output_);
    if (!complaints) {
        GTEST_SKIP() << "xmllint or the indexed mzML schema is not installed";
    }
    EXPECT_EQ(*complaints, "");
}

TEST_P(IndependentChecksTest, OpenMsCountsTheSpectraAndPeaks) {
    const auto counts = FileInfoOf(output_);
    if (!counts) {
        GTEST_SKIP() << "OpenMS FileInfo is not installed";
    }
    const rawsynth::SynthOptions& o = GetParam().options;
    EXPECT_EQ(counts->spectra, static_cast<long>(o.functions * o.scans)) << counts->output;
    EXPECT_EQ(counts->peaks, static_cast<long>(o.functions * o.scans * o.peaks)) << counts->output;
}

INSTANTIATE_TEST_SUITE_P(Synthesized, IndependentChecksTest, testing::ValuesIn(ExportCases()),
                         ExportCaseName);

}  // namespace
