#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tools/batch/batch_paths.h"
#include "tools/batch/batch_runner.h"

namespace fs = std::filesystem;

namespace {

class BatchPaths : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) / ("batch_paths_" + std::to_string(getpid()));
        fs::remove_all(root);
        for (const char* dir : {"in.raw", "other.raw", "in_BRV.raw", "sub"}) {
            fs::create_directories(root / dir);
        }
        for (const char* file : {"x.mzML", "x_BRV.mzML", "y.mzML", "y.mzXML"}) {
            std::ofstream(root / file) << "<mzML/>";
        }
        fs::create_directory_symlink(root / "in.raw", root / "link.raw");
        fs::create_hard_link(root / "x.mzML", root / "hard.mzML");
        previous = fs::current_path();
        fs::current_path(root);
    }
    void TearDown() override {
        fs::current_path(previous);
        fs::remove_all(root);
    }

    fs::path root;
    fs::path previous;
};

// Regression: a second run over "*.raw" overwrote the user's x_BRV.raw with x.raw's output and
// then filtered it as an input; "-j 2 in.raw ./in.raw" ran two writers on one output.
TEST_F(BatchPaths, OneFileUnderTwoSpellingsOrAnOutputAmongTheInputsIsRefused) {
    struct Case {
        std::vector<std::string> inputs;
        const char* mentions;  // "" when the run may start
    };
    const std::string absolute = (root / "in.raw").string();
    const Case cases[] = {
        {{"in.raw", "./in.raw"}, "./in.raw is given twice (also as in.raw)"},
        {{"in.raw", absolute}, "is given twice"},
        {{"link.raw", "in.raw"}, "in.raw is given twice (also as link.raw)"},
        {{"in.raw", "in.raw/"}, "is given twice"},
        {{"sub/../in.raw", "in.raw"}, "is given twice"},
        {{"x.mzML", "hard.mzML"}, "hard.mzML is given twice"},
        {{"gone.raw", "./gone.raw"}, "is given twice"},
        {{"in.raw", "in_BRV.raw"}, "the output in_BRV.raw of in.raw is also an input (in_BRV.raw)"},
        {{"in_BRV.raw", "in.raw"}, "the output in_BRV.raw of in.raw is also an input"},
        {{"./in_BRV.raw/", absolute}, "is also an input (./in_BRV.raw/)"},
        {{"x.mzML", "x_BRV.mzML"}, "is also an input (x_BRV.mzML)"},
        {{"in.raw", "other.raw"}, ""},
        {{"in.raw/", "other.raw/"}, ""},
        {{"x.mzML", "in.raw"}, ""},
    };
    for (const Case& c : cases) {
        const std::string refusal = CheckBatchPaths(c.inputs, "_BRV");
        std::string joined;
        for (const std::string& input : c.inputs)
            joined += input + " ";
        if (std::string(c.mentions).empty()) {
            EXPECT_EQ(refusal, "") << joined;
        } else {
            EXPECT_NE(refusal.find(c.mentions), std::string::npos) << joined << "-> " << refusal;
        }
    }
    // An input that is its own output (an empty suffix) is left to that input's own refusal.
    EXPECT_EQ(CheckBatchPaths({"in.raw"}, ""), "");
    EXPECT_NE(CheckBatchPaths({"in.raw", "./in.raw"}, ""), "");
}

TEST_F(BatchPaths, TwoInputsNeverShareAnOutputAcrossFormats) {
    const std::string mzml = BatchOutputPath("y.mzML", "_BRV");
    const std::string mzxml = BatchOutputPath("y.mzXML", "_BRV");
    const std::string refusal = CheckBatchPaths({"y.mzML", "y.mzXML"}, "_BRV");
    if (mzml == mzxml) {
        EXPECT_NE(refusal.find("y.mzML and y.mzXML would both be written to " + mzml),
                  std::string::npos)
            << refusal;
    } else {
        EXPECT_EQ(refusal, "");
    }
    EXPECT_EQ(BatchOutputPath("in.raw/", "_BRV"), "in_BRV.raw");
    EXPECT_EQ(BatchOutputPath("/d/in.raw//", "_BRV"), "/d/in_BRV.raw");
}

}  // namespace
