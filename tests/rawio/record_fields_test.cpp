#include "rawio/record_fields.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "scan_file.h"

namespace {

struct HeaderCase {
    const char* name;
    std::array<std::uint32_t, 6> words;
};

// Every flag alone and together, with values whose bytes all differ, so that a swapped or
// shifted word shows.
constexpr HeaderCase kHeaders[] = {
    {"all zero", {0, 0, 0, 0, 0, 0}},
    {"word 0 flag", {1, 0, 0x01020304u, 0x05060708u, 0x090A0B0Cu, 0}},
    {"word 1 flag", {0, 1, 0x11121314u, 0x15161718u, 0x191A1B1Cu, 0}},
    {"word 5 flag", {0, 0, 0x21222324u, 0x25262728u, 0x292A2B2Cu, 1}},
    {"all flags", {1, 1, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 1}},
};

rawio::ScanHeaderBytes HeaderOf(const std::array<std::uint32_t, 6>& words) {
    rawio::ScanHeaderBytes header{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        rawio::Store32(header.data() + 4 * i, words[i]);
    }
    return header;
}

TEST(ScanHeaderFromScanInfoTest, GivesBackTheHeaderTheLibraryFilledScanInfoFrom) {
    for (const HeaderCase& c : kHeaders) {
        const rawio::ScanHeaderBytes header = HeaderOf(c.words);
        rawio::ScanHeaderFields fields;
        ASSERT_EQ(rawio::DecodeScanHeader(header.data(), &fields), kRawOk) << c.name;
        std::uint8_t info[kScanInfoSize];
        rawio::FillScanInfo(fields, 12345, info);
        EXPECT_EQ(rawio::ScanHeaderFromScanInfo(info), header) << c.name;
        EXPECT_EQ(rawio::ScanInfoPeakCount(info), 12345u) << c.name;
    }
}

TEST(FunctionRecordFieldsTest, ScanFileCodeChangesOnlyItsOwnBits) {
    for (std::uint32_t code = 0; code <= kFunctionRecordScanCodeMask; ++code) {
        std::array<std::uint8_t, kFunctionRecordSize> record;
        record.fill(0xA5);
        std::array<std::uint8_t, kFunctionRecordSize> expected = record;
        rawio::SetFunctionScanFileCode(record.data(), code);
        EXPECT_EQ(rawio::FunctionScanFileCode(record.data()), code);
        // Bits 10..13 live in byte 1 (bits 2..5); everything else must be as it was.
        expected[1] = static_cast<std::uint8_t>((expected[1] & ~0x3Cu) | (code << 2));
        EXPECT_EQ(record, expected) << "code " << code;
    }
}

TEST(FunctionRecordFieldsTest, ScanCountIsLittleEndianAtItsOffset) {
    std::array<std::uint8_t, kFunctionRecordSize> record{};
    rawio::SetFunctionScanCount(record.data(), 0x0A0B0C0Du);
    EXPECT_EQ(record[kFunctionRecordScanCountOffset], 0x0D);
    EXPECT_EQ(record[kFunctionRecordScanCountOffset + 3], 0x0A);
    EXPECT_EQ(rawio::FunctionScanCount(record.data()), 0x0A0B0C0Du);
}

TEST(ProcessInfoFieldsTest, RecordCountIsLittleEndianAtItsOffset) {
    std::array<std::uint8_t, kProcessInfoSize> info{};
    rawio::SetProcessRecordCount(info.data(), 0x0102);
    EXPECT_EQ(info[kProcessInfoCountOffset], 0x02);
    EXPECT_EQ(info[kProcessInfoCountOffset + 1], 0x01);
    EXPECT_EQ(rawio::ProcessRecordCount(info.data()), 0x0102);
}

}  // namespace
