#include "rawsynth/synth_records.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "rawio/raw_api.h"
#include "rawio/record_fields.h"
#include "rawsynth/synth_random.h"

namespace rawsynth {

namespace {

enum SynthPart : std::uint64_t {
    kHeaderPart = 2,
    kFunctionPart,
    kStatsPart,
    kEEPart,
    kChannelInfoPart,
    kChannelPart,
    kHistoryPart,
};

void FillRandom(SynthRandom& random, std::span<std::uint8_t> bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        rawio::Store64(bytes.data() + i, random.Next());
    }
    if (i < bytes.size()) {
        std::uint8_t word[8];
        rawio::Store64(word, random.Next());
        std::memcpy(bytes.data() + i, word, bytes.size() - i);
    }
}

// Writes a text label, NUL-padded to `width` bytes.
void PutText(std::span<std::uint8_t> bytes, std::size_t offset, std::size_t width,
             const char* text) {
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), width, std::uint8_t{0});
    const std::size_t length = std::min(width - 1, std::strlen(text));
    std::memcpy(bytes.data() + offset, text, length);
}

}  // namespace

void FillSynthHeader(std::uint64_t seed, std::span<std::uint8_t> headerRecord,
                     std::span<std::uint8_t> headerBlock) {
    SynthRandom random = SynthRandom::For(seed, kHeaderPart, 0);
    FillRandom(random, headerRecord);
    // Mostly zero like a real header block, with a stretch of data every 64 KiB.
    std::fill(headerBlock.begin(), headerBlock.end(), std::uint8_t{0});
    for (std::size_t offset = 0; offset < headerBlock.size(); offset += 65536) {
        FillRandom(random, headerBlock.subspan(
                               offset, std::min<std::size_t>(512, headerBlock.size() - offset)));
    }
    char label[64];
    std::snprintf(label, sizeof label, "Brevanto synthetic acquisition, seed %llu",
                  static_cast<unsigned long long>(seed));
    PutText(headerRecord, 0, sizeof label, label);
}

void FillSynthFunctionRecord(std::uint64_t seed, std::uint32_t function, std::uint32_t scans,
                             std::span<std::uint8_t> functionRecord) {
    SynthRandom random = SynthRandom::For(seed, kFunctionPart, function);
    FillRandom(random, functionRecord);
    const std::uint32_t code = random.Next32() & kFunctionRecordScanCodeMask;
    rawio::SetFunctionScanFileCode(functionRecord.data(), code);
    rawio::SetFunctionScanCount(functionRecord.data(), scans);
}

void FillSynthStatsRecord(std::uint64_t seed, std::uint32_t function, std::uint32_t scan,
                          const SynthScan& peaks, std::span<std::uint8_t> statsRecord) {
    SynthRandom random = SynthRandom::For(seed, kStatsPart, (std::uint64_t{function} << 32) | scan);
    FillRandom(random, statsRecord);
    double total = 0.0;
    std::size_t base = 0;
    for (std::size_t i = 0; i < peaks.intensities.size(); ++i) {
        total += static_cast<double>(peaks.intensities[i]);
        if (peaks.intensities[i] > peaks.intensities[base]) {
            base = i;
        }
    }
    const bool empty = peaks.masses.empty();
    std::uint8_t* r = statsRecord.data();
    rawio::Store32(r + 0, scan);
    rawio::Store32(r + 4, static_cast<std::uint32_t>(peaks.masses.size()));
    rawio::StoreF64(r + 8, total);
    rawio::StoreF32(r + 16, empty ? 0.0f : peaks.masses[base]);
    rawio::Store32(r + 20, empty ? 0u : peaks.intensities[base]);
    rawio::StoreF32(r + 24, empty ? 0.0f : peaks.masses.front());
    rawio::StoreF32(r + 28, empty ? 0.0f : peaks.masses.back());
}

void FillSynthEERecord(std::uint64_t seed, std::uint32_t function,
                       std::span<std::uint8_t> eeRecord) {
    SynthRandom random = SynthRandom::For(seed, kEEPart, function);
    FillRandom(random, eeRecord);
}

void FillSynthChannelInfos(std::uint64_t seed, std::span<std::uint8_t> channelInfos) {
    SynthRandom random = SynthRandom::For(seed, kChannelInfoPart, 0);
    FillRandom(random, channelInfos);
    for (std::size_t channel = 0; channel * kChannelInfoSize < channelInfos.size(); ++channel) {
        char label[48];
        std::snprintf(label, sizeof label, "Analog channel %zu", channel);
        PutText(channelInfos, channel * kChannelInfoSize, 32, label);
    }
}

void FillSynthChannel(std::uint64_t seed, std::uint32_t channel, std::uint32_t points,
                      std::vector<std::uint32_t>& arrayA, std::vector<std::uint32_t>& arrayB) {
    SynthRandom random = SynthRandom::For(seed, kChannelPart, channel);
    arrayA.resize(points);
    arrayB.resize(points);
    float level = 1000.0f;
    for (std::uint32_t i = 0; i < points; ++i) {
        arrayA[i] = std::bit_cast<std::uint32_t>(static_cast<float>(i) * 0.01f);
        level +=
            static_cast<float>(static_cast<std::int32_t>(random.Next32() >> 20) - 2048) * 0.05f;
        arrayB[i] = std::bit_cast<std::uint32_t>(level);
    }
}

void FillSynthHistory(std::uint64_t seed, std::uint32_t records,
                      std::span<std::uint8_t> processInfo,
                      std::vector<std::uint8_t>& processRecords) {
    SynthRandom random = SynthRandom::For(seed, kHistoryPart, 0);
    FillRandom(random, processInfo);
    rawio::SetProcessRecordCount(processInfo.data(), static_cast<std::uint16_t>(records));
    processRecords.resize(std::size_t{records} * kProcessRecordSize);
    FillRandom(random, processRecords);
    for (std::uint32_t i = 0; i < records; ++i) {
        char label[48];
        std::snprintf(label, sizeof label, "synthetic processing step %u", i + 1);
        PutText(processRecords, std::size_t{i} * kProcessRecordSize, sizeof label, label);
    }
}

}  // namespace rawsynth
