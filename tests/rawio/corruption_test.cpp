#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"
#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

namespace {

using rawtest::Acquisition;
using rawtest::Bytes;

// One small acquisition with every kind of library file, and its files' pristine bytes.
class CorruptionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rawtest::AcquisitionShape options;
        options.functions = 2;
        options.scansPerFunction = 2;
        options.maxPeaks = 4;
        options.channels = 1;
        options.analogPoints = 3;
        options.historyRecords = 1;
        ASSERT_EQ(rawtest::WriteAcquisition(path, rawtest::MakeAcquisition(options)), kRawOk);
        ASSERT_EQ(rawtest::ReadAcquisition(path, &expected), kRawOk);
        for (const std::string& name : ListNames(path)) {
            pristine[name] = ReadFileBytes(path + "/" + name);
        }
    }

    // Positions to damage: every offset of a small file; of a larger one a spread of offsets
    // plus every byte of its last 96 (index and footer, where the counts and offsets live).
    static std::vector<std::size_t> Positions(std::size_t size) {
        std::vector<std::size_t> positions;
        const std::size_t stride = size <= 1024 ? 1 : size / 256;
        for (std::size_t i = 0; i < size; i += stride) {
            positions.push_back(i);
        }
        for (std::size_t i = size > 96 ? size - 96 : 0; i < size; ++i) {
            positions.push_back(i);
        }
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        return positions;
    }

    // Reading the damaged file either gives exactly the original data or fails with the
    // status of its kind of damage (a damaged completion record makes the whole file
    // incomplete, any other damaged file makes it corrupt), and a detail that names the file.
    void ExpectFailureOrIdentical(const std::string& name, const std::string& what) {
        const RawStatus status = rawtest::ReadAcquisition(path, &read);
        if (status == kRawOk) {
            EXPECT_EQ(read, expected) << what << " read back different data";
        } else {
            EXPECT_EQ(status, name == "brv-manifest.bin" ? kRawIncomplete : kRawCorrupt) << what;
            const std::string detail = RawLastErrorDetail();
            EXPECT_EQ(detail.rfind(path + "/" + name + ": ", 0), 0u) << what << ": " << detail;
        }
        ++checked;
    }

    ScratchDir dir{ScratchDir::Backing::kMemory};
    std::string path = dir / "c.raw";
    Acquisition expected;
    Acquisition read;  // reused: its 3 MB header block is not reallocated per read
    std::map<std::string, Bytes> pristine;
    int checked = 0;
};

TEST_F(CorruptionTest, FlippedBytesNeverReadBackWrong) {
    for (const auto& [name, bytes] : pristine) {
        for (const std::size_t at : Positions(bytes.size())) {
            Bytes damaged = bytes;
            damaged[at] ^= 0x5A;
            WriteFileBytes(path + "/" + name, damaged);
            ExpectFailureOrIdentical(name, name + " flipped at " + std::to_string(at));
        }
        WriteFileBytes(path + "/" + name, bytes);
    }
    EXPECT_GT(checked, 1000);
}

TEST_F(CorruptionTest, TruncatedFilesNeverReadBackWrong) {
    for (const auto& [name, bytes] : pristine) {
        for (const std::size_t at : Positions(bytes.size())) {
            WriteFileBytes(path + "/" + name,
                           Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at)));
            ExpectFailureOrIdentical(name, name + " truncated to " + std::to_string(at));
        }
        WriteFileBytes(path + "/" + name, bytes);
    }
}

// A file swapped in from another acquisition (same name, valid in itself) is refused: the
// completion record pins every file.
TEST_F(CorruptionTest, FilesFromAnotherAcquisitionAreRefused) {
    rawtest::AcquisitionShape other;
    other.seed = 1234;
    other.functions = 2;
    other.scansPerFunction = 2;
    other.maxPeaks = 4;
    other.channels = 1;
    other.analogPoints = 3;
    other.historyRecords = 1;
    const std::string otherPath = dir / "other.raw";
    ASSERT_EQ(rawtest::WriteAcquisition(otherPath, rawtest::MakeAcquisition(other)), kRawOk);
    for (const auto& [name, bytes] : pristine) {
        if (name == "brv-manifest.bin") {
            continue;
        }
        WriteFileBytes(path + "/" + name, ReadFileBytes(otherPath + "/" + name));
        EXPECT_EQ(rawtest::ReadAcquisition(path, &read), kRawCorrupt) << name;
        EXPECT_EQ(std::string(RawLastErrorDetail()).rfind(path + "/" + name + ": ", 0), 0u)
            << name << ": " << RawLastErrorDetail();
        WriteFileBytes(path + "/" + name, bytes);
    }
}

TEST_F(CorruptionTest, MissingFilesAreRefused) {
    for (const auto& [name, bytes] : pristine) {
        std::filesystem::remove(path + "/" + name);
        const RawStatus status = rawtest::ReadAcquisition(path, &read);
        EXPECT_EQ(status, name == "brv-manifest.bin" ? kRawIncomplete : kRawCorrupt) << name;
        EXPECT_EQ(std::string(RawLastErrorDetail()),
                  path + "/" + name + ": cannot open it: " + std::strerror(ENOENT))
            << name;
        WriteFileBytes(path + "/" + name, bytes);
    }
}

// A file from a later format version is refused as such, not as damage.
TEST_F(CorruptionTest, NewerVersionIsRefused) {
    Bytes manifest = pristine["brv-manifest.bin"];
    manifest[8] = 2;  // version, bytes 8..9
    // The file header carries its own CRC32C (bytes 12..15 over bytes 0..11).
    const std::uint32_t crc = [&] {
        std::uint32_t c = 0xFFFFFFFFu;
        for (std::size_t i = 0; i < 12; ++i) {
            c ^= manifest[i];
            for (int k = 0; k < 8; ++k) {
                c = (c & 1u) ? (c >> 1) ^ 0x82F63B78u : c >> 1;
            }
        }
        return ~c;
    }();
    for (int i = 0; i < 4; ++i) {
        manifest[12 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
    WriteFileBytes(path + "/brv-manifest.bin", manifest);
    RawHandle r = 0;
    EXPECT_EQ(RawReadOpen(path.c_str(), &r), kRawNewerVersion);
}

}  // namespace
