#include "raw_reader.h"

#include <cstring>

#include "rawio/byte_order.h"
#include "rawio/record_fields.h"

#include "error_detail.h"
#include "file_names.h"
#include "header_file.h"
#include "record_layout.h"

namespace rawio {
namespace {

// A listed file that is missing or is not ours is damage to the raw data file as a whole.
RawStatus ListedFileStatus(RawStatus status) {
    return status == kRawNotFound || status == kRawNotRawFile ? kRawCorrupt : status;
}

}  // namespace

RawStatus RawReader::Open(const char* path, std::shared_ptr<RawReader>* reader) {
    if (path == nullptr || path[0] == '\0') {
        return kRawBadArgument;
    }
    auto r = std::make_shared<RawReader>();
    r->directory = TrimTrailingSlashes(path);
    PathKind kind = PathKind::kMissing;
    RawStatus status = StatPath(r->directory, &kind);
    if (status != kRawOk) {
        return status;
    }
    if (kind == PathKind::kMissing) {
        return NoteFailure(kRawNotFound, r->directory + ": no such file or directory");
    }
    if (kind == PathKind::kBrokenLink) {
        return NoteFailure(kRawNotFound,
                           r->directory + ": is a symbolic link to something that does not exist");
    }
    if (kind == PathKind::kOther) {
        return NoteFailure(kRawNotRawFile, r->directory + ": is not a directory");
    }
    if (!HasRawExtension(r->directory)) {
        return NoteFailure(kRawNotRawFile, r->directory + ": the name does not end in .raw");
    }
    if ((status = ReadManifest(r->PathOf(kManifestName), &r->manifest)) != kRawOk) {
        return status;
    }
    status = r->functionTable.Open(r->PathOf(LibraryFileName(FileKind::kFunctions, 0)),
                                   kFunctionLayout, &r->manifest.functionTable);
    if (status != kRawOk) {
        return ListedFileStatus(status);
    }
    if (r->functionTable.Count() != r->manifest.functions.size()) {
        return NoteFailure(kRawCorrupt,
                           r->PathOf(LibraryFileName(FileKind::kFunctions, 0)) +
                               ": its record count is not the completion record's function count");
    }
    *reader = std::move(r);
    return kRawOk;
}

std::string RawReader::PathOf(const std::string& name) const {
    return PathInDirectory(directory, name);
}

bool RawReader::ValidFunction(std::int32_t function) const {
    return function >= 1 && static_cast<std::size_t>(function) <= manifest.functions.size();
}

RawStatus RawReader::ReadHeader(void* headerRecord, void* headerBlock, std::uint16_t* functionCount,
                                std::uint16_t* version) {
    if (headerRecord == nullptr || headerBlock == nullptr || functionCount == nullptr) {
        return kRawBadArgument;
    }
    const RawStatus status = ReadHeaderFile(PathOf(LibraryFileName(FileKind::kHeader, 0)),
                                            manifest.header, headerRecord, headerBlock);
    if (status != kRawOk) {
        return ListedFileStatus(status);
    }
    *functionCount = static_cast<std::uint16_t>(manifest.functions.size());
    if (version != nullptr) {
        *version = kFormatVersion;
    }
    return kRawOk;
}

RawStatus RawReader::FunctionInfo(std::int32_t function, void* functionRecord,
                                  std::uint16_t* ignored) {
    if (functionRecord == nullptr || !ValidFunction(function)) {
        return kRawBadArgument;
    }
    const RawStatus status =
        functionTable.Read(static_cast<std::uint64_t>(function - 1), functionRecord);
    if (status != kRawOk) {
        return status;
    }
    if (ignored != nullptr) {
        *ignored = 0;
    }
    return kRawOk;
}

RawStatus RawReader::StoredFunction(std::uint32_t function, std::uint32_t* scanCount,
                                    std::uint32_t* code) {
    std::uint8_t record[kFunctionRecordSize];
    if (const RawStatus status = functionTable.Read(function - 1, record); status != kRawOk) {
        return status;
    }
    *scanCount = FunctionScanCount(record);
    *code = FunctionScanFileCode(record);
    return kRawOk;
}

RawStatus RawReader::FunctionInit(std::int32_t function, std::int32_t zero1, std::int32_t zero2,
                                  const void* functionRecord, const void* headerBlock) {
    if (zero1 != 0 || zero2 != 0 || functionRecord == nullptr || headerBlock == nullptr ||
        !ValidFunction(function)) {
        return kRawBadArgument;
    }
    const auto f = static_cast<std::uint32_t>(function);
    if (initialised.count(f) == 0 && initialised.size() >= kMaxInitialisedFunctions) {
        return kRawOutOfOrder;
    }
    std::uint32_t scanCount = 0;
    std::uint32_t code = 0;
    RawStatus status = StoredFunction(f, &scanCount, &code);
    if (status != kRawOk) {
        return status;
    }
    auto scans = std::make_unique<ScanReader>();
    status = scans->Open(PathOf(LibraryFileName(FileKind::kScans, f)),
                         manifest.functions[f - 1].scans, scanCount, code);
    if (status != kRawOk) {
        return ListedFileStatus(status);
    }
    initialised[f] = std::move(scans);
    return kRawOk;
}

RawStatus RawReader::FunctionEnd(std::int32_t function, std::int32_t zero) {
    if (zero != 0 || !ValidFunction(function)) {
        return kRawBadArgument;
    }
    return initialised.erase(static_cast<std::uint32_t>(function)) == 1 ? kRawOk : kRawOutOfOrder;
}

RawStatus RawReader::Spectrum(std::int32_t function, std::int32_t zero1, std::int32_t scan,
                              std::int32_t one, std::uint32_t* capacity, void* scanInfo,
                              float* masses, std::uint32_t* intensities, std::uint8_t* peakBytes,
                              std::int32_t zero2) {
    if (zero1 != 0 || zero2 != 0 || one != 1 || capacity == nullptr || scanInfo == nullptr ||
        !ValidFunction(function)) {
        return kRawBadArgument;
    }
    const bool sizeQuery =
        *capacity == 0 && masses == nullptr && intensities == nullptr && peakBytes == nullptr;
    if (!sizeQuery && (masses == nullptr || intensities == nullptr || peakBytes == nullptr)) {
        return kRawBadArgument;
    }
    const auto it = initialised.find(static_cast<std::uint32_t>(function));
    if (it == initialised.end()) {
        return kRawOutOfOrder;
    }
    ScanReader& scans = *it->second;
    if (scan < 1 || static_cast<std::uint32_t>(scan) > scans.Count()) {
        return kRawBadArgument;
    }
    const auto s = static_cast<std::uint32_t>(scan - 1);
    const std::uint32_t peaks = scans.PeakCount(s);
    scans.Info(s, scanInfo);
    if (!sizeQuery) {
        if (peaks > *capacity) {
            return kRawCapacityTooSmall;
        }
        if (const RawStatus status = scans.ReadPeaks(s, masses, intensities, peakBytes);
            status != kRawOk) {
            return status;
        }
    }
    *capacity = peaks;
    return kRawOk;
}

RawStatus RawReader::HasStats(std::int32_t function, std::int32_t zero) const {
    if (zero != 0 || !ValidFunction(function)) {
        return kRawBadArgument;
    }
    return manifest.functions[static_cast<std::size_t>(function - 1)].stats ? kRawOk : kRawNoData;
}

RawStatus RawReader::StatsEntry(std::int32_t function, std::int32_t scan, void* statsRecord) {
    if (statsRecord == nullptr || !ValidFunction(function)) {
        return kRawBadArgument;
    }
    const auto f = static_cast<std::uint32_t>(function);
    const auto& listed = manifest.functions[f - 1].stats;
    if (!listed) {
        return kRawNoData;
    }
    if (statsFunction != f || !stats.IsOpen()) {
        statsFunction = 0;
        std::uint32_t scanCount = 0;
        std::uint32_t code = 0;
        RawStatus status = StoredFunction(f, &scanCount, &code);
        if (status != kRawOk) {
            return status;
        }
        status = stats.Open(PathOf(LibraryFileName(FileKind::kStats, f)), kStatsLayout, &*listed);
        if (status != kRawOk) {
            stats.Close();
            return ListedFileStatus(status);
        }
        if (stats.Count() != scanCount) {
            stats.Close();
            return NoteFailure(kRawCorrupt, PathOf(LibraryFileName(FileKind::kStats, f)) +
                                                ": its record count is not the scan count");
        }
        statsFunction = f;
    }
    if (scan < 1 || static_cast<std::uint64_t>(scan) > stats.Count()) {
        return kRawBadArgument;
    }
    return stats.Read(static_cast<std::uint64_t>(scan - 1), statsRecord);
}

RawStatus RawReader::ExtendedRecord(std::int32_t function, std::int32_t zero, std::int32_t index,
                                    void* record) {
    if (zero != 0 || record == nullptr || index < 1 || !ValidFunction(function)) {
        return kRawBadArgument;
    }
    const auto f = static_cast<std::uint32_t>(function);
    const auto& listed = manifest.functions[f - 1].extended;
    if (!listed) {
        return kRawNoData;
    }
    if (extendedFunction != f || !extended.IsOpen()) {
        extendedFunction = 0;
        const RawStatus status = extended.Open(PathOf(LibraryFileName(FileKind::kExtended, f)),
                                               kExtendedLayout, &*listed);
        if (status != kRawOk) {
            extended.Close();
            return ListedFileStatus(status);
        }
        extendedFunction = f;
    }
    if (extended.Count() == 0) {
        return kRawNoData;
    }
    if (static_cast<std::uint64_t>(index) > extended.Count()) {
        return kRawBadArgument;
    }
    return extended.Read(static_cast<std::uint64_t>(index - 1), record);
}

RawStatus RawReader::OpenAnalog() {
    if (!manifest.analog) {
        return kRawNoData;
    }
    if (analog) {
        return kRawOk;
    }
    AnalogReader reader;
    const RawStatus status =
        reader.Open(PathOf(LibraryFileName(FileKind::kAnalog, 0)), *manifest.analog);
    if (status != kRawOk) {
        return ListedFileStatus(status);
    }
    analog.emplace(std::move(reader));
    return kRawOk;
}

RawStatus RawReader::AnalogCount(std::uint16_t* channelCount) {
    if (channelCount == nullptr) {
        return kRawBadArgument;
    }
    if (const RawStatus status = OpenAnalog(); status != kRawOk) {
        return status;
    }
    if (analog->ChannelCount() == 0) {
        return kRawNoData;
    }
    *channelCount = analog->ChannelCount();
    return kRawOk;
}

RawStatus RawReader::AnalogInfo(std::int32_t channel, void* channelInfo) {
    if (channelInfo == nullptr || channel < 0) {
        return kRawBadArgument;
    }
    if (const RawStatus status = OpenAnalog(); status != kRawOk) {
        return status;
    }
    if (channel >= analog->ChannelCount()) {
        return kRawBadArgument;
    }
    return analog->ReadInfo(static_cast<std::uint16_t>(channel), channelInfo);
}

RawStatus RawReader::AnalogSize(std::int32_t channel, std::uint32_t* pointCount) {
    if (pointCount == nullptr || channel < 0) {
        return kRawBadArgument;
    }
    if (const RawStatus status = OpenAnalog(); status != kRawOk) {
        return status;
    }
    if (channel >= analog->ChannelCount()) {
        return kRawBadArgument;
    }
    *pointCount = analog->PointCount(static_cast<std::uint16_t>(channel));
    return kRawOk;
}

RawStatus RawReader::AnalogArrays(std::int32_t channel, std::int32_t one, std::uint32_t pointCount,
                                  void* arrayB, void* arrayA) {
    if (one != 1 || channel < 0 || (pointCount > 0 && (arrayA == nullptr || arrayB == nullptr))) {
        return kRawBadArgument;
    }
    if (const RawStatus status = OpenAnalog(); status != kRawOk) {
        return status;
    }
    if (channel >= analog->ChannelCount() ||
        pointCount != analog->PointCount(static_cast<std::uint16_t>(channel))) {
        return kRawBadArgument;
    }
    return analog->ReadArrays(static_cast<std::uint16_t>(channel), arrayA, arrayB);
}

RawStatus RawReader::ProcessInfo(void* processInfo, void* processRecords) {
    if (processInfo == nullptr) {
        return kRawBadArgument;
    }
    if (!manifest.history) {
        std::memset(processInfo, 0, kProcessInfoSize);
        return kRawOk;
    }
    RecordReader history;
    RawStatus status = history.Open(PathOf(LibraryFileName(FileKind::kHistory, 0)), kHistoryLayout,
                                    &*manifest.history);
    if (status != kRawOk) {
        return ListedFileStatus(status);
    }
    std::uint8_t info[kProcessInfoSize];
    if ((status = history.ReadLead(info)) != kRawOk) {
        return status;
    }
    if (ProcessRecordCount(info) != history.Count()) {
        return NoteFailure(kRawCorrupt, PathOf(LibraryFileName(FileKind::kHistory, 0)) +
                                            ": its record count is not the one it gives");
    }
    if (processRecords != nullptr) {
        auto* out = static_cast<std::uint8_t*>(processRecords);
        for (std::uint64_t i = 0; i < history.Count(); ++i) {
            if ((status = history.Read(i, out + i * kProcessRecordSize)) != kRawOk) {
                return status;
            }
        }
    }
    std::memcpy(processInfo, info, sizeof info);
    return kRawOk;
}

}  // namespace rawio
