#pragma once

// The fixed names of the library's files inside a raw data directory. Every other name in the
// directory belongs to the user.

#include <cstdint>
#include <string>

#include "format.h"

namespace rawio {

inline constexpr const char* kManifestName = "brv-manifest.bin";
inline constexpr const char* kManifestTempName = "brv-manifest.tmp";

// `function` is used by the per-function kinds only (1..65535).
std::string LibraryFileName(FileKind kind, std::uint32_t function);
// True for every name the library may write, its temporary name included.
bool IsLibraryFileName(const std::string& name);
// True when the last component of `path` ends in ".raw" (any letter case).
bool HasRawExtension(const std::string& path);
// `path` without trailing slashes ("/" stays "/").
std::string TrimTrailingSlashes(const std::string& path);
// `name` inside `directory`, one slash between them.
std::string PathInDirectory(const std::string& directory, const std::string& name);
// The last component of `path`.
std::string BaseName(const std::string& path);

}  // namespace rawio
