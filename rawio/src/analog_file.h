#pragma once

// The analog file: all channel records in one block, then one block per channel holding its
// first array and then its second array (as RawCreateAnalogDataScans takes them).

#include <cstdint>
#include <string>
#include <vector>

#include "table_file.h"

namespace rawio {

class AnalogWriter {
  public:
    RawStatus Create(const std::string& path, std::uint16_t channelCount,
                     const std::vector<std::uint8_t>& channelInfos);
    RawStatus AppendChannel(std::uint32_t pointCount, const void* arrayA, const void* arrayB);
    RawStatus Finish(ManifestEntry* listing);

  private:
    TableWriter table;
    std::uint16_t count = 0;
};

class AnalogReader {
  public:
    RawStatus Open(const std::string& path, const ManifestEntry& expected);
    std::uint16_t ChannelCount() const { return count; }
    std::uint32_t PointCount(std::uint16_t channel) const;
    RawStatus ReadInfo(std::uint16_t channel, void* channelInfo);
    RawStatus ReadArrays(std::uint16_t channel, void* arrayA, void* arrayB);

  private:
    TableReader table;
    std::uint16_t count = 0;
    std::vector<std::uint8_t> infos;  // loaded on first use
};

}  // namespace rawio
