#include "record_file.h"

#include <algorithm>
#include <cstring>

namespace rawio {

RawStatus RecordWriter::Create(const std::string& path, const RecordLayout& recordLayout) {
    layout = recordLayout;
    perBlock = std::max<std::size_t>(1, kRecordBlockTarget / layout.recordSize);
    inBlock = 0;
    count = 0;
    const RawStatus status = table.Create(path, layout.kind, kRecordBlockTarget * 2);
    open = status == kRawOk;
    return status;
}

RawStatus RecordWriter::WriteLead(const void* lead) {
    return table.AppendBlock(lead, layout.leadSize);
}

// Records go straight into the file's write buffer; the block's checksum grows with them.
RawStatus RecordWriter::Append(const void* record) {
    if (inBlock == 0) {
        table.BeginBlock();
    }
    if (const RawStatus status = table.Append(record, layout.recordSize); status != kRawOk) {
        return status;
    }
    ++count;
    if (++inBlock == perBlock) {
        table.EndStandardBlock();
        inBlock = 0;
    }
    return kRawOk;
}

RawStatus RecordWriter::Finish(ManifestEntry* listing) {
    open = false;
    if (inBlock > 0) {
        table.EndStandardBlock();
        inBlock = 0;
    }
    return table.Finish(kBlockEntrySize, static_cast<std::uint32_t>(perBlock), listing);
}

RawStatus RecordReader::Open(const std::string& path, const RecordLayout& recordLayout,
                             const ManifestEntry* expected) {
    Close();
    layout = recordLayout;
    const std::uint32_t maxBlocks = layout.maxRecords + 1;
    RawStatus status = table.Open(path, layout.kind, kBlockEntrySize, maxBlocks, true, expected);
    if (status != kRawOk) {
        return status;
    }
    perBlock = table.Aux();
    if (perBlock == 0 || perBlock > kMaxRecordBlockBytes / layout.recordSize) {
        return table.Corrupt("its records per block are out of range");
    }
    firstRecordBlock = layout.leadSize > 0 ? 1 : 0;
    if (table.EntryCount() < firstRecordBlock ||
        (firstRecordBlock == 1 && table.Block(0).length != layout.leadSize)) {
        return table.Corrupt("its leading block has the wrong length");
    }
    // Every record block is full but the last, which holds at least one record.
    const std::uint64_t fullLength = std::uint64_t{perBlock} * layout.recordSize;
    count = 0;
    for (std::uint32_t i = firstRecordBlock; i < table.EntryCount(); ++i) {
        const std::uint32_t length = table.Block(i).length;
        const bool last = i + 1 == table.EntryCount();
        if (last ? (length == 0 || length > fullLength || length % layout.recordSize != 0)
                 : length != fullLength) {
            return table.Corrupt("block " + std::to_string(i) + " has the wrong length");
        }
        count += length / layout.recordSize;
    }
    if (count > layout.maxRecords) {
        return table.Corrupt("it holds more records than a file may");
    }
    cachedBlock = -1;
    open = true;
    return kRawOk;
}

void RecordReader::Close() {
    table.Close();
    cache.clear();
    cache.shrink_to_fit();
    cachedBlock = -1;
    open = false;
}

RawStatus RecordReader::ReadLead(void* lead) {
    if (layout.leadSize == 0) {
        return kRawNoData;
    }
    return table.ReadBlock(0, lead);
}

RawStatus RecordReader::Read(std::uint64_t i, void* record) {
    if (i >= count) {
        return kRawBadArgument;
    }
    const std::uint64_t block = firstRecordBlock + i / perBlock;
    if (static_cast<std::int64_t>(block) != cachedBlock) {
        cachedBlock = -1;
        cache.resize(table.Block(static_cast<std::uint32_t>(block)).length);
        if (const RawStatus status =
                table.ReadBlock(static_cast<std::uint32_t>(block), cache.data());
            status != kRawOk) {
            return status;
        }
        cachedBlock = static_cast<std::int64_t>(block);
    }
    const std::size_t at = static_cast<std::size_t>(i % perBlock) * layout.recordSize;
    std::memcpy(record, cache.data() + at, layout.recordSize);
    return kRawOk;
}

}  // namespace rawio
