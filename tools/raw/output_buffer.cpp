#include "tools/raw/output_buffer.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

OutputBuffer::OutputBuffer(int fd, std::size_t capacity) : fd_(fd), buffer_(capacity) {}

char* OutputBuffer::Reserve(std::size_t bytes) {
    if (buffer_.size() - used_ < bytes) {
        Flush();
        if (buffer_.size() < bytes) {
            buffer_.resize(bytes);
        }
    }
    return buffer_.data() + used_;
}

void OutputBuffer::Append(std::string_view text) {
    char* out = Reserve(text.size());
    std::memcpy(out, text.data(), text.size());
    Commit(out + text.size());
}

void OutputBuffer::AppendUnsigned(std::uint64_t value) {
    char* out = Reserve(20);
    Commit(std::to_chars(out, out + 20, value).ptr);
}

bool OutputBuffer::Flush() {
    std::size_t done = 0;
    while (!failed_ && done < used_) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, used_ - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            failed_ = true;
            savedErrno_ = errno;
        } else {
            done += static_cast<std::size_t>(written);
        }
    }
    used_ = 0;
    if (failed_) {
        errno = savedErrno_;
    }
    return !failed_;
}
