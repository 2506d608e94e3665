#include "bench/mzml_synth/synth_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SynthArguments, AcceptedCommandLines) {
    const struct {
        std::vector<std::string> args;
        SynthFormat format;
        SynthCompression compression;
        bool gzip;
        std::uint64_t spectra;
        std::uint64_t targetBytes;
        std::uint64_t seed;
        int level;
    } cases[] = {
        {{"a.mzML"},
         SynthFormat::kMzML,
         SynthCompression::kZlib,
         false,
         kSmallSpectra,
         0,
         1,
         kArrayHuffmanOnly},
        {{"a.mzXML"},
         SynthFormat::kMzXML,
         SynthCompression::kZlib,
         false,
         kSmallSpectra,
         0,
         1,
         kArrayHuffmanOnly},
        {{"a.mzXML.gz"},
         SynthFormat::kMzXML,
         SynthCompression::kZlib,
         true,
         kSmallSpectra,
         0,
         1,
         kArrayHuffmanOnly},
        {{"--format", "mzXML", "--gzip", "a"},
         SynthFormat::kMzXML,
         SynthCompression::kZlib,
         true,
         kSmallSpectra,
         0,
         1,
         kArrayHuffmanOnly},
        {{"--compression", "none", "--spectra", "7", "--seed", "42", "a.mzML"},
         SynthFormat::kMzML,
         SynthCompression::kNone,
         false,
         7,
         0,
         42,
         kArrayHuffmanOnly},
        {{"--size-gib", "0.5", "--zlib-level", "6", "a.mzML"},
         SynthFormat::kMzML,
         SynthCompression::kZlib,
         false,
         0,
         std::uint64_t{1} << 29,
         1,
         6},
        {{"--spectra", "9", "--size-gib", "1", "a.mzML"},
         SynthFormat::kMzML,
         SynthCompression::kZlib,
         false,
         0,
         std::uint64_t{1} << 30,
         1,
         kArrayHuffmanOnly},
    };
    for (const auto& c : cases) {
        const std::string line = testing::PrintToString(c.args);
        SynthOptions options;
        std::string error;
        ASSERT_EQ(ParseSynthArguments(c.args, options, error), SynthParse::kRun) << line << error;
        EXPECT_EQ(options.format, c.format) << line;
        EXPECT_EQ(options.compression, c.compression) << line;
        EXPECT_EQ(options.gzip, c.gzip) << line;
        EXPECT_EQ(options.spectra, c.spectra) << line;
        EXPECT_EQ(options.targetBytes, c.targetBytes) << line;
        EXPECT_EQ(options.seed, c.seed) << line;
        EXPECT_EQ(options.zlibLevel, c.level) << line;
    }
}

TEST(SynthArguments, RefusedCommandLinesSayWhy) {
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{}, "no output"},
        {{"a.mzML", "b.mzML"}, "more than one output"},
        {{"--format", "mzData", "a"}, "--format"},
        {{"--compression", "lzma", "a"}, "--compression"},
        {{"--spectra", "0", "a"}, "--spectra"},
        {{"--spectra", "12x", "a"}, "--spectra"},
        {{"--size-gib", "-1", "a"}, "--size-gib"},
        {{"--size-gib", "nan", "a"}, "--size-gib"},
        {{"--zlib-level", "10", "a"}, "--zlib-level"},
        {{"--seed"}, "needs a value"},
        {{"--colour", "red", "a"}, "unknown option --colour"},
    };
    for (const auto& c : cases) {
        const std::string line = testing::PrintToString(c.args);
        SynthOptions options;
        std::string error;
        EXPECT_EQ(ParseSynthArguments(c.args, options, error), SynthParse::kError) << line;
        EXPECT_NE(error.find(c.says), std::string::npos) << line << ": " << error;
    }
}

}  // namespace
