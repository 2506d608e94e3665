#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Text written to a file descriptor in large blocks. Write errors are remembered and reported
// by Flush, so a full disk or a closed pipe is never mistaken for success.
class OutputBuffer {
  public:
    explicit OutputBuffer(int fd, std::size_t capacity = std::size_t{1} << 20);
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Makes room for at least `bytes` more characters and returns where they go; Commit then
    // says how many were written.
    char* Reserve(std::size_t bytes);
    void Commit(char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

    void Append(std::string_view text);
    void AppendUnsigned(std::uint64_t value);

    // Writes out everything buffered; false (with errno set) when any write failed.
    bool Flush();

  private:
    int fd_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    int savedErrno_ = 0;
};
