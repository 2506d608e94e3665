// The masked comparison must not be blind: a filtered output changed anywhere filtering may
// not change it, or with a wrong index or checksum, must be told from the true output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "mzml/open_format_filter.h"
#include "tests/mzml/open_format_check.h"
#include "tests/mzml/variation_documents.h"
#include "tests/support/file_contents.h"

namespace fs = std::filesystem;

namespace {

enum class Edit {
    kReplace,   // `from` (first after `anchor`) becomes `to`
    kDropLine,  // the line holding `anchor` goes
    kFlipNext,  // the character after `from` (first after `anchor`) changes
};

struct Tampering {
    const char* what;
    bool mzxml;
    Edit edit;
    const char* anchor;
    const char* from;
    const char* to;
};

const Tampering kTamperings[] = {
    {"an id outside the spectra", false, Edit::kReplace, "", R"(id="TIC")", R"(id="TIc")"},
    {"a cvParam of a spectrum", false, Edit::kReplace, "", R"(name="ms level" value="2")",
     R"(name="ms level" value="3")"},
    {"a base peak removed from a spectrum that keeps peaks", false, Edit::kDropLine, "MS:1000504",
     "", ""},
    {"a chromatogram's array", false, Edit::kFlipNext, R"(id="TIC")", "<binary>", ""},
    {"an index offset", false, Edit::kFlipNext, "", R"(idRef="scan=2">)", ""},
    {"the index list offset", false, Edit::kFlipNext, "", "<indexListOffset>", ""},
    {"the checksum", false, Edit::kFlipNext, "", "<fileChecksum>", ""},
    {"the software list count", false, Edit::kReplace, "", R"(<softwareList count="2")",
     R"(<softwareList count="1")"},
    {"a rule named in the added processing", false, Edit::kDropLine, R"(name="Brevanto rule")", "",
     ""},
    {"the whitespace between two elements", false, Edit::kReplace, "", "</cvList>\n",
     "</cvList>\n\n"},
    {"a scan's retention time", true, Edit::kReplace, "", R"(retentionTime="PT2.5S")",
     R"(retentionTime="PT2.6S")"},
    {"a precursor", true, Edit::kReplace, "", ">412.48<", ">412.49<"},
    {"the scan index", true, Edit::kFlipNext, "", R"(<offset id="3">)", ""},
    {"the sha1", true, Edit::kFlipNext, "", "<sha1>", ""},
    {"the added data processing", true, Edit::kReplace, "", R"(name="Brevanto")",
     R"(name="Other")"},
};

// The tampered text, or the text itself when the places to change are not there.
std::string Tamper(const std::string& text, const Tampering& t) {
    const std::size_t anchor = text.find(t.anchor);
    if (anchor == std::string::npos)
        return text;
    std::string out = text;
    if (t.edit == Edit::kDropLine) {
        const std::size_t begin = text.rfind('\n', anchor);
        const std::size_t end = text.find('\n', anchor);
        if (begin == std::string::npos || end == std::string::npos)
            return text;
        return out.erase(begin, end - begin);
    }
    const std::size_t at = text.find(t.from, anchor);
    if (at == std::string::npos)
        return text;
    if (t.edit == Edit::kReplace)
        return out.replace(at, std::strlen(t.from), t.to);
    const std::size_t next = at + std::strlen(t.from);
    if (next >= out.size())
        return text;
    char& c = out[next];
    c = std::isdigit(static_cast<unsigned char>(c)) ? (c == '1' ? '2' : '1')
                                                    : (c == 'f' ? 'e' : 'f');
    return out;
}

TEST(MaskedDiff, TellsEveryForbiddenChangeFromTheTrueOutput) {
    std::string missing;
    if (!ExternalToolsPresent(missing))
        GTEST_SKIP() << "not installed: " << missing;
    const fs::path dir =
        fs::path(::testing::TempDir()) / ("mzml_masked_diff_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const params::CMassRangeList rules = VariationRules();
    std::string inputs[2], outputs[2];
    const std::string documents[2] = {MzmlDocument(MzmlVariations().front()),
                                      MzxmlDocument(MzxmlVariations().front())};
    for (int k = 0; k < 2; ++k) {
        inputs[k] = (dir / (k == 0 ? "in.mzML" : "in.mzXML")).string();
        std::ofstream(inputs[k], std::ios::binary) << documents[k];
        outputs[k] = mzml::OpenFormatOutputPath(inputs[k], "_BRV");
        processing::FileRunSummary summary;
        std::string error;
        ASSERT_TRUE(
            mzml::FilterOpenFormatFile(inputs[k], outputs[k], rules, nullptr, summary, error))
            << error;
        std::string report;
        ASSERT_EQ(RunMaskedDiff(inputs[k], outputs[k], rules, report), 0) << report;
    }
    for (const Tampering& t : kTamperings) {
        const int k = t.mzxml ? 1 : 0;
        const std::string text = ReadFile(outputs[k]);
        const std::string changed = Tamper(text, t);
        ASSERT_NE(changed, text) << t.what << ": the pattern is not in the output";
        const std::string tampered = (dir / (t.mzxml ? "t.mzXML" : "t.mzML")).string();
        std::ofstream(tampered, std::ios::binary | std::ios::trunc) << changed;
        std::string report;
        EXPECT_EQ(RunMaskedDiff(inputs[k], tampered, rules, report), 1)
            << t.what << " is not found:\n"
            << report;
    }
    fs::remove_all(dir);
}

}  // namespace
