#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "rawio/byte_order.h"
#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"
#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

namespace {

using rawtest::Acquisition;
using rawtest::AcquisitionShape;
using rawtest::Bytes;

struct RoundTripCase {
    const char* name;
    AcquisitionShape options;
};

std::vector<RoundTripCase> RoundTripCases() {
    std::vector<RoundTripCase> cases;
    cases.push_back({"everything", {}});
    AcquisitionShape bare;
    bare.stats = false;
    bare.extended = false;
    bare.channels = 0;
    bare.historyRecords = 0;
    cases.push_back({"scans only", bare});
    AcquisitionShape none = bare;
    none.functions = 0;
    cases.push_back({"no functions", none});
    AcquisitionShape empty;
    empty.maxPeaks = 0;
    empty.analogPoints = 0;
    cases.push_back({"empty scans and channels", empty});
    AcquisitionShape noScans;
    noScans.scansPerFunction = 0;
    cases.push_back({"functions without scans", noScans});
    AcquisitionShape many;
    many.functions = 5;
    many.scansPerFunction = 400;  // several statistics blocks per function
    many.maxPeaks = 300;          // several read windows
    many.channels = 3;
    many.analogPoints = 1000;
    many.historyRecords = 700;  // several history blocks
    cases.push_back({"many", many});
    AcquisitionShape big;
    big.functions = 1;
    big.scansPerFunction = 2;
    big.maxPeaks = 300000;  // scans larger than the read window
    cases.push_back({"big scans", big});
    return cases;
}

TEST(RoundTripTest, EveryRecordComesBackExactly) {
    for (const RoundTripCase& c : RoundTripCases()) {
        ScratchDir dir{ScratchDir::Backing::kMemory};
        const std::string path = dir / "a.raw";
        const Acquisition written = rawtest::MakeAcquisition(c.options);
        ASSERT_EQ(rawtest::WriteAcquisition(path, written), kRawOk) << c.name;
        Acquisition read;
        ASSERT_EQ(rawtest::ReadAcquisition(path, &read), kRawOk) << c.name;
        EXPECT_TRUE(rawtest::SameExceptHistory(written, read)) << c.name;

        const std::size_t n = written.processRecords.size();
        if (n == 0) {
            EXPECT_EQ(read.processInfo, Bytes(kProcessInfoSize)) << c.name;
            EXPECT_TRUE(read.processRecords.empty()) << c.name;
            continue;
        }
        // The history gains exactly one record, and only the count of processInfo changes.
        ASSERT_EQ(read.processRecords.size(), n + 1) << c.name;
        Bytes expectedInfo = written.processInfo;
        expectedInfo[2] = static_cast<std::uint8_t>((n + 1) & 0xFF);
        expectedInfo[3] = static_cast<std::uint8_t>((n + 1) >> 8);
        EXPECT_EQ(read.processInfo, expectedInfo) << c.name;
        for (std::size_t i = 0; i < n; ++i) {
            EXPECT_EQ(read.processRecords[i], written.processRecords[i]) << c.name << " " << i;
        }
        const std::string own(reinterpret_cast<const char*>(read.processRecords[n].data()));
        EXPECT_NE(own.find("a.raw"), std::string::npos) << own;
    }
}

// Reading a file and creating a copy through the create calls reproduces every record, the
// analog arrays included despite their swapped order between the read and create calls.
TEST(RoundTripTest, CopyOfACopyIsIdentical) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    AcquisitionShape options;
    options.seed = 7;
    const Acquisition original = rawtest::MakeAcquisition(options);
    ASSERT_EQ(rawtest::WriteAcquisition(dir / "a.raw", original), kRawOk);
    Acquisition first;
    ASSERT_EQ(rawtest::ReadAcquisition(dir / "a.raw", &first), kRawOk);
    ASSERT_EQ(rawtest::WriteAcquisition(dir / "b.raw", first), kRawOk);
    Acquisition second;
    ASSERT_EQ(rawtest::ReadAcquisition(dir / "b.raw", &second), kRawOk);
    EXPECT_TRUE(rawtest::SameExceptHistory(original, second));
    ASSERT_EQ(second.processRecords.size(), original.processRecords.size() + 2);
}

TEST(RoundTripTest, SameCallsGiveByteIdenticalFiles) {
    ScratchDir one{ScratchDir::Backing::kMemory};
    ScratchDir two{ScratchDir::Backing::kMemory};
    const Acquisition a = rawtest::MakeAcquisition({});
    ASSERT_EQ(rawtest::WriteAcquisition(one / "x.raw", a), kRawOk);
    ASSERT_EQ(rawtest::WriteAcquisition(two / "x.raw", a), kRawOk);
    const auto names = ListNames(one / "x.raw");
    ASSERT_EQ(names, ListNames(two / "x.raw"));
    for (const std::string& name : names) {
        EXPECT_EQ(ReadFileBytes(one / "x.raw/" + name), ReadFileBytes(two / "x.raw/" + name))
            << name;
    }
}

TEST(RoundTripTest, SmallAcquisitionIsASmallDirectory) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    ASSERT_EQ(rawtest::WriteAcquisition(dir / "a.raw", rawtest::MakeAcquisition({})), kRawOk);
    std::size_t total = 0;
    for (const std::string& name : ListNames(dir / "a.raw")) {
        total += ReadFileBytes(dir / "a.raw/" + name).size();
    }
    EXPECT_LT(total, 64u * 1024u);  // the 3 MB header block is stored compressed
}

class SpectrumTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AcquisitionShape options;
        options.functions = 1;
        options.scansPerFunction = 4;
        options.maxPeaks = 50;
        acquisition = rawtest::MakeAcquisition(options);
        acquisition.functions[0].scans[1].masses.resize(7);  // a scan of known size
        acquisition.functions[0].scans[1].intensities.resize(7);
        acquisition.functions[0].scans[1].peakBytes.resize(7);
        ASSERT_EQ(rawtest::WriteAcquisition(dir / "s.raw", acquisition), kRawOk);
        ASSERT_EQ(RawReadOpen((dir / "s.raw").c_str(), &r), kRawOk);
        Bytes record(kFunctionRecordSize);
        Bytes block(kHeaderBlockSize);
        ASSERT_EQ(RawReadFuncInit(r, 1, 0, 0, record.data(), block.data()), kRawOk);
    }
    void TearDown() override { RawReadClose(r); }

    ScratchDir dir{ScratchDir::Backing::kMemory};
    Acquisition acquisition;
    RawHandle r = 0;
};

TEST_F(SpectrumTest, SizeQueryFillsOnlyTheDocumentedFields) {
    const rawtest::Scan& scan = acquisition.functions[0].scans[1];
    std::uint8_t info[kScanInfoSize];
    std::memset(info, 0xEE, sizeof info);
    std::uint32_t capacity = 0;
    ASSERT_EQ(RawReadSpectrum(r, 1, 0, 2, 1, &capacity, info, nullptr, nullptr, nullptr, 0),
              kRawOk);
    EXPECT_EQ(capacity, 7u);
    Bytes expected(kScanInfoSize);
    auto put = [&](std::size_t at, std::uint32_t v) { rawio::Store32(expected.data() + at, v); };
    auto word = [&](std::size_t i) { return rawio::Load32(scan.header.data() + 4 * i); };
    put(0, 7u | (word(0) ? kScanInfoFlagBit : 0u));
    put(4, (word(1) ? 1u : 0u) | (word(5) ? 4u : 0u));
    put(12, word(3));
    put(32, word(2));
    put(36, word(4));
    EXPECT_EQ(Bytes(info, info + kScanInfoSize), expected);
}

TEST_F(SpectrumTest, NeverWritesPastTheCapacity) {
    std::uint8_t info[kScanInfoSize];
    std::vector<float> masses(16, -1.0f);
    std::vector<std::uint32_t> intensities(16, 0xDEADBEEFu);
    Bytes peakBytes(16, 0xAB);
    std::uint32_t capacity = 6;  // one short
    EXPECT_EQ(RawReadSpectrum(r, 1, 0, 2, 1, &capacity, info, masses.data(), intensities.data(),
                              peakBytes.data(), 0),
              kRawCapacityTooSmall);
    EXPECT_EQ(capacity, 6u);
    EXPECT_EQ(masses, std::vector<float>(16, -1.0f));
    EXPECT_EQ(intensities, std::vector<std::uint32_t>(16, 0xDEADBEEFu));
    EXPECT_EQ(peakBytes, Bytes(16, 0xAB));
    capacity = 7;
    ASSERT_EQ(RawReadSpectrum(r, 1, 0, 2, 1, &capacity, info, masses.data(), intensities.data(),
                              peakBytes.data(), 0),
              kRawOk);
    EXPECT_EQ(masses[7], -1.0f);
    EXPECT_EQ(intensities[7], 0xDEADBEEFu);
    EXPECT_EQ(peakBytes[7], 0xAB);
}

TEST_F(SpectrumTest, ScansReadInAnyOrder) {
    for (const std::int32_t s : {4, 1, 3, 2, 4, 1}) {
        const rawtest::Scan& scan = acquisition.functions[0].scans[static_cast<std::size_t>(s - 1)];
        std::uint8_t info[kScanInfoSize];
        std::vector<float> masses(64);
        std::vector<std::uint32_t> intensities(64);
        Bytes peakBytes(64);
        std::uint32_t capacity = 64;
        ASSERT_EQ(RawReadSpectrum(r, 1, 0, s, 1, &capacity, info, masses.data(), intensities.data(),
                                  peakBytes.data(), 0),
                  kRawOk);
        masses.resize(capacity);
        intensities.resize(capacity);
        peakBytes.resize(capacity);
        EXPECT_EQ(masses, scan.masses) << s;
        EXPECT_EQ(intensities, scan.intensities) << s;
        EXPECT_EQ(peakBytes, scan.peakBytes) << s;
    }
}

}  // namespace

namespace {

// The header block is stored with its zero runs elided; every shape of run must survive.
TEST(HeaderBlockTest, EveryPatternOfZeroRunsRoundTrips) {
    const struct {
        const char* name;
        std::function<void(rawtest::Bytes&)> fill;
    } cases[] = {
        {"all zero", [](rawtest::Bytes&) {}},
        {"all non-zero", [](rawtest::Bytes& b) { std::fill(b.begin(), b.end(), 0x11); }},
        {"first byte only", [](rawtest::Bytes& b) { b.front() = 1; }},
        {"last byte only", [](rawtest::Bytes& b) { b.back() = 1; }},
        {"short zero tail", [](rawtest::Bytes& b) { std::fill(b.begin(), b.end() - 5, 0x22); }},
        {"zero runs of 31, 32 and 33",
         [](rawtest::Bytes& b) {
             std::fill(b.begin(), b.end(), 0x33);
             std::fill(b.begin() + 100, b.begin() + 131, 0);
             std::fill(b.begin() + 200, b.begin() + 232, 0);
             std::fill(b.begin() + 300, b.begin() + 333, 0);
         }},
        {"alternating",
         [](rawtest::Bytes& b) {
             for (std::size_t i = 0; i < b.size(); i += 2)
                 b[i] = static_cast<std::uint8_t>(i | 1);
         }},
    };
    for (const auto& c : cases) {
        rawtest::AcquisitionShape options;
        options.functions = 0;
        options.channels = 0;
        options.historyRecords = 0;
        rawtest::Acquisition a = rawtest::MakeAcquisition(options);
        std::fill(a.headerBlock.begin(), a.headerBlock.end(), 0);
        c.fill(a.headerBlock);
        ScratchDir dir{ScratchDir::Backing::kMemory};
        ASSERT_EQ(rawtest::WriteAcquisition(dir / "h.raw", a), kRawOk) << c.name;
        rawtest::Acquisition read;
        ASSERT_EQ(rawtest::ReadAcquisition(dir / "h.raw", &read), kRawOk) << c.name;
        EXPECT_TRUE(read.headerBlock == a.headerBlock) << c.name;
    }
}

}  // namespace
