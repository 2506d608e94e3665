// brevanto-batch as a user runs it: exit statuses, messages, summary, -j and --keep-going.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "tests/support/command_runner.h"
#include "tests/support/file_contents.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;  // standard output and standard error, in that order
};

Result RunShell(const std::string& command) {
    Result result;
    result.status = RunCommand(command, result.out);
    return result;
}

class BatchCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) /
               ("batch_cmd_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    std::string Synth(const std::string& name, int seed) {
        const std::string path = (root / name).string();
        const Result r =
            RunShell(std::string(BREVANTO_RAW) + " synth '" + path +
                     "' --functions 2 --scans 5 --peaks 200 --seed " + std::to_string(seed));
        EXPECT_EQ(r.status, 0) << r.out;
        return path;
    }

    std::string Batch(const std::string& args) { return std::string(BREVANTO_BATCH) + " " + args; }

    fs::path root;
};

TEST_F(BatchCommand, SuccessPrintsOneSummaryLinePerFunction) {
    const std::string in = Synth("s.raw", 1);
    const Result r = RunShell(Batch("--rule 1:0:1200:0.3:100:100 '" + in + "'"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("s_BRV.raw  function 1: 1000 peaks read, "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("function 2: 1000 peaks read, 1000 kept (no rules: copied whole)"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(
        RunShell(std::string(BREVANTO_RAW) + " verify '" + (root / "s_BRV.raw").string() + "'")
            .status,
        0);
}

TEST_F(BatchCommand, ExitStatuses) {
    const std::string in = Synth("s.raw", 1);
    struct Case {
        std::string args;
        int status;
        const char* mentions;
    };
    const Case cases[] = {
        {"'" + in + "'", 2, "no rule"},
        {"--rule 1:0:1200:0.3:100 '" + in + "'", 2, "rule '1:0:1200:0.3:100'"},
        {"--rule 1:0:1200:0.3:100:100 '" + (root / "missing.raw").string() + "'", 1,
         "missing.raw: RawReadOpen failed"},
        {"--suffix '' --rule 1:0:1200:0.3:100:100 '" + in + "'", 1, "the input itself"},
        {"-j 2 --rule 1:0:1200:0.3:100:100 '" + in + "' '" + in + "'", 2, "given twice"},
    };
    for (const Case& c : cases) {
        const Result r = RunShell(Batch(c.args));
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.mentions), std::string::npos) << c.args << "\n" << r.out;
    }
}

TEST_F(BatchCommand, StopsAtTheFirstFailureUnlessToldToKeepGoing) {
    const std::string a = Synth("a.raw", 1);
    const std::string c = Synth("c.raw", 3);
    const std::string missing = (root / "b.raw").string();
    const std::string files = " '" + a + "' '" + missing + "' '" + c + "'";
    Result r = RunShell(Batch("--quiet --rule 1:0:1200:0.3:100:100" + files));
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_TRUE(fs::exists(root / "a_BRV.raw"));
    EXPECT_FALSE(fs::exists(root / "c_BRV.raw"));
    EXPECT_NE(r.out.find("1 input(s) not processed"), std::string::npos) << r.out;

    r = RunShell(Batch("--quiet --keep-going --rule 1:0:1200:0.3:100:100" + files));
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_TRUE(fs::exists(root / "c_BRV.raw"));
}

TEST_F(BatchCommand, ParallelRunsGiveTheSameOutputs) {
    std::string files;
    for (int i = 0; i < 4; ++i) {
        files += " '" + Synth("p" + std::to_string(i) + ".raw", i + 10) + "'";
    }
    const std::string rules = "--quiet --rule 1:0:1200:0.3:100:100 --rule 2:300:900:0.7:50:50";
    ASSERT_EQ(RunShell(Batch(rules + " --suffix _one" + files)).status, 0);
    ASSERT_EQ(RunShell(Batch(rules + " -j 3 --suffix _par" + files)).status, 0);
    for (int i = 0; i < 4; ++i) {
        const std::string p = "p" + std::to_string(i);
        auto one = ReadTree((root / (p + "_one.raw")).string());
        auto par = ReadTree((root / (p + "_par.raw")).string());
        // The library's own history record names the output file; all else is equal.
        EXPECT_EQ(one.size(), par.size()) << p;
        for (const auto& [name, content] : one) {
            if (name.find("hist") != std::string::npos)
                continue;
            EXPECT_EQ(par[name], content) << p << " " << name;
        }
    }
}

}  // namespace

#ifdef BREVANTO_HAVE_MZML
namespace {

// mzML inputs go through the same command, rules, naming and summary; and the converters of
// brevanto-raw carry an acquisition to mzML and back.
TEST_F(BatchCommand, OpenFormatInputsAndConversions) {
    const char* shared = std::getenv("BREVANTO_SHARED_DATA");
    const fs::path tiny = shared == nullptr ? fs::path() : fs::path(shared) / "tiny.pwiz.1.1.mzML";
    if (tiny.empty() || !fs::exists(tiny)) {
        GTEST_SKIP() << "tiny.pwiz.1.1.mzML not found (BREVANTO_SHARED_DATA)";
    }
    fs::copy_file(tiny, root / "tiny.mzML");
    Result r =
        RunShell(Batch("--rule 1:0:2000:0.5:600:600 '" + (root / "tiny.mzML").string() + "'"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::exists(root / "tiny_BRV.mzML"));
    EXPECT_NE(r.out.find("tiny_BRV.mzML  function 1: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("function 2: 10 peaks read, 10 kept (no rules: copied whole)"),
              std::string::npos)
        << r.out;

    const std::string raw = std::string(BREVANTO_RAW);
    const std::string in = Synth("s.raw", 4);
    const std::string mzml = (root / "s.mzML").string();
    const std::string back = (root / "back.raw").string();
    ASSERT_EQ(RunShell(raw + " export-mzml '" + in + "' '" + mzml + "'").status, 0);
    ASSERT_EQ(RunShell(raw + " import-mzml '" + mzml + "' '" + back + "'").status, 0);
    const Result a = RunShell(raw + " dump '" + in + "'");
    const Result b = RunShell(raw + " dump '" + back + "'");
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(a.out, b.out);  // every scan, header value and peak

    r = RunShell(raw + " import-mzml '" + (root / "missing.mzML").string() + "' '" + back + "2'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("missing.mzML"), std::string::npos) << r.out;
    EXPECT_EQ(RunShell(raw + " export-mzml only-one-argument").status, 2);
}

}  // namespace
#endif
