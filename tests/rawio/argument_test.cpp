#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"
#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

namespace {

using rawtest::Bytes;

// An open reader over a small acquisition with function 1 initialised.
class ReadArgumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rawtest::AcquisitionShape options;
        options.functions = 2;
        options.scansPerFunction = 3;
        ASSERT_EQ(rawtest::WriteAcquisition(dir / "a.raw", rawtest::MakeAcquisition(options)),
                  kRawOk);
        ASSERT_EQ(RawReadOpen((dir / "a.raw").c_str(), &r), kRawOk);
        ASSERT_EQ(RawReadFuncInit(r, 1, 0, 0, record.data(), block.data()), kRawOk);
        ASSERT_EQ(RawReadGetStatsFile(r, 1, 0, statsFile), kRawOk);
    }
    void TearDown() override { RawReadClose(r); }

    ScratchDir dir{ScratchDir::Backing::kMemory};
    RawHandle r = 0;
    Bytes headerRecord = Bytes(kHeaderRecordSize);
    Bytes block = Bytes(kHeaderBlockSize);
    Bytes record = Bytes(kFunctionRecordSize);
    std::uint8_t statsFile[kStatsFileSize] = {};
    std::uint8_t info[kScanInfoSize] = {};
    Bytes buffer = Bytes(4096);
    float masses[64] = {};
    std::uint32_t intensities[64] = {};
    std::uint8_t peakBytes[64] = {};
};

TEST_F(ReadArgumentTest, EachBadArgumentHasItsStatus) {
    std::uint16_t count = 0;
    std::uint32_t capacity = 64;
    std::uint32_t zero = 0;
    const struct {
        const char* name;
        std::function<RawStatus()> call;
        RawStatus expected;
    } cases[] = {
        {"header: null record",
         [&] { return RawReadHeader(r, nullptr, block.data(), &count, nullptr); }, kRawBadArgument},
        {"header: null count",
         [&] { return RawReadHeader(r, headerRecord.data(), block.data(), nullptr, nullptr); },
         kRawBadArgument},
        {"func info: function 0", [&] { return RawReadFuncInfo(r, 0, record.data(), nullptr); },
         kRawBadArgument},
        {"func info: function 3 of 2",
         [&] { return RawReadFuncInfo(r, 3, record.data(), nullptr); }, kRawBadArgument},
        {"func info: null record", [&] { return RawReadFuncInfo(r, 1, nullptr, nullptr); },
         kRawBadArgument},
        {"func init: zero1 = 1",
         [&] { return RawReadFuncInit(r, 1, 1, 0, record.data(), block.data()); }, kRawBadArgument},
        {"func init: zero2 = 1",
         [&] { return RawReadFuncInit(r, 1, 0, 1, record.data(), block.data()); }, kRawBadArgument},
        {"func init: null block",
         [&] { return RawReadFuncInit(r, 1, 0, 0, record.data(), nullptr); }, kRawBadArgument},
        {"func end: not initialised", [&] { return RawReadFuncEnd(r, 2, 0); }, kRawOutOfOrder},
        {"func end: zero = 1", [&] { return RawReadFuncEnd(r, 1, 1); }, kRawBadArgument},
        {"spectrum: not initialised",
         [&] { return RawReadSpectrum(r, 2, 0, 1, 1, &zero, info, nullptr, nullptr, nullptr, 0); },
         kRawOutOfOrder},
        {"spectrum: scan 0",
         [&] { return RawReadSpectrum(r, 1, 0, 0, 1, &zero, info, nullptr, nullptr, nullptr, 0); },
         kRawBadArgument},
        {"spectrum: scan 4 of 3",
         [&] { return RawReadSpectrum(r, 1, 0, 4, 1, &zero, info, nullptr, nullptr, nullptr, 0); },
         kRawBadArgument},
        {"spectrum: one = 0",
         [&] { return RawReadSpectrum(r, 1, 0, 1, 0, &zero, info, nullptr, nullptr, nullptr, 0); },
         kRawBadArgument},
        {"spectrum: zero2 = 1",
         [&] { return RawReadSpectrum(r, 1, 0, 1, 1, &zero, info, nullptr, nullptr, nullptr, 1); },
         kRawBadArgument},
        {"spectrum: null capacity",
         [&] {
             return RawReadSpectrum(r, 1, 0, 1, 1, nullptr, info, nullptr, nullptr, nullptr, 0);
         },
         kRawBadArgument},
        {"spectrum: null scanInfo",
         [&] {
             return RawReadSpectrum(r, 1, 0, 1, 1, &zero, nullptr, nullptr, nullptr, nullptr, 0);
         },
         kRawBadArgument},
        {"spectrum: capacity without arrays",
         [&] {
             return RawReadSpectrum(r, 1, 0, 1, 1, &capacity, info, nullptr, nullptr, nullptr, 0);
         },
         kRawBadArgument},
        {"spectrum: one array missing",
         [&] {
             return RawReadSpectrum(r, 1, 0, 1, 1, &capacity, info, masses, intensities, nullptr,
                                    0);
         },
         kRawBadArgument},
        {"stats file: function 9", [&] { return RawReadGetStatsFile(r, 9, 0, statsFile); },
         kRawBadArgument},
        {"stats file: null", [&] { return RawReadGetStatsFile(r, 1, 0, nullptr); },
         kRawBadArgument},
        {"stats entry: scan 0", [&] { return RawStatsReadEntry(statsFile, 0, buffer.data()); },
         kRawBadArgument},
        {"stats entry: scan 4 of 3", [&] { return RawStatsReadEntry(statsFile, 4, buffer.data()); },
         kRawBadArgument},
        {"stats entry: null token", [&] { return RawStatsReadEntry(nullptr, 1, buffer.data()); },
         kRawBadArgument},
        {"stats entry: null record", [&] { return RawStatsReadEntry(statsFile, 1, nullptr); },
         kRawBadArgument},
        {"ee: index 0", [&] { return RawEERead(r, 1, 0, 0, buffer.data()); }, kRawBadArgument},
        {"ee: index 2 of 1", [&] { return RawEERead(r, 1, 0, 2, buffer.data()); }, kRawBadArgument},
        {"ee: zero = 1", [&] { return RawEERead(r, 1, 1, 1, buffer.data()); }, kRawBadArgument},
        {"analog info: channel -1", [&] { return RawReadAnalogInfo(r, -1, buffer.data()); },
         kRawBadArgument},
        {"analog info: channel 2 of 2", [&] { return RawReadAnalogInfo(r, 2, buffer.data()); },
         kRawBadArgument},
        {"analog size: null", [&] { return RawReadAnalogSize(r, 0, nullptr); }, kRawBadArgument},
        {"analog chrom: wrong point count",
         [&] { return RawReadAnalogChrom(r, 0, 1, 4, buffer.data(), buffer.data() + 64); },
         kRawBadArgument},
        {"analog chrom: one = 0",
         [&] { return RawReadAnalogChrom(r, 0, 0, 5, buffer.data(), buffer.data() + 64); },
         kRawBadArgument},
        {"analog chrom: null array",
         [&] { return RawReadAnalogChrom(r, 0, 1, 5, nullptr, buffer.data()); }, kRawBadArgument},
        {"proc info: null", [&] { return RawReadProcInfo(r, nullptr, nullptr); }, kRawBadArgument},
        {"bad handle",
         [&] {
             return RawReadHeader(r + 12345, headerRecord.data(), block.data(), &count, nullptr);
         },
         kRawBadHandle},
        {"handle 0", [&] { return RawReadFuncInfo(0, 1, record.data(), nullptr); }, kRawBadHandle},
        {"read handle used to create",
         [&] { return RawCreateHeader(r, headerRecord.data(), block.data()); }, kRawBadHandle},
        {"unknown stats token",
         [&] {
             const std::uint8_t bogus[4] = {0xFF, 0xFF, 0xFF, 0x7F};
             return RawStatsReadEntry(bogus, 1, buffer.data());
         },
         kRawBadHandle},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.call(), c.expected) << c.name;
    }
    // The handle still works after all that.
    EXPECT_EQ(RawReadSpectrum(r, 1, 0, 1, 1, &capacity, info, masses, intensities, peakBytes, 0),
              kRawOk);
}

TEST(OpenArgumentTest, OpenStatuses) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    WriteFileBytes(dir / "file.raw", Bytes(10, 1));
    ASSERT_EQ(::mkdir((dir / "empty.raw").c_str(), 0777), 0);
    ASSERT_EQ(::mkdir((dir / "plain").c_str(), 0777), 0);
    RawHandle h = 0;
    const struct {
        const char* name;
        std::string path;
        RawStatus read;
        RawStatus create;
    } cases[] = {
        {"missing", dir / "none.raw", kRawNotFound, kRawOk},
        {"missing parent", dir / "no/such.raw", kRawNotFound, kRawNotFound},
        {"a plain file", dir / "file.raw", kRawNotRawFile, kRawPathNotDirectory},
        {"an empty raw directory", dir / "empty.raw", kRawIncomplete, kRawOk},
        {"a directory without .raw", dir / "plain", kRawNotRawFile, kRawBadArgument},
        {"empty path", "", kRawBadArgument, kRawBadArgument},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RawReadOpen(c.path.c_str(), &h), c.read) << c.name;
        const RawStatus created = RawCreateOpen(c.path.c_str(), &h);
        EXPECT_EQ(created, c.create) << c.name;
        if (created == kRawOk) {
            EXPECT_EQ(RawCreateAbandon(h), kRawOk);
        }
    }
    // A plain file is left as it was.
    EXPECT_EQ(ReadFileBytes(dir / "file.raw"), Bytes(10, 1));
    EXPECT_EQ(RawReadOpen(nullptr, &h), kRawBadArgument);
    EXPECT_EQ(RawCreateOpen(nullptr, &h), kRawBadArgument);
    EXPECT_EQ(RawReadOpen((dir / "none.raw").c_str(), nullptr), kRawBadArgument);
}

TEST(CloseArgumentTest, ClosedHandlesAreBad) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    ASSERT_EQ(rawtest::WriteAcquisition(dir / "a.raw", rawtest::MakeAcquisition({})), kRawOk);
    RawHandle r = 0;
    ASSERT_EQ(RawReadOpen((dir / "a.raw").c_str(), &r), kRawOk);
    std::uint8_t statsFile[kStatsFileSize];
    ASSERT_EQ(RawReadGetStatsFile(r, 1, 0, statsFile), kRawOk);
    EXPECT_EQ(RawCreateClose(r), kRawBadHandle);
    EXPECT_EQ(RawCreateAbandon(r), kRawBadHandle);
    EXPECT_EQ(RawReadClose(r), kRawOk);
    EXPECT_EQ(RawReadClose(r), kRawBadHandle);
    Bytes record(kStatsRecordSize);
    EXPECT_EQ(RawStatsReadEntry(statsFile, 1, record.data()), kRawBadHandle);
    RawHandle w = 0;
    ASSERT_EQ(RawCreateOpen((dir / "b.raw").c_str(), &w), kRawOk);
    EXPECT_EQ(RawReadClose(w), kRawBadHandle);
    EXPECT_EQ(RawCreateAbandon(w), kRawOk);
    EXPECT_EQ(RawCreateClose(w), kRawBadHandle);
}

}  // namespace
