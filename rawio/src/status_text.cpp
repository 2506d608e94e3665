#include <array>
#include <cstdio>

#include "rawio/raw_api.h"

namespace {

constexpr std::array<const char*, 15> kTexts = {
    "success",
    "not found: no such file or directory",
    "not a raw data file: the path exists but holds no raw data file of this library",
    "the file is incomplete: its creation never finished",
    "the file is corrupt: a checksum, count or offset does not hold",
    "input/output error: the operating system refused a read or write (disk full, ...)",
    "bad handle: unknown, closed or of the wrong kind",
    "bad argument: a null pointer, a value out of range, or no such function, scan or channel",
    "out of order: the call does not fit the required order of calls",
    "no data: the optional data asked for is absent",
    "capacity too small: the arrays given cannot hold the scan's peaks",
    "newer version: the file was written by a newer format version than this library reads",
    "too many handles: the handle table is full",
    "not a directory: the path exists and is not a directory",
    "out of memory: an allocation failed",
};

// One buffer per thread, so a text for an unknown code stays valid while the caller uses it.
thread_local char unknownText[64];

}  // namespace

const char* RawStatusText(RawStatus status) {
    if (status >= 0 && static_cast<std::size_t>(status) < kTexts.size()) {
        return kTexts[static_cast<std::size_t>(status)];
    }
    std::snprintf(unknownText, sizeof unknownText, "unknown raw data status %d",
                  static_cast<int>(status));
    return unknownText;
}
