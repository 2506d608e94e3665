#include "rawsynth/synth_acquisition.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "rawio/record_fields.h"
#include "rawsynth/synth_companions.h"
#include "rawsynth/synth_records.h"
#include "rawsynth/synth_scan.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Reads the acquisition back through the library and compares every block with what the
// generator makes for it.
void ExpectReadsBackAsGenerated(const std::string& path, const rawsynth::SynthOptions& options) {
    RawHandle handle = 0;
    ASSERT_EQ(RawReadOpen(path.c_str(), &handle), kRawOk);
    Bytes record(kHeaderRecordSize), block(kHeaderBlockSize);
    Bytes wantRecord(kHeaderRecordSize), wantBlock(kHeaderBlockSize);
    rawsynth::FillSynthHeader(options.seed, wantRecord, wantBlock);
    std::uint16_t functions = 0;
    ASSERT_EQ(RawReadHeader(handle, record.data(), block.data(), &functions, nullptr), kRawOk);
    EXPECT_EQ(record, wantRecord);
    EXPECT_EQ(block, wantBlock);
    ASSERT_EQ(functions, options.functions);

    rawsynth::SynthScan want;
    for (std::int32_t f = 1; f <= functions; ++f) {
        const auto function = static_cast<std::uint32_t>(f);
        Bytes functionRecord(kFunctionRecordSize), wantFunction(kFunctionRecordSize);
        rawsynth::FillSynthFunctionRecord(options.seed, function, options.scans, wantFunction);
        ASSERT_EQ(RawReadFuncInfo(handle, f, functionRecord.data(), nullptr), kRawOk);
        EXPECT_EQ(functionRecord, wantFunction) << "function " << f;
        ASSERT_EQ(RawReadFuncInit(handle, f, 0, 0, functionRecord.data(), block.data()), kRawOk);
        std::uint8_t statsFile[kStatsFileSize];
        ASSERT_EQ(RawReadGetStatsFile(handle, f, 0, statsFile),
                  options.statistics ? kRawOk : kRawNoData);
        std::vector<float> masses(options.peaks + 1);
        std::vector<std::uint32_t> intensities(options.peaks + 1);
        Bytes peakBytes(options.peaks + 1);
        for (std::int32_t s = 1; s <= static_cast<std::int32_t>(options.scans); ++s) {
            rawsynth::GenerateSynthScan(options, function, static_cast<std::uint32_t>(s), want);
            std::uint32_t capacity = options.peaks;
            std::uint8_t scanInfo[kScanInfoSize];
            ASSERT_EQ(RawReadSpectrum(handle, f, 0, s, 1, &capacity, scanInfo, masses.data(),
                                      intensities.data(), peakBytes.data(), 0),
                      kRawOk);
            ASSERT_EQ(capacity, options.peaks);
            masses.resize(capacity);
            intensities.resize(capacity);
            peakBytes.resize(capacity);
            EXPECT_EQ(masses, want.masses) << "function " << f << ", scan " << s;
            EXPECT_EQ(intensities, want.intensities) << "function " << f << ", scan " << s;
            EXPECT_EQ(peakBytes, want.peakBytes) << "function " << f << ", scan " << s;
            EXPECT_EQ(rawio::Load32(scanInfo + kScanInfoValue32Offset), want.header[2]);
            if (options.statistics) {
                Bytes stats(kStatsRecordSize), wantStats(kStatsRecordSize);
                rawsynth::FillSynthStatsRecord(options.seed, function,
                                               static_cast<std::uint32_t>(s), want, wantStats);
                ASSERT_EQ(RawStatsReadEntry(statsFile, s, stats.data()), kRawOk);
                EXPECT_EQ(stats, wantStats) << "function " << f << ", scan " << s;
            }
        }
        EXPECT_EQ(RawReadFuncEnd(handle, f, 0), kRawOk);
        Bytes ee(kEERecordSize), wantEE(kEERecordSize);
        rawsynth::FillSynthEERecord(options.seed, function, wantEE);
        ASSERT_EQ(RawEERead(handle, f, 0, 1, ee.data()),
                  options.extendedExperiment ? kRawOk : kRawNoData);
        if (options.extendedExperiment) {
            EXPECT_EQ(ee, wantEE);
        }
    }

    std::uint16_t channels = 0;
    ASSERT_EQ(RawReadAnalogNumber(handle, &channels),
              options.analogChannels > 0 ? kRawOk : kRawNoData);
    Bytes wantInfos(std::size_t{channels} * kChannelInfoSize);
    rawsynth::FillSynthChannelInfos(options.seed, wantInfos);
    for (std::int32_t k = 0; k < channels; ++k) {
        Bytes info(kChannelInfoSize);
        ASSERT_EQ(RawReadAnalogInfo(handle, k, info.data()), kRawOk);
        EXPECT_TRUE(
            std::equal(info.begin(), info.end(),
                       wantInfos.begin() + k * static_cast<std::ptrdiff_t>(kChannelInfoSize)));
        std::uint32_t points = 0;
        ASSERT_EQ(RawReadAnalogSize(handle, k, &points), kRawOk);
        ASSERT_EQ(points, options.analogPoints);
        std::vector<std::uint32_t> a(points), b(points), wantA, wantB;
        rawsynth::FillSynthChannel(options.seed, static_cast<std::uint32_t>(k), points, wantA,
                                   wantB);
        ASSERT_EQ(RawReadAnalogChrom(handle, k, 1, points, b.data(), a.data()), kRawOk);
        EXPECT_EQ(a, wantA) << "channel " << k;
        EXPECT_EQ(b, wantB) << "channel " << k;
    }

    Bytes processInfo(kProcessInfoSize);
    ASSERT_EQ(RawReadProcInfo(handle, processInfo.data(), nullptr), kRawOk);
    const std::size_t history = rawio::ProcessRecordCount(processInfo.data());
    EXPECT_EQ(history, options.historyRecords > 0 ? options.historyRecords + 1 : 0);
    Bytes records((history + 2) * kProcessRecordSize);
    ASSERT_EQ(RawReadProcInfo(handle, processInfo.data(), records.data()), kRawOk);
    Bytes wantInfo(kProcessInfoSize), wantRecords;
    rawsynth::FillSynthHistory(options.seed, options.historyRecords, wantInfo, wantRecords);
    EXPECT_TRUE(std::equal(wantRecords.begin(), wantRecords.end(), records.begin()));
    EXPECT_EQ(RawReadClose(handle), kRawOk);

    for (std::uint32_t c = 1; c <= options.companions; ++c) {
        EXPECT_EQ(ReadFile(path + "/" + rawsynth::SynthCompanionName(c)),
                  rawsynth::SynthCompanionContent(options.seed, c));
    }
}

TEST(SynthesizeAcquisition, ReadsBackBlockForBlock) {
    struct Case {
        const char* name;
        rawsynth::SynthOptions options;
    };
    rawsynth::SynthOptions everything{.functions = 3,
                                      .scans = 4,
                                      .peaks = 33,
                                      .seed = 11,
                                      .analogChannels = 2,
                                      .analogPoints = 17,
                                      .historyRecords = 3,
                                      .statistics = true,
                                      .extendedExperiment = true,
                                      .companions = 2};
    rawsynth::SynthOptions bare = everything;
    bare.statistics = false;
    bare.extendedExperiment = false;
    bare.analogChannels = 0;
    bare.historyRecords = 0;
    bare.companions = 0;
    rawsynth::SynthOptions empty = everything;
    empty.peaks = 0;
    empty.analogPoints = 0;
    for (const Case& c :
         {Case{"everything", everything}, Case{"bare", bare}, Case{"empty scans", empty}}) {
        SCOPED_TRACE(c.name);
        const ScratchDir dir;
        const std::string path = dir.Path("a.raw");
        std::string failedStep;
        ASSERT_EQ(rawsynth::SynthesizeAcquisition(path, c.options, &failedStep), kRawOk)
            << failedStep;
        ExpectReadsBackAsGenerated(path, c.options);
    }
}

TEST(SynthesizeAcquisition, RegeneratingKeepsTheUserFiles) {
    const ScratchDir dir;
    const std::string path = dir.Path("a.raw");
    rawsynth::SynthOptions options{.functions = 1, .scans = 2, .peaks = 5, .companions = 2};
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(path, options), kRawOk);
    WriteFile(path + "/notes.txt", "mine");
    options.seed = 2;
    options.companions = 1;
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(path, options), kRawOk);
    ExpectReadsBackAsGenerated(path, options);
    EXPECT_EQ(ReadFile(path + "/notes.txt"), "mine");
    EXPECT_EQ(ReadFile(path + "/" + rawsynth::SynthCompanionName(2)),
              rawsynth::SynthCompanionContent(1, 2));
}

TEST(SynthesizeAcquisition, NamesWhatFailedAndTouchesNothingElse) {
    const ScratchDir dir;
    const std::string plainFile = dir.Path("plain.raw");
    WriteFile(plainFile, "keep");
    std::string failedStep;
    EXPECT_EQ(rawsynth::SynthesizeAcquisition(plainFile, rawsynth::SynthOptions{}, &failedStep),
              kRawPathNotDirectory);
    EXPECT_EQ(failedStep, "RawCreateOpen");
    EXPECT_EQ(ReadFile(plainFile), "keep");

    rawsynth::SynthOptions tooMany;
    tooMany.historyRecords = 65535;
    const std::string unmade = dir.Path("unmade.raw");
    EXPECT_EQ(rawsynth::SynthesizeAcquisition(unmade, tooMany, &failedStep), kRawBadArgument);
    EXPECT_NE(failedStep.find("history"), std::string::npos) << failedStep;
    EXPECT_FALSE(std::filesystem::exists(unmade));
}

}  // namespace
