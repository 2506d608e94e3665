// brevanto-raw synth and info, through the built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"
#include "tests/tools/tool_runner.h"

namespace {

struct Expected {
    std::uint32_t functions = 2;
    std::uint32_t scans = 100;
    std::uint64_t peaksPerScan = 500;
    bool stats = true;
    bool ee = true;
    std::uint32_t analogChannels = 0;
    std::uint32_t analogPoints = 1000;
    std::uint32_t history = 0;
};

struct SynthCase {
    const char* name;
    std::vector<std::string> options;
    Expected expected;
};

TEST(RawToolSynthInfo, HonoursEveryCountAndSwitch) {
    const SynthCase cases[] = {
        {"defaults", {}, {}},
        {"counts",
         {"--functions", "3", "--scans", "4", "--peaks", "7"},
         {.functions = 3, .scans = 4, .peaksPerScan = 7}},
        {"no peaks", {"--scans", "5", "--peaks", "0"}, {.scans = 5, .peaksPerScan = 0}},
        {"no statistics",
         {"--scans", "3", "--peaks", "2", "--no-stats"},
         {.scans = 3, .peaksPerScan = 2, .stats = false}},
        {"no ee",
         {"--scans", "3", "--peaks", "2", "--no-ee"},
         {.scans = 3, .peaksPerScan = 2, .ee = false}},
        {"analog",
         {"--scans", "1", "--peaks", "1", "--analog", "3", "--points", "10"},
         {.scans = 1, .peaksPerScan = 1, .analogChannels = 3, .analogPoints = 10}},
        {"analog defaults",
         {"--scans", "1", "--peaks", "1", "--analog", "1"},
         {.scans = 1, .peaksPerScan = 1, .analogChannels = 1}},
        {"history, plus the library's record",
         {"--scans", "1", "--peaks", "1", "--history", "2"},
         {.scans = 1, .peaksPerScan = 1, .history = 3}},
        {"one function",
         {"--functions", "1", "--scans", "2", "--peaks", "3", "--seed=9"},
         {.functions = 1, .scans = 2, .peaksPerScan = 3}},
    };
    for (const SynthCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ScratchDir dir;
        const std::string path = dir.Path("a.raw");
        std::vector<std::string> args{"synth", path};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolResult synth = RunTool(args);
        ASSERT_EQ(synth.exitStatus, 0) << synth.err;

        const ToolResult info = RunTool({"info", path, "--json"});
        ASSERT_EQ(info.exitStatus, 0) << info.err;
        const nlohmann::json json = nlohmann::json::parse(info.out);
        const Expected& e = c.expected;
        ASSERT_EQ(json.at("functions").size(), e.functions);
        for (std::uint32_t f = 0; f < e.functions; ++f) {
            const nlohmann::json& function = json["functions"][f];
            EXPECT_EQ(function.at("function"), f + 1);
            EXPECT_EQ(function.at("scans"), e.scans);
            EXPECT_EQ(function.at("peaks"), e.scans * e.peaksPerScan);
            EXPECT_EQ(function.at("stats"), e.stats);
            EXPECT_EQ(function.at("ee"), e.ee);
        }
        ASSERT_EQ(json.at("analog").size(), e.analogChannels);
        for (std::uint32_t k = 0; k < e.analogChannels; ++k) {
            EXPECT_EQ(json["analog"][k].at("channel"), k);
            EXPECT_EQ(json["analog"][k].at("points"), e.analogPoints);
        }
        EXPECT_EQ(json.at("history"), e.history);
        EXPECT_EQ(json.at("complete"), true);
    }
}

TEST(RawToolSynthInfo, SameArgumentsSameBytesOtherSeedOtherBytes) {
    const ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    const std::vector<std::string> args{"synth",     path, "--functions",  "2", "--scans",  "5",
                                        "--peaks",   "40", "--analog",     "2", "--points", "9",
                                        "--history", "2",  "--companions", "2", "--seed",   "77"};
    ASSERT_EQ(RunTool(args).exitStatus, 0);
    const auto first = ReadTree(path);
    std::filesystem::remove_all(path);
    ASSERT_EQ(RunTool(args).exitStatus, 0);
    EXPECT_EQ(ReadTree(path), first);

    std::vector<std::string> otherSeed = args;
    otherSeed.back() = "78";
    std::filesystem::remove_all(path);
    ASSERT_EQ(RunTool(otherSeed).exitStatus, 0);
    const auto other = ReadTree(path);
    ASSERT_EQ(other.size(), first.size());
    std::size_t differing = 0;
    for (const auto& [name, bytes] : first) {
        if (other.at(name) != bytes) {
            ++differing;
        }
    }
    // Every function's data and the companions differ, not just one header field.
    EXPECT_GE(differing, first.size() - 2);
}

TEST(RawToolSynthInfo, WritesDistinctCompanionsBesideTheLibraryFiles) {
    const ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    const std::string bare = dir.Path("bare.raw");
    ASSERT_EQ(RunTool({"synth", bare, "--scans", "1", "--peaks", "1"}).exitStatus, 0);
    ASSERT_EQ(
        RunTool({"synth", path, "--scans", "1", "--peaks", "1", "--companions", "4"}).exitStatus,
        0);
    const auto libraryFiles = ReadTree(bare);
    const auto allFiles = ReadTree(path);
    ASSERT_EQ(allFiles.size(), libraryFiles.size() + 4);
    std::set<std::string> contents;
    for (const auto& [name, bytes] : allFiles) {
        if (!libraryFiles.contains(name)) {
            EXPECT_FALSE(bytes.empty()) << name;
            contents.insert(bytes);
        }
    }
    EXPECT_EQ(contents.size(), 4u);
    const ToolResult info = RunTool({"info", path});
    EXPECT_EQ(info.exitStatus, 0) << info.err;
}

TEST(RawToolSynthInfo, WithoutFunctions) {
    const ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    const ToolResult synth = RunTool({"synth", path, "--functions", "0"});
    if (synth.exitStatus != 0) {
        // The library may refuse an acquisition without functions; then it must say so.
        EXPECT_EQ(synth.exitStatus, 1);
        EXPECT_NE(synth.err.find(path), std::string::npos) << synth.err;
        return;
    }
    const ToolResult info = RunTool({"info", path, "--json"});
    ASSERT_EQ(info.exitStatus, 0) << info.err;
    EXPECT_TRUE(nlohmann::json::parse(info.out).at("functions").empty());
    EXPECT_EQ(RunTool({"verify", path}).exitStatus, 0);
}

TEST(RawToolSynthInfo, TextSummary) {
    const ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    ASSERT_EQ(RunTool({"synth", path, "--functions", "1", "--scans", "3", "--peaks", "4", "--no-ee",
                       "--analog", "1", "--points", "5", "--history", "1"})
                  .exitStatus,
              0);
    const ToolResult info = RunTool({"info", path});
    ASSERT_EQ(info.exitStatus, 0) << info.err;
    EXPECT_EQ(info.out,
              path +
                  ": complete\n"
                  "function 1: 3 scans, 12 peaks, statistics yes, extended experiment no\n"
                  "analog channel 0: 5 points\n"
                  "history: 2 records\n");
}

}  // namespace
