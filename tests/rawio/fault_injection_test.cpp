#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "rawio/raw_api.h"
#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

#include "file_io.h"

namespace {

using rawtest::Acquisition;

rawtest::AcquisitionShape SmallOptions(std::uint32_t seed) {
    rawtest::AcquisitionShape options;
    options.seed = seed;
    options.functions = 2;
    options.scansPerFunction = 2;
    options.maxPeaks = 4;
    options.channels = 1;
    options.analogPoints = 2;
    options.historyRecords = 1;
    return options;
}

class FaultInjectionTest : public ::testing::Test {
  protected:
    void TearDown() override { rawio::SetIoFaultPlan({}); }

    // The number of I/O operations of a clean create of `a` at a path in the given state.
    static std::uint64_t CountOperations(const Acquisition& a, bool overExisting) {
        ScratchDir dir{ScratchDir::Backing::kMemory};
        const std::string path = dir / "f.raw";
        if (overExisting) {
            EXPECT_EQ(rawtest::WriteAcquisition(path, rawtest::MakeAcquisition(SmallOptions(9))),
                      kRawOk);
        }
        rawio::SetIoFaultPlan({});
        EXPECT_EQ(rawtest::WriteAcquisition(path, a), kRawOk);
        return rawio::IoOperationCount();
    }

    void Sweep(bool overExisting, int error) {
        const Acquisition a = rawtest::MakeAcquisition(SmallOptions(3));
        Acquisition expected;
        Acquisition old;
        {
            ScratchDir dir{ScratchDir::Backing::kMemory};
            ASSERT_EQ(rawtest::WriteAcquisition(dir / "f.raw", a), kRawOk);
            ASSERT_EQ(rawtest::ReadAcquisition(dir / "f.raw", &expected), kRawOk);
            ASSERT_EQ(
                rawtest::WriteAcquisition(dir / "f.raw", rawtest::MakeAcquisition(SmallOptions(9))),
                kRawOk);
            ASSERT_EQ(rawtest::ReadAcquisition(dir / "f.raw", &old), kRawOk);
        }
        const std::uint64_t total = CountOperations(a, overExisting);
        ASSERT_GT(total, 20u);
        for (std::uint64_t n = 1; n <= total; ++n) {
            for (const bool fromThenOn : {false, true}) {
                const std::string what = "operation " + std::to_string(n) +
                                         (fromThenOn ? " and after" : " once") +
                                         (overExisting ? ", over an existing file" : "");
                ScratchDir dir{ScratchDir::Backing::kMemory};
                const std::string path = dir / "f.raw";
                if (overExisting) {
                    ASSERT_EQ(
                        rawtest::WriteAcquisition(path, rawtest::MakeAcquisition(SmallOptions(9))),
                        kRawOk);
                }
                rawio::SetIoFaultPlan({n, fromThenOn, error});
                const RawStatus status = rawtest::WriteAcquisition(path, a);
                rawio::SetIoFaultPlan({});
                // Whatever the operation, the status is the system's refusal and the detail
                // names the path and gives the system's reason.
                EXPECT_EQ(status, kRawIoError) << what;
                const std::string detail = RawLastErrorDetail();
                EXPECT_EQ(detail.rfind(dir.Path(), 0), 0u) << what << ": " << detail;
                EXPECT_TRUE(detail.ends_with(std::string(": ") + std::strerror(error)))
                    << what << ": " << detail;
                // Complete means wholly the new file, or wholly the old one when the create
                // failed before touching it; anything else is refused as incomplete (or
                // absent, when not even the directory was made).
                Acquisition read;
                const RawStatus readStatus = rawtest::ReadAcquisition(path, &read);
                if (readStatus == kRawOk) {
                    EXPECT_TRUE(read == expected || (overExisting && read == old))
                        << what << ": reads as complete but is neither the new nor the old file";
                } else if (overExisting) {
                    EXPECT_EQ(readStatus, kRawIncomplete) << what;
                } else {
                    EXPECT_TRUE(readStatus == kRawIncomplete || readStatus == kRawNotFound)
                        << what << ": " << readStatus;
                }
            }
        }
    }
};

TEST_F(FaultInjectionTest, EveryFailedCreateOperationIsReportedAndNeverReadsWrong) {
    Sweep(false, EIO);
}

TEST_F(FaultInjectionTest, FailedRegenerationNeverReadsAsTheOldOrAMixedFile) {
    Sweep(true, EIO);
}

TEST_F(FaultInjectionTest, FullDiskIsAnIoError) {
    Sweep(false, ENOSPC);
}

TEST_F(FaultInjectionTest, EveryFailedReadOperationIsReported) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    const std::string path = dir / "f.raw";
    ASSERT_EQ(rawtest::WriteAcquisition(path, rawtest::MakeAcquisition(SmallOptions(4))), kRawOk);
    Acquisition expected;
    rawio::SetIoFaultPlan({});
    ASSERT_EQ(rawtest::ReadAcquisition(path, &expected), kRawOk);
    const std::uint64_t total = rawio::IoOperationCount();
    for (std::uint64_t n = 1; n <= total; ++n) {
        rawio::SetIoFaultPlan({n, false, EIO});
        Acquisition read;
        const RawStatus status = rawtest::ReadAcquisition(path, &read);
        rawio::SetIoFaultPlan({});
        EXPECT_EQ(status, kRawIoError) << "read operation " << n;
        const std::string detail = RawLastErrorDetail();
        EXPECT_EQ(detail.rfind(path, 0), 0u) << "read operation " << n << ": " << detail;
        EXPECT_TRUE(detail.ends_with(std::string(": ") + std::strerror(EIO)))
            << "read operation " << n << ": " << detail;
    }
}

}  // namespace
