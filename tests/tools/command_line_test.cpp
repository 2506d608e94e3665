#include "tools/raw/command_line.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const OptionNames kNames{{"scans", "seed"}, {"json"}};

struct ParseCase {
    const char* name;
    std::vector<std::string_view> args;
    bool ok;
    const char* errorPart;  // for failures
};

TEST(ParseCommandLine, AcceptsAndRefuses) {
    const ParseCase cases[] = {
        {"path only", {"a.raw"}, true, ""},
        {"value after name", {"a.raw", "--scans", "5"}, true, ""},
        {"inline value", {"--scans=5", "a.raw"}, true, ""},
        {"switch", {"a.raw", "--json"}, true, ""},
        {"empty inline value kept", {"a.raw", "--seed="}, true, ""},
        {"missing path", {"--json"}, false, "missing the path"},
        {"two paths", {"a.raw", "b.raw"}, false, "unexpected argument 'b.raw'"},
        {"unknown option", {"a.raw", "--frobnicate"}, false, "unknown option '--frobnicate'"},
        {"missing value", {"a.raw", "--scans"}, false, "--scans needs a value"},
        {"repeated value", {"a.raw", "--scans", "1", "--scans", "2"}, false, "given twice"},
        {"repeated switch", {"a.raw", "--json", "--json"}, false, "given twice"},
        {"switch with value", {"a.raw", "--json=1"}, false, "unknown option"},
    };
    for (const ParseCase& c : cases) {
        CommandLine line;
        std::string error;
        EXPECT_EQ(ParseCommandLine(c.args, kNames, line, error), c.ok) << c.name << ": " << error;
        if (c.ok) {
            EXPECT_EQ(line.path, "a.raw") << c.name;
        } else {
            EXPECT_NE(error.find(c.errorPart), std::string::npos) << c.name << ": " << error;
        }
    }
}

struct NumberCase {
    const char* text;
    std::uint64_t max;
    bool ok;
    std::uint64_t value;
};

TEST(ReadNumberOption, TakesOnlyWholeNumbersInRange) {
    constexpr auto kMax64 = std::numeric_limits<std::uint64_t>::max();
    const NumberCase cases[] = {
        {"0", 10, true, 0},
        {"10", 10, true, 10},
        {"11", 10, false, 0},
        {"-1", 10, false, 0},
        {"+1", 10, false, 0},
        {"1x", 10, false, 0},
        {"", 10, false, 0},
        {" 1", 10, false, 0},
        {"0x10", 100, false, 0},
        {"18446744073709551615", kMax64, true, kMax64},
        {"18446744073709551616", kMax64, false, 0},
    };
    for (const NumberCase& c : cases) {
        CommandLine line;
        line.values["scans"] = c.text;
        std::uint64_t value = 7;
        std::string error;
        EXPECT_EQ(ReadNumberOption(line, "scans", c.max, value, error), c.ok)
            << "'" << c.text << "'";
        EXPECT_EQ(value, c.ok ? c.value : 7u) << "'" << c.text << "'";
        if (!c.ok) {
            EXPECT_NE(error.find("--scans"), std::string::npos) << error;
        }
    }
    CommandLine absent;
    std::uint64_t value = 7;
    std::string error;
    EXPECT_TRUE(ReadNumberOption(absent, "scans", 10, value, error));
    EXPECT_EQ(value, 7u);
}

TEST(ParseCommandLine, DoubleDashHelpAndTwoPaths) {
    struct Case {
        const char* name;
        std::vector<std::string_view> args;
        std::size_t paths;
        bool ok;
        std::vector<std::string> expected;  // the paths, or the error's start
    };
    const Case cases[] = {
        {"dash path after --", {"--", "-a.raw"}, 1, true, {"-a.raw"}},
        {"option name after --", {"--json", "--", "--json"}, 1, true, {"--json"}},
        {"input and output", {"in.mzML", "--json", "out.raw"}, 2, true, {"in.mzML", "out.raw"}},
        {"one of two", {"in.mzML"}, 2, false, {"needs 2 paths"}},
        {"three of two", {"a", "b", "c"}, 2, false, {"unexpected argument 'c'"}},
        {"empty inline value is no path", {"--seed=", "a.raw"}, 1, true, {"a.raw"}},
    };
    for (const Case& c : cases) {
        OptionNames names = kNames;
        names.paths = c.paths;
        CommandLine line;
        std::string error;
        ASSERT_EQ(ParseCommandLine(c.args, names, line, error), c.ok) << c.name << ": " << error;
        if (c.ok) {
            EXPECT_EQ(line.paths, c.expected) << c.name;
            EXPECT_EQ(line.path, c.expected.front()) << c.name;
        } else {
            EXPECT_EQ(error.rfind(c.expected.front(), 0), 0u) << c.name << ": " << error;
        }
    }
    CommandLine empty;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--seed=", "a.raw"}, kNames, empty, error)) << error;
    EXPECT_EQ(empty.values.at("seed"), "");
}

TEST(ParseCommandLine, HelpListsTheOptionsAndNeedsNoPath) {
    OptionNames names = kNames;
    names.command = "brevanto-raw synth";
    names.description = "brevanto-raw synth OUT.raw";
    CommandLine line;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--help"}, names, line, error)) << error;
    EXPECT_TRUE(line.help);
    for (const char* part : {"brevanto-raw synth OUT.raw", "--scans", "--seed", "--json"}) {
        EXPECT_NE(line.helpText.find(part), std::string::npos) << part << "\n" << line.helpText;
    }
}

}  // namespace
