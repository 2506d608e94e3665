// brevanto-raw dump, through the built program, against what the generator made.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "rawsynth/synth_scan.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"
#include "tests/tools/tool_runner.h"

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

std::string Hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::string Mass9(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// Checks the dump of `functions` (in order) line by line against the generator.
void ExpectDumpOf(const std::string& dump, const rawsynth::SynthOptions& options,
                  const std::vector<std::uint32_t>& functions) {
    std::istringstream lines(dump);
    std::string line;
    rawsynth::SynthScan want;
    for (const std::uint32_t f : functions) {
        for (std::uint32_t s = 1; s <= options.scans; ++s) {
            rawsynth::GenerateSynthScan(options, f, s, want);
            ASSERT_TRUE(std::getline(lines, line)) << "function " << f << ", scan " << s;
            std::vector<std::string> expected{"scan", std::to_string(f), std::to_string(s),
                                              std::to_string(options.peaks)};
            for (const std::uint32_t word : want.header) {
                expected.push_back(std::to_string(word));
            }
            ASSERT_EQ(SplitTabs(line), expected) << line;
            for (std::uint32_t i = 0; i < options.peaks; ++i) {
                ASSERT_TRUE(std::getline(lines, line));
                const std::vector<std::string> fields = SplitTabs(line);
                ASSERT_EQ(fields.size(), 6u) << line;
                EXPECT_EQ(fields[0], "peak");
                EXPECT_EQ(fields[1], std::to_string(f));
                EXPECT_EQ(fields[2], std::to_string(s));
                EXPECT_EQ(fields[3], Mass9(want.masses[i])) << line;
                EXPECT_EQ(std::strtof(fields[3].c_str(), nullptr), want.masses[i]) << line;
                EXPECT_EQ(fields[4], Hex8(want.intensities[i])) << line;
                EXPECT_EQ(fields[5], std::to_string(want.peakBytes[i])) << line;
            }
        }
    }
    EXPECT_FALSE(std::getline(lines, line)) << "unexpected line: " << line;
}

TEST(RawToolDump, WritesEveryScanAndPeakExactly) {
    struct Case {
        const char* name;
        std::uint32_t peaks;
        std::vector<std::string> extra;
        std::vector<std::uint32_t> functions;
    };
    const Case cases[] = {
        {"every function", 60, {}, {1, 2, 3}},
        {"one function", 60, {"--function", "2"}, {2}},
        {"empty scans", 0, {}, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScratchDir dir;
        const std::string path = dir.Path("a.raw");
        rawsynth::SynthOptions options{.functions = 3, .scans = 4, .peaks = c.peaks, .seed = 5};
        ASSERT_EQ(RunTool({"synth", path, "--functions", "3", "--scans", "4", "--peaks",
                           std::to_string(c.peaks), "--seed", "5"})
                      .exitStatus,
                  0);
        std::vector<std::string> args{"dump", path};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const ToolResult dump = RunTool(args);
        ASSERT_EQ(dump.exitStatus, 0) << dump.err;
        EXPECT_EQ(dump.err, "");
        ExpectDumpOf(dump.out, options, c.functions);
    }
}

TEST(RawToolDump, RefusesAFunctionTheFileDoesNotHave) {
    const ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    ASSERT_EQ(RunTool({"synth", path, "--scans", "1", "--peaks", "1"}).exitStatus, 0);
    const ToolResult dump = RunTool({"dump", path, "--function", "3"});
    EXPECT_EQ(dump.exitStatus, 1);
    EXPECT_EQ(dump.out, "");
    EXPECT_NE(dump.err.find(path + ": there is no function 3 (the file has 2)"), std::string::npos)
        << dump.err;
}

}  // namespace
