#include "analog_file.h"

#include <cstring>

#include "crc32c.h"

namespace rawio {
namespace {
constexpr std::uint32_t kBytesPerPoint = 2 * kAnalogPointSize;
}

RawStatus AnalogWriter::Create(const std::string& path, std::uint16_t channelCount,
                               const std::vector<std::uint8_t>& channelInfos) {
    count = channelCount;
    const RawStatus status = table.Create(path, FileKind::kAnalog, kWriteBufferSize);
    if (status != kRawOk) {
        return status;
    }
    return table.AppendBlock(channelInfos.data(), channelInfos.size());
}

RawStatus AnalogWriter::AppendChannel(std::uint32_t pointCount, const void* arrayA,
                                      const void* arrayB) {
    table.BeginBlock();
    RawStatus status = kRawOk;
    if (pointCount > 0 && ((status = table.AppendWords(arrayA, pointCount)) != kRawOk ||
                           (status = table.AppendWords(arrayB, pointCount)) != kRawOk)) {
        return status;
    }
    std::uint8_t entry[kBlockEntrySize];
    const std::uint64_t offset = table.BlockOffset();
    const std::uint32_t length = pointCount * kBytesPerPoint;
    for (int i = 0; i < 8; ++i) {
        entry[i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
    for (int i = 0; i < 4; ++i) {
        entry[8 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        entry[12 + i] = static_cast<std::uint8_t>(table.BlockCrc() >> (8 * i));
    }
    table.AddEntry(entry, sizeof entry);
    return kRawOk;
}

RawStatus AnalogWriter::Finish(ManifestEntry* listing) {
    return table.Finish(kBlockEntrySize, count, listing);
}

RawStatus AnalogReader::Open(const std::string& path, const ManifestEntry& expected) {
    infos.clear();
    const RawStatus status =
        table.Open(path, FileKind::kAnalog, kBlockEntrySize, kMaxFunctions + 1, true, &expected);
    if (status != kRawOk) {
        return status;
    }
    if (table.Aux() > 0xFFFF || table.EntryCount() != table.Aux() + 1 ||
        table.Block(0).length != table.Aux() * kChannelInfoSize) {
        return table.Corrupt("its channel count does not fit its blocks");
    }
    count = static_cast<std::uint16_t>(table.Aux());
    for (std::uint32_t i = 1; i < table.EntryCount(); ++i) {
        if (table.Block(i).length % kBytesPerPoint != 0) {
            return table.Corrupt("channel " + std::to_string(i - 1) +
                                 " is not a whole number of points");
        }
    }
    return kRawOk;
}

std::uint32_t AnalogReader::PointCount(std::uint16_t channel) const {
    return table.Block(std::uint32_t{channel} + 1).length / kBytesPerPoint;
}

RawStatus AnalogReader::ReadInfo(std::uint16_t channel, void* channelInfo) {
    if (infos.empty()) {
        std::vector<std::uint8_t> all(table.Block(0).length);
        if (const RawStatus status = table.ReadBlock(0, all.data()); status != kRawOk) {
            return status;
        }
        infos = std::move(all);
    }
    std::memcpy(channelInfo, infos.data() + std::size_t{channel} * kChannelInfoSize,
                kChannelInfoSize);
    return kRawOk;
}

RawStatus AnalogReader::ReadArrays(std::uint16_t channel, void* arrayA, void* arrayB) {
    const BlockEntry block = table.Block(std::uint32_t{channel} + 1);
    const std::size_t half = block.length / 2;
    if (half == 0) {
        return ChecksumMatches(block.crc, 0)
                   ? kRawOk
                   : table.Corrupt("the checksum of channel " + std::to_string(channel) +
                                   " does not match");
    }
    RawStatus status = kRawOk;
    if ((status = table.ReadAt(block.offset, arrayA, half)) != kRawOk ||
        (status = table.ReadAt(block.offset + half, arrayB, half)) != kRawOk) {
        return status;
    }
    if (!ChecksumMatches(block.crc, Crc32cExtend(Crc32c(arrayA, half), arrayB, half))) {
        return table.Corrupt("the checksum of channel " + std::to_string(channel) +
                             " does not match");
    }
    SwapWordsToLittleEndian(arrayA, half / 4);
    SwapWordsToLittleEndian(arrayB, half / 4);
    return kRawOk;
}

}  // namespace rawio
