// Bad inputs give a message naming the file and leave nothing behind: no output, no temporary.
#include <filesystem>

#include <gtest/gtest.h>

#include "mzml/open_format_filter.h"
#include "mzml/raw_conversion.h"
#include "tests/mzml/mzml_fixtures.h"

namespace {

CMassRangeList OneRule() {
    CMassRange rule;
    rule.SetFunction(1);
    rule.SetLowMass(0);
    rule.SetHighMass(2000);
    rule.SetMassDefect(0.5);
    rule.SetWindowAbove(300);
    rule.SetWindowBelow(300);
    CMassRangeList rules;
    rules.AddEntry(rule);
    return rules;
}

// Runs the filter and the import on `input` and checks both refuse it cleanly.
void ExpectRefused(const TestDir& dir, const std::string& input, const std::string& label,
                   const std::string& mention) {
    const auto before = dir.Entries();
    FileSummary summary;
    std::string error;
    EXPECT_FALSE(
        FilterOpenFormatFile(input, dir.Path("out.mzML"), OneRule(), nullptr, summary, error))
        << label;
    EXPECT_NE(error.find(input), std::string::npos) << label << ": " << error;
    EXPECT_NE(error.find(mention), std::string::npos) << label << ": " << error;
    error.clear();
    EXPECT_FALSE(ImportMzml(input, dir.Path("out.raw"), error)) << label;
    EXPECT_NE(error.find(input), std::string::npos) << label << ": " << error;
    EXPECT_EQ(dir.Entries(), before) << label << ": something was left behind";
}

TEST(BadInput, MissingEmptyMalformedOrUnknownFiles) {
    TestDir dir;
    WriteTestMzml(dir.Path("good.mzML"), {.zlib = true});
    const std::string good = ReadText(dir.Path("good.mzML"));
    struct Case {
        const char* label;
        const char* name;
        std::string content;
        const char* mention;
        bool write = true;
    };
    std::string badCompression = good;
    for (std::size_t at = badCompression.find("MS:1000574"); at != std::string::npos;
         at = badCompression.find("MS:1000574", at)) {
        badCompression.replace(at, 10, "MS:1000999");  // an accession no compression has
    }
    std::string badBase64 = good;
    const std::size_t binary = badBase64.find("<binary>") + 8;
    badBase64.replace(binary, 8, "!!!!????");
    const Case cases[] = {
        {"missing", "missing.mzML", "", "no such file", false},
        {"empty", "empty.mzML", "", "empty"},
        {"not XML", "text.mzML", "just some text\n", "not an mzML or mzXML"},
        {"another format (MGF)", "peaks.mzML",
         "BEGIN IONS\nTITLE=a\nPEPMASS=400.5\n100.1 20\nEND IONS\n", "not an mzML or mzXML"},
        {"other XML", "other.mzML", "<?xml version=\"1.0\"?><html><body/></html>\n",
         "not an mzML or mzXML"},
        {"unsupported compression", "compression.mzML", badCompression, "cannot be read"},
        {"bad base64", "base64.mzML", badBase64, "cannot be read"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Path(c.name);
        if (c.write) {
            WriteText(path, c.content);
        }
        ExpectRefused(dir, path, c.label, c.mention);
        std::filesystem::remove(path);
    }
}

// A file cut anywhere is refused; the library alone would read a file cut between spectra as
// a shorter, complete one.
TEST(BadInput, TruncatedAnywhere) {
    TestDir dir;
    const std::string good = dir.Path("good.mzML");
    WriteTestMzml(good, {.spectra = 4, .peaks = 5});
    const std::string text = ReadText(good);
    std::filesystem::remove(good);
    const std::size_t step = std::max<std::size_t>(1, text.size() / 150);
    for (std::size_t size = 1; size < text.size() - 2; size += step) {
        const std::string cut = dir.Path("cut.mzML");
        WriteText(cut, text.substr(0, size));
        const auto before = dir.Entries();
        FileSummary summary;
        std::string error;
        EXPECT_FALSE(
            FilterOpenFormatFile(cut, dir.Path("out.mzML"), OneRule(), nullptr, summary, error))
            << "cut at " << size;
        EXPECT_NE(error.find(cut), std::string::npos) << "cut at " << size << ": " << error;
        EXPECT_EQ(dir.Entries(), before) << "cut at " << size;
    }
}

TEST(BadInput, OutputThatIsTheInputOrAnExistingRawFileIsRefused) {
    TestDir dir;
    const std::string in = dir.Path("in.mzML");
    WriteTestMzml(in, {});
    const std::string original = ReadText(in);
    FileSummary summary;
    std::string error;
    EXPECT_FALSE(FilterOpenFormatFile(in, in, OneRule(), nullptr, summary, error));
    EXPECT_EQ(ReadText(in), original);

    std::filesystem::create_directory(dir.Path("taken.raw"));
    WriteText(dir.Path("taken.raw/user-notes.txt"), "keep me");
    error.clear();
    EXPECT_FALSE(ImportMzml(in, dir.Path("taken.raw"), error));
    EXPECT_NE(error.find("already exists"), std::string::npos) << error;
    EXPECT_EQ(ReadText(dir.Path("taken.raw/user-notes.txt")), "keep me");

    error.clear();
    EXPECT_FALSE(ExportMzml(dir.Path("absent.raw"), dir.Path("x.mzML"), error));
    EXPECT_NE(error.find("absent.raw"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.Path("x.mzML")));
}

}  // namespace
