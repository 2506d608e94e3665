#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mzml/byte_source.h"

namespace mzml {

// The bytes of an input that are still needed: from Base() (an absolute offset in the
// content) to End(). The reader appends, the editor discards what it has copied. Its size is
// what a file can make us hold at once, so it is bounded.
class InputWindow {
  public:
    explicit InputWindow(std::size_t limit) : limit_(limit) {}

    std::uint64_t Base() const { return base_; }
    std::uint64_t End() const { return base_ + (bytes_.size() - start_); }
    bool AtEndOfInput() const { return ended_; }

    // The bytes [from, to) (absolute; both within the window).
    std::string_view View(std::uint64_t from, std::uint64_t to) const {
        return {bytes_.data() + start_ + (from - base_), static_cast<std::size_t>(to - from)};
    }
    const char* At(std::uint64_t offset) const { return bytes_.data() + start_ + (offset - base_); }

    // Appends up to one chunk from `source`. False with `error` set on a read error, or when
    // holding more would pass the limit (`error` then says so, naming nothing: the caller
    // knows which element is that large). At the end of input, AtEndOfInput() turns true.
    bool Fill(ByteSource& source, std::string& error);

    // Forgets the bytes before `offset` (which must lie within the window).
    void Discard(std::uint64_t offset);

  private:
    std::vector<char> bytes_;
    std::size_t start_ = 0;  // bytes_[start_] is at absolute offset base_
    std::uint64_t base_ = 0;
    std::size_t limit_;
    bool ended_ = false;
};

}  // namespace mzml
