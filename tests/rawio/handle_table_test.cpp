#include "handle_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

namespace {

TEST(HandleTableTest, FullTableRefusesAndClosedHandlesAreNotReused) {
    rawio::HandleTable<int> table;
    std::set<RawHandle> issued;
    for (std::size_t i = 0; i < rawio::kMaxOpenHandles; ++i) {
        RawHandle h = 0;
        ASSERT_EQ(table.Insert(std::make_shared<int>(1), &h), kRawOk);
        EXPECT_NE(h, 0u);
        EXPECT_TRUE(issued.insert(h).second);
    }
    RawHandle extra = 0;
    EXPECT_EQ(table.Insert(std::make_shared<int>(2), &extra), kRawTooManyHandles);
    const RawHandle first = *issued.begin();
    EXPECT_NE(table.Remove(first), nullptr);
    EXPECT_EQ(table.Find(first), nullptr);
    ASSERT_EQ(table.Insert(std::make_shared<int>(3), &extra), kRawOk);
    EXPECT_NE(extra, first);
}

// Several threads, each with its own files, reading and writing at the same time.
TEST(HandleTableTest, ManyFilesFromManyThreads) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    rawtest::AcquisitionShape options;
    options.functions = 1;
    options.channels = 1;
    const rawtest::Acquisition a = rawtest::MakeAcquisition(options);
    ASSERT_EQ(rawtest::WriteAcquisition(dir / "shared.raw", a), kRawOk);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                rawtest::Acquisition read;
                if (rawtest::ReadAcquisition(dir / "shared.raw", &read) != kRawOk ||
                    !rawtest::SameExceptHistory(read, a)) {
                    ++failures;
                }
                std::string own = dir.Path();
                own.append("/t").append(std::to_string(t)).append(".raw");
                if (rawtest::WriteAcquisition(own, a) != kRawOk ||
                    rawtest::ReadAcquisition(own, &read) != kRawOk ||
                    !rawtest::SameExceptHistory(read, a)) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
