#include "bench/mzml_synth/synth_file.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/mzml_synth/spectrum_generator.h"
#include "tests/support/file_contents.h"

namespace {

namespace fs = std::filesystem;

class SynthFileTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("mzml_synth_test_" + std::to_string(::getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Writes a file and returns its bytes.
    std::string Write(SynthOptions options, const std::string& name) {
        options.output = (dir_ / name).string();
        SynthReport report;
        std::string error;
        EXPECT_TRUE(WriteSynthFile(options, report, error)) << error;
        EXPECT_EQ(report.textBytes,
                  options.gzip ? report.textBytes : fs::file_size(options.output));
        return ReadFile(options.output);
    }

    fs::path dir_;
};

SynthOptions Small(SynthFormat format, SynthCompression compression) {
    SynthOptions options;
    options.format = format;
    options.compression = compression;
    options.spectra = 30;
    options.seed = 5;
    return options;
}

std::string Sha1Hex(std::string_view text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha1(), nullptr);
    std::string hex;
    char two[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(two, sizeof two, "%02x", digest[i]);
        hex += two;
    }
    return hex;
}

std::vector<std::uint8_t> Base64Decode(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.size() / 4 * 3 + 3);
    const int length =
        EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    EXPECT_GE(length, 0) << "bad base64";
    std::size_t padding = 0;
    for (std::size_t i = text.size(); i > 0 && text[i - 1] == '='; --i) {
        ++padding;
    }
    bytes.resize(static_cast<std::size_t>(std::max(length, 0)) - padding);
    return bytes;
}

std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& stored, std::size_t expected) {
    std::vector<std::uint8_t> bytes(expected + 16);
    uLongf length = static_cast<uLongf>(bytes.size());
    EXPECT_EQ(uncompress(bytes.data(), &length, stored.data(), static_cast<uLong>(stored.size())),
              Z_OK);
    bytes.resize(length);
    return bytes;
}

// The text between the first `open` at or after `from` and the next `close`; `from` moves past
// it. Empty, with `from` at npos, when there is none.
std::string Between(const std::string& text, std::size_t& from, std::string_view open,
                    std::string_view close) {
    const std::size_t start = text.find(open, from);
    const std::size_t end =
        start == std::string::npos ? start : text.find(close, start + open.size());
    if (end == std::string::npos) {
        from = std::string::npos;
        return "";
    }
    from = end + close.size();
    return text.substr(start + open.size(), end - start - open.size());
}

std::string Attribute(const std::string& text, std::size_t from, const std::string& name) {
    return Between(text, from, " " + name + "=\"", "\"");
}

std::uint64_t Number(const std::string& text, std::string_view open, std::string_view close) {
    std::size_t from = 0;
    const std::string value = Between(text, from, open, close);
    EXPECT_FALSE(value.empty()) << open;
    return value.empty() ? 0 : std::stoull(value);
}

// The offsets of an index: (id, offset) for each `<offset <idAttribute>="id">offset</offset>`.
std::vector<std::pair<std::string, std::uint64_t>> IndexEntries(const std::string& text,
                                                                const std::string& idAttribute) {
    std::vector<std::pair<std::string, std::uint64_t>> entries;
    const std::string open = "<offset " + idAttribute + "=\"";
    for (std::size_t from = text.find(open); from != std::string::npos;
         from = text.find(open, from)) {
        const std::string id = Between(text, from, open, "\"");
        entries.emplace_back(id, std::stoull(Between(text, from, ">", "<")));
    }
    return entries;
}

const SynthCompression kCompressions[] = {SynthCompression::kNone, SynthCompression::kZlib};

TEST_F(SynthFileTest, MzmlIndexChecksumAndArraysAreConsistent) {
    for (SynthCompression compression : kCompressions) {
        const bool zlib = compression == SynthCompression::kZlib;
        SCOPED_TRACE(zlib ? "zlib" : "none");
        const std::string text = Write(Small(SynthFormat::kMzML, compression), "a.mzML");

        std::size_t spectra = 0;
        for (const auto& [id, offset] : IndexEntries(text, "idRef")) {
            const std::string at = text.substr(offset, 80);
            if (id == "TIC") {
                EXPECT_EQ(at.rfind("<chromatogram index=\"0\" id=\"TIC\"", 0), 0u) << at;
            } else {
                const std::string start =
                    "<spectrum index=\"" + std::to_string(spectra) + "\" id=\"" + id + "\"";
                EXPECT_EQ(at.rfind(start, 0), 0u) << at;
                ++spectra;
            }
        }
        EXPECT_EQ(spectra, 30u);
        const std::uint64_t indexList = Number(text, "<indexListOffset>", "<");
        EXPECT_EQ(text.compare(indexList, 11, "<indexList "), 0);

        const std::size_t checksum = text.find("<fileChecksum>") + 14;
        EXPECT_EQ(text.substr(checksum, 40), Sha1Hex(std::string_view(text).substr(0, checksum)));

        // Every array: its declared encoded length, and its declared number of values.
        std::size_t arrays = 0;
        for (std::size_t element = text.find(" defaultArrayLength=\"");
             element != std::string::npos;
             element = text.find(" defaultArrayLength=\"", element + 1)) {
            const std::size_t values = std::stoull(Attribute(text, element, "defaultArrayLength"));
            const std::size_t next = text.find(" defaultArrayLength=\"", element + 1);
            std::size_t from = element;
            for (std::size_t array = text.find("<binaryDataArray ", from);
                 array != std::string::npos && array < next;
                 array = text.find("<binaryDataArray ", from)) {
                from = array;
                const std::string cv = Between(text, from, "<cvParam", "/>");
                const std::size_t width = cv.find("64-bit float") != std::string::npos ? 8 : 4;
                const std::string binary = Between(text, from, "<binary>", "</binary>");
                EXPECT_EQ(std::stoull(Attribute(text, array, "encodedLength")), binary.size());
                std::vector<std::uint8_t> bytes = Base64Decode(binary);
                if (zlib) {
                    bytes = Inflate(bytes, values * width);
                }
                EXPECT_EQ(bytes.size(), values * width) << "array " << arrays;
                ++arrays;
            }
        }
        EXPECT_EQ(arrays, 2 * 30u + 2);
    }
}

// The first m/z array of the file holds the generator's first spectrum, bit for bit.
TEST_F(SynthFileTest, MzmlCarriesTheGeneratedPeaks) {
    const std::string text = Write(Small(SynthFormat::kMzML, SynthCompression::kZlib), "a.mzML");
    SpectrumGenerator generator(5);
    SynthSpectrum first;
    generator.Next(first);
    const std::size_t binary = text.find("<binary>") + 8;
    const std::vector<std::uint8_t> bytes =
        Inflate(Base64Decode(text.substr(binary, text.find("</binary>", binary) - binary)),
                first.mz.size() * 8);
    ASSERT_EQ(bytes.size(), first.mz.size() * 8);
    std::vector<double> mz(first.mz.size());
    std::memcpy(mz.data(), bytes.data(), bytes.size());
    EXPECT_EQ(mz, first.mz);
}

TEST_F(SynthFileTest, MzxmlIndexChecksumAndPeaksAreConsistent) {
    for (SynthCompression compression : kCompressions) {
        const bool zlib = compression == SynthCompression::kZlib;
        SCOPED_TRACE(zlib ? "zlib" : "none");
        const std::string text = Write(Small(SynthFormat::kMzXML, compression), "a.mzXML");

        std::size_t scans = 0;
        for (const auto& [id, offset] : IndexEntries(text, "id")) {
            const std::string at = text.substr(offset, 40);
            EXPECT_EQ(at.rfind("<scan num=\"" + id + "\"", 0), 0u) << at;
            ++scans;
        }
        EXPECT_EQ(scans, 30u);
        EXPECT_EQ(text.compare(Number(text, "<indexOffset>", "<"), 7, "<index "), 0);
        const std::size_t sha1 = text.find("<sha1>") + 6;
        EXPECT_EQ(text.substr(sha1, 40), Sha1Hex(std::string_view(text).substr(0, sha1)));

        std::size_t checked = 0;
        for (std::size_t scan = text.find("<scan "); scan != std::string::npos;
             scan = text.find("<scan ", scan + 1)) {
            const std::size_t count = std::stoull(Attribute(text, scan, "peaksCount"));
            const std::size_t peaks = text.find("<peaks ", scan);
            const std::string compressedLen = Attribute(text, peaks, "compressedLen");
            std::size_t from = peaks;
            std::vector<std::uint8_t> bytes = Base64Decode(Between(text, from, ">", "</peaks>"));
            if (zlib) {
                EXPECT_EQ(std::stoull(compressedLen), bytes.size());
                bytes = Inflate(bytes, count * 16);
            } else {
                EXPECT_EQ(compressedLen, "0");
            }
            EXPECT_EQ(bytes.size(), count * 16) << "scan " << checked + 1;
            ++checked;
        }
        EXPECT_EQ(checked, 30u);
    }
}

TEST_F(SynthFileTest, SameOptionsGiveTheSameBytes) {
    const SynthOptions options = Small(SynthFormat::kMzML, SynthCompression::kZlib);
    EXPECT_EQ(Write(options, "a.mzML"), Write(options, "b.mzML"));
    SynthOptions reseeded = options;
    reseeded.seed = 6;
    EXPECT_NE(Write(options, "a.mzML"), Write(reseeded, "c.mzML"));
}

TEST_F(SynthFileTest, GzipWrapsTheSameText) {
    for (SynthFormat format : {SynthFormat::kMzML, SynthFormat::kMzXML}) {
        SynthOptions options = Small(format, SynthCompression::kZlib);
        const std::string plain = Write(options, "plain");
        options.gzip = true;
        Write(options, "packed.gz");
        gzFile in = gzopen((dir_ / "packed.gz").c_str(), "rb");
        ASSERT_NE(in, nullptr);
        std::string unpacked(plain.size() + 1, '\0');
        const int read = gzread(in, unpacked.data(), static_cast<unsigned>(unpacked.size()));
        gzclose(in);
        unpacked.resize(static_cast<std::size_t>(std::max(read, 0)));
        EXPECT_EQ(unpacked, plain);
    }
}

TEST_F(SynthFileTest, SizeTargetsComeOutClose) {
    for (SynthFormat format : {SynthFormat::kMzML, SynthFormat::kMzXML}) {
        for (SynthCompression compression : kCompressions) {
            SynthOptions options = Small(format, compression);
            options.spectra = 0;
            options.targetBytes = std::uint64_t{12} << 20;
            options.output = (dir_ / "sized").string();
            SynthReport report;
            std::string error;
            ASSERT_TRUE(WriteSynthFile(options, report, error)) << error;
            const double ratio =
                static_cast<double>(report.textBytes) / static_cast<double>(options.targetBytes);
            EXPECT_NEAR(ratio, 1.0, 0.03)
                << (format == SynthFormat::kMzML ? "mzML " : "mzXML ")
                << (compression == SynthCompression::kZlib ? "zlib" : "none");
        }
    }
}

TEST_F(SynthFileTest, UnwritableOutputFailsNamingTheFileAndLeavesNothing) {
    SynthOptions options = Small(SynthFormat::kMzML, SynthCompression::kZlib);
    options.output = (dir_ / "missing" / "a.mzML").string();
    SynthReport report;
    std::string error;
    EXPECT_FALSE(WriteSynthFile(options, report, error));
    EXPECT_EQ(error.rfind(options.output + ": ", 0), 0u) << error;
    EXPECT_FALSE(fs::exists(options.output));
    EXPECT_FALSE(fs::exists(options.output + ".part"));
}

// Against the published schemas, where the machine has them (Debian's openms-common) and
// xmllint (libxml2-utils). mzXML 3.2 is checked against the 3.1 schema it extends.
TEST_F(SynthFileTest, ValidAgainstTheSchemas) {
    const fs::path schemas = "/usr/share/openms/SCHEMAS";
    if (!fs::exists(schemas / "mzML_idx_1_10.xsd") ||
        std::system("xmllint --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no xmllint or no schemas in " << schemas;
    }
    for (SynthCompression compression : kCompressions) {
        const std::string mzml = Write(Small(SynthFormat::kMzML, compression), "a.mzML");
        std::string mzxml = Write(Small(SynthFormat::kMzXML, compression), "a.mzXML");
        for (std::size_t at = mzxml.find("mzXML_3.2"); at != std::string::npos;
             at = mzxml.find("mzXML_3.2", at)) {
            mzxml.replace(at, 9, "mzXML_3.1");
        }
        std::ofstream(dir_ / "b.mzXML", std::ios::binary) << mzxml;
        const std::string check = "xmllint --noout --schema " +
                                  (schemas / "mzML_idx_1_10.xsd").string() + " " +
                                  (dir_ / "a.mzML").string() + " 2>/dev/null";
        EXPECT_EQ(std::system(check.c_str()), 0) << check;
        const std::string checkXml = "xmllint --noout --schema " +
                                     (schemas / "mzXML_idx_3.1.xsd").string() + " " +
                                     (dir_ / "b.mzXML").string() + " 2>/dev/null";
        EXPECT_EQ(std::system(checkXml.c_str()), 0) << checkXml;
    }
}

}  // namespace
