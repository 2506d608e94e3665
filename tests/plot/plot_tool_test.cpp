#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>

#include "rawsynth/synth_acquisition.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"
#include "tests/tools/tool_runner.h"

namespace {

TEST(PlotTool, VersionHelpAndUsageErrors) {
    ToolResult version = RunTool({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, std::string("brevanto-plot ") + BREVANTO_VERSION + "\n");
    ToolResult help = RunTool({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("--kendrick"), std::string::npos);

    const struct {
        std::vector<std::string> args;
        const char* says;
    } usage[] = {
        {{"x.raw"}, "--output is required"},
        {{"-o", "p.png"}, "INPUT is required"},
        {{"x.raw", "-o", "p.gif"}, "must end in .png or .svg"},
        {{"x.raw", "-o", "p.png", "--rule", "1:2:3"}, "rule '1:2:3'"},
        {{"x.raw", "-o", "p.png", "--mass", "800:200"}, "--mass '800:200'"},
        {{"x.raw", "-o", "p.png", "--mass", "a:b"}, "LOW:HIGH"},
        {{"x.raw", "-o", "p.png", "--size", "100x100"}, "--size '100x100'"},
        {{"x.raw", "-o", "p.png", "--weight", "area"}, "area"},
        {{"x.raw", "-o", "p.png", "--kendrick", "CQ2"}, "unknown element \"Q\""},
        {{"x.raw", "-o", "p.png", "--function", "0"}, "--function"},
        {{"x.raw", "-o", "p.png", "--rules", "/nonexistent/rules"}, "/nonexistent/rules"},
        {{"x.raw", "-o", "p.png", "--bogus"}, "--bogus"},
    };
    for (const auto& c : usage) {
        const ToolResult r = RunTool(c.args);
        EXPECT_EQ(r.exitStatus, 2) << c.says << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST(PlotTool, DrawsARawDataFileAndSaysWhatItDrew) {
    ScratchDir dir;
    const std::string raw = dir.Path("run.raw");
    rawsynth::SynthOptions synth;
    synth.functions = 2;
    synth.scans = 5;
    synth.peaks = 200;
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(raw, synth), kRawOk);
    WriteFile(dir.Path("rules.txt"), "# sample\n2:100:900:0.3:50:50\n");
    const std::string png = dir.Path("run.png");
    const ToolResult r = RunTool({raw, "--function", "2", "--rules", dir.Path("rules.txt"),
                                  "--size", "800x600", "--weight", "intensity", "-o", png});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out.rfind("run.raw, function 2: 1,000 peaks, ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" kept -> " + png), std::string::npos) << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(800, 600));

    // The input may come after the options, a rule's included.
    const ToolResult after = RunTool({"--rule", "2:100:900:0.3:50:50", "--rule",
                                      "2:100:900:0.7:50:50", raw, "--function", "2", "-o", png});
    ASSERT_EQ(after.exitStatus, 0) << after.err;

    const std::string svg = dir.Path("run.svg");
    const ToolResult k = RunTool(
        {raw, "--kendrick", "CH2", "--rule", "1:0:1000:0.2:10:10", "--mass", "0:2000", "-o", svg});
    ASSERT_EQ(k.exitStatus, 0) << k.err;
    EXPECT_NE(k.err.find("mass-defect view only"), std::string::npos) << k.err;
    EXPECT_TRUE(std::filesystem::file_size(svg) > 0);
}

TEST(PlotTool, AnInputThatFailsExitsWithOneNamingIt) {
    ScratchDir dir;
    const std::string raw = dir.Path("run.raw");
    rawsynth::SynthOptions synth;
    synth.functions = 1;
    synth.scans = 1;
    synth.peaks = 5;
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(raw, synth), kRawOk);
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{raw, "--function", "2", "-o", dir.Path("a.png")}, raw + ": there is no function 2"},
        {{dir.Path("gone.mzML"), "-o", dir.Path("a.png")}, dir.Path("gone.mzML")},
        {{raw, "-o", dir.Path("no/such/dir/a.png")}, dir.Path("no/such/dir/a.png")},
    };
    for (const auto& c : cases) {
        const ToolResult r = RunTool(c.args);
        EXPECT_EQ(r.exitStatus, 1) << c.says;
        EXPECT_EQ(r.err.rfind("brevanto-plot: " + c.says, 0), 0u) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

}  // namespace
