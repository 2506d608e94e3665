// One run over a mixed list (a raw data file, mzML, gzipped mzML, mzXML) through CFilterJob
// with the open-format route plugged in, as the dialog runs it: the outputs are those
// brevanto-batch writes for the same inputs, a failing open-format input stops the run with
// its details, and the progress steps through each input by its own measure.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "mzml/open_format_route.h"
#include "params/rule_text.h"
#include "processing/filter_job.h"
#include "rawsynth/synth_acquisition.h"
#include "tests/support/command_runner.h"
#include "tests/support/file_contents.h"

namespace fs = std::filesystem;

namespace {

struct StepCount final : public processing::RunProgress {
    std::vector<std::string> files;
    std::vector<std::uint16_t> ranges;
    std::vector<int> steps;
    void Show() override {}
    void SetCurrentFile(const std::string& path) override {
        files.push_back(path);
        steps.push_back(0);
    }
    void SetRange(std::uint16_t count) override { ranges.push_back(count); }
    void Step() override { ++steps.back(); }
    void Hide() override {}
};

class MixedRun : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* shared = std::getenv("BREVANTO_SHARED_DATA");
        data = shared != nullptr ? fs::path(shared) : fs::path();
        for (const char* name : {"tiny.pwiz.1.1.mzML", "example.mzML.gz", "dummyiTRAQ.mzXML"}) {
            if (data.empty() || !fs::exists(data / name)) {
                GTEST_SKIP() << name << " not found (BREVANTO_SHARED_DATA)";
            }
        }
        root = fs::path(::testing::TempDir()) / ("mixed_run_" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* side : {"job", "batch"}) {
            fs::create_directories(root / side);
            rawsynth::SynthOptions options;
            options.functions = 2;
            options.scans = 6;
            options.peaks = 200;
            ASSERT_EQ(rawsynth::SynthesizeAcquisition((root / side / "run.raw").string(), options),
                      kRawOk);
            fs::copy_file(data / "tiny.pwiz.1.1.mzML", root / side / "tiny.mzML");
            fs::copy_file(data / "example.mzML.gz", root / side / "example.mzML.gz");
            fs::copy_file(data / "dummyiTRAQ.mzXML", root / side / "itraq.mzXML");
        }
        for (const char* text : {"1:100:2000:0.3:250:250", "2:100:2000:0.2:200:200"}) {
            params::CMassRange rule;
            std::string error;
            ASSERT_TRUE(params::ParseRule(text, rule, error)) << error;
            rules.AddEntry(rule);
            ruleArguments += std::string(" --rule ") + text;
        }
    }
    void TearDown() override {
        if (!root.empty())
            fs::remove_all(root);
    }

    std::vector<std::string> Inputs(const char* side) const {
        return {(root / side / "run.raw").string(), (root / side / "tiny.mzML").string(),
                (root / side / "example.mzML.gz").string(), (root / side / "itraq.mzXML").string()};
    }

    fs::path data, root;
    params::CMassRangeList rules;
    std::string ruleArguments;
};

TEST_F(MixedRun, OutputsAreThoseOfTheCommandLine) {
    // The mzXML sample's own checksum is stale; both sides are told to take it.
    const mzml::OpenFormatRoute route(mzml::OpenFormatOptions{true, nullptr});
    StepCount progress;
    processing::CFilterJob job(&rules);
    job.SetFormatRoute(&route);
    job.SetFileList(Inputs("job"));
    job.SetSuffix("_BRV");
    job.SetProgress(&progress);
    ASSERT_TRUE(job.Run()) << job.GetFailure().Describe();
    ASSERT_EQ(job.GetSummaries().size(), 4u);
    EXPECT_EQ(job.GetSummaries()[3].output, (root / "job" / "itraq_BRV.mzXML").string());

    std::string command =
        std::string(BREVANTO_BATCH) + " --quiet --ignore-checksums" + ruleArguments;
    for (const std::string& input : Inputs("batch"))
        command += " '" + input + "'";
    const CommandResult batch = RunCommand(command);
    ASSERT_EQ(batch.exitStatus, 0) << command << "\n" << batch.err;

    std::map<std::string, std::string> ours = ReadTree((root / "job").string());
    std::map<std::string, std::string> theirs = ReadTree((root / "batch").string());
    for (const char* output :
         {"run_BRV.raw", "tiny_BRV.mzML", "example_BRV.mzML.gz", "itraq_BRV.mzXML"}) {
        EXPECT_TRUE(fs::exists(root / "job" / output)) << output;
    }
    ASSERT_EQ(ours.size(), theirs.size());
    for (const auto& [name, bytes] : ours) {
        EXPECT_TRUE(theirs.count(name) == 1 && theirs[name] == bytes) << name << " differs";
    }

    // The raw data file steps by functions, each open-format file by hundredths of it.
    ASSERT_EQ(progress.ranges.size(), 4u);
    EXPECT_EQ(progress.ranges[0], 2);
    EXPECT_EQ(progress.steps[0], 2);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(progress.ranges[i], mzml::kOpenFormatSteps) << progress.files[i];
        EXPECT_EQ(progress.steps[i], mzml::kOpenFormatSteps) << progress.files[i];
    }
}

TEST_F(MixedRun, AFailingOpenFormatInputStopsTheRunWithItsDetails) {
    // A cut mzML second in the list: the raw data file before it is finished, the files after
    // it are not touched, and the failure says which file, which step and why.
    const std::string whole = ReadFile(root / "job" / "tiny.mzML");
    {
        std::ofstream cut(root / "job" / "tiny.mzML", std::ios::binary | std::ios::trunc);
        cut << whole.substr(0, whole.size() / 2);
    }
    const mzml::OpenFormatRoute route;  // checksums checked
    processing::CFilterJob job(&rules);
    job.SetFormatRoute(&route);
    job.SetFileList(Inputs("job"));
    job.SetSuffix("_BRV");
    EXPECT_FALSE(job.Run());
    const processing::RunFailure& failure = job.GetFailure();
    EXPECT_EQ(failure.input, (root / "job" / "tiny.mzML").string());
    EXPECT_EQ(failure.operation, "filtering");
    EXPECT_NE(failure.text.find("tiny.mzML: the file is truncated"), std::string::npos)
        << failure.text;
    EXPECT_NE(failure.Describe().find("truncated"), std::string::npos) << failure.Describe();
    EXPECT_EQ(job.GetSummaries().size(), 1u);
    EXPECT_TRUE(fs::exists(root / "job" / "run_BRV.raw"));
    EXPECT_FALSE(fs::exists(root / "job" / "tiny_BRV.mzML"));
    EXPECT_FALSE(fs::exists(root / "job" / "example_BRV.mzML.gz"));
    // Nothing beside the outputs but the inputs and the one finished output.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root / "job"))
        ++entries;
    EXPECT_EQ(entries, 5u);
}

TEST_F(MixedRun, ContentDecidesTheRouteAndTheOutputKeepsTheFormat) {
    // An mzML under a name that says nothing is still filtered as mzML; a raw data directory
    // is never taken by the open-format route.
    fs::copy_file(root / "job" / "tiny.mzML", root / "job" / "acquisition.data");
    const mzml::OpenFormatRoute route;
    EXPECT_TRUE(route.Takes((root / "job" / "acquisition.data").string()));
    EXPECT_FALSE(route.Takes((root / "job" / "run.raw").string()));
    EXPECT_TRUE(route.Takes((root / "job" / "ABSENT.MZXML.GZ").string()));
    EXPECT_EQ(processing::OutputPathOf((root / "job" / "x.mzML.gz").string(), "_BRV", &route),
              (root / "job" / "x_BRV.mzML.gz").string());
    EXPECT_EQ(processing::OutputPathOf((root / "job" / "x.mzXML").string(), "_BRV", &route),
              (root / "job" / "x_BRV.mzXML").string());
    EXPECT_EQ(processing::OutputPathOf((root / "job" / "run.raw/").string(), "_BRV", &route),
              (root / "job" / "run_BRV.raw").string());

    processing::CFilterJob job(&rules);
    job.SetFormatRoute(&route);
    job.SetFileList(std::vector<std::string>{(root / "job" / "acquisition.data").string()});
    job.SetSuffix("_BRV");
    ASSERT_TRUE(job.Run()) << job.GetFailure().Describe();
    const std::string output = ReadFile(root / "job" / "acquisition_BRV.data");
    EXPECT_NE(output.find("<indexedmzML"), std::string::npos);
    EXPECT_NE(output.find("Brevanto rule"), std::string::npos);
}

}  // namespace
