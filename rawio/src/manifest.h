#pragma once

// The completion record: written last, under a temporary name and renamed into place, it
// lists every library file of the raw data file with its size and footer checksum. Without
// it the file is incomplete; files it does not list are never read.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "table_file.h"

namespace rawio {

struct FunctionFiles {
    ManifestEntry scans;
    std::optional<ManifestEntry> stats;
    std::optional<ManifestEntry> extended;
};

struct Manifest {
    ManifestEntry header;
    ManifestEntry functionTable;
    std::vector<FunctionFiles> functions;  // function f at index f - 1
    std::optional<ManifestEntry> analog;
    std::optional<ManifestEntry> history;
};

// Writes the record under `tempPath` durably (the caller renames it).
RawStatus WriteManifest(const std::string& tempPath, const Manifest& manifest);
// Any record that does not check out gives kRawIncomplete, a newer one kRawNewerVersion.
RawStatus ReadManifest(const std::string& path, Manifest* manifest);

// The library file names that `manifest` lists.
std::vector<std::string> ManifestFileNames(const Manifest& manifest);

}  // namespace rawio
