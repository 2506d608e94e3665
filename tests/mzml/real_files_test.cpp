// The open-format filter on the shared real files, as the user runs it: each file filtered
// with rules that keep some peaks, none, or a window wrapping past the integer, and the output
// checked by the reader against an independent rule, by a masked byte comparison with the
// input, by OpenMS' FileInfo, pymzml and the schemas, and through brevanto-batch.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "mzml/open_format_filter.h"
#include "params/mass_range.h"
#include "tests/mzml/open_format_check.h"
#include "tests/support/scratch_dir.h"

using mzml::FilterOpenFormatFile;
using mzml::OpenFormatOptions;
using mzml::OpenFormatOutputPath;
using params::CMassRange;
using params::CMassRangeList;
using params::MakeMassRange;
using processing::FileRunSummary;
using processing::FunctionSummary;

namespace fs = std::filesystem;

namespace {

// The files the shared folder's README lists.
const char* const kRealFiles[] = {
    "example.mzML",       "example.mzML.gz",  "mini.chrom.mzML",    "mini_numpress.chrom.mzML",
    "tiny.pwiz.1.1.mzML", "dummyiTRAQ.mzXML", "external_refs.mzML", "single_ms2_profile.mzML",
};

// Its sha1 no longer matches its bytes; the user filters it with --ignore-checksums.
constexpr const char* kStaleChecksumFile = "dummyiTRAQ.mzXML";

struct RuleSet {
    const char* name;
    std::vector<CMassRange> rules;
};

const std::vector<RuleSet>& RuleSets() {
    static const std::vector<RuleSet> sets = {
        {"KeepsSome",
         {MakeMassRange(1, 0, 100000, 0.3, 200, 200),  // fraction in (0.1, 0.5)
          MakeMassRange(1, 400, 600, 0.8, 100, 100),   // and (0.7, 0.9) in [400, 600)
          MakeMassRange(2, 0, 100000, 0.6, 150, 150),  // MS2: (0.45, 0.75)
          MakeMassRange(2, 110, 120, 0.1, 50, 50),     // reporter ions
          // Whole-number masses (the small example files): a window around the integer.
          MakeMassRange(1, 0, 7, 0.0, 50, 50), MakeMassRange(1, 105, 125, 0.0, 50, 50),
          MakeMassRange(2, 4, 12, 0.0, 50, 50), MakeMassRange(2, 115, 135, 0.0, 50, 50)}},
        {"KeepsNone",
         {MakeMassRange(1, 500, 500, 0.5, 500, 500),  // an empty mass range
          MakeMassRange(2, 700, 100, 0.5, 500, 500)}},
        {"WrapsPastTheInteger",
         {MakeMassRange(1, 0, 100000, 0.95, 100, 100),   // upper 1.05 - 1.0: f > 0.85 or f < 0.05
          MakeMassRange(2, 0, 100000, 0.02, 100, 50)}},  // lower -0.03 + 1.0: f > 0.97 or < 0.12
    };
    return sets;
}

CMassRangeList ListOf(const RuleSet& set) {
    CMassRangeList list;
    for (const CMassRange& rule : set.rules)
        list.AddEntry(rule);
    return list;
}

bool IsMzxml(const std::string& name) {
    return name.find(".mzXML") != std::string::npos;
}

// The schema an input of this kind is checked against: indexed or plain mzML 1.1.
std::string InputSchema(const std::string& path) {
    const std::string head = ReadContent(path).substr(0, 4096);
    return head.find("indexedmzML") != std::string::npos ? "mzML_idx_1_10.xsd" : "mzML_1_10.xsd";
}

struct Case {
    std::string file;
    std::size_t ruleSet;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.file << " with " << RuleSets()[c.ruleSet].name;
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (const char* file : kRealFiles) {
        for (std::size_t r = 0; r < RuleSets().size(); ++r)
            cases.push_back({file, r});
    }
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = info.param.file + "_" + RuleSets()[info.param.ruleSet].name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

class RealFile : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        data = SharedDataDir();
        if (data.empty() || !fs::exists(fs::path(data) / GetParam().file)) {
            GTEST_SKIP() << "the shared real file " << GetParam().file
                         << " is not there (BREVANTO_SHARED_DATA)";
        }
        std::string missing;
        if (!ExternalToolsPresent(missing)) {
            GTEST_SKIP() << "the independent readers are not installed: " << missing;
        }
    }
    std::string data;
};

TEST_P(RealFile, FilteredExactlyAndReadByEveryReader) {
    const Case& c = GetParam();
    const RuleSet& set = RuleSets()[c.ruleSet];
    const CMassRangeList rules = ListOf(set);
    const std::string input = (fs::path(data) / c.file).string();
    ScratchDir dir;
    const std::string output = OpenFormatOutputPath(dir.Path(c.file), "_BRV");
    const std::string label = c.file + " with " + set.name;

    OpenFormatOptions options;
    options.ignoreChecksums = c.file == kStaleChecksumFile;
    std::vector<std::string> warnings;
    options.warn = [&](const std::string& w) { warnings.push_back(w); };
    FileRunSummary summary;
    std::string error;
    ASSERT_TRUE(FilterOpenFormatFile(input, output, rules, nullptr, summary, error, options))
        << label << ": " << error;
    if (options.ignoreChecksums) {
        ASSERT_FALSE(warnings.empty()) << label << ": the stale checksum is not warned about";
        EXPECT_NE(warnings[0].find(input), std::string::npos) << warnings[0];
    }

    // (a) the kept peaks, value for value, against the independent rule.
    const ExpectedFilter expected = ExpectFilteredExactly(label, input, output, rules);
    std::uint64_t read = 0, kept = 0;
    for (const FunctionSummary& f : summary.functions) {
        read += f.peaksRead;
        kept += f.peaksKept;
    }
    EXPECT_EQ(read, expected.peaksIn) << label << ": peaks read in the summary";
    EXPECT_EQ(kept, expected.peaksOut) << label << ": peaks kept in the summary";
    if (std::string(set.name) == "KeepsSome" && expected.peaksIn > 0) {
        EXPECT_GT(expected.peaksOut, 0u) << label << ": the rules should keep some peaks";
        EXPECT_LT(expected.peaksOut, expected.peaksIn) << label << ": and drop some";
    }

    // (b) every other byte as it was.
    std::string report;
    EXPECT_EQ(RunMaskedDiff(input, output, rules, report), 0) << label << ":\n" << report;

    // (c) OpenMS reads the output with the spectra of the input and the peaks kept.
    FileInfoCounts before, after;
    ASSERT_TRUE(RunFileInfo(input, before, report)) << label << ": FileInfo on the input:\n"
                                                    << report;
    ASSERT_TRUE(RunFileInfo(output, after, report)) << label << ": FileInfo on the output:\n"
                                                    << report;
    EXPECT_EQ(after.spectra, before.spectra) << label;
    EXPECT_EQ(after.peaks, before.peaks - (expected.peaksIn - expected.peaksOut)) << label;

    // (c) pymzml reads the mzML output wherever it reads the input.
    if (!IsMzxml(c.file)) {
        std::vector<std::pair<std::string, std::size_t>> inCounts, outCounts;
        if (RunPymzml(input, inCounts, report)) {
            ASSERT_TRUE(RunPymzml(output, outCounts, report)) << label << ":\n" << report;
            EXPECT_EQ(outCounts, expected.keptPerSpectrum) << label;
        } else {
            std::printf("pymzml does not read %s itself, so not its output either: %s\n",
                        c.file.c_str(),
                        report.substr(report.rfind('\n', report.size() - 2) + 1).c_str());
        }
    }

    // (d) an output of a valid input is valid indexed mzML.
    if (!IsMzxml(c.file) && c.file.find(".gz") == std::string::npos &&
        SchemaValid(input, InputSchema(input), report)) {
        EXPECT_TRUE(SchemaValid(output, "mzML_idx_1_10.xsd", report)) << label << ":\n" << report;
    }
}

INSTANTIATE_TEST_SUITE_P(SharedData, RealFile, ::testing::ValuesIn(AllCases()), CaseName);

TEST(RealFiles, StaleChecksumIsRefusedUnlessIgnoredAndNothingIsWritten) {
    const std::string data = SharedDataDir();
    const fs::path input = fs::path(data) / kStaleChecksumFile;
    if (data.empty() || !fs::exists(input))
        GTEST_SKIP() << input << " is not there";
    ScratchDir dir;
    const std::string output = dir.Path("out.mzXML");
    FileRunSummary summary;
    std::string error;
    EXPECT_FALSE(FilterOpenFormatFile(input.string(), output, ListOf(RuleSets()[0]), nullptr,
                                      summary, error));
    EXPECT_NE(error.find(input.string()), std::string::npos) << error;
    EXPECT_NE(error.find("sha1"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(dir.Path())) << "a refused file leaves nothing behind";
}

// (e) gzip in, gzip out, and inside the same bytes as the plain file gives.
TEST(RealFiles, GzippedInputGivesTheGzippedPlainOutput) {
    const std::string data = SharedDataDir();
    const fs::path plain = fs::path(data) / "example.mzML";
    const fs::path zipped = fs::path(data) / "example.mzML.gz";
    if (data.empty() || !fs::exists(plain) || !fs::exists(zipped)) {
        GTEST_SKIP() << "example.mzML(.gz) is not in the shared data";
    }
    ASSERT_EQ(ReadContent(plain.string()), ReadContent(zipped.string()))
        << "the shared files are meant to be one file, plain and gzipped";
    ScratchDir dir;
    for (const RuleSet& set : RuleSets()) {
        const CMassRangeList rules = ListOf(set);
        const std::string plainOut = dir.Path(std::string(set.name) + ".mzML");
        const std::string zippedOut = dir.Path(std::string(set.name) + ".mzML.gz");
        FileRunSummary summary;
        std::string error;
        ASSERT_TRUE(FilterOpenFormatFile(plain.string(), plainOut, rules, nullptr, summary, error))
            << error;
        ASSERT_TRUE(
            FilterOpenFormatFile(zipped.string(), zippedOut, rules, nullptr, summary, error))
            << error;
        std::ifstream in(zippedOut, std::ios::binary);
        char magic[2] = {};
        in.read(magic, 2);
        EXPECT_TRUE(magic[0] == '\x1f' && magic[1] == '\x8b') << set.name << ": not gzip";
        const std::string content = ReadContent(zippedOut);
        EXPECT_FALSE(content.empty()) << set.name;
        EXPECT_TRUE(content == ReadContent(plainOut))
            << set.name << ": the gzipped output holds other bytes than the plain one";
    }
}

}  // namespace

namespace {

// An output filtered again (a user who runs the batch over x_BRV.mzML on purpose) is an input
// like any other: our own software and processing entries are told apart from the new ones.
TEST(RealFiles, AnOutputFilteredAgainIsFilteredExactly) {
    const std::string data = SharedDataDir();
    std::string missing;
    if (data.empty() || !ExternalToolsPresent(missing))
        GTEST_SKIP() << "no data or " << missing;
    ScratchDir dir;
    for (const char* name : {"tiny.pwiz.1.1.mzML", "example.mzML", "dummyiTRAQ.mzXML"}) {
        const fs::path input = fs::path(data) / name;
        if (!fs::exists(input))
            continue;
        const CMassRangeList first = ListOf(RuleSets()[2]);  // wraps past the integer
        const CMassRangeList second = ListOf(RuleSets()[0]);
        const std::string once = OpenFormatOutputPath(dir.Path(name), "_BRV");
        const std::string twice = OpenFormatOutputPath(once, "_BRV");
        OpenFormatOptions options;
        options.ignoreChecksums = true;
        FileRunSummary summary;
        std::string error;
        ASSERT_TRUE(
            FilterOpenFormatFile(input.string(), once, first, nullptr, summary, error, options))
            << error;
        ASSERT_TRUE(FilterOpenFormatFile(once, twice, second, nullptr, summary, error)) << error;
        ExpectFilteredExactly(std::string(name) + " twice", once, twice, second);
        std::string report;
        EXPECT_EQ(RunMaskedDiff(once, twice, second, report), 0) << name << ":\n" << report;
    }
}

}  // namespace
