#include "plot/acquisition_plot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "mzml/open_format_filter.h"
#include "processing/raw_read_file.h"
#include "rawsynth/synth_acquisition.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"

using mzml::FilterOpenFormatFile;
using mzml::OpenFormatOptions;
using params::CMassRangeList;
using params::MakeMassRange;
using plot::AcquisitionPlot;
using plot::BinAcquisition;
using plot::PlotRequest;
using plot::PlotSummary;
using processing::FileRunSummary;
using processing::FilterPeaks;
using processing::FunctionSummary;

namespace {

std::string SharedData(const std::string& name) {
    const char* dir = std::getenv("BREVANTO_SHARED_DATA");
    return dir == nullptr ? std::string() : std::string(dir) + "/" + name;
}

CMassRangeList SampleRules() {
    CMassRangeList rules;
    rules.AddEntry(MakeMassRange(1, 300, 1500, 0.2, 100, 100));
    rules.AddEntry(MakeMassRange(1, 400, 800, 0.95, 100, 100));  // wraps
    rules.AddEntry(MakeMassRange(1, 100, 2000, 0.5, 900, 700));  // wider than 1 Da
    return rules;
}

PlotRequest Request(const std::string& path, std::int32_t function, const CMassRangeList& rules) {
    PlotRequest request;
    request.path = path;
    request.function = function;
    request.rules = rules;
    request.grid.columns = 200;
    request.grid.rows = 100;
    return request;
}

TEST(AcquisitionPlot, ARawDataFileSplitsAsTheFilterDoes) {
    ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    rawsynth::SynthOptions synth;
    synth.functions = 2;
    synth.scans = 20;
    synth.peaks = 300;
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(path, synth), kRawOk);
    CMassRangeList rules = SampleRules();
    rules.AddEntry(MakeMassRange(2, 0, 100000, 0.3, 50, 50));

    for (std::int32_t function : {1, 2}) {
        // The reference: every scan read directly and filtered by the filter's own step.
        processing::RawReadFile file;
        std::string step;
        ASSERT_EQ(file.Open(path, step), kRawOk) << step;
        std::uint32_t scans = 0;
        ASSERT_EQ(processing::BeginFunction(file, function, scans, step), kRawOk) << step;
        std::uint64_t read = 0;
        std::uint64_t kept = 0;
        processing::ScanPeaks peaks;
        for (std::uint32_t s = 1; s <= scans; ++s) {
            ASSERT_EQ(processing::ReadScanPeaks(file.Handle(), function,
                                                static_cast<std::int32_t>(s), peaks),
                      kRawOk);
            std::vector<float> km(peaks.count);
            std::vector<std::uint32_t> ki(peaks.count);
            std::vector<std::uint8_t> kb(peaks.count);
            kept += FilterPeaks(function, rules, peaks.count, peaks.masses.data(),
                                peaks.intensities.data(), peaks.peakBytes.data(), km.data(),
                                ki.data(), kb.data());
            read += peaks.count;
        }

        AcquisitionPlot plot;
        std::string error;
        ASSERT_TRUE(BinAcquisition(Request(path, function, rules), plot, error)) << error;
        EXPECT_EQ(plot.scans, scans) << "function " << function;
        EXPECT_EQ(plot.histogram->PeaksRead(), read) << "function " << function;
        EXPECT_EQ(plot.histogram->PeaksKept(), kept) << "function " << function;
        EXPECT_GT(kept, 0u);
        EXPECT_LT(kept, read);
    }
}

TEST(AcquisitionPlot, AnOpenFormatFileSplitsAsItsFilteredCopyCounts) {
    for (const char* name : {"example.mzML", "example.mzML.gz", "tiny.pwiz.1.1.mzML"}) {
        const std::string path = SharedData(name);
        if (path.empty() || !std::filesystem::exists(path)) {
            GTEST_SKIP() << "no shared data";
        }
        ScratchDir dir;
        FileRunSummary summary;
        std::string error;
        OpenFormatOptions options;
        options.warn = [](const std::string&) {};
        ASSERT_TRUE(FilterOpenFormatFile(path, dir.Path(std::string("out_") + name), SampleRules(),
                                         nullptr, summary, error, options))
            << error;
        const auto level = std::find_if(summary.functions.begin(), summary.functions.end(),
                                        [](const FunctionSummary& f) { return f.function == 1; });
        ASSERT_NE(level, summary.functions.end()) << name;

        AcquisitionPlot plot;
        PlotRequest request = Request(path, 1, SampleRules());
        request.read.warn = [](const std::string&) {};
        ASSERT_TRUE(BinAcquisition(request, plot, error)) << error;
        EXPECT_EQ(plot.histogram->PeaksRead(), level->peaksRead) << name;
        EXPECT_EQ(plot.histogram->PeaksKept(), level->peaksKept) << name;
        EXPECT_EQ(plot.scans, level->scans) << name;
    }
}

TEST(AcquisitionPlot, FailuresNameTheFileAndWhatWentWrong) {
    ScratchDir dir;
    const std::string raw = dir.Path("a.raw");
    rawsynth::SynthOptions synth;
    synth.functions = 2;
    synth.scans = 2;
    synth.peaks = 10;
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(raw, synth), kRawOk);
    WriteFile(dir.Path("notes.txt"), "not a spectrum\n");
    WriteFile(dir.Path("cut.mzML"), "<?xml version=\"1.0\"?>\n<mzML><run><spectrumList>");
    std::filesystem::create_directory(dir.Path("empty.raw"));
    const struct {
        std::string path;
        std::int32_t function;
        const char* says;
    } cases[] = {
        {raw, 3, "there is no function 3 (the file has 1 to 2)"},
        {dir.Path("missing.mzML"), 1, "no such file or directory"},
        {dir.Path("notes.txt"), 1, "neither a raw data file"},
        {dir.Path("cut.mzML"), 1, "cut.mzML"},
        {dir.Path("empty.raw"), 1, "empty.raw"},
    };
    for (const auto& c : cases) {
        AcquisitionPlot plot;
        std::string error;
        EXPECT_FALSE(BinAcquisition(Request(c.path, c.function, CMassRangeList{}), plot, error))
            << c.path;
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    const std::string mzml = SharedData("example.mzML");
    if (!mzml.empty() && std::filesystem::exists(mzml)) {
        AcquisitionPlot plot;
        std::string error;
        PlotRequest request = Request(mzml, 2, CMassRangeList{});
        request.read.warn = [](const std::string&) {};
        EXPECT_FALSE(BinAcquisition(request, plot, error));
        EXPECT_NE(error.find("no spectra of MS level 2 (the file has levels 1)"), std::string::npos)
            << error;
    }
}

TEST(AcquisitionPlot, TheSummaryGivesTheFileTheFunctionAndTheCounts) {
    ScratchDir dir;
    const std::string raw = dir.Path("sample.raw");
    rawsynth::SynthOptions synth;
    synth.functions = 1;
    synth.scans = 1;
    synth.peaks = 1500;
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(raw, synth), kRawOk);
    AcquisitionPlot plot;
    std::string error;
    ASSERT_TRUE(BinAcquisition(Request(raw + "/", 1, CMassRangeList{}), plot, error)) << error;
    EXPECT_EQ(PlotSummary(plot), "sample.raw, function 1: 1,500 peaks, no rules: all kept");
    ASSERT_TRUE(BinAcquisition(Request(raw, 1, SampleRules()), plot, error)) << error;
    EXPECT_EQ(PlotSummary(plot).rfind("sample.raw, function 1: 1,500 peaks, ", 0), 0u)
        << PlotSummary(plot);
    EXPECT_NE(PlotSummary(plot).find(" kept"), std::string::npos);
}

}  // namespace
