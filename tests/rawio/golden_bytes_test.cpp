// The worked example of docs/raw-format.md, written through the API, must come out byte for
// byte as the document prints it. Any change to the on-disk layout, the checksum or the order
// of fields fails here first; a deliberate change needs a new format version, a new example in
// the document and new bytes below.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "rawio/raw_api.h"
#include "rawio/record_fields.h"
#include "tests/support/file_contents.h"
#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

namespace {

using rawtest::Acquisition;
using rawtest::Bytes;

// One function with one scan of two peaks, nothing else: the acquisition of the example.
Acquisition WorkedExample() {
    Acquisition a;
    a.headerBlock.assign(kHeaderBlockSize, 0);
    rawtest::Function function;
    rawtest::Scan scan;
    const std::uint32_t words[6] = {1, 0, 7, 8, 9, 1};
    for (std::size_t w = 0; w < 6; ++w) {
        for (std::size_t b = 0; b < 4; ++b) {
            scan.header[4 * w + b] = static_cast<std::uint8_t>(words[w] >> (8 * b));
        }
    }
    scan.masses = {100.5f, 200.25f};
    scan.intensities = {10, 20};
    scan.peakBytes = {1, 2};
    function.scans.push_back(scan);
    rawio::SetFunctionScanFileCode(function.record.data(), 1);
    rawio::SetFunctionScanCount(function.record.data(), 1);
    a.functions.push_back(function);
    return a;
}

// brv-f00001-scans.bin of the example, line by line as the document's table.
const Bytes kScansFile = {
    0x8B, 0x42, 0x52, 0x56, 0x0D, 0x0A, 0x1A, 0x0A,  // magic
    0x01, 0x00, 0x03, 0x00,                          // version 1, kind 3
    0xAE, 0x95, 0x42, 0x40,                          // CRC32C of bytes 0..11
    0x00, 0x00, 0xC9, 0x42, 0x00, 0x40, 0x48, 0x43,  // masses
    0x0A, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00,  // intensities
    0x01, 0x02,                                      // peak bytes
    0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // entry: block offset 16
    0x02, 0x00, 0x00, 0x00,                          // peak count
    0x78, 0xB6, 0x3C, 0x7F,                          // CRC32C of bytes 16..33
    0x05, 0x00, 0x00, 0x00,                          // flags
    0x07, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00,  // words 2, 3, 4
    0x22, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // footer: indexOffset 34
    0x01, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00,  // 1 entry of 32 bytes
    0x01, 0x00, 0x00, 0x00,                          // aux: scan file code 1
    0xBE, 0x44, 0x60, 0x4E,                          // index CRC
    0x00, 0x00, 0x00, 0x00,                          // reserved
    0xFD, 0x0E, 0x68, 0xED,                          // footer CRC
};

// The completion record's entry for that file: kind 3, function 1, footer CRC, size 98.
const Bytes kScansManifestEntry = {
    0x03, 0x00, 0x01, 0x00, 0xFD, 0x0E, 0x68, 0xED, 0x62, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

std::string Hex(const Bytes& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X", bytes[i]);
        text += (i % 16 == 0 ? (i == 0 ? "" : "\n") : " ") + std::string(byte);
    }
    return text;
}

class GoldenBytesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(rawtest::WriteAcquisition(path, WorkedExample()), kRawOk); }
    ScratchDir dir{ScratchDir::Backing::kMemory};
    const std::string path = dir / "x.raw";
};

TEST_F(GoldenBytesTest, ScansFileIsTheDocumentsExample) {
    const Bytes written = ReadFileBytes(path + "/brv-f00001-scans.bin");
    EXPECT_EQ(written, kScansFile) << "written:\n"
                                   << Hex(written) << "\nexpected:\n"
                                   << Hex(kScansFile);
}

TEST_F(GoldenBytesTest, CompletionRecordListsTheExampleWithItsFooterCrc) {
    const Bytes manifest = ReadFileBytes(path + "/brv-manifest.bin");
    ASSERT_GT(manifest.size(), std::size_t{16 + 32});
    // Entries are sorted by (kind, function): header, function table, then the scans file.
    bool found = false;
    for (std::size_t at = 16; at + 16 <= manifest.size() - 32; at += 16) {
        const Bytes entry(manifest.begin() + static_cast<std::ptrdiff_t>(at),
                          manifest.begin() + static_cast<std::ptrdiff_t>(at + 16));
        if (entry[0] == 3) {
            EXPECT_EQ(entry, kScansManifestEntry) << Hex(entry);
            found = true;
        }
    }
    EXPECT_TRUE(found) << Hex(manifest);
}

TEST_F(GoldenBytesTest, SizeQueryGivesTheDocumentsScanInfo) {
    RawHandle r = 0;
    ASSERT_EQ(RawReadOpen(path.c_str(), &r), kRawOk);
    Bytes record(kFunctionRecordSize);
    Bytes headerRecord(kHeaderRecordSize);
    Bytes headerBlock(kHeaderBlockSize);
    std::uint16_t functions = 0;
    ASSERT_EQ(RawReadHeader(r, headerRecord.data(), headerBlock.data(), &functions, nullptr),
              kRawOk);
    ASSERT_EQ(RawReadFuncInfo(r, 1, record.data(), nullptr), kRawOk);
    ASSERT_EQ(RawReadFuncInit(r, 1, 0, 0, record.data(), headerBlock.data()), kRawOk);
    Bytes info(kScanInfoSize, 0xEE);
    std::uint32_t capacity = 0;
    ASSERT_EQ(RawReadSpectrum(r, 1, 0, 1, 1, &capacity, info.data(), nullptr, nullptr, nullptr, 0),
              kRawOk);
    Bytes expected(kScanInfoSize, 0);
    expected[0] = 0x02;  // word 0 = 80000002
    expected[3] = 0x80;
    expected[4] = 0x04;  // word 1 = 00000004
    expected[12] = 8;
    expected[32] = 7;
    expected[36] = 9;
    EXPECT_EQ(info, expected) << Hex(info);
    RawReadFuncEnd(r, 1, 0);
    RawReadClose(r);
}

}  // namespace
