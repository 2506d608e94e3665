// Usage errors: status 2, a message saying what is wrong, the usage text, and no file made.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"
#include "tests/tools/tool_runner.h"

namespace {

struct UsageCase {
    std::vector<std::string> args;  // "OUT" stands for a path in the scratch directory
    const char* message;
};

TEST(RawToolUsage, RefusesBadCommandLines) {
    const UsageCase cases[] = {
        {{}, "missing command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"synth"}, "missing the path"},
        {{"synth", "OUT", "--scans"}, "--scans needs a value"},
        {{"synth", "OUT", "--scans", "many"}, "--scans needs a whole number"},
        {{"synth", "OUT", "--peaks", "-1"}, "--peaks needs a whole number"},
        {{"synth", "OUT", "--functions", "65536"},
         "--functions needs a whole number from 0 to 65535"},
        {{"synth", "OUT", "--history", "65535"}, "--history needs a whole number from 0 to 65534"},
        {{"synth", "OUT", "--seed", "18446744073709551616"}, "--seed needs a whole number"},
        {{"synth", "OUT", "--no-stats", "--no-stats"}, "given twice"},
        {{"synth", "OUT", "--json"}, "unknown option '--json'"},
        {{"info", "OUT", "--function", "1"}, "unknown option '--function'"},
        {{"dump", "OUT", "--function", "0"}, "functions are numbered from 1"},
        {{"dump", "OUT", "--function", "x"}, "--function needs a whole number"},
        {{"verify", "OUT", "OUT"}, "unexpected argument"},
        {{"verify"}, "missing the path"},
    };
    const ScratchDir dir;
    const std::string out = dir.Path("out.raw");
    for (const UsageCase& c : cases) {
        std::vector<std::string> args = c.args;
        std::string shown;
        for (std::string& arg : args) {
            shown += " " + arg;
            arg = arg == "OUT" ? out : arg;
        }
        const ToolResult result = RunTool(args);
        EXPECT_EQ(result.exitStatus, 2) << shown;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << shown << ": " << result.err;
        EXPECT_NE(result.err.find("usage: brevanto-raw synth"), std::string::npos) << shown;
        EXPECT_FALSE(std::filesystem::exists(out)) << shown;
    }
}

TEST(RawToolUsage, HelpGoesToStandardOutput) {
    const ToolResult help = RunTool({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind("usage: brevanto-raw synth", 0), 0u) << help.out;
}

}  // namespace
