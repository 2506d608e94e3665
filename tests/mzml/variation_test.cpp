// Variations that real mzML and mzXML files show and other readers take, made here from
// scratch: each is filtered, checked against the independent rule through the reader, by the
// masked byte comparison, and read back by FileInfo wherever FileInfo reads the input.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "mzml/binary_array.h"
#include "mzml/open_format_filter.h"
#include "params/mass_range.h"
#include "tests/mzml/independent_rule.h"
#include "tests/mzml/open_format_check.h"
#include "tests/mzml/variation_documents.h"

using mzml::FilterOpenFormatFile;
using mzml::kMaxArrayValues;
using mzml::OpenFormatOptions;
using mzml::OpenFormatOutputPath;

namespace fs = std::filesystem;

// The variations are tables of designated initializers that name only what differs; GCC warns
// about every member left to its default there.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

class Variation : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!ExternalToolsPresent(missing)) {
            GTEST_SKIP() << "the independent readers are not installed: " << missing;
        }
        dir = fs::path(::testing::TempDir()) / ("mzml_variation_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Filters `document` under `name` and runs every check; returns the output path.
    std::string FilterAndCheck(const std::string& name, const std::string& document) {
        const std::string input = (dir / name).string();
        std::ofstream(input, std::ios::binary) << document;
        const std::string output = OpenFormatOutputPath(input, "_BRV");
        const params::CMassRangeList rules = VariationRules();
        processing::FileRunSummary summary;
        std::string error;
        std::vector<std::string> warnings;
        OpenFormatOptions options;
        options.warn = [&](const std::string& w) { warnings.push_back(w); };
        if (!FilterOpenFormatFile(input, output, rules, nullptr, summary, error, options)) {
            ADD_FAILURE() << name << ": the filter refuses it: " << error;
            return {};
        }
        // Files made here carry no stale checksum or anything else to warn about.
        EXPECT_TRUE(warnings.empty()) << name << ": " << warnings.front();
        expected = ExpectFilteredExactly(name, input, output, rules);
        std::string report;
        EXPECT_EQ(RunMaskedDiff(input, output, rules, report), 0) << name << ":\n" << report;
        FileInfoCounts before, after;
        if (RunFileInfo(input, before, report)) {
            EXPECT_TRUE(RunFileInfo(output, after, report)) << name << ":\n" << report;
            EXPECT_EQ(after.spectra, before.spectra) << name;
        } else {
            std::printf("FileInfo does not read %s itself, so not its output either\n",
                        name.c_str());
        }
        if (name.ends_with(".mzML")) {
            if (SchemaValid(input, "mzML_1_10.xsd", report)) {
                EXPECT_TRUE(SchemaValid(output, "mzML_idx_1_10.xsd", report)) << name << ":\n"
                                                                              << report;
            } else {
                std::printf(
                    "%s is no valid mzML 1.1 itself, so its output is not checked "
                    "against the schema\n",
                    name.c_str());
            }
        }
        return output;
    }

    std::string missing;
    fs::path dir;
    ExpectedFilter expected;  // of the last FilterAndCheck
};

class MzmlVariationTest : public Variation, public ::testing::WithParamInterface<MzmlVariation> {};

TEST_P(MzmlVariationTest, FilteredExactly) {
    FilterAndCheck(std::string(GetParam().name) + ".mzML", MzmlDocument(GetParam()));
    if (GetParam().droppedSpectrum) {
        const auto& kept = expected.keptPerSpectrum;
        EXPECT_NE(std::find(kept.begin(), kept.end(),
                            std::make_pair(std::string("scan=9"), std::size_t{0})),
                  kept.end())
            << "the spectrum meant to lose every peak is not in the file";
    }
}

// Gzip as parallel compressors and concatenation write it: several members, one after another.
TEST_F(Variation, MultiMemberGzipIsReadWhole) {
    const std::string document = MzmlDocument(MzmlVariations().front());
    std::string zipped;
    for (const std::size_t cut : {std::size_t{0}, document.size() / 3, 2 * document.size() / 3}) {
        const std::size_t end =
            cut == 2 * document.size() / 3 ? document.size() : cut + document.size() / 3;
        z_stream stream{};
        ASSERT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
        std::string member(deflateBound(&stream, static_cast<uLong>(end - cut)) + 32, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(document.data() + cut));
        stream.avail_in = static_cast<uInt>(end - cut);
        stream.next_out = reinterpret_cast<Bytef*>(member.data());
        stream.avail_out = static_cast<uInt>(member.size());
        ASSERT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
        member.resize(stream.total_out);
        deflateEnd(&stream);
        zipped += member;
    }
    const std::string plainOut = FilterAndCheck("members.mzML", document);
    const std::string zippedOut = FilterAndCheck("members.mzML.gz", zipped);
    ASSERT_FALSE(zippedOut.empty());
    EXPECT_TRUE(ReadContent(zippedOut) == ReadContent(plainOut));
}

// A spectrum of as many peaks as the reader takes (64-bit m/z, 32-bit intensities, no
// compression: about 22 MB of base64, near the 24 MiB held at once) is filtered exactly; one
// peak more is refused with the file and the limit named, and nothing is written.
TEST_F(Variation, LargestSpectrumIsFilteredAndOneMoreRefused) {
    MzmlVariation v = MzmlVariations().front();
    v.mz = {"MS:1000514", Kind::kF64, false, std::nullopt};
    v.intensity = {"MS:1000515", Kind::kF32, false, std::nullopt};
    v.bigSpectrumPeaks = kMaxArrayValues;
    FilterAndCheck("largest.mzML", MzmlDocument(v));
    EXPECT_EQ(expected.peaksIn, kMaxArrayValues + 8 + 6 + 3);

    v.bigSpectrumPeaks = kMaxArrayValues + 1;
    const std::string input = (dir / "too large.mzML").string();
    std::ofstream(input, std::ios::binary) << MzmlDocument(v);
    const std::string output = OpenFormatOutputPath(input, "_BRV");
    processing::FileRunSummary summary;
    std::string error;
    EXPECT_FALSE(FilterOpenFormatFile(input, output, VariationRules(), nullptr, summary, error));
    EXPECT_NE(error.find(input), std::string::npos) << error;
    EXPECT_NE(error.find(std::to_string(kMaxArrayValues)), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(output));
}

INSTANTIATE_TEST_SUITE_P(Readers, MzmlVariationTest, ::testing::ValuesIn(MzmlVariations()),
                         [](const ::testing::TestParamInfo<MzmlVariation>& param) {
                             return std::string(param.param.name);
                         });

// Arrays beside m/z and intensity: a per-peak one is cut to the kept peaks, one of another
// length is no peak's and stays as it is. Read with Python's own decoders.
TEST_F(Variation, PerPeakArraysAreCutAndOthersKept) {
    MzmlVariation v{.name = "Arrays", .chargeArray = true, .otherLengthArray = true};
    const std::string output = FilterAndCheck("arrays.mzML", MzmlDocument(v));
    ASSERT_FALSE(output.empty());
    auto arrays = [&](const std::string& path) {
        std::string report;
        EXPECT_EQ(RunCommand("/usr/bin/python3 " +
                                 ShellQuoted(std::string(BREVANTO_MZML_TEST_SCRIPTS) +
                                             "/array_values.py") +
                                 " " + ShellQuoted(path),
                             report),
                  0)
            << report;
        std::map<std::string, std::vector<double>> values;  // "id role" -> values
        std::istringstream lines(report);
        std::string line;
        while (std::getline(lines, line)) {
            const auto tab1 = line.find('\t'), tab2 = line.rfind('\t');
            std::vector<double>& into = values[line.substr(0, tab2)];
            std::istringstream items(line.substr(tab2 + 1));
            std::string item;
            while (std::getline(items, item, ','))
                into.push_back(std::stod(item));
            (void)tab1;
        }
        return values;
    };
    const auto in = arrays((dir / "arrays.mzML").string());
    const auto out = arrays(output);
    const params::CMassRangeList rules = VariationRules();
    for (const TestSpectrum& s : Spectra(false, false, "")) {
        std::vector<double> charges;
        const auto& inCharges = in.at(s.id + "\tcharge");
        for (std::size_t i = 0; i < s.mz.size(); ++i) {
            if (IndependentRulesKeep(rules, s.level, s.mz[i]))
                charges.push_back(inCharges[i]);
        }
        EXPECT_EQ(out.at(s.id + "\tcharge"), charges) << s.id;
        EXPECT_EQ(out.at(s.id + "\tother:9"), in.at(s.id + "\tother:9")) << s.id;
    }
}

class MzxmlVariationTest : public Variation,
                           public ::testing::WithParamInterface<MzxmlVariation> {};

TEST_P(MzxmlVariationTest, FilteredExactly) {
    FilterAndCheck(std::string(GetParam().name) + ".mzXML", MzxmlDocument(GetParam()));
    if (GetParam().droppedScan) {
        const auto& kept = expected.keptPerSpectrum;
        EXPECT_NE(std::find(kept.begin(), kept.end(),
                            std::make_pair(std::string("scan=5"), std::size_t{0})),
                  kept.end())
            << "the scan meant to lose every peak is not in the file";
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, MzxmlVariationTest, ::testing::ValuesIn(MzxmlVariations()),
                         [](const ::testing::TestParamInfo<MzxmlVariation>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
