// Conversions between raw data files and mzML: raw -> mzML -> raw keeps every function, scan,
// peak and record; mzML -> raw -> mzML keeps the spectra as our files can hold them.
#include <array>
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "mzml/raw_conversion.h"
#include "rawio/raw_api.h"
#include "tests/mzml/mzml_fixtures.h"
#include "tools/raw/synth_acquisition.h"

namespace {

struct RawScan {
    std::array<std::uint8_t, kScanInfoSize> info{};
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> bytes;
    std::array<std::uint8_t, kStatsRecordSize> stats{};
};

struct RawFunction {
    std::array<std::uint8_t, kFunctionRecordSize> record{};
    bool hasStats = false;
    std::vector<RawScan> scans;
};

std::vector<RawFunction> ReadRaw(const std::string& path) {
    RawHandle h = 0;
    EXPECT_EQ(RawReadOpen(path.c_str(), &h), kRawOk) << path;
    std::vector<std::uint8_t> headerRecord(kHeaderRecordSize);
    std::vector<std::uint8_t> headerBlock(kHeaderBlockSize);
    std::uint16_t count = 0;
    EXPECT_EQ(RawReadHeader(h, headerRecord.data(), headerBlock.data(), &count, nullptr), kRawOk);
    std::vector<RawFunction> functions(count);
    for (std::int32_t f = 1; f <= count; ++f) {
        RawFunction& fn = functions[static_cast<std::size_t>(f - 1)];
        EXPECT_EQ(RawReadFuncInfo(h, f, fn.record.data(), nullptr), kRawOk);
        EXPECT_EQ(RawReadFuncInit(h, f, 0, 0, fn.record.data(), headerBlock.data()), kRawOk);
        std::uint32_t scans = 0;
        std::memcpy(&scans, fn.record.data() + kFunctionRecordScanCountOffset, 4);
        std::array<std::uint8_t, kStatsFileSize> token{};
        fn.hasStats = RawReadGetStatsFile(h, f, 0, token.data()) == kRawOk;
        for (std::int32_t s = 1; s <= static_cast<std::int32_t>(scans); ++s) {
            RawScan scan;
            std::uint32_t capacity = 0;
            EXPECT_EQ(RawReadSpectrum(h, f, 0, s, 1, &capacity, scan.info.data(), nullptr, nullptr,
                                      nullptr, 0),
                      kRawOk);
            std::uint32_t n = 0;
            std::memcpy(&n, scan.info.data(), 4);
            n &= kScanInfoCountMask;
            scan.masses.resize(std::max(n, 1u));
            scan.intensities.resize(scan.masses.size());
            scan.bytes.resize(scan.masses.size());
            capacity = n;
            if (n > 0) {
                EXPECT_EQ(
                    RawReadSpectrum(h, f, 0, s, 1, &capacity, scan.info.data(), scan.masses.data(),
                                    scan.intensities.data(), scan.bytes.data(), 0),
                    kRawOk);
            }
            scan.masses.resize(n);
            scan.intensities.resize(n);
            scan.bytes.resize(n);
            if (fn.hasStats) {
                EXPECT_EQ(RawStatsReadEntry(token.data(), s, scan.stats.data()), kRawOk);
            }
            fn.scans.push_back(std::move(scan));
        }
        RawReadFuncEnd(h, f, 0);
    }
    RawReadClose(h);
    return functions;
}

struct SynthCase {
    const char* label;
    SynthOptions options;
};

class RawRoundTrip : public ::testing::TestWithParam<SynthCase> {};

TEST_P(RawRoundTrip, KeepsFunctionsScansPeaksAndRecords) {
    const SynthCase& c = GetParam();
    TestDir dir;
    const std::string raw = dir.Path("synth.raw");
    const std::string mzml = dir.Path("synth.mzML");
    const std::string back = dir.Path("back.raw");
    ASSERT_EQ(SynthesizeAcquisition(raw, c.options), kRawOk) << c.label;
    std::string error;
    ASSERT_TRUE(ExportMzml(raw, mzml, error)) << c.label << ": " << error;
    ASSERT_TRUE(ImportMzml(mzml, back, error)) << c.label << ": " << error;

    const auto a = ReadRaw(raw);
    const auto b = ReadRaw(back);
    ASSERT_EQ(a.size(), b.size()) << c.label;
    for (std::size_t f = 0; f < a.size(); ++f) {
        const std::string where = std::string(c.label) + ", function " + std::to_string(f + 1);
        EXPECT_EQ(a[f].record, b[f].record) << where;
        ASSERT_EQ(a[f].scans.size(), b[f].scans.size()) << where;
        for (std::size_t s = 0; s < a[f].scans.size(); ++s) {
            const RawScan& x = a[f].scans[s];
            const RawScan& y = b[f].scans[s];
            const std::string at = where + ", scan " + std::to_string(s + 1);
            EXPECT_EQ(0, std::memcmp(x.masses.data(), y.masses.data(), x.masses.size() * 4)) << at;
            EXPECT_EQ(x.masses.size(), y.masses.size()) << at;
            EXPECT_EQ(x.intensities, y.intensities) << at;
            EXPECT_EQ(x.bytes, y.bytes) << at;
            EXPECT_EQ(x.info, y.info) << at;
            if (a[f].hasStats) {
                EXPECT_EQ(x.stats, y.stats) << at;
            }
        }
    }
    // The mzML holds one spectrum per scan, at the function's MS level.
    const auto spectra = ReadAllPeaks(mzml);
    std::size_t scans = 0;
    for (const auto& fn : a) {
        scans += fn.scans.size();
    }
    EXPECT_EQ(spectra.size(), scans) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, RawRoundTrip,
    ::testing::Values(SynthCase{"three functions", {.functions = 3, .scans = 12, .peaks = 60}},
                      SynthCase{"no statistics",
                                {.functions = 2, .scans = 5, .peaks = 20, .statistics = false}},
                      SynthCase{"empty scans", {.functions = 1, .scans = 4, .peaks = 0}},
                      SynthCase{"no functions", {.functions = 0}}),
    [](const auto& param) { return "case" + std::to_string(param.index); });

// An open-format file through our raw data files and back: ids, levels and order kept, m/z as
// the nearest float and intensities as the nearest count.
TEST(OpenFormatRoundTrip, SpectraComeBackAsOurFilesHoldThem) {
    for (const bool mz32 : {false, true}) {
        TestDir dir;
        const std::string in = dir.Path("in.mzML");
        WriteTestMzml(in, {.mz32 = mz32, .zlib = true, .spectra = 7});
        std::string error;
        ASSERT_TRUE(ImportMzml(in, dir.Path("in.raw"), error)) << error;
        ASSERT_TRUE(ExportMzml(dir.Path("in.raw"), dir.Path("out.mzML"), error)) << error;
        const auto before = ReadAllPeaks(in);
        const auto after = ReadAllPeaks(dir.Path("out.mzML"));
        ASSERT_EQ(before.size(), after.size());
        for (std::size_t s = 0; s < before.size(); ++s) {
            EXPECT_EQ(before[s].msLevel, after[s].msLevel) << "spectrum " << s;
            ASSERT_EQ(before[s].mz.size(), after[s].mz.size()) << "spectrum " << s;
            for (std::size_t p = 0; p < before[s].mz.size(); ++p) {
                EXPECT_EQ(static_cast<double>(static_cast<float>(before[s].mz[p])), after[s].mz[p]);
                EXPECT_EQ(std::nearbyint(before[s].intensity[p]), after[s].intensity[p]);
            }
        }
    }
}

TEST(OpenFormatImport, RefusesIntensitiesOurFilesCannotHold) {
    TestDir dir;
    const std::string in = dir.Path("in.mzML");
    WriteTestMzml(in, {.intensity32 = false, .intensityOffset = -1.0e6});
    std::string error;
    EXPECT_FALSE(ImportMzml(in, dir.Path("out.raw"), error));
    EXPECT_NE(error.find(in), std::string::npos) << error;
    EXPECT_NE(error.find("intensity"), std::string::npos) << error;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"in.mzML"});
}

}  // namespace
