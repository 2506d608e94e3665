// The batch run over our real raw data library, on synthesised acquisitions.
#include <gtest/gtest.h>

#include "params/mass_range.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "processing/filter_job.h"
#include "rawsynth/synth_acquisition.h"
#include "tests/batch/raw_read_back.h"
#include "tests/support/file_contents.h"

using params::CMassRange;
using params::CMassRangeList;
using params::MakeMassRange;
using processing::CFilterJob;

namespace fs = std::filesystem;

namespace {

// An independent statement of the rule test, written from the rule's definition.
bool RuleKeeps(const CMassRange& rule, float mass) {
    const double m = mass;
    if (!(rule.GetLowMass() <= m && m < rule.GetHighMass()))
        return false;
    double lower = rule.GetMassDefect() - (rule.GetWindowBelow() * 0.001);
    if (lower < 0.0)
        lower += 1.0;
    double upper = rule.GetMassDefect() + (rule.GetWindowAbove() * 0.001);
    if (upper - 1.0 > 0.0)
        upper -= 1.0;
    const double f = m - static_cast<double>(static_cast<long long>(m));
    return lower <= upper ? (lower < f && f < upper) : (f > lower || f < upper);
}

class BatchEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) /
               ("batch_e2e_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    std::string Synth(const std::string& name, std::uint64_t seed) {
        rawsynth::SynthOptions options;
        options.functions = 3;
        options.scans = 12;
        options.peaks = 300;
        options.seed = seed;
        options.analogChannels = 2;
        options.analogPoints = 50;
        options.historyRecords = 2;
        options.companions = 2;
        const std::string path = (root / name).string();
        EXPECT_EQ(rawsynth::SynthesizeAcquisition(path, options), kRawOk) << path;
        return path;
    }

    fs::path root;
};

TEST_F(BatchEndToEnd, FilteredCopyHoldsExactlyWhatTheRulesKeep) {
    const std::string input = Synth("sample.raw", 7);
    CMassRangeList rules;
    rules.AddEntry(MakeMassRange(1, 100, 700, 0.2, 40, 40));
    rules.AddEntry(MakeMassRange(1, 600, 1100, 0.45, 300, 300));
    rules.AddEntry(MakeMassRange(3, 500, 500, 0.5, 1000, 1000));  // an empty range: keeps nothing
    CFilterJob job(&rules);
    job.SetFileList(input);
    job.SetSuffix("_BRV");
    ASSERT_TRUE(job.Run()) << job.GetFailure().Describe();

    ReadAcquisition in, out;
    ASSERT_EQ(ReadBack(input, in), kRawOk);
    ASSERT_EQ(ReadBack((root / "sample_BRV.raw").string(), out), kRawOk);
    EXPECT_EQ(out.headerRecord, in.headerRecord);
    ASSERT_EQ(out.functions.size(), 3u);
    std::uint64_t kept = 0, dropped = 0;
    for (std::size_t f = 0; f < 3; ++f) {
        const ReadFunction& a = in.functions[f];
        const ReadFunction& b = out.functions[f];
        EXPECT_EQ(b.record, a.record);
        EXPECT_EQ(b.hasStats, a.hasStats);
        EXPECT_EQ(b.hasEE, a.hasEE);
        EXPECT_EQ(b.ee, a.ee);
        ASSERT_EQ(b.scans.size(), a.scans.size());
        for (std::size_t s = 0; s < a.scans.size(); ++s) {
            const ReadScan& x = a.scans[s];
            const ReadScan& y = b.scans[s];
            EXPECT_EQ(y.stats, x.stats);
            // Everything of scanInfo but the peak count is the input's.
            EXPECT_EQ(0, std::memcmp(y.info.data() + 4, x.info.data() + 4, kScanInfoSize - 4));
            EXPECT_EQ(y.info[3] & 0x80, x.info[3] & 0x80);
            ReadScan expected;
            for (std::size_t p = 0; p < x.masses.size(); ++p) {
                bool keep = f == 1;  // function 2 has no rule: copied whole
                for (std::int32_t r = 0; r < rules.GetCount() && !keep; ++r) {
                    CMassRange rule;
                    rules.GetEntry(r, rule);
                    keep = rule.GetFunction() == static_cast<std::int32_t>(f + 1) &&
                           RuleKeeps(rule, x.masses[p]);
                }
                if (keep) {
                    expected.masses.push_back(x.masses[p]);
                    expected.intensities.push_back(x.intensities[p]);
                    expected.bytes.push_back(x.bytes[p]);
                }
            }
            ASSERT_EQ(y.masses, expected.masses) << "function " << f + 1 << " scan " << s + 1;
            ASSERT_EQ(y.intensities, expected.intensities);
            ASSERT_EQ(y.bytes, expected.bytes);
            if (f == 0) {
                kept += y.masses.size();
                dropped += x.masses.size() - y.masses.size();
            }
            if (f == 2) {
                EXPECT_TRUE(y.masses.empty());
            }
        }
    }
    EXPECT_GT(kept, 0u);
    EXPECT_GT(dropped, 0u);
    ASSERT_EQ(out.channels.size(), in.channels.size());
    for (std::size_t k = 0; k < in.channels.size(); ++k) {
        EXPECT_EQ(out.channels[k].info, in.channels[k].info);
        EXPECT_EQ(out.channels[k].a, in.channels[k].a);
        EXPECT_EQ(out.channels[k].b, in.channels[k].b);
    }
    // The history is handed on, and the library adds its own record for the new file.
    EXPECT_EQ(out.historyCount, in.historyCount + 1);
    ASSERT_GE(out.history.size(), in.history.size());
    EXPECT_TRUE(std::equal(in.history.begin(), in.history.end(), out.history.begin()));

    // Companion files are carried over unchanged.
    const auto inFiles = ReadTree(input);
    const auto outFiles = ReadTree((root / "sample_BRV.raw").string());
    std::size_t companions = 0;
    for (const auto& [name, content] : inFiles) {
        if (name.rfind("brv-", 0) == 0)
            continue;
        ++companions;
        ASSERT_TRUE(outFiles.count(name)) << name;
        EXPECT_EQ(outFiles.at(name), content) << name;
    }
    EXPECT_EQ(companions, 2u);
}

TEST_F(BatchEndToEnd, SecondRunRegeneratesTheSameOutput) {
    const std::string input = Synth("again.raw", 3);
    CMassRangeList rules;
    rules.AddEntry(MakeMassRange(2, 0, 1200, 0.3, 100, 100));
    for (int run = 0; run < 2; ++run) {
        CFilterJob job(&rules);
        job.SetFileList(input);
        job.SetSuffix("_BRV");
        ASSERT_TRUE(job.Run()) << job.GetFailure().Describe();
    }
    const auto first = ReadTree((root / "again_BRV.raw").string());
    // A user file added to the output stays across a third run.
    std::ofstream(root / "again_BRV.raw" / "my-notes.txt") << "keep me";
    CFilterJob job(&rules);
    job.SetFileList(input);
    job.SetSuffix("_BRV");
    ASSERT_TRUE(job.Run());
    auto third = ReadTree((root / "again_BRV.raw").string());
    EXPECT_EQ(third["my-notes.txt"], "keep me");
    third.erase("my-notes.txt");
    EXPECT_EQ(third, first);
}

TEST_F(BatchEndToEnd, FailureOnTheSecondOfThreeFiles) {
    const std::string a = Synth("a.raw", 1);
    const std::string b = Synth("b.raw", 2);
    const std::string c = Synth("c.raw", 3);
    // Damage the scan data of b's last function in its middle, so the run fails part-way.
    fs::path largest;
    for (const auto& entry : fs::directory_iterator(b)) {
        if (entry.path().filename().string().find("f00003-scans") != std::string::npos &&
            (largest.empty() || entry.file_size() > fs::file_size(largest))) {
            largest = entry.path();
        }
    }
    ASSERT_FALSE(largest.empty());
    {
        std::fstream f(largest, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(fs::file_size(largest) / 2));
        f.put('\x5A' ^ '\xFF');
    }
    CMassRangeList rules;
    rules.AddEntry(MakeMassRange(1, 0, 1200, 0.5, 500, 500));
    CFilterJob job(&rules);
    job.SetFileList(a + "," + b + "," + c);
    job.SetSuffix("_BRV");
    EXPECT_FALSE(job.Run());
    EXPECT_EQ(job.GetFailure().input, b);
    EXPECT_EQ(job.GetFailure().status, kRawCorrupt) << job.GetFailure().Describe();
    EXPECT_EQ(job.GetFileList(), b + "," + c);

    ReadAcquisition out;
    EXPECT_EQ(ReadBack((root / "a_BRV.raw").string(), out), kRawOk);
    ReadAcquisition partial;
    EXPECT_EQ(ReadBack((root / "b_BRV.raw").string(), partial), kRawIncomplete);
    EXPECT_FALSE(fs::exists(root / "c_BRV.raw"));
    // Inputs are never touched.
    ReadAcquisition still;
    EXPECT_EQ(ReadBack(c, still), kRawOk);
}

}  // namespace
