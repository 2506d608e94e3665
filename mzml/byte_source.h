#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mzml {

// Reading a file front to back, gzip-compressed or not: gzip is told by its magic bytes
// (1f 8b), not by the name, and inflated as it is read (several concatenated gzip members are
// one stream, as gzip itself reads them). Only regular files are opened, without blocking, so
// a FIFO or a device in the way is refused instead of hanging the run. Bytes after a gzip
// member that do not begin another member are damage, not ignored.
class ByteSource {
  public:
    virtual ~ByteSource() = default;

    // Opens `path`. On failure returns null with "<path>: <reason>" in `error` (no such file,
    // not a regular file, permission denied with the system's reason, ...).
    static std::unique_ptr<ByteSource> Open(const std::string& path, std::string& error);

    // Reads up to `size` bytes of content (inflated for gzip) into `buffer`. Returns the count,
    // 0 at the end, or -1 with "<path>: <reason>" in `error` (read error, damaged or truncated
    // gzip data).
    virtual std::ptrdiff_t Read(std::uint8_t* buffer, std::size_t size, std::string& error) = 0;

    virtual bool IsGzip() const = 0;
    // Bytes of the file itself consumed so far, and its size: for progress on gzip input too.
    virtual std::uint64_t FilePosition() const = 0;
    virtual std::uint64_t FileSize() const = 0;
};

}  // namespace mzml
