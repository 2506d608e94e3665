#include "mzml/input_window.h"

#include <cstring>

namespace mzml {

namespace {
constexpr std::size_t kChunk = 1 << 20;
}

bool InputWindow::Fill(ByteSource& source, std::string& error) {
    if (ended_) {
        return true;
    }
    const std::size_t held = bytes_.size() - start_;
    if (held >= limit_) {
        error = "more than " + std::to_string(limit_ >> 20) + " MiB would have to be held at once";
        return false;
    }
    if (start_ > 0 && (start_ >= held || bytes_.size() + kChunk > bytes_.capacity())) {
        // Move what is still needed to the front rather than growing the buffer.
        std::memmove(bytes_.data(), bytes_.data() + start_, held);
        bytes_.resize(held);
        start_ = 0;
    }
    const std::size_t old = bytes_.size();
    bytes_.resize(old + kChunk);
    const std::ptrdiff_t got =
        source.Read(reinterpret_cast<std::uint8_t*>(bytes_.data() + old), kChunk, error);
    if (got < 0) {
        bytes_.resize(old);
        return false;
    }
    bytes_.resize(old + static_cast<std::size_t>(got));
    if (got == 0) {
        ended_ = true;
    }
    return true;
}

void InputWindow::Discard(std::uint64_t offset) {
    if (offset <= base_) {
        return;
    }
    start_ += static_cast<std::size_t>(offset - base_);
    base_ = offset;
    if (start_ == bytes_.size()) {
        bytes_.clear();
        start_ = 0;
    }
}

}  // namespace mzml
