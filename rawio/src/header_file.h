#pragma once

// The header file: the header record as stored, then the header block deflated (it is mostly
// zeros, so a small acquisition stays small).

#include <string>

#include "table_file.h"

namespace rawio {

RawStatus WriteHeaderFile(const std::string& path, const void* headerRecord,
                          const void* headerBlock, ManifestEntry* listing);
RawStatus ReadHeaderFile(const std::string& path, const ManifestEntry& expected, void* headerRecord,
                         void* headerBlock);

}  // namespace rawio
