#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace mzml {

// Writing a file's content through a buffer to an open descriptor, gzip-compressed or not.
// Offset() counts content bytes (before compression): the offsets an index of the content
// gives are offsets of the inflated text, as readers of gzipped mzML expect.
class ByteSink {
  public:
    virtual ~ByteSink() = default;

    // `fd` stays the caller's to close. `path` names the file in messages.
    static std::unique_ptr<ByteSink> ToDescriptor(int fd, bool gzip, const std::string& path);

    // False on a failed write with "<path>: <reason>" in Error() (the system's reason: "No space
    // left on device", never "Success"); every later call fails the same way.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    virtual bool Write(std::string_view text) = 0;
    // Ends the gzip stream, writes what is buffered and flushes it to disk (fdatasync).
    virtual bool Finish() = 0;

    virtual std::uint64_t Offset() const = 0;
    virtual const std::string& Error() const = 0;
};

}  // namespace mzml
