#include "mzml/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace mzml {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

std::string SystemError(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

// Owns the descriptor and the chunk buffer that both kinds of source read the file through.
class FileReader {
  public:
    FileReader(int fd, std::string path, std::uint64_t size)
        : fd_(fd), path_(std::move(path)), size_(size), chunk_(kChunkBytes) {}
    ~FileReader() { ::close(fd_); }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Refills the chunk when it is used up. False on a read error; at the end of the file
    // the chunk stays empty.
    bool Fill(std::string& error) {
        if (begin_ < end_ || atEnd_) {
            return true;
        }
        begin_ = 0;
        end_ = 0;
        const std::ptrdiff_t got = ReadSome(chunk_.data(), chunk_.size(), error);
        if (got < 0) {
            return false;
        }
        end_ = static_cast<std::size_t>(got);
        atEnd_ = got == 0;
        return true;
    }

    // Reads straight into `buffer`, past the chunk, for large reads of plain files.
    std::ptrdiff_t ReadSome(std::uint8_t* buffer, std::size_t size, std::string& error) {
        const std::size_t asked =
            std::min(size, static_cast<std::size_t>(std::numeric_limits<ssize_t>::max()));
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, asked);
            if (got >= 0) {
                read_ += static_cast<std::uint64_t>(got);
                return got;
            }
            if (errno != EINTR) {
                error = SystemError(path_, errno);
                return -1;
            }
        }
    }

    std::uint8_t* Data() { return chunk_.data() + begin_; }
    std::size_t Available() const { return end_ - begin_; }
    void Consume(std::size_t n) { begin_ += n; }
    bool AtEnd() const { return atEnd_ && begin_ == end_; }
    // Bytes of the file handed on (read and not waiting in the chunk).
    std::uint64_t Position() const { return read_ - Available(); }
    std::uint64_t Size() const { return size_; }
    const std::string& Path() const { return path_; }

  private:
    int fd_;
    std::string path_;
    std::uint64_t size_;
    std::uint64_t read_ = 0;
    std::vector<std::uint8_t> chunk_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
};

class PlainSource final : public ByteSource {
  public:
    explicit PlainSource(std::unique_ptr<FileReader> file) : file_(std::move(file)) {}

    std::ptrdiff_t Read(std::uint8_t* buffer, std::size_t size, std::string& error) override {
        if (!error_.empty()) {
            error = error_;
            return -1;
        }
        if (size == 0) {
            return 0;
        }
        if (file_->Available() > 0) {
            const std::size_t n = std::min(size, file_->Available());
            std::memcpy(buffer, file_->Data(), n);
            file_->Consume(n);
            return static_cast<std::ptrdiff_t>(n);
        }
        const std::ptrdiff_t got = size >= kChunkBytes ? file_->ReadSome(buffer, size, error_)
                                                       : ReadThroughChunk(buffer, size);
        if (got < 0) {
            error = error_;
        }
        return got;
    }

    bool IsGzip() const override { return false; }
    std::uint64_t FilePosition() const override { return file_->Position(); }
    std::uint64_t FileSize() const override { return file_->Size(); }

  private:
    std::ptrdiff_t ReadThroughChunk(std::uint8_t* buffer, std::size_t size) {
        if (!file_->Fill(error_)) {
            return -1;
        }
        const std::size_t n = std::min(size, file_->Available());
        if (n > 0) {
            std::memcpy(buffer, file_->Data(), n);
            file_->Consume(n);
        }
        return static_cast<std::ptrdiff_t>(n);
    }

    std::unique_ptr<FileReader> file_;
    std::string error_;
};

class GzipSource final : public ByteSource {
  public:
    explicit GzipSource(std::unique_ptr<FileReader> file) : file_(std::move(file)) {}
    ~GzipSource() override {
        if (initialised_) {
            inflateEnd(&stream_);
        }
    }
    GzipSource(const GzipSource&) = delete;
    GzipSource& operator=(const GzipSource&) = delete;

    bool Init(std::string& error) {
        // 16 + window bits: the gzip wrapper only, as the magic bytes said.
        if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK) {
            error = file_->Path() + ": cannot start gzip decompression (out of memory)";
            return false;
        }
        initialised_ = true;
        return true;
    }

    std::ptrdiff_t Read(std::uint8_t* buffer, std::size_t size, std::string& error) override {
        if (!error_.empty()) {
            error = error_;
            return -1;
        }
        const std::size_t asked = std::min(size, std::size_t{std::numeric_limits<uInt>::max()});
        while (asked > 0) {
            if (!file_->Fill(error_)) {
                break;
            }
            if (memberEnded_) {
                if (file_->AtEnd()) {
                    return 0;
                }
                // More bytes after a member: the next member, as gzip reads them.
                inflateReset(&stream_);
                memberEnded_ = false;
            }
            if (file_->AtEnd()) {
                error_ = file_->Path() + ": the gzip data is truncated";
                break;
            }
            stream_.next_in = file_->Data();
            stream_.avail_in = static_cast<uInt>(
                std::min(file_->Available(), std::size_t{std::numeric_limits<uInt>::max()}));
            stream_.next_out = buffer;
            stream_.avail_out = static_cast<uInt>(asked);
            const uInt offered = stream_.avail_in;
            const int status = inflate(&stream_, Z_NO_FLUSH);
            file_->Consume(offered - stream_.avail_in);
            const std::size_t produced = asked - stream_.avail_out;
            if (status == Z_STREAM_END) {
                memberEnded_ = true;
            } else if (status == Z_MEM_ERROR) {
                error_ = file_->Path() + ": out of memory while inflating the gzip data";
                break;
            } else if (status != Z_OK && status != Z_BUF_ERROR) {
                error_ = file_->Path() + ": the gzip data is damaged";
                break;
            }
            if (produced > 0) {
                return static_cast<std::ptrdiff_t>(produced);
            }
        }
        if (!error_.empty()) {
            error = error_;
            return -1;
        }
        return 0;
    }

    bool IsGzip() const override { return true; }
    std::uint64_t FilePosition() const override { return file_->Position(); }
    std::uint64_t FileSize() const override { return file_->Size(); }

  private:
    std::unique_ptr<FileReader> file_;
    z_stream stream_{};
    bool initialised_ = false;
    bool memberEnded_ = false;
    std::string error_;
};

}  // namespace

std::unique_ptr<ByteSource> ByteSource::Open(const std::string& path, std::string& error) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError(path, errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = SystemError(path, errno);
        ::close(fd);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = SystemError(path, errno);
        ::close(fd);
        return nullptr;
    }
    auto file = std::make_unique<FileReader>(fd, path, static_cast<std::uint64_t>(info.st_size));
    if (!file->Fill(error)) {
        return nullptr;
    }
    const bool gzip = file->Available() >= 2 && file->Data()[0] == 0x1f && file->Data()[1] == 0x8b;
    if (!gzip) {
        return std::make_unique<PlainSource>(std::move(file));
    }
    auto source = std::make_unique<GzipSource>(std::move(file));
    if (!source->Init(error)) {
        return nullptr;
    }
    return source;
}

}  // namespace mzml
