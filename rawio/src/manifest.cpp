#include "manifest.h"

#include "rawio/byte_order.h"

#include "error_detail.h"
#include "file_names.h"

namespace rawio {
namespace {

void AddFile(TableWriter& table, FileKind kind, std::uint32_t function, const ManifestEntry& file) {
    std::uint8_t entry[kManifestEntrySize];
    Store16(entry, static_cast<std::uint16_t>(kind));
    Store16(entry + 2, static_cast<std::uint16_t>(function));
    Store32(entry + 4, file.footerCrc);
    Store64(entry + 8, file.size);
    table.AddEntry(entry, sizeof entry);
}

}  // namespace

RawStatus WriteManifest(const std::string& tempPath, const Manifest& manifest) {
    TableWriter table;
    RawStatus status = table.Create(tempPath, FileKind::kManifest, 4096);
    if (status != kRawOk) {
        return status;
    }
    // Entries in ascending (kind, function) order.
    AddFile(table, FileKind::kHeader, 0, manifest.header);
    AddFile(table, FileKind::kFunctions, 0, manifest.functionTable);
    for (std::size_t f = 0; f < manifest.functions.size(); ++f) {
        AddFile(table, FileKind::kScans, static_cast<std::uint32_t>(f + 1),
                manifest.functions[f].scans);
    }
    for (std::size_t f = 0; f < manifest.functions.size(); ++f) {
        if (manifest.functions[f].stats) {
            AddFile(table, FileKind::kStats, static_cast<std::uint32_t>(f + 1),
                    *manifest.functions[f].stats);
        }
    }
    for (std::size_t f = 0; f < manifest.functions.size(); ++f) {
        if (manifest.functions[f].extended) {
            AddFile(table, FileKind::kExtended, static_cast<std::uint32_t>(f + 1),
                    *manifest.functions[f].extended);
        }
    }
    if (manifest.analog) {
        AddFile(table, FileKind::kAnalog, 0, *manifest.analog);
    }
    if (manifest.history) {
        AddFile(table, FileKind::kHistory, 0, *manifest.history);
    }
    ManifestEntry ignored;
    return table.Finish(kManifestEntrySize, static_cast<std::uint32_t>(manifest.functions.size()),
                        &ignored);
}

RawStatus ReadManifest(const std::string& path, Manifest* manifest) {
    TableReader table;
    const RawStatus status = table.Open(path, FileKind::kManifest, kManifestEntrySize,
                                        kMaxManifestEntries, false, nullptr);
    if (status == kRawNewerVersion) {
        return status;
    }
    // A completion record that is not a regular file is no record of ours.
    if (status == kRawNotRawFile && !table.Opened()) {
        return status;
    }
    if (status != kRawOk) {
        return status == kRawIoError || status == kRawOutOfMemory
                   ? status
                   : NoteFailure(kRawIncomplete, path + ": no valid completion record");
    }
    const std::uint32_t functionCount = table.Aux();
    // Every function needs its scans entry besides the header and the function table, so a
    // count the entries cannot back is refused before anything is sized by it.
    if (table.DataEnd() != kFileHeaderSize || functionCount > kMaxFunctions ||
        table.EntryCount() < std::uint64_t{functionCount} + 2) {
        return NoteFailure(kRawIncomplete,
                           path + ": the completion record's function count does not hold");
    }
    *manifest = Manifest();
    manifest->functions.resize(functionCount);
    std::uint32_t previousKey = 0;
    bool haveHeader = false;
    bool haveTable = false;
    std::uint32_t scanFiles = 0;
    for (std::uint32_t i = 0; i < table.EntryCount(); ++i) {
        const std::uint8_t* e = table.Entry(i);
        const std::uint16_t kind = Load16(e);
        const std::uint16_t function = Load16(e + 2);
        const ManifestEntry file{Load64(e + 8), Load32(e + 4)};
        const std::uint32_t key = (std::uint32_t{kind} << 16) | function;
        if (key <= previousKey) {
            return NoteFailure(kRawIncomplete, path + ": its entries are not in order");
        }
        previousKey = key;
        const bool perFunction = kind == static_cast<std::uint16_t>(FileKind::kScans) ||
                                 kind == static_cast<std::uint16_t>(FileKind::kStats) ||
                                 kind == static_cast<std::uint16_t>(FileKind::kExtended);
        if (perFunction ? (function < 1 || function > functionCount) : function != 0) {
            return NoteFailure(kRawIncomplete, path + ": an entry names no file of the library");
        }
        switch (static_cast<FileKind>(kind)) {
            case FileKind::kHeader:
                manifest->header = file;
                haveHeader = true;
                break;
            case FileKind::kFunctions:
                manifest->functionTable = file;
                haveTable = true;
                break;
            case FileKind::kScans:
                manifest->functions[function - 1u].scans = file;
                ++scanFiles;
                break;
            case FileKind::kStats:
                manifest->functions[function - 1u].stats = file;
                break;
            case FileKind::kExtended:
                manifest->functions[function - 1u].extended = file;
                break;
            case FileKind::kAnalog:
                manifest->analog = file;
                break;
            case FileKind::kHistory:
                manifest->history = file;
                break;
            default:
                return NoteFailure(kRawIncomplete,
                                   path + ": an entry names an unknown kind of file");
        }
    }
    if (!haveHeader || !haveTable || scanFiles != functionCount) {
        return NoteFailure(kRawIncomplete,
                           path + ": the header, the function table or a scans entry is missing");
    }
    return kRawOk;
}

std::vector<std::string> ManifestFileNames(const Manifest& manifest) {
    std::vector<std::string> names = {LibraryFileName(FileKind::kHeader, 0),
                                      LibraryFileName(FileKind::kFunctions, 0)};
    for (std::size_t f = 0; f < manifest.functions.size(); ++f) {
        const auto function = static_cast<std::uint32_t>(f + 1);
        names.push_back(LibraryFileName(FileKind::kScans, function));
        if (manifest.functions[f].stats) {
            names.push_back(LibraryFileName(FileKind::kStats, function));
        }
        if (manifest.functions[f].extended) {
            names.push_back(LibraryFileName(FileKind::kExtended, function));
        }
    }
    if (manifest.analog) {
        names.push_back(LibraryFileName(FileKind::kAnalog, 0));
    }
    if (manifest.history) {
        names.push_back(LibraryFileName(FileKind::kHistory, 0));
    }
    names.push_back(kManifestName);
    return names;
}

}  // namespace rawio
