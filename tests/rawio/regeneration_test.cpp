#include <gtest/gtest.h>

#include <algorithm>

#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"
#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

#include "file_names.h"

namespace {

using rawtest::AcquisitionShape;
using rawtest::Bytes;

bool IsLibraryName(const std::string& name) {
    return rawio::IsLibraryFileName(name);
}

TEST(RegenerationTest, ReplacesLibraryFilesLeavesNoStaleOneAndKeepsUserFiles) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    const std::string path = dir / "r.raw";
    AcquisitionShape big;
    big.functions = 4;
    ASSERT_EQ(rawtest::WriteAcquisition(path, rawtest::MakeAcquisition(big)), kRawOk);
    WriteFileBytes(path + "/notes.txt", Bytes{'h', 'i'});
    WriteFileBytes(path + "/brv-notes.bin", Bytes{1, 2, 3});  // looks ours, is not

    AcquisitionShape small;
    small.seed = 99;
    small.functions = 2;
    small.stats = false;
    small.channels = 0;
    small.historyRecords = 0;
    const rawtest::Acquisition replacement = rawtest::MakeAcquisition(small);
    ASSERT_EQ(rawtest::WriteAcquisition(path, replacement), kRawOk);
    rawtest::Acquisition read;
    ASSERT_EQ(rawtest::ReadAcquisition(path, &read), kRawOk);
    EXPECT_TRUE(rawtest::SameExceptHistory(read, replacement));
    EXPECT_TRUE(read.processRecords.empty());

    // A fresh create of the same acquisition elsewhere has exactly the same library files.
    ASSERT_EQ(rawtest::WriteAcquisition(dir / "fresh.raw", replacement), kRawOk);
    auto names = ListNames(path);
    std::vector<std::string> library;
    std::copy_if(names.begin(), names.end(), std::back_inserter(library), IsLibraryName);
    EXPECT_EQ(library, ListNames(dir / "fresh.raw"));
    EXPECT_EQ(ReadFileBytes(path + "/notes.txt"), (Bytes{'h', 'i'}));
    EXPECT_EQ(ReadFileBytes(path + "/brv-notes.bin"), (Bytes{1, 2, 3}));
}

TEST(RegenerationTest, OldFileStopsCountingAtOpenAndAbandonLeavesItIncomplete) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    const std::string path = dir / "r.raw";
    ASSERT_EQ(rawtest::WriteAcquisition(path, rawtest::MakeAcquisition({})), kRawOk);
    RawHandle w = 0;
    ASSERT_EQ(RawCreateOpen(path.c_str(), &w), kRawOk);
    RawHandle r = 0;
    EXPECT_EQ(RawReadOpen(path.c_str(), &r), kRawIncomplete);  // at once, not at close
    Bytes headerRecord(kHeaderRecordSize, 1);
    Bytes headerBlock(kHeaderBlockSize);
    ASSERT_EQ(RawCreateHeader(w, headerRecord.data(), headerBlock.data()), kRawOk);
    ASSERT_EQ(RawCreateAbandon(w), kRawOk);
    EXPECT_EQ(RawReadOpen(path.c_str(), &r), kRawIncomplete);
    // A later complete create of the same path completes it.
    ASSERT_EQ(rawtest::WriteAcquisition(path, rawtest::MakeAcquisition({})), kRawOk);
    ASSERT_EQ(RawReadOpen(path.c_str(), &r), kRawOk);
    EXPECT_EQ(RawReadClose(r), kRawOk);
}

TEST(RegenerationTest, ReaderOfTheOldFileKeepsReadingItsOwnData) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    const std::string path = dir / "r.raw";
    AcquisitionShape options;
    options.functions = 1;
    const rawtest::Acquisition old = rawtest::MakeAcquisition(options);
    ASSERT_EQ(rawtest::WriteAcquisition(path, old), kRawOk);
    RawHandle r = 0;
    ASSERT_EQ(RawReadOpen(path.c_str(), &r), kRawOk);
    Bytes record(kFunctionRecordSize);
    Bytes block(kHeaderBlockSize);
    ASSERT_EQ(RawReadFuncInit(r, 1, 0, 0, record.data(), block.data()), kRawOk);
    options.seed = 5;
    ASSERT_EQ(rawtest::WriteAcquisition(path, rawtest::MakeAcquisition(options)), kRawOk);
    // Either the old bytes or a clear failure; never the new file's data under the old index.
    for (std::int32_t s = 1; s <= 3; ++s) {
        std::uint8_t info[kScanInfoSize];
        std::vector<float> masses(64);
        std::vector<std::uint32_t> intensities(64);
        Bytes peakBytes(64);
        std::uint32_t capacity = 64;
        const RawStatus status = RawReadSpectrum(r, 1, 0, s, 1, &capacity, info, masses.data(),
                                                 intensities.data(), peakBytes.data(), 0);
        ASSERT_EQ(status, kRawOk) << s;
        masses.resize(capacity);
        EXPECT_EQ(masses, old.functions[0].scans[static_cast<std::size_t>(s - 1)].masses);
    }
    EXPECT_EQ(RawReadClose(r), kRawOk);
}

}  // namespace
