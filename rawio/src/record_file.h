#pragma once

// Files of fixed-size records (function table, statistics, extended-experiment records,
// history), grouped into checksummed blocks so that record i is found in constant time and
// read with one block read. An optional lead block of fixed size comes first (the history's
// processInfo).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "table_file.h"

namespace rawio {

struct RecordLayout {
    FileKind kind;
    std::size_t recordSize;
    std::size_t leadSize;  // 0: no lead block
    std::uint32_t maxRecords;
};

class RecordWriter {
  public:
    RawStatus Create(const std::string& path, const RecordLayout& layout);
    RawStatus WriteLead(const void* lead);  // first, when the layout has a lead block
    RawStatus Append(const void* record);
    RawStatus Finish(ManifestEntry* listing);
    std::uint64_t Count() const { return count; }
    bool IsOpen() const { return open; }

  private:
    TableWriter table;
    RecordLayout layout{};
    std::size_t perBlock = 0;
    std::size_t inBlock = 0;  // records of the block being written
    std::uint64_t count = 0;
    bool open = false;
};

class RecordReader {
  public:
    RawStatus Open(const std::string& path, const RecordLayout& layout,
                   const ManifestEntry* expected);
    bool IsOpen() const { return open; }
    void Close();
    std::uint64_t Count() const { return count; }
    RawStatus ReadLead(void* lead);
    // Record `i`, from 0.
    RawStatus Read(std::uint64_t i, void* record);

  private:
    TableReader table;
    RecordLayout layout{};
    std::uint32_t perBlock = 0;
    std::uint32_t firstRecordBlock = 0;
    std::uint64_t count = 0;
    std::vector<std::uint8_t> cache;
    std::int64_t cachedBlock = -1;
    bool open = false;
};

}  // namespace rawio
