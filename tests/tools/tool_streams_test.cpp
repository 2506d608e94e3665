// What each program writes where: what was asked for (summaries, help, version, reports) on
// standard output, so that it can be piped; warnings, failures and usage errors on standard
// error. The real programs are run with their streams apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"
#include "tests/tools/tool_runner.h"

namespace {

enum class Stream { kEmpty, kOut, kErr };

struct StreamCase {
    const char* program;            // BREVANTO_RAW_TOOL or BREVANTO_BATCH
    std::vector<std::string> args;  // "IN" is a small acquisition, "MISSING" a path that is not
    int status;
    const char* out;  // expected in standard output; nullptr: standard output stays empty
    const char* err;  // expected in standard error; nullptr: standard error stays empty
};

TEST(ToolStreams, SummariesOnStandardOutputDiagnosticsOnStandardError) {
    const char* raw = BREVANTO_RAW_TOOL;
    const char* batch = BREVANTO_BATCH;
    const std::string keep = "1:0:2000:0.1:400:400";
    const std::string keepNothing = "1:500:100:0.1:1:1";
    const StreamCase cases[] = {
        {raw, {"--version"}, 0, "brevanto-raw " BREVANTO_PROJECT_VERSION "\n", nullptr},
        {batch, {"--version"}, 0, "brevanto-batch " BREVANTO_PROJECT_VERSION "\n", nullptr},
        {raw, {"--help"}, 0, "Exit status: 0 done", nullptr},
        {raw, {"help"}, 0, "usage: brevanto-raw synth", nullptr},
        {raw, {"synth", "--help"}, 0, "--companions", nullptr},
        {raw, {"dump", "-h"}, 0, "brevanto-raw dump FILE.raw", nullptr},
        {batch, {"--help"}, 0, "--keep-going", nullptr},
        {batch, {"-h"}, 0, "Exit status: 0 done", nullptr},
        {raw, {"info"}, 2, nullptr, "missing the path"},
        {raw, {"frobnicate"}, 2, nullptr, "unknown command 'frobnicate'"},
        {raw, {"--frobnicate"}, 2, nullptr, "unknown option '--frobnicate'"},
        {batch, {"--rule", keep}, 2, nullptr, "no input given"},
        {batch, {"--rule=" + keep, "--quiet=1", "IN"}, 2, nullptr, "unknown option --quiet=1"},
        {batch, {"--rule", keep, "IN", "IN"}, 2, nullptr, "given twice"},
        {raw, {"verify", "IN"}, 0, "intact: 2 functions", nullptr},
        {raw, {"info", "--json", "IN"}, 0, "\"functions\"", nullptr},
        {raw, {"verify", "MISSING"}, 1, nullptr, "missing.raw"},
        {raw, {"dump", "MISSING"}, 1, nullptr, "missing.raw"},
        {batch, {"--rule", keep, "IN"}, 0, "peaks read", nullptr},
        {batch, {"--quiet", "--rule", keep, "IN"}, 0, nullptr, nullptr},
        {batch, {"--rule", keepNothing, "IN"}, 0, "0 kept", "warning: rule"},
        {batch, {"--rule", keep, "MISSING"}, 1, nullptr, "missing.raw"},
    };
    const ScratchDir dir;
    const std::string in = dir.Path("in.raw");
    ASSERT_EQ(RunTool({"synth", in, "--scans", "3", "--peaks", "20"}).exitStatus, 0);
    for (const StreamCase& c : cases) {
        std::vector<std::string> args = c.args;
        std::string shown = c.program == raw ? "brevanto-raw" : "brevanto-batch";
        for (std::string& arg : args) {
            shown += " " + arg;
            arg = arg == "IN" ? in : arg == "MISSING" ? dir.Path("missing.raw") : arg;
        }
        const ToolResult result = RunProgram(c.program, args);
        EXPECT_EQ(result.exitStatus, c.status) << shown << "\n" << result.err;
        if (c.out == nullptr) {
            EXPECT_EQ(result.out, "") << shown;
        } else {
            EXPECT_NE(result.out.find(c.out), std::string::npos) << shown << "\n" << result.out;
        }
        if (c.err == nullptr) {
            EXPECT_EQ(result.err, "") << shown;
        } else {
            EXPECT_NE(result.err.find(c.err), std::string::npos) << shown << "\n" << result.err;
        }
    }
}

}  // namespace
