// brevanto-raw verify (and the other readers) on good, incomplete, corrupt and missing files.
#include <gtest/gtest.h>

#include <filesystem>

#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"
#include "tests/tools/tool_runner.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A file whose creation was given up after its header: the library calls it incomplete.
void MakeIncomplete(const std::string& path) {
    RawHandle handle = 0;
    ASSERT_EQ(RawCreateOpen(path.c_str(), &handle), kRawOk);
    const std::vector<std::uint8_t> record(kHeaderRecordSize), block(kHeaderBlockSize);
    ASSERT_EQ(RawCreateHeader(handle, record.data(), block.data()), kRawOk);
    ASSERT_EQ(RawCreateAbandon(handle), kRawOk);
}

TEST(RawToolVerify, PassesAnIntactFile) {
    const ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    ASSERT_EQ(RunTool({"synth", path, "--scans", "3", "--peaks", "4", "--analog", "1", "--points",
                       "3", "--history", "1"})
                  .exitStatus,
              0);
    const ToolResult verify = RunTool({"verify", path});
    EXPECT_EQ(verify.exitStatus, 0) << verify.err;
    EXPECT_EQ(verify.out, path +
                              ": intact: 2 functions, 6 scans, 24 peaks, 1 analog channels, "
                              "2 history records\n");
}

// Every reading command names the file and the library's reason for a file it cannot read.
TEST(RawToolVerify, EveryCommandRefusesMissingAndIncompleteFiles) {
    const ScratchDir dir;
    const std::string missing = dir.Path("missing.raw");
    const std::string incomplete = dir.Path("incomplete.raw");
    MakeIncomplete(incomplete);
    struct Case {
        std::string path;
        RawStatus status;
    };
    for (const Case& c : {Case{missing, kRawNotFound}, Case{incomplete, kRawIncomplete}}) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"verify", c.path}, {"info", c.path}, {"dump", c.path}}) {
            const ToolResult result = RunTool(args);
            EXPECT_EQ(result.exitStatus, 1) << args[0] << " " << c.path;
            EXPECT_TRUE(Contains(result.err, c.path + ": RawReadOpen: " + RawStatusText(c.status)))
                << args[0] << ": " << result.err;
        }
    }
    const ToolResult json = RunTool({"info", incomplete, "--json"});
    EXPECT_EQ(json.exitStatus, 1);
    EXPECT_TRUE(Contains(json.out, "\"complete\": false")) << json.out;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// Flips one byte in the middle of each of the library's files in turn: verify must fail on
// every one, and for the scan data it must name the function and scan, as must dump.
TEST(RawToolVerify, FindsAFlippedByteInEveryFile) {
    const ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    ASSERT_EQ(RunTool({"synth", path, "--functions", "1", "--scans", "8", "--peaks", "50",
                       "--analog", "1", "--points", "40", "--history", "2"})
                  .exitStatus,
              0);
    bool namedAScan = false;
    for (const auto& [name, bytes] : ReadTree(path)) {
        SCOPED_TRACE(name);
        std::string damaged = bytes;
        ASSERT_FALSE(damaged.empty());
        damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x10);
        WriteFile(path + "/" + name, damaged);
        const ToolResult verify = RunTool({"verify", path});
        EXPECT_EQ(verify.exitStatus, 1) << verify.out;
        EXPECT_TRUE(Contains(verify.err, "brevanto-raw: " + path + ": ")) << verify.err;
        if (Contains(verify.err, "function 1, scan ") &&
            Contains(verify.err, "RawReadSpectrum: " + std::string(RawStatusText(kRawCorrupt)))) {
            namedAScan = true;
            EXPECT_EQ(RunTool({"dump", path}).exitStatus, 1);
        }
        WriteFile(path + "/" + name, bytes);
    }
    EXPECT_TRUE(namedAScan) << "no damaged file was reported at a scan";
    EXPECT_EQ(RunTool({"verify", path}).exitStatus, 0);
}

}  // namespace
