#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "rawsynth/synth_options.h"
#include "rawsynth/synth_scan.h"

namespace rawsynth {

// The fixed-size records of a synthetic acquisition. Opaque bytes are filled from the seed so
// that a copy that loses or shifts a byte shows; named fields hold meaningful values.

void FillSynthHeader(std::uint64_t seed, std::span<std::uint8_t> headerRecord,
                     std::span<std::uint8_t> headerBlock);

// The function record: scan file code in bits 10..13 of word 0 and `scans` at bytes 18..21.
void FillSynthFunctionRecord(std::uint64_t seed, std::uint32_t function, std::uint32_t scans,
                             std::span<std::uint8_t> functionRecord);

// Scan number, peak count, total and base peak first, then filler.
void FillSynthStatsRecord(std::uint64_t seed, std::uint32_t function, std::uint32_t scan,
                          const SynthScan& peaks, std::span<std::uint8_t> statsRecord);

void FillSynthEERecord(std::uint64_t seed, std::uint32_t function,
                       std::span<std::uint8_t> eeRecord);

// Channel infos for every channel, back to back.
void FillSynthChannelInfos(std::uint64_t seed, std::span<std::uint8_t> channelInfos);
// arrayA holds times, arrayB the trace; both are `points` 32-bit values.
void FillSynthChannel(std::uint64_t seed, std::uint32_t channel, std::uint32_t points,
                      std::vector<std::uint32_t>& arrayA, std::vector<std::uint32_t>& arrayB);

// processInfo with the record count at bytes 2..3, and `records` process records.
void FillSynthHistory(std::uint64_t seed, std::uint32_t records,
                      std::span<std::uint8_t> processInfo,
                      std::vector<std::uint8_t>& processRecords);

}  // namespace rawsynth
