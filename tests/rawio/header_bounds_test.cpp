// The header file's limits are part of the format: the reader's bound on the deflated stream
// must stay what zlib's compress2 can produce, or the library would refuse its own files.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

#include "format.h"

namespace {

TEST(HeaderBoundsTest, DeflatedBoundIsWhatCompressCanProduce) {
    const std::uint64_t lengths[] = {
        0,     1,     8,        4095,     4096,           16383,
        16384, 65536, 1u << 20, 1u << 25, (1u << 25) + 1, rawio::kMaxSegmentStream};
    for (const std::uint64_t length : lengths) {
        EXPECT_EQ(rawio::MaxDeflatedLength(length), compressBound(static_cast<uLong>(length)))
            << "stream length " << length;
    }
}

// Blocks that make the longest segment streams the writer can give still read back: the
// reader's bounds leave room for everything the writer makes.
TEST(HeaderBoundsTest, WorstCaseHeaderBlocksReadBack) {
    struct Case {
        const char* name;
        std::size_t period;  // one non-zero byte every `period` bytes, zeros between
    };
    const Case cases[] = {{"no zeros", 1},
                          {"zero runs one short of a segment", rawio::kMinZeroRun},
                          {"shortest zero runs that make segments", rawio::kMinZeroRun + 1},
                          {"one byte at the end", kHeaderBlockSize}};
    for (const Case& c : cases) {
        rawtest::Acquisition written;
        written.headerBlock.assign(kHeaderBlockSize, 0);
        for (std::size_t i = c.period - 1; i < kHeaderBlockSize; i += c.period) {
            written.headerBlock[i] = static_cast<std::uint8_t>(1 + i % 251);
        }
        ScratchDir dir{ScratchDir::Backing::kMemory};
        const std::string path = dir / "a.raw";
        ASSERT_EQ(rawtest::WriteAcquisition(path, written), kRawOk) << c.name;
        rawtest::Acquisition read;
        ASSERT_EQ(rawtest::ReadAcquisition(path, &read), kRawOk) << c.name;
        EXPECT_EQ(read.headerBlock, written.headerBlock) << c.name;
    }
}

}  // namespace
