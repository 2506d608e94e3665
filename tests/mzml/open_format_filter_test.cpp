// The filter on open formats: kept peaks against an independent reading of the rules,
// unfiltered levels untouched, precision and compression kept, summary and processing entry.
#include "mzml/open_format_filter.h"

#include <cmath>

#include <gtest/gtest.h>
#include <pwiz/data/msdata/MSDataFile.hpp>

#include "mzml/raw_conversion.h"
#include "params/rule_text.h"
#include "tests/mzml/mzml_fixtures.h"

namespace {

// The rule as the README states it, written apart from the filter's own code.
bool RuleKeeps(const CMassRange& rule, double m) {
    if (!(rule.GetLowMass() <= m && m < rule.GetHighMass())) {
        return false;
    }
    double lower = rule.GetMassDefect() - rule.GetWindowBelow() * 0.001;
    if (lower < 0.0) {
        lower += 1.0;
    }
    double upper = rule.GetMassDefect() + rule.GetWindowAbove() * 0.001;
    if (upper - 1.0 > 0.0) {
        upper -= 1.0;
    }
    const double f = m - std::trunc(m);
    return lower <= upper ? (lower < f && f < upper) : (f > lower || f < upper);
}

CMassRangeList Rules(const std::vector<std::string>& texts) {
    CMassRangeList rules;
    for (const std::string& text : texts) {
        CMassRange rule;
        std::string error;
        EXPECT_TRUE(ParseRule(text, rule, error)) << text << ": " << error;
        rules.AddEntry(rule);
    }
    return rules;
}

// What the filtered file must hold: for each spectrum, the peaks of the input that some rule
// of its level keeps (judged on the m/z as a float), or all of them when its level has none.
std::vector<SpectrumPeaks> Expected(const std::vector<SpectrumPeaks>& input,
                                    const CMassRangeList& rules) {
    std::vector<SpectrumPeaks> out = input;
    for (SpectrumPeaks& spectrum : out) {
        std::vector<CMassRange> own;
        for (std::int32_t r = 0; r < rules.GetCount(); ++r) {
            CMassRange rule;
            rules.GetEntry(r, rule);
            if (rule.GetFunction() == spectrum.msLevel) {
                own.push_back(rule);
            }
        }
        if (own.empty()) {
            continue;
        }
        SpectrumPeaks kept{spectrum.id, spectrum.msLevel, {}, {}};
        for (std::size_t p = 0; p < spectrum.mz.size(); ++p) {
            const double asFloat = static_cast<float>(spectrum.mz[p]);
            for (const CMassRange& rule : own) {
                if (RuleKeeps(rule, asFloat)) {
                    kept.mz.push_back(spectrum.mz[p]);
                    kept.intensity.push_back(spectrum.intensity[p]);
                    break;
                }
            }
        }
        spectrum = kept;
    }
    return out;
}

void ExpectSamePeaks(const std::vector<SpectrumPeaks>& expected,
                     const std::vector<SpectrumPeaks>& actual, const std::string& label) {
    ASSERT_EQ(expected.size(), actual.size()) << label;
    for (std::size_t s = 0; s < expected.size(); ++s) {
        EXPECT_EQ(expected[s].id, actual[s].id) << label;
        // Exact comparison: kept peaks keep their original values bit for bit.
        EXPECT_EQ(expected[s].mz, actual[s].mz) << label << ", spectrum " << expected[s].id;
        EXPECT_EQ(expected[s].intensity, actual[s].intensity)
            << label << ", spectrum " << expected[s].id;
    }
}

// A container's parameters as text, for comparisons that say what differs.
std::string ParamText(const pwiz::data::ParamContainer& params) {
    std::string text;
    for (const auto& p : params.cvParams) {
        text += p.name() + "=" + p.value + "; ";
    }
    for (const auto& p : params.userParams) {
        text += p.name + "=" + p.value + "; ";
    }
    return text;
}

// Every spectrum of a level without rules has the input's metadata (its arrays are compared
// exactly by ExpectSamePeaks).
void ExpectUnfilteredLevelsIdentical(const std::string& in, const std::string& out,
                                     const CMassRangeList& rules, const std::string& label) {
    pwiz::msdata::MSDataFile a(in);
    pwiz::msdata::MSDataFile b(out);
    ASSERT_EQ(a.run.spectrumListPtr->size(), b.run.spectrumListPtr->size()) << label;
    int compared = 0;
    for (std::size_t i = 0; i < a.run.spectrumListPtr->size(); ++i) {
        const auto x = a.run.spectrumListPtr->spectrum(i, true);
        const auto y = b.run.spectrumListPtr->spectrum(i, true);
        const int level = x->cvParam(pwiz::cv::MS_ms_level).valueAs<int>();
        if (rules.CountForFunction(level) > 0) {
            continue;
        }
        EXPECT_EQ(ParamText(*x), ParamText(*y)) << label << ", spectrum " << x->id;
        EXPECT_EQ(x->defaultArrayLength, y->defaultArrayLength) << label << ", " << x->id;
        EXPECT_EQ(x->precursors.size(), y->precursors.size()) << label << ", " << x->id;
        ASSERT_EQ(x->scanList.scans.size(), y->scanList.scans.size()) << label << ", " << x->id;
        for (std::size_t k = 0; k < x->scanList.scans.size(); ++k) {
            EXPECT_EQ(ParamText(x->scanList.scans[k]), ParamText(y->scanList.scans[k]))
                << label << ", " << x->id;
        }
        ++compared;
    }
    if (rules.GetCount() == 0) {
        EXPECT_EQ(compared, static_cast<int>(a.run.spectrumListPtr->size())) << label;
    }
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

struct GeneratedCase {
    const char* label;
    TestInputOptions input;
    std::vector<std::string> rules;
};

class GeneratedInputs : public ::testing::TestWithParam<GeneratedCase> {};

TEST_P(GeneratedInputs, KeepsExactlyWhatTheRulesKeep) {
    const GeneratedCase& c = GetParam();
    TestDir dir;
    const std::string in = dir.Path("in.mzML");
    const std::string out = dir.Path("in_BRV.mzML");
    WriteTestMzml(in, c.input);
    const CMassRangeList rules = Rules(c.rules);
    FileSummary summary;
    std::string error;
    ASSERT_TRUE(FilterOpenFormatFile(in, out, rules, nullptr, summary, error)) << error;

    const auto input = ReadAllPeaks(in);
    const auto output = ReadAllPeaks(out);
    ExpectSamePeaks(Expected(input, rules), output, c.label);
    EXPECT_EQ(ChromatogramCount(in), ChromatogramCount(out)) << c.label;

    // Same encodings as the input, spectrum by spectrum and array by array.
    const std::string inText = ReadText(in);
    const std::string outText = ReadText(out);
    for (const char* term :
         {"\"MS:1000521\"", "\"MS:1000523\"", "\"MS:1000574\"", "\"MS:1000576\""}) {
        EXPECT_EQ(Count(inText, term), Count(outText, term)) << c.label << ": " << term;
    }
    // The file says what was done to it.
    EXPECT_NE(outText.find("<software id=\"Brevanto\""), std::string::npos) << c.label;
    for (std::int32_t r = 0; r < rules.GetCount(); ++r) {
        CMassRange rule;
        rules.GetEntry(r, rule);
        EXPECT_NE(outText.find("name=\"Brevanto rule\" value=\"" + FormatRule(rule) + "\""),
                  std::string::npos)
            << c.label << ": " << FormatRule(rule);
    }
    ExpectUnfilteredLevelsIdentical(in, out, rules, c.label);

    // The summary counts what the files hold.
    std::map<int, FunctionSummary> expected;
    for (std::size_t s = 0; s < input.size(); ++s) {
        FunctionSummary& f = expected[input[s].msLevel];
        f.function = input[s].msLevel;
        ++f.scans;
        f.peaksRead += input[s].mz.size();
        f.peaksKept += output[s].mz.size();
        f.filtered = rules.CountForFunction(f.function) > 0;
    }
    ASSERT_EQ(summary.functions.size(), expected.size()) << c.label;
    for (const FunctionSummary& f : summary.functions) {
        const FunctionSummary& e = expected[f.function];
        EXPECT_EQ(f.scans, e.scans) << c.label << ", level " << f.function;
        EXPECT_EQ(f.peaksRead, e.peaksRead) << c.label << ", level " << f.function;
        EXPECT_EQ(f.peaksKept, e.peaksKept) << c.label << ", level " << f.function;
        EXPECT_EQ(f.filtered, e.filtered) << c.label << ", level " << f.function;
    }
}

INSTANTIATE_TEST_SUITE_P(
    OpenFormats, GeneratedInputs,
    ::testing::Values(
        GeneratedCase{"64-bit m/z, 32-bit intensity, MS1 rule", {}, {"1:0:1000:0.25:100:100"}},
        GeneratedCase{"32-bit m/z and intensity, zlib, MS2 rule",
                      {.mz32 = true, .intensity32 = true, .zlib = true},
                      {"2:150:600:0.5:200:200"}},
        GeneratedCase{"64-bit everything, zlib, both levels, wrapping window",
                      {.mz32 = false, .intensity32 = false, .zlib = true},
                      {"1:0:1000:0.95:100:100", "2:0:400:0.1:50:50", "2:400:1000:0.9:30:30"}},
        GeneratedCase{"no rules: everything unchanged", {}, {}},
        GeneratedCase{"a rule for a level the file lacks", {}, {"3:0:1000:0.5:500:500"}},
        GeneratedCase{"empty spectra only", {.peaks = 0}, {"1:0:1000:0.5:100:100"}},
        GeneratedCase{"no chromatogram", {.chromatogram = false}, {"1:0:1000:0.5:100:100"}},
        GeneratedCase{"chromatogram only", {.spectra = 0}, {"1:0:1000:0.5:100:100"}}),
    [](const auto& param) { return "case" + std::to_string(param.index); });

// Levels without rules must come out as they went in: peaks, and the metadata around them.
TEST(OpenFormatFilter, LevelsWithoutRulesAreWrittenUnchanged) {
    const std::string tiny = SharedSample("tiny.pwiz.1.1.mzML");
    if (tiny.empty()) {
        GTEST_SKIP() << "tiny.pwiz.1.1.mzML not found in BREVANTO_SHARED_DATA";
    }
    TestDir dir;
    const std::string out = dir.Path("tiny_BRV.mzML");
    const CMassRangeList rules = Rules({"2:0:2000:0.3:100:100"});
    FileSummary summary;
    std::string error;
    ASSERT_TRUE(FilterOpenFormatFile(tiny, out, rules, nullptr, summary, error)) << error;
    const auto input = ReadAllPeaks(tiny);
    const auto output = ReadAllPeaks(out);
    ExpectSamePeaks(Expected(input, rules), output, "tiny");
    ExpectUnfilteredLevelsIdentical(tiny, out, rules, "tiny");
    EXPECT_EQ(ChromatogramCount(tiny), ChromatogramCount(out));
}

// Regression: the library reads example.mzML's index, which points its chromatogram at a
// spectrum, and cannot read mini.chrom.mzML's last chromatogram. It fails on such a file only
// once the output is half written, so the file is refused before anything is written.
TEST(OpenFormatFilter, SamplesTheLibraryCannotReadWholeAreRefusedUpFront) {
    for (const char* name : {"example.mzML", "mini.chrom.mzML"}) {
        const std::string sample = SharedSample(name);
        if (sample.empty()) {
            GTEST_SKIP() << name << " not found in BREVANTO_SHARED_DATA";
        }
        TestDir dir;
        FileSummary summary;
        std::string error;
        EXPECT_FALSE(FilterOpenFormatFile(sample, dir.Path("out.mzML"),
                                          Rules({"1:0:2000:0.5:100:100"}), nullptr, summary, error))
            << name;
        EXPECT_NE(error.find(sample), std::string::npos) << error;
        EXPECT_NE(error.find("index"), std::string::npos) << error;
        EXPECT_TRUE(dir.Entries().empty()) << name;
    }
}

// The import reads spectra only, so example.mzML's spectra convert.
TEST(OpenFormatImport, SpectraOfASampleWithABadChromatogramIndexConvert) {
    const std::string example = SharedSample("example.mzML");
    if (example.empty()) {
        GTEST_SKIP() << "example.mzML not found in BREVANTO_SHARED_DATA";
    }
    TestDir dir;
    std::string error;
    ASSERT_TRUE(ImportMzml(example, dir.Path("example.raw"), error)) << error;
    ASSERT_TRUE(ExportMzml(dir.Path("example.raw"), dir.Path("back.mzML"), error)) << error;
    const auto before = ReadAllPeaks(example);
    const auto after = ReadAllPeaks(dir.Path("back.mzML"));
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t s = 0; s < before.size(); ++s) {
        EXPECT_EQ(before[s].mz.size(), after[s].mz.size()) << before[s].id;
    }
}

class CountingProgress : public RunProgress {
  public:
    void Show() override {}
    void SetCurrentFile(const std::string& path) override { file = path; }
    void SetRange(std::uint16_t count) override { range = count; }
    void Step() override { ++steps; }
    void Hide() override {}
    std::string file;
    int range = -1;
    int steps = 0;
};

TEST(OpenFormatFilter, ProgressStepsOncePerSpectrumOnSmallFiles) {
    TestDir dir;
    const std::string in = dir.Path("in.mzML");
    WriteTestMzml(in, {.spectra = 9});
    CountingProgress progress;
    FileSummary summary;
    std::string error;
    ASSERT_TRUE(FilterOpenFormatFile(in, dir.Path("out.mzML"), Rules({"1:0:1000:0.5:100:100"}),
                                     &progress, summary, error))
        << error;
    EXPECT_EQ(progress.file, in);
    EXPECT_EQ(progress.range, 9);
    EXPECT_EQ(progress.steps, 9);
}

TEST(OpenFormatPaths, ExtensionsAndOutputNames) {
    struct Case {
        const char* input;
        bool open;
        const char* output;
    };
    for (const Case& c :
         {Case{"d/x.mzML", true, "d/x_BRV.mzML"}, Case{"d/x.MZML", true, "d/x_BRV.MZML"},
          Case{"d/x.mzXML", true, "d/x_BRV.mzML"}, Case{"d/x.mzxml", true, "d/x_BRV.mzML"},
          Case{"d/x.raw", false, "d/x_BRV.raw"}, Case{"d/x.mgf", false, "d/x_BRV.mgf"}}) {
        EXPECT_EQ(IsOpenFormatPath(c.input), c.open) << c.input;
        EXPECT_EQ(OpenFormatOutputPath(c.input, "_BRV"), c.output) << c.input;
    }
}

}  // namespace
