#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bench/mzml_synth/sha1_digest.h"

struct z_stream_s;

// The buffered output of a generated file. It counts the bytes of the text (the offsets an
// index needs), hashes them until the checksum is taken, and gzips them on their way to the
// disk when asked. It writes under "<path>.part" and renames to the path in Close(), so an
// existing file is replaced only by a complete one. An empty path discards the text and only
// counts it (for planning the size of a file). Failures are kept and reported by Close().
class SynthOutput {
  public:
    // `level`: the gzip deflate level; kArrayHuffmanOnly stands for level 1.
    SynthOutput(std::string path, bool gzip, int level);
    ~SynthOutput();
    SynthOutput(const SynthOutput&) = delete;
    SynthOutput& operator=(const SynthOutput&) = delete;

    void Append(std::string_view text);
    void AppendNumber(double value);  // shortest text that reads back as the same double
    void AppendNumber(std::uint64_t value);
    // Room for `size` bytes at the end of the text, to be filled by the caller at once.
    char* Extend(std::size_t size);

    // Bytes of text so far (before any gzip).
    std::uint64_t Position() const { return flushed_ + used_; }

    // True once anything failed: there is no point in generating more.
    bool Failed() const { return !failure_.empty(); }

    // SHA-1 of all the text so far; what follows is not hashed.
    std::string TakeSha1();

    // Writes what is left, closes and renames. False with "<path>: <what failed>" in `error`;
    // then no file is left at the path or its temporary.
    bool Close(std::string& error);

  private:
    void Flush();
    void WriteOut(const char* bytes, std::size_t size);
    void Deflate(const char* bytes, std::size_t size, int flush);
    void Fail(const std::string& what);

    std::string path_;
    std::string partPath_;
    int fd_ = -1;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    std::size_t hashedUpTo_ = 0;
    std::uint64_t flushed_ = 0;
    bool hashing_ = true;
    Sha1Digest sha1_;
    std::unique_ptr<z_stream_s> gzip_;
    std::unique_ptr<char[]> gzipOut_;
    std::string failure_;
    bool closed_ = false;
};
