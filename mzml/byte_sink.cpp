#include "mzml/byte_sink.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace mzml {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

// zlib's default level. Measured (bench/mzml_codec_bench.cpp and the sample files): level 1
// is twice as fast on array-heavy text but leaves files 4% to 30% larger, the more so the
// more XML they hold; level 9 is five times slower for under 1%. A gzip output is written
// once and kept, so its size is worth the time.
constexpr int kGzipLevel = 6;

class DescriptorSink final : public ByteSink {
  public:
    DescriptorSink(int fd, bool gzip, std::string path)
        : fd_(fd), gzip_(gzip), path_(std::move(path)) {
        buffer_.reserve(kBufferBytes);
    }
    ~DescriptorSink() override {
        if (deflating_) {
            deflateEnd(&stream_);
        }
    }
    DescriptorSink(const DescriptorSink&) = delete;
    DescriptorSink& operator=(const DescriptorSink&) = delete;

    bool Init() {
        if (!gzip_) {
            return true;
        }
        // 16 + window bits: a gzip wrapper (no name, no time stamp: the output is the same
        // for the same content).
        if (deflateInit2(&stream_, kGzipLevel, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
            Z_OK) {
            return Fail(path_ + ": cannot start gzip compression (out of memory)");
        }
        deflating_ = true;
        compressed_.resize(kBufferBytes);
        return true;
    }

    bool Write(std::span<const std::uint8_t> bytes) override {
        if (!error_.empty()) {
            return false;
        }
        offset_ += bytes.size();
        if (buffer_.size() + bytes.size() <= kBufferBytes) {
            buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
            return true;
        }
        if (!FlushBuffer()) {
            return false;
        }
        if (bytes.size() >= kBufferBytes) {
            return Pass(bytes.data(), bytes.size(), Z_NO_FLUSH);
        }
        buffer_.assign(bytes.begin(), bytes.end());
        return true;
    }

    bool Write(std::string_view text) override {
        return Write(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }

    bool Finish() override {
        if (!error_.empty()) {
            return false;
        }
        if (!FlushBuffer()) {
            return false;
        }
        if (gzip_ && !Pass(nullptr, 0, Z_FINISH)) {
            return false;
        }
        if (::fdatasync(fd_) != 0 && errno != EINVAL) {
            // EINVAL: a pipe or a character device, which has no disk to flush to.
            return Fail(SystemError());
        }
        return true;
    }

    std::uint64_t Offset() const override { return offset_; }
    const std::string& Error() const override { return error_; }

  private:
    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    std::string SystemError() const { return path_ + ": " + std::strerror(errno); }

    bool FlushBuffer() {
        if (buffer_.empty()) {
            return true;
        }
        const bool ok = Pass(buffer_.data(), buffer_.size(), Z_NO_FLUSH);
        buffer_.clear();
        return ok;
    }

    // Hands content on to the descriptor, through the compressor in gzip mode.
    bool Pass(const std::uint8_t* data, std::size_t size, int flush) {
        if (!gzip_) {
            return WriteAll(data, size);
        }
        // The input pointer is not const in zlib's interface; deflate only reads it.
        stream_.next_in = const_cast<Bytef*>(data);
        std::size_t left = size;
        for (;;) {
            const uInt step = static_cast<uInt>(std::min(left, std::size_t{1} << 30));
            stream_.avail_in = step;
            left -= step;
            const int last = left == 0 ? flush : Z_NO_FLUSH;
            int status = Z_OK;
            do {
                stream_.next_out = compressed_.data();
                stream_.avail_out = static_cast<uInt>(compressed_.size());
                status = deflate(&stream_, last);
                if (status == Z_STREAM_ERROR) {
                    return Fail(path_ + ": gzip compression failed");
                }
                if (!WriteAll(compressed_.data(), compressed_.size() - stream_.avail_out)) {
                    return false;
                }
            } while (stream_.avail_out == 0 || (last == Z_FINISH && status != Z_STREAM_END));
            if (left == 0) {
                return true;
            }
        }
    }

    bool WriteAll(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, size);
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return Fail(SystemError());
            }
            if (written == 0) {
                return Fail(path_ + ": the system accepted no bytes");
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    int fd_;
    bool gzip_;
    std::string path_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> compressed_;
    z_stream stream_{};
    bool deflating_ = false;
    std::uint64_t offset_ = 0;
    std::string error_;
};

}  // namespace

std::unique_ptr<ByteSink> ByteSink::ToDescriptor(int fd, bool gzip, const std::string& path) {
    auto sink = std::make_unique<DescriptorSink>(fd, gzip, path);
    sink->Init();
    return sink;
}

}  // namespace mzml
