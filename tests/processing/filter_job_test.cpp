// The batch run against the recording stand-in: which library calls, in which order, with
// which arguments, and what the run does when any one of them fails.
#include <gtest/gtest.h>

#include "params/mass_range.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "processing/filter_job.h"
#include "processing/peak_filter.h"
#include "tests/processing/fake_raw_library.h"

using params::CMassRangeList;
using params::MakeMassRange;
using processing::CFilterJob;
using processing::FunctionFilter;
using processing::FunctionSummary;
using processing::RunProgress;

namespace fs = std::filesystem;

namespace {

using Calls = std::vector<std::string>;

std::string S(RawHandle h) {
    return std::to_string(h);
}

// The calls that copy function f of a file, as the run must make them.
Calls FunctionCalls(RawHandle r, RawHandle w, std::int32_t f, const FakeFunction& fn,
                    const std::vector<std::uint32_t>& writtenCounts) {
    const std::string F = std::to_string(f);
    std::uint32_t word0;
    std::memcpy(&word0, fn.record.data(), 4);
    const std::string code = std::to_string((word0 >> 10) & 15u);
    Calls c{"RawReadFuncInfo(" + S(r) + "," + F + ",p,p)",
            "RawReadFuncInit(" + S(r) + "," + F + ",0,0,p,p)",
            "RawCreateScanFile(" + S(w) + "," + F + ",0," + code + ")",
            "RawReadGetStatsFile(" + S(r) + "," + F + ",0,p)"};
    if (fn.hasStats)
        c.push_back("RawStatsCreateFile(" + S(w) + "," + F + ",0)");
    for (std::size_t i = 0; i < fn.scans.size(); ++i) {
        const std::string I = std::to_string(i + 1);
        const std::string n = std::to_string(fn.scans[i].masses.size());
        c.push_back("RawReadSpectrum(" + S(r) + "," + F + ",0," + I + ",1,cap=0,p,-,-,-,0)");
        c.push_back("RawReadSpectrum(" + S(r) + "," + F + ",0," + I + ",1,cap=" + n +
                    ",p,p,p,p,0)");
        c.push_back("RawCreateScansEx(" + S(w) + "," + F + ",0," + code + ",p," +
                    std::to_string(writtenCounts[i]) + ",p,p,p,1)");
        if (fn.hasStats) {
            c.push_back("RawStatsReadEntry(token=" +
                        std::to_string(r * 1000u + static_cast<std::uint32_t>(f)) + "," + I +
                        ",p)");
            c.push_back("RawStatsCreateRecord(" + S(w) + "," + F + ",0,p)");
        }
    }
    c.push_back("RawCreateScansEnd(" + S(w) + "," + F + ",0," + code + ")");
    c.push_back("RawReadFuncEnd(" + S(r) + "," + F + ",0)");
    if (fn.hasStats)
        c.push_back("RawStatsCreateEnd(" + S(w) + "," + F + ",0)");
    c.push_back("RawEERead(" + S(r) + "," + F + ",0,1,p)");
    if (fn.hasEE) {
        c.push_back("RawEECreateFile(" + S(w) + "," + F + ",0)");
        c.push_back("RawEECreateRecord(" + S(w) + "," + F + ",0,p)");
        c.push_back("RawEECreateEnd(" + S(w) + "," + F + ",0)");
    }
    return c;
}

void Append(Calls& to, const Calls& more) {
    to.insert(to.end(), more.begin(), more.end());
}

class RecordingProgress : public RunProgress {
  public:
    void Show() override { events.push_back("show"); }
    void SetCurrentFile(const std::string& path) override { events.push_back("file " + path); }
    void SetRange(std::uint16_t count) override {
        events.push_back("range " + std::to_string(count));
    }
    void Step() override {
        events.push_back("step");
        if (throwOnStep)
            throw std::runtime_error("out of memory, say");
    }
    void Hide() override { events.push_back("hide"); }
    std::vector<std::string> events;
    bool throwOnStep = false;
};

class FilterJobTest : public ::testing::Test {
  protected:
    FakeRawLibrary lib;
    CMassRangeList rules;

    // A file with a filtered function with statistics and EE data, an unfiltered one without
    // either, and a filtered one of zero scans; two analog channels, one of zero points; three
    // history records.
    FakeInput RichInput() {
        FakeInput in;
        in.headerRecord.fill(0x11);
        in.functions.push_back(MakeFakeFunction(3, 40, 1, 15));
        in.functions.push_back(MakeFakeFunction(2, 25, 2, 0));
        in.functions[1].hasStats = false;
        in.functions[1].hasEE = false;
        in.functions.push_back(MakeFakeFunction(0, 0, 3, 7));
        FakeChannel a, b;
        a.info.fill(0xA1);
        a.first = {1, 2, 3};
        a.second = {7, 8, 9};
        b.info.fill(0xB2);
        in.channels = {a, b};
        in.history.resize(3);
        for (auto& h : in.history)
            h.fill(0x33);
        return in;
    }

    void UseRules() {
        rules.AddEntry(MakeMassRange(1, 0, 1200, 0.25, 150, 150));
        rules.AddEntry(MakeMassRange(3, 0, 1200, 0.5, 10, 10));
        rules.AddEntry(
            MakeMassRange(9, 0, 1200, 0.5, 10, 10));  // a function the file does not have
    }
};

TEST_F(FilterJobTest, CallSequenceOfOneFile) {
    UseRules();
    lib.inputs["d/x.raw"] = RichInput();
    CFilterJob job(&rules, FakeRawLibrary::Ops());
    job.SetFileList("d/x.raw");
    job.SetSuffix("_BRV");
    ASSERT_TRUE(job.Run()) << job.GetFailure().Describe();

    const FakeInput& in = lib.inputs["d/x.raw"];
    const FunctionFilter filter(rules, 1);
    std::vector<std::uint32_t> kept1;
    for (const FakeScan& s : in.functions[0].scans) {
        std::uint32_t k = 0;
        for (float m : s.masses)
            k += filter.Keeps(m) ? 1u : 0u;
        kept1.push_back(k);
    }
    const std::vector<std::uint32_t> all2(2, 25);

    Calls expected{"RawReadOpen(d/x.raw)", "RawReadHeader(1,p,p,p,p)", "RawCreateOpen(d/x_BRV.raw)",
                   "RawCreateHeader(2,p,p)"};
    Append(expected, FunctionCalls(1, 2, 1, in.functions[0], kept1));
    Append(expected, FunctionCalls(1, 2, 2, in.functions[1], all2));
    Append(expected, FunctionCalls(1, 2, 3, in.functions[2], {}));
    Append(expected,
           {"RawCreateFunctions(2,3,p)", "RawReadAnalogNumber(1,p)", "RawReadAnalogInfo(1,0,p)",
            "RawReadAnalogInfo(1,1,p)", "RawCreateAnalogInf(2,2,p)", "RawCreateAnalogFile(2)",
            "RawReadAnalogSize(1,0,p)", "RawReadAnalogChrom(1,0,1,3,p,p)",
            "RawCreateAnalogDataScans(2,0,3,p,p)", "RawReadAnalogSize(1,1,p)",
            "RawReadAnalogChrom(1,1,1,0,p,p)", "RawCreateAnalogDataScans(2,1,0,p,p)",
            "RawCreateAnalogEnd(2)", "RawReadProcInfo(1,p,-)", "RawReadProcInfo(1,p,p)",
            "RawHistUpdateInfo(2,p,p)", "RawCreateClose(2)", "RawReadClose(1)"});
    EXPECT_EQ(lib.calls, expected);
    EXPECT_EQ(lib.liveAllocations, 0u);

    // What reached the output: records, arrays in the create call's order, history count.
    const FakeOutput& out = lib.outputs["d/x_BRV.raw"];
    EXPECT_TRUE(out.closed);
    EXPECT_EQ(out.headerRecord, in.headerRecord);
    ASSERT_EQ(out.functionTable.size(), 3 * kFunctionRecordSize);
    for (std::size_t f = 0; f < 3; ++f) {
        EXPECT_EQ(0, std::memcmp(out.functionTable.data() + f * kFunctionRecordSize,
                                 in.functions[f].record.data(), kFunctionRecordSize));
    }
    ASSERT_EQ(out.channels.size(), 2u);
    EXPECT_EQ(out.channels[0].first, in.channels[0].first);
    EXPECT_EQ(out.channels[0].second, in.channels[0].second);
    EXPECT_EQ(out.historyCount, 3);
    ASSERT_EQ(out.ee.size(), 2u);  // functions 1 and 3
    EXPECT_EQ(out.ee[0], in.functions[0].ee);
    EXPECT_EQ(out.ee[1], in.functions[2].ee);
    ASSERT_EQ(out.stats.size(), 3u);
    EXPECT_EQ(out.stats[2], in.functions[0].scans[2].stats);
}

TEST_F(FilterJobTest, ScansAreWrittenFilteredOrWholeWithTheirHeaders) {
    UseRules();
    lib.inputs["x.raw"] = RichInput();
    // Scan header words from scanInfo: bit 31 of word 0, bits 0 and 2 of word 1, and the
    // values at bytes 32, 12 and 36.
    FakeScan& probe = lib.inputs["x.raw"].functions[1].scans[0];
    const std::uint32_t word0 = 0x80000000u | 25u, flags = 0xFFFFFFFEu;  // bit 0 clear, 2 set
    std::memcpy(probe.info.data(), &word0, 4);
    std::memcpy(probe.info.data() + 4, &flags, 4);
    CFilterJob job(&rules, FakeRawLibrary::Ops());
    job.SetFileList("x.raw");
    job.SetSuffix("_f");
    ASSERT_TRUE(job.Run());

    const FakeInput& in = lib.inputs["x.raw"];
    const FakeOutput& out = lib.outputs["x_f.raw"];
    ASSERT_EQ(out.scans.size(), 5u);
    const FunctionFilter filter(rules, 1);
    for (std::size_t i = 0; i < 3; ++i) {
        const FakeScan& s = in.functions[0].scans[i];
        FakeWrittenScan expected;
        for (std::size_t p = 0; p < s.masses.size(); ++p) {
            if (filter.Keeps(s.masses[p])) {
                expected.masses.push_back(s.masses[p]);
                expected.intensities.push_back(s.intensities[p]);
                expected.bytes.push_back(s.bytes[p]);
            }
        }
        EXPECT_EQ(out.scans[i].masses, expected.masses) << "scan " << i;
        EXPECT_EQ(out.scans[i].intensities, expected.intensities);
        EXPECT_EQ(out.scans[i].bytes, expected.bytes);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(out.scans[3 + i].masses, in.functions[1].scans[i].masses);
        EXPECT_EQ(out.scans[3 + i].intensities, in.functions[1].scans[i].intensities);
        EXPECT_EQ(out.scans[3 + i].bytes, in.functions[1].scans[i].bytes);
    }
    std::uint32_t words[6];
    std::memcpy(words, out.scans[3].header.data(), sizeof words);
    std::uint32_t v32, v12, v36;
    std::memcpy(&v32, probe.info.data() + 32, 4);
    std::memcpy(&v12, probe.info.data() + 12, 4);
    std::memcpy(&v36, probe.info.data() + 36, 4);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(words[1], 0u);
    EXPECT_EQ(words[2], v32);
    EXPECT_EQ(words[3], v12);
    EXPECT_EQ(words[4], v36);
    EXPECT_EQ(words[5], 1u);
}

TEST_F(FilterJobTest, ZeroFunctionsNoAnalogNoHistory) {
    FakeInput in;
    in.hasAnalog = false;
    lib.inputs["e.raw"] = in;
    CFilterJob job(&rules, FakeRawLibrary::Ops());
    job.SetFileList("e.raw");
    job.SetSuffix("_BRV");
    RecordingProgress progress;
    job.SetProgress(&progress);
    ASSERT_TRUE(job.Run());
    const Calls expected{
        "RawReadOpen(e.raw)",     "RawReadHeader(1,p,p,p,p)",  "RawCreateOpen(e_BRV.raw)",
        "RawCreateHeader(2,p,p)", "RawCreateFunctions(2,0,p)", "RawReadAnalogNumber(1,p)",
        "RawReadProcInfo(1,p,-)", "RawCreateClose(2)",         "RawReadClose(1)"};
    EXPECT_EQ(lib.calls, expected);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"show", "file e.raw", "range 0", "hide"}));
}

// Regression: the function loop counted in 16 bits, so at the library's largest function
// count, 65,535, the counter wrapped to 0 after the last function and the run failed there.
TEST_F(FilterJobTest, EveryFunctionCountTheLibraryAllowsIsCopied) {
    for (const std::uint32_t count : {65534u, 65535u}) {
        FakeRawLibrary fake;
        FakeInput in;
        in.hasAnalog = false;
        FakeFunction empty = MakeFakeFunction(0, 0, 1);
        empty.hasStats = false;
        empty.hasEE = false;
        in.functions.assign(count, empty);
        fake.inputs["many.raw"] = std::move(in);
        CFilterJob job(&rules, FakeRawLibrary::Ops());
        job.SetFileList("many.raw");
        job.SetSuffix("_BRV");
        RecordingProgress progress;
        job.SetProgress(&progress);
        ASSERT_TRUE(job.Run()) << count << ": " << job.GetFailure().Describe();
        ASSERT_EQ(job.GetSummaries().size(), 1u);
        const std::vector<FunctionSummary>& functions = job.GetSummaries()[0].functions;
        ASSERT_EQ(functions.size(), count);
        EXPECT_EQ(functions.front().function, 1);
        EXPECT_EQ(functions.back().function, static_cast<std::int32_t>(count));
        EXPECT_EQ(std::count(progress.events.begin(), progress.events.end(), "step"),
                  static_cast<std::ptrdiff_t>(count));
        EXPECT_EQ(fake.outputs["many_BRV.raw"].functionTable.size(),
                  std::size_t{count} * kFunctionRecordSize);
        EXPECT_TRUE(fake.outputs["many_BRV.raw"].closed);
    }
}

TEST_F(FilterJobTest, FileListSplitting) {
    struct Case {
        std::string joined;
        Calls opens;
        bool ok;
        std::string left;
    };
    const Case cases[] = {
        {"", {}, true, ""},
        {"a.raw", {"a.raw"}, true, ""},
        {"a.raw,b.raw", {"a.raw", "b.raw"}, true, ""},
        {"a.raw,", {"a.raw"}, true, ""},
        {",a.raw", {""}, false, ",a.raw"},
        {"a.raw,,b.raw", {"a.raw", ""}, false, ",b.raw"},
    };
    for (const Case& c : cases) {
        FakeRawLibrary fake;
        FakeInput in;
        in.hasAnalog = false;
        fake.inputs["a.raw"] = in;
        fake.inputs["b.raw"] = in;
        CFilterJob job(&rules, FakeRawLibrary::Ops());
        job.SetFileList(c.joined);
        job.SetSuffix("_BRV");
        EXPECT_EQ(job.Run(), c.ok) << "'" << c.joined << "'";
        Calls opens;
        for (const std::string& call : fake.calls) {
            if (call.rfind("RawReadOpen(", 0) == 0)
                opens.push_back(call.substr(12, call.size() - 13));
        }
        EXPECT_EQ(opens, c.opens) << "'" << c.joined << "'";
        EXPECT_EQ(job.GetFileList(), c.left) << "'" << c.joined << "'";
    }
}

TEST_F(FilterJobTest, ListFormKeepsCommasInPaths) {
    FakeInput in;
    in.hasAnalog = false;
    lib.inputs["run 1,2.raw"] = in;
    CFilterJob job(&rules, FakeRawLibrary::Ops());
    job.SetFileList(std::vector<std::string>{"run 1,2.raw"});
    job.SetSuffix("_BRV");
    ASSERT_TRUE(job.Run()) << job.GetFailure().Describe();
    EXPECT_EQ(lib.calls[0], "RawReadOpen(run 1,2.raw)");
    EXPECT_TRUE(lib.outputs["run 1,2_BRV.raw"].closed);
}

// Outputs that must never be opened for writing: the item fails before any library call.
TEST_F(FilterJobTest, RefusedOutputPaths) {
    struct Case {
        const char* what;
        std::string input;
        std::string suffix;
        const char* because;
    };
    const Case cases[] = {
        {"empty suffix", "d/x.raw", "", "the input itself"},
        {"name over 255 bytes", "d/" + std::string(248, 'n') + ".raw", "_BRV", "longer than 255"},
        {"path over 4095 bytes", std::string(4000, 'd') + "/" + std::string(100, 'p') + "/x.raw",
         "_BRV", "longer than 4095"},
    };
    for (const Case& c : cases) {
        FakeRawLibrary fake;
        fake.inputs[c.input] = FakeInput{};
        CFilterJob job(&rules, FakeRawLibrary::Ops());
        job.SetFileList(std::vector<std::string>{c.input});
        job.SetSuffix(c.suffix);
        EXPECT_FALSE(job.Run()) << c.what;
        EXPECT_TRUE(fake.calls.empty()) << c.what;
        EXPECT_NE(job.GetFailure().Describe().find(c.because), std::string::npos)
            << c.what << ": " << job.GetFailure().Describe();
        EXPECT_EQ(job.GetFailure().input, c.input);
    }
}

TEST_F(FilterJobTest, MorePeaksThanCapacityIsAFailure) {
    for (bool filtered : {false, true}) {
        FakeRawLibrary fake;
        fake.inputs["x.raw"] = RichInput();
        fake.extraPeaksReported = 1000;
        CMassRangeList list;
        if (filtered)
            list.AddEntry(MakeMassRange(1, 0, 1200, 0.5, 500, 500));
        CFilterJob job(&list, FakeRawLibrary::Ops());
        job.SetFileList("x.raw");
        job.SetSuffix("_BRV");
        EXPECT_FALSE(job.Run());
        EXPECT_EQ(job.GetFailure().operation, "RawReadSpectrum");
        EXPECT_EQ(job.GetFailure().where, "function 1, scan 1");
        EXPECT_NE(job.GetFailure().text.find("1040 peaks for arrays of 40"), std::string::npos)
            << job.GetFailure().text;
        EXPECT_TRUE(fake.outputs["x_BRV.raw"].scans.empty());
        EXPECT_EQ(fake.liveAllocations, 0u);
    }
}

// "No such data" from an optional read leaves that data out and the run goes on.
TEST_F(FilterJobTest, NoDataFromOptionalReadsIsNotAFailure) {
    const char* optional[] = {"RawReadGetStatsFile(", "RawEERead(", "RawReadAnalogNumber("};
    for (const char* name : optional) {
        std::size_t at = 0;
        {
            FakeRawLibrary probe;
            probe.inputs["x.raw"] = RichInput();
            CFilterJob job(&rules, FakeRawLibrary::Ops());
            job.SetFileList("x.raw");
            job.SetSuffix("_BRV");
            ASSERT_TRUE(job.Run());
            for (std::size_t i = 0; i < probe.calls.size() && at == 0; ++i) {
                if (probe.calls[i].rfind(name, 0) == 0)
                    at = i + 1;
            }
        }
        FakeRawLibrary fake;
        fake.inputs["x.raw"] = RichInput();
        fake.failAt = at;
        fake.failStatus = kRawNoData;
        CFilterJob job(&rules, FakeRawLibrary::Ops());
        job.SetFileList("x.raw");
        job.SetSuffix("_BRV");
        EXPECT_TRUE(job.Run()) << name << ": " << job.GetFailure().Describe();
        const FakeOutput& out = fake.outputs["x_BRV.raw"];
        if (std::string(name) == "RawReadAnalogNumber(") {
            EXPECT_TRUE(out.channels.empty());
        } else if (std::string(name) == "RawEERead(") {
            EXPECT_EQ(out.ee.size(), 1u);  // function 3's; function 1's left out
        } else {
            EXPECT_EQ(out.stats.size(), 0u);
        }
    }
}

TEST_F(FilterJobTest, ProgressIsHiddenWhenAnExceptionPassesThrough) {
    lib.inputs["x.raw"] = RichInput();
    CFilterJob job(&rules, FakeRawLibrary::Ops());
    job.SetFileList("x.raw");
    job.SetSuffix("_BRV");
    RecordingProgress progress;
    progress.throwOnStep = true;
    job.SetProgress(&progress);
    EXPECT_THROW(job.Run(), std::runtime_error);
    EXPECT_EQ(progress.events.back(), "hide");
    EXPECT_EQ(lib.liveAllocations, 0u);
}

// Fail each library call of a three-file run in turn. Any failure ends the run there (an
// optional read too: only "no such data" means its data is absent): nothing but the release
// of the failed file's handles follows, earlier outputs are complete, later inputs are never
// opened.
TEST_F(FilterJobTest, FailureSweep) {
    const std::vector<std::string> files{"a.raw", "b.raw", "c.raw"};
    UseRules();
    auto setUp = [&](FakeRawLibrary& fake) {
        for (const std::string& f : files)
            fake.inputs[f] = RichInput();
    };
    std::size_t total = 0;
    {
        FakeRawLibrary fake;
        setUp(fake);
        CFilterJob job(&rules, FakeRawLibrary::Ops());
        job.SetFileList("a.raw,b.raw,c.raw");
        job.SetSuffix("_BRV");
        ASSERT_TRUE(job.Run());
        total = fake.calls.size();
    }
    for (std::size_t k = 1; k <= total; ++k) {
        FakeRawLibrary fake;
        setUp(fake);
        fake.failAt = k;
        RecordingProgress progress;
        CFilterJob job(&rules, FakeRawLibrary::Ops());
        job.SetFileList("a.raw,b.raw,c.raw");
        job.SetSuffix("_BRV");
        job.SetProgress(&progress);
        const bool ok = job.Run();
        ASSERT_GE(fake.calls.size(), k);
        const std::string failed = fake.calls[k - 1];
        EXPECT_EQ(fake.liveAllocations, 0u) << failed;
        EXPECT_EQ(progress.events.back(), "hide") << failed;
        ASSERT_FALSE(ok) << "call " << k << " " << failed;
        EXPECT_EQ(failed.substr(0, failed.find('(')), job.GetFailure().operation) << failed;
        EXPECT_EQ(job.GetFailure().text, "injected failure");
        // The library's detail goes with every failure line.
        EXPECT_EQ(job.GetFailure().detail, "fake detail of the failed call") << failed;
        EXPECT_NE(job.GetFailure().Describe().find(
                      "failed: injected failure; fake detail of the failed call"),
                  std::string::npos)
            << job.GetFailure().Describe();
        for (std::size_t i = k; i < fake.calls.size(); ++i) {
            const std::string& after = fake.calls[i];
            EXPECT_TRUE(after.rfind("RawCreateAbandon(", 0) == 0 ||
                        after.rfind("RawReadClose(", 0) == 0)
                << "after " << failed << ": " << after;
        }
        const std::string& failing = job.GetFailure().input;
        const auto at = std::find(files.begin(), files.end(), failing) - files.begin();
        ASSERT_LT(at, 3) << failing;
        for (std::ptrdiff_t f = 0; f < 3; ++f) {
            const std::string out = files[static_cast<std::size_t>(f)].substr(0, 1) + "_BRV.raw";
            if (f < at) {
                EXPECT_TRUE(fake.outputs[out].closed) << failed;
            } else if (f > at) {
                EXPECT_EQ(fake.outputs.count(out), 0u) << failed;
            } else {
                // Only a failing close of the input comes after the output is complete.
                EXPECT_EQ(fake.outputs[out].closed, failed.rfind("RawReadClose(", 0) == 0)
                    << failed;
            }
        }
        EXPECT_EQ(job.GetFileList().rfind(failing, 0), 0u) << job.GetFileList();
    }
}

// Regression: "x.raw/", as shell completion writes it, was named "x.raw/_BRV" and refused.
TEST_F(FilterJobTest, TrailingSlashesNameTheAcquisition) {
    for (const std::string input : {"d/x.raw/", "d/x.raw//"}) {
        FakeRawLibrary fake;
        fake.inputs[input] = FakeInput{};
        CFilterJob job(&rules, FakeRawLibrary::Ops());
        job.SetFileList(std::vector<std::string>{input});
        job.SetSuffix("_BRV");
        EXPECT_TRUE(job.Run()) << input << ": " << job.GetFailure().Describe();
        EXPECT_EQ(fake.outputs.count("d/x_BRV.raw"), 1u) << input;
        ASSERT_EQ(job.GetSummaries().size(), 1u);
        EXPECT_EQ(job.GetSummaries()[0].output, "d/x_BRV.raw");
    }
}

// Regression: an output path that was a link was written through.
TEST_F(FilterJobTest, AnOutputPathThatIsALinkIsRefusedBeforeAnyCall) {
    const fs::path dir = fs::path(::testing::TempDir()) / ("job_link_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "elsewhere.raw");
    fs::create_directory_symlink(dir / "elsewhere.raw", dir / "x_BRV.raw");
    const std::string input = (dir / "x.raw").string();
    FakeRawLibrary fake;
    fake.inputs[input] = FakeInput{};
    CFilterJob job(&rules, FakeRawLibrary::Ops());
    job.SetFileList(std::vector<std::string>{input});
    job.SetSuffix("_BRV");
    EXPECT_FALSE(job.Run());
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_NE(job.GetFailure().Describe().find("is a symbolic link"), std::string::npos)
        << job.GetFailure().Describe();
    fs::remove_all(dir);
}

// Regression: a companion that could not be copied was ignored and the file reported done.
TEST_F(FilterJobTest, AFailedCompanionCopyFailsTheFileAndNamesTheCompanion) {
    const fs::path dir = fs::path(::testing::TempDir()) / ("job_comp_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "x.raw");
    std::ofstream(dir / "x.raw" / "notes.txt") << "notes";
    // The output directory is missing (the stand-in library writes nothing), so the copy fails.
    const std::string input = (dir / "x.raw").string();
    FakeRawLibrary fake;
    fake.inputs[input] = FakeInput{};
    CFilterJob job(&rules, FakeRawLibrary::Ops());
    job.SetFileList(std::vector<std::string>{input});
    job.SetSuffix("_BRV");
    EXPECT_FALSE(job.Run());
    EXPECT_TRUE(job.GetSummaries().empty());
    EXPECT_EQ(job.GetFailure().operation, "copying companion files");
    EXPECT_NE(job.GetFailure().Describe().find((dir / "x.raw" / "notes.txt").string()),
              std::string::npos)
        << job.GetFailure().Describe();
    fs::remove_all(dir);
}

}  // namespace
