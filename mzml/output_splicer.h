#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <memory>

#include "mzml/background_stream.h"
#include "mzml/byte_sink.h"
#include "mzml/input_window.h"
#include "mzml/sha1.h"

namespace mzml {

// The output of a pass-through edit: input bytes copied as they are, except the ranges that
// were given replacements. Edits are queued for input still held and applied when the copy
// passes them. Everything written is also hashed (SHA-1) until the checksum's own text.
// Without a sink nothing is written (a read-only pass moves the cursor all the same).
class OutputSplicer {
  public:
    OutputSplicer(const InputWindow& window, ByteSink* sink);

    // Input offset up to which everything has been copied or skipped.
    std::uint64_t Cursor() const { return cursor_; }
    // Content bytes written so far.
    std::uint64_t OutputOffset() const { return written_; }

    // Replaces input [begin, end) (begin >= Cursor()) when the copy gets there.
    void Replace(std::uint64_t begin, std::uint64_t end, std::string text);

    // Copies input up to `offset`, applying the queued edits that lie before it.
    bool CopyTo(std::uint64_t offset);
    // Drops input up to `offset` (nothing of it is written).
    void SkipTo(std::uint64_t offset);
    bool Insert(std::string_view text);

    // Ends the hashed part; HexDigest of everything written so far.
    std::string EndHash() { return stream_ ? stream_->EndHash() : std::string(); }

    // Waits for everything to be written and flushes the sink to disk.
    bool Finish();

    bool Failed() const { return failed_; }

  private:
    bool Write(std::string_view text);

    struct Edit {
        std::uint64_t begin;
        std::uint64_t end;
        std::string text;
    };
    const InputWindow& window_;
    ByteSink* sink_;
    std::vector<Edit> edits_;
    std::uint64_t cursor_ = 0;
    std::uint64_t written_ = 0;
    std::unique_ptr<BackgroundStream> stream_;
    bool failed_ = false;
};

}  // namespace mzml
