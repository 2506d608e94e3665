// Every kind of mzML we write is read by two independent readers, OpenMS's FileInfo and
// pymzml, and both count the same spectra and peaks as the library that wrote it.
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "mzml/open_format_filter.h"
#include "mzml/raw_conversion.h"
#include "tests/mzml/mzml_fixtures.h"
#include "tools/raw/synth_acquisition.h"

namespace {

std::string RunCommand(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        ::pclose(pipe);
    }
    return output;
}

// The number after the first `label` in the text, or -1. (No std::regex: GCC 12 reports its
// std::function internals as maybe-uninitialized under the sanitizers.)
long Field(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::atol(text.c_str() + at + label.size());
}

// The sum of the numbers after `label` at the start of any line (leading blanks allowed).
long SumOfLines(const std::string& text, const std::string& label) {
    long sum = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::size_t first = text.find_first_not_of(" \t", start);
        if (first < end && text.compare(first, label.size(), label) == 0) {
            sum += std::atol(text.c_str() + first + label.size());
        }
        start = end + 1;
    }
    return sum;
}

struct Counts {
    long spectra = 0;
    long peaks = 0;
};

Counts LibraryCounts(const std::string& path) {
    Counts counts;
    for (const SpectrumPeaks& s : ReadAllPeaks(path)) {
        ++counts.spectra;
        counts.peaks += static_cast<long>(s.mz.size());
    }
    return counts;
}

// The files under test: filtered generated inputs of each encoding, a filtered sample, and
// an export of a synthesized acquisition.
std::vector<std::string> WriteOutputs(const TestDir& dir) {
    CMassRange rule;
    rule.SetFunction(1);
    rule.SetHighMass(2000);
    rule.SetMassDefect(0.3);
    rule.SetWindowAbove(200);
    rule.SetWindowBelow(200);
    CMassRangeList rules;
    rules.AddEntry(rule);
    std::vector<std::string> outputs;
    const TestInputOptions inputs[] = {
        {}, {.mz32 = true, .zlib = true}, {.intensity32 = false, .zlib = true}};
    for (std::size_t i = 0; i < std::size(inputs); ++i) {
        const std::string in = dir.Path("in" + std::to_string(i) + ".mzML");
        const std::string out = dir.Path("in" + std::to_string(i) + "_BRV.mzML");
        WriteTestMzml(in, inputs[i]);
        FileSummary summary;
        std::string error;
        EXPECT_TRUE(FilterOpenFormatFile(in, out, rules, nullptr, summary, error)) << error;
        outputs.push_back(out);
    }
    if (const std::string tiny = SharedSample("tiny.pwiz.1.1.mzML"); !tiny.empty()) {
        FileSummary summary;
        std::string error;
        EXPECT_TRUE(
            FilterOpenFormatFile(tiny, dir.Path("tiny_BRV.mzML"), rules, nullptr, summary, error))
            << error;
        outputs.push_back(dir.Path("tiny_BRV.mzML"));
    }
    EXPECT_EQ(
        SynthesizeAcquisition(dir.Path("synth.raw"), {.functions = 2, .scans = 8, .peaks = 30}),
        kRawOk);
    std::string error;
    EXPECT_TRUE(ExportMzml(dir.Path("synth.raw"), dir.Path("synth.mzML"), error)) << error;
    outputs.push_back(dir.Path("synth.mzML"));
    return outputs;
}

TEST(IndependentReaders, OpenMsFileInfoAgreesOnCounts) {
    if (std::string(BREVANTO_FILEINFO).find("NOTFOUND") != std::string::npos) {
        GTEST_SKIP() << "OpenMS FileInfo not installed (scripts/install-deps.sh installs it)";
    }
    TestDir dir;
    for (const std::string& path : WriteOutputs(dir)) {
        const Counts expected = LibraryCounts(path);
        const std::string report =
            RunCommand(std::string(BREVANTO_FILEINFO) + " -d -in '" + path + "'");
        EXPECT_EQ(Field(report, "Number of spectra: "), expected.spectra) << path << report;
        // FileInfo 2.6's "Total number of peaks" line is off for some files (it says 20 for a
        // file whose spectra it lists with 0, 10, 0 and 0 peaks); the peaks it lists spectrum
        // by spectrum (-d) are the count to compare.
        const long peaks = SumOfLines(report, "peaks:");
        EXPECT_EQ(peaks, expected.peaks) << path << report;
    }
}

TEST(IndependentReaders, PymzmlAgreesOnCounts) {
    if (std::string(BREVANTO_SYSTEM_PYTHON).find("NOTFOUND") != std::string::npos) {
        GTEST_SKIP() << "/usr/bin/python3 not found";
    }
    TestDir dir;
    for (const std::string& path : WriteOutputs(dir)) {
        // Debian's pymzml 2.5.2 calls Element.getiterator, which Python 3.9 removed, on every
        // referenceable param group: it cannot read such files at all, ours or not.
        if (ReadText(path).find("<referenceableParamGroupRef") != std::string::npos) {
            continue;
        }
        const Counts expected = LibraryCounts(path);
        const std::string report = RunCommand(std::string(BREVANTO_SYSTEM_PYTHON) + " '" +
                                              BREVANTO_PYMZML_COUNT + "' '" + path + "'");
        EXPECT_EQ(Field(report, "spectra "), expected.spectra) << path << report;
        EXPECT_EQ(Field(report, "peaks "), expected.peaks) << path << report;
    }
}

}  // namespace
