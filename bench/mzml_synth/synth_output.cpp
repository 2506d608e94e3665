#include "bench/mzml_synth/synth_output.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "bench/mzml_synth/synth_options.h"

namespace {

constexpr std::size_t kBufferBytes = std::size_t{8} << 20;
constexpr std::size_t kGzipChunk = std::size_t{4} << 20;

}  // namespace

SynthOutput::SynthOutput(std::string path, bool gzip, int level)
    : path_(std::move(path)), buffer_(new char[kBufferBytes]), capacity_(kBufferBytes) {
    if (path_.empty()) {
        return;
    }
    partPath_ = path_ + ".part";
    fd_ = ::open(partPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        Fail(std::string("cannot create ") + partPath_ + ": " + std::strerror(errno));
        return;
    }
    if (gzip) {
        gzip_ = std::make_unique<z_stream_s>();
        gzipOut_.reset(new char[kGzipChunk]);
        // Window bits 15 + 16: a gzip wrapper around the deflate stream.
        const int gzipLevel = level == kArrayHuffmanOnly ? 1 : level;
        if (deflateInit2(gzip_.get(), gzipLevel, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
            Z_OK) {
            gzip_.reset();
            Fail("cannot start gzip compression");
        }
    }
}

SynthOutput::~SynthOutput() {
    if (!closed_) {
        std::string ignored;
        failure_ = failure_.empty() ? "abandoned" : failure_;
        Close(ignored);
    }
}

void SynthOutput::Fail(const std::string& what) {
    if (failure_.empty()) {
        failure_ = what;
    }
}

void SynthOutput::Append(std::string_view text) {
    std::memcpy(Extend(text.size()), text.data(), text.size());
}

void SynthOutput::AppendNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    Append(std::string_view(text, static_cast<std::size_t>(end - text)));
}

void SynthOutput::AppendNumber(std::uint64_t value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    Append(std::string_view(text, static_cast<std::size_t>(end - text)));
}

char* SynthOutput::Extend(std::size_t size) {
    if (used_ + size > capacity_) {
        Flush();
        if (size > capacity_) {
            buffer_.reset(new char[size]);
            capacity_ = size;
        }
    }
    char* at = buffer_.get() + used_;
    used_ += size;
    return at;
}

std::string SynthOutput::TakeSha1() {
    sha1_.Update(buffer_.get() + hashedUpTo_, used_ - hashedUpTo_);
    hashedUpTo_ = used_;
    hashing_ = false;
    return sha1_.Finish();
}

void SynthOutput::Flush() {
    if (hashing_) {
        sha1_.Update(buffer_.get() + hashedUpTo_, used_ - hashedUpTo_);
    }
    if (gzip_) {
        Deflate(buffer_.get(), used_, Z_NO_FLUSH);
    } else {
        WriteOut(buffer_.get(), used_);
    }
    flushed_ += used_;
    used_ = 0;
    hashedUpTo_ = 0;
}

void SynthOutput::Deflate(const char* bytes, std::size_t size, int flush) {
    z_stream_s& z = *gzip_;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
    z.avail_in = static_cast<uInt>(size);
    int status = Z_OK;
    do {
        z.next_out = reinterpret_cast<Bytef*>(gzipOut_.get());
        z.avail_out = static_cast<uInt>(kGzipChunk);
        status = deflate(&z, flush);
        if (status == Z_STREAM_ERROR) {
            Fail("gzip compression failed");
            return;
        }
        WriteOut(gzipOut_.get(), kGzipChunk - z.avail_out);
    } while (z.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
}

void SynthOutput::WriteOut(const char* bytes, std::size_t size) {
    if (fd_ < 0 || !failure_.empty()) {
        return;
    }
    while (size > 0) {
        const ssize_t written = ::write(fd_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(std::string("cannot write ") + partPath_ + ": " + std::strerror(errno));
            return;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

bool SynthOutput::Close(std::string& error) {
    if (closed_) {
        error = path_ + ": already closed";
        return false;
    }
    closed_ = true;
    if (failure_.empty()) {
        Flush();
        if (gzip_) {
            Deflate(nullptr, 0, Z_FINISH);
        }
    }
    if (gzip_) {
        deflateEnd(gzip_.get());
    }
    if (fd_ >= 0) {
        if (::close(fd_) != 0) {
            Fail(std::string("cannot close ") + partPath_ + ": " + std::strerror(errno));
        }
        fd_ = -1;
        if (failure_.empty() && std::rename(partPath_.c_str(), path_.c_str()) != 0) {
            Fail("cannot rename " + partPath_ + ": " + std::strerror(errno));
        }
        if (!failure_.empty()) {
            std::remove(partPath_.c_str());
        }
    }
    if (!failure_.empty()) {
        error = path_ + ": " + failure_;
        return false;
    }
    return true;
}
