#include "raw_writer.h"

#include <cstring>
#include <set>

#include "rawio/byte_order.h"
#include "rawio/record_fields.h"

#include "error_detail.h"
#include "file_names.h"
#include "header_file.h"
#include "record_layout.h"

namespace rawio {
namespace {

// The record the library appends to the history: fixed text, the format version and the
// directory name of the file, NUL-padded. No clock, so equal inputs give equal bytes.
void LibraryHistoryRecord(const std::string& directory, std::uint8_t* record) {
    std::memset(record, 0, kProcessRecordSize);
    const std::string text = "Brevanto rawio, format " + std::to_string(kFormatVersion) +
                             ", file " + BaseName(directory);
    std::memcpy(record, text.data(), std::min(text.size(), kProcessRecordSize - 1));
}

}  // namespace

RawStatus RawWriter::Open(const char* path, std::shared_ptr<RawWriter>* writer) {
    if (path == nullptr || path[0] == '\0') {
        return kRawBadArgument;
    }
    if (!HasRawExtension(path)) {
        return NoteFailure(kRawBadArgument,
                           std::string(path) + ": the name of a raw data file must end in .raw");
    }
    auto w = std::make_shared<RawWriter>();
    w->directory = TrimTrailingSlashes(path);
    PathKind kind = PathKind::kMissing;
    RawStatus status = StatPath(w->directory, &kind);
    if (status != kRawOk) {
        return status;
    }
    if (kind == PathKind::kLinkToDirectory || kind == PathKind::kBrokenLink) {
        // Written through, a link would replace the library files of whatever it points at.
        return NoteFailure(kRawPathNotDirectory,
                           w->directory +
                               ": is a symbolic link; an output is never written "
                               "through a link");
    }
    if (kind == PathKind::kOther) {
        return NoteFailure(kRawPathNotDirectory, w->directory + ": exists and is not a directory");
    }
    if (kind == PathKind::kMissing) {
        status = MakeDirectory(w->directory);
    } else {
        // The old file stops counting as complete before anything of it is replaced.
        status = RemoveFile(w->PathOf(kManifestName));
        if (status == kRawOk) {
            status = SyncDirectory(w->directory);
        }
    }
    if (status != kRawOk) {
        return status;
    }
    *writer = std::move(w);
    return kRawOk;
}

std::string RawWriter::PathOf(const std::string& name) const {
    return PathInDirectory(directory, name);
}

RawStatus RawWriter::Fail(RawStatus status) {
    if (status != kRawOk) {
        failed = status;
    }
    return status;
}

RawStatus RawWriter::CreateHeader(const void* headerRecord, const void* headerBlock) {
    if (failed != kRawOk) {
        return failed;
    }
    if (headerRecord == nullptr || headerBlock == nullptr) {
        return kRawBadArgument;
    }
    if (stage != Stage::kOpened) {
        return kRawOutOfOrder;
    }
    const RawStatus status = WriteHeaderFile(PathOf(LibraryFileName(FileKind::kHeader, 0)),
                                             headerRecord, headerBlock, &manifest.header);
    if (status != kRawOk) {
        return Fail(status);
    }
    stage = Stage::kFunctions;
    return kRawOk;
}

RawStatus RawWriter::CheckFunction(std::int32_t function, std::int32_t zero) const {
    if (failed != kRawOk) {
        return failed;
    }
    if (zero != 0 || function < 1 || function > static_cast<std::int32_t>(kMaxFunctions)) {
        return kRawBadArgument;
    }
    if (stage != Stage::kFunctions || static_cast<std::uint32_t>(function) != current) {
        return kRawOutOfOrder;
    }
    return kRawOk;
}

bool RawWriter::CurrentFunctionFinished() const {
    return phase == Phase::kNone || phase == Phase::kDone ||
           (phase == Phase::kScansEnded && !stats.IsOpen());
}

RawStatus RawWriter::CreateScanFile(std::int32_t function, std::int32_t zero, std::int32_t code) {
    if (failed != kRawOk) {
        return failed;
    }
    if (zero != 0 || function < 1 || function > static_cast<std::int32_t>(kMaxFunctions) ||
        code < 0 || code > static_cast<std::int32_t>(kFunctionRecordScanCodeMask)) {
        return kRawBadArgument;
    }
    if (stage != Stage::kFunctions || !CurrentFunctionFinished() ||
        static_cast<std::uint32_t>(function) != current + 1) {
        return kRawOutOfOrder;
    }
    const auto f = static_cast<std::uint32_t>(function);
    if (const RawStatus status = scans.Create(PathOf(LibraryFileName(FileKind::kScans, f)), code);
        status != kRawOk) {
        return Fail(status);
    }
    current = f;
    currentCode = code;
    phase = Phase::kScanning;
    statsCreated = false;
    manifest.functions.emplace_back();
    return kRawOk;
}

RawStatus RawWriter::CreateScan(std::int32_t function, std::int32_t zero, std::int32_t code,
                                const void* scanHeader, std::uint32_t peakCount,
                                const float* masses, const std::uint32_t* intensities,
                                const std::uint8_t* peakBytes, std::int32_t one) {
    if (const RawStatus status = CheckFunction(function, zero); status != kRawOk) {
        return status;
    }
    if (one != 1 || code != currentCode || scanHeader == nullptr || peakCount > kMaxPeaksPerScan ||
        (peakCount > 0 && (masses == nullptr || intensities == nullptr || peakBytes == nullptr))) {
        return kRawBadArgument;
    }
    ScanHeaderFields fields;
    if (const RawStatus status = DecodeScanHeader(scanHeader, &fields); status != kRawOk) {
        return status;
    }
    if (phase != Phase::kScanning || (stats.IsOpen() && stats.Count() != scans.Count())) {
        return kRawOutOfOrder;  // with statistics, each scan's record comes before the next scan
    }
    if (scans.Count() >= kMaxScansPerFunction) {
        return kRawBadArgument;
    }
    return Fail(scans.Append(fields, peakCount, masses, intensities, peakBytes));
}

RawStatus RawWriter::CreateScansEnd(std::int32_t function, std::int32_t zero, std::int32_t code) {
    if (const RawStatus status = CheckFunction(function, zero); status != kRawOk) {
        return status;
    }
    if (code != currentCode) {
        return kRawBadArgument;
    }
    if (phase != Phase::kScanning) {
        return kRawOutOfOrder;
    }
    if (const RawStatus status = scans.Finish(&manifest.functions.back().scans); status != kRawOk) {
        return Fail(status);
    }
    written.push_back({currentCode, scans.Count()});
    phase = Phase::kScansEnded;
    return kRawOk;
}

RawStatus RawWriter::StatsCreateFile(std::int32_t function, std::int32_t zero) {
    if (const RawStatus status = CheckFunction(function, zero); status != kRawOk) {
        return status;
    }
    if (phase != Phase::kScanning || scans.Count() != 0 || statsCreated) {
        return kRawOutOfOrder;
    }
    const RawStatus status =
        stats.Create(PathOf(LibraryFileName(FileKind::kStats, current)), kStatsLayout);
    if (status != kRawOk) {
        return Fail(status);
    }
    statsCreated = true;
    return kRawOk;
}

RawStatus RawWriter::StatsCreateRecord(std::int32_t function, std::int32_t zero,
                                       const void* record) {
    if (const RawStatus status = CheckFunction(function, zero); status != kRawOk) {
        return status;
    }
    if (record == nullptr) {
        return kRawBadArgument;
    }
    if (!stats.IsOpen() || stats.Count() >= scans.Count()) {
        return kRawOutOfOrder;  // one record per scan, after the scan
    }
    return Fail(stats.Append(record));
}

RawStatus RawWriter::StatsCreateEnd(std::int32_t function, std::int32_t zero) {
    if (const RawStatus status = CheckFunction(function, zero); status != kRawOk) {
        return status;
    }
    if (!stats.IsOpen() || phase != Phase::kScansEnded || stats.Count() != scans.Count()) {
        return kRawOutOfOrder;
    }
    ManifestEntry listing;
    if (const RawStatus status = stats.Finish(&listing); status != kRawOk) {
        return Fail(status);
    }
    manifest.functions.back().stats = listing;
    return kRawOk;
}

RawStatus RawWriter::ExtendedCreateFile(std::int32_t function, std::int32_t zero) {
    if (const RawStatus status = CheckFunction(function, zero); status != kRawOk) {
        return status;
    }
    if (phase != Phase::kScansEnded || stats.IsOpen()) {
        return kRawOutOfOrder;
    }
    const RawStatus status =
        extended.Create(PathOf(LibraryFileName(FileKind::kExtended, current)), kExtendedLayout);
    if (status != kRawOk) {
        return Fail(status);
    }
    phase = Phase::kExtended;
    return kRawOk;
}

RawStatus RawWriter::ExtendedCreateRecord(std::int32_t function, std::int32_t zero,
                                          const void* record) {
    if (const RawStatus status = CheckFunction(function, zero); status != kRawOk) {
        return status;
    }
    if (record == nullptr) {
        return kRawBadArgument;
    }
    if (phase != Phase::kExtended) {
        return kRawOutOfOrder;
    }
    if (extended.Count() >= kMaxExtendedRecords) {
        return kRawBadArgument;
    }
    return Fail(extended.Append(record));
}

RawStatus RawWriter::ExtendedCreateEnd(std::int32_t function, std::int32_t zero) {
    if (const RawStatus status = CheckFunction(function, zero); status != kRawOk) {
        return status;
    }
    if (phase != Phase::kExtended) {
        return kRawOutOfOrder;
    }
    ManifestEntry listing;
    if (const RawStatus status = extended.Finish(&listing); status != kRawOk) {
        return Fail(status);
    }
    manifest.functions.back().extended = listing;
    phase = Phase::kDone;
    return kRawOk;
}

RawStatus RawWriter::CreateFunctions(std::uint16_t functionCount, const void* functionTable) {
    if (failed != kRawOk) {
        return failed;
    }
    if (functionTable == nullptr && functionCount > 0) {
        return kRawBadArgument;
    }
    if (stage != Stage::kFunctions || !CurrentFunctionFinished()) {
        return kRawOutOfOrder;
    }
    if (functionCount != written.size()) {
        return kRawBadArgument;
    }
    const auto* table = static_cast<const std::uint8_t*>(functionTable);
    for (std::size_t f = 0; f < functionCount; ++f) {
        const std::uint8_t* record = table + f * kFunctionRecordSize;
        const std::uint32_t code = FunctionScanFileCode(record);
        if (FunctionScanCount(record) != written[f].scans ||
            code != static_cast<std::uint32_t>(written[f].code)) {
            return kRawBadArgument;
        }
    }
    RecordWriter writer;
    RawStatus status =
        writer.Create(PathOf(LibraryFileName(FileKind::kFunctions, 0)), kFunctionLayout);
    for (std::size_t f = 0; f < functionCount && status == kRawOk; ++f) {
        status = writer.Append(table + f * kFunctionRecordSize);
    }
    if (status == kRawOk) {
        status = writer.Finish(&manifest.functionTable);
    }
    if (status != kRawOk) {
        return Fail(status);
    }
    stage = Stage::kTableWritten;
    return kRawOk;
}

RawStatus RawWriter::AnalogInfo(std::uint16_t count, const void* infos) {
    if (failed != kRawOk) {
        return failed;
    }
    if (infos == nullptr && count > 0) {
        return kRawBadArgument;
    }
    if (stage != Stage::kTableWritten) {
        return kRawOutOfOrder;
    }
    const auto* p = static_cast<const std::uint8_t*>(infos);
    channelInfos.assign(p, p + std::size_t{count} * kChannelInfoSize);
    channelCount = count;
    stage = Stage::kAnalogInfo;
    return kRawOk;
}

RawStatus RawWriter::AnalogFile() {
    if (failed != kRawOk) {
        return failed;
    }
    if (stage != Stage::kAnalogInfo) {
        return kRawOutOfOrder;
    }
    const RawStatus status =
        analog.Create(PathOf(LibraryFileName(FileKind::kAnalog, 0)), channelCount, channelInfos);
    if (status != kRawOk) {
        return Fail(status);
    }
    channelInfos.clear();
    channelInfos.shrink_to_fit();
    nextChannel = 0;
    stage = Stage::kAnalogData;
    return kRawOk;
}

RawStatus RawWriter::AnalogData(std::int32_t channel, std::uint32_t pointCount, const void* arrayA,
                                const void* arrayB) {
    if (failed != kRawOk) {
        return failed;
    }
    if (channel < 0 || channel >= channelCount || pointCount > kMaxAnalogPoints ||
        (pointCount > 0 && (arrayA == nullptr || arrayB == nullptr))) {
        return kRawBadArgument;
    }
    if (stage != Stage::kAnalogData || channel != nextChannel) {
        return kRawOutOfOrder;
    }
    if (const RawStatus status = analog.AppendChannel(pointCount, arrayA, arrayB);
        status != kRawOk) {
        return Fail(status);
    }
    ++nextChannel;
    return kRawOk;
}

RawStatus RawWriter::AnalogEnd() {
    if (failed != kRawOk) {
        return failed;
    }
    if (stage != Stage::kAnalogData || nextChannel != channelCount) {
        return kRawOutOfOrder;
    }
    ManifestEntry listing;
    if (const RawStatus status = analog.Finish(&listing); status != kRawOk) {
        return Fail(status);
    }
    manifest.analog = listing;
    stage = Stage::kAnalogDone;
    return kRawOk;
}

RawStatus RawWriter::History(const void* processInfo, const void* processRecords) {
    if (failed != kRawOk) {
        return failed;
    }
    if (processInfo == nullptr) {
        return kRawBadArgument;
    }
    std::uint8_t info[kProcessInfoSize];
    std::memcpy(info, processInfo, sizeof info);
    const std::uint16_t count = ProcessRecordCount(info);
    if (count >= kMaxHistoryRecords || (count > 0 && processRecords == nullptr)) {
        return kRawBadArgument;
    }
    if (stage != Stage::kTableWritten && stage != Stage::kAnalogDone) {
        return kRawOutOfOrder;
    }
    SetProcessRecordCount(info, static_cast<std::uint16_t>(count + 1));
    RecordWriter writer;
    RawStatus status =
        writer.Create(PathOf(LibraryFileName(FileKind::kHistory, 0)), kHistoryLayout);
    if (status == kRawOk) {
        status = writer.WriteLead(info);
    }
    const auto* records = static_cast<const std::uint8_t*>(processRecords);
    for (std::size_t i = 0; i < count && status == kRawOk; ++i) {
        status = writer.Append(records + i * kProcessRecordSize);
    }
    std::uint8_t own[kProcessRecordSize];
    LibraryHistoryRecord(directory, own);
    if (status == kRawOk) {
        status = writer.Append(own);
    }
    ManifestEntry listing;
    if (status == kRawOk) {
        status = writer.Finish(&listing);
    }
    if (status != kRawOk) {
        return Fail(status);
    }
    manifest.history = listing;
    stage = Stage::kHistoryDone;
    return kRawOk;
}

RawStatus RawWriter::Close() {
    if (failed != kRawOk) {
        return failed;
    }
    if (stage != Stage::kTableWritten && stage != Stage::kAnalogDone &&
        stage != Stage::kHistoryDone) {
        return kRawOutOfOrder;
    }
    failed = kRawOutOfOrder;  // whatever happens below, this writer is used up
    // Library files of an earlier file at this path that the new one does not have.
    const std::vector<std::string> keep = ManifestFileNames(manifest);
    const std::set<std::string> keepSet(keep.begin(), keep.end());
    std::vector<std::string> names;
    RawStatus status = ListDirectory(directory, &names);
    for (std::size_t i = 0; i < names.size() && status == kRawOk; ++i) {
        if (IsLibraryFileName(names[i]) && keepSet.count(names[i]) == 0) {
            status = RemoveFile(PathOf(names[i]));
        }
    }
    // Every data file is durable already; this makes their names durable before the
    // completion record can be.
    if (status == kRawOk) {
        status = SyncDirectory(directory);
    }
    if (status == kRawOk) {
        status = WriteManifest(PathOf(kManifestTempName), manifest);
    }
    if (status == kRawOk) {
        status = RenameFile(PathOf(kManifestTempName), PathOf(kManifestName));
    }
    if (status == kRawOk) {
        status = SyncDirectory(directory);
    }
    if (status == kRawOk) {
        const std::size_t slash = directory.rfind('/');
        const std::string parent = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : directory.substr(0, slash);
        status = SyncDirectory(parent);
    }
    return status;
}

}  // namespace rawio
