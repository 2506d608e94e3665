#include "mzml/output_splicer.h"

#include <algorithm>

namespace mzml {

OutputSplicer::OutputSplicer(const InputWindow& window, ByteSink* sink)
    : window_(window), sink_(sink) {
    if (sink_ != nullptr) {
        stream_ = std::make_unique<BackgroundStream>(sink_);
    }
}

bool OutputSplicer::Finish() {
    if (stream_ && !stream_->Finish()) {
        failed_ = true;
    }
    return !failed_;
}

void OutputSplicer::Replace(std::uint64_t begin, std::uint64_t end, std::string text) {
    edits_.push_back({begin, end, std::move(text)});
}

bool OutputSplicer::Write(std::string_view text) {
    if (failed_ || text.empty()) {
        return !failed_;
    }
    written_ += text.size();
    if (sink_ == nullptr) {
        return true;
    }
    if (!stream_->Write(text)) {
        failed_ = true;
    }
    return !failed_;
}

bool OutputSplicer::Insert(std::string_view text) {
    return Write(text);
}

bool OutputSplicer::CopyTo(std::uint64_t offset) {
    if (offset <= cursor_) {
        return !failed_;
    }
    if (!edits_.empty()) {
        std::sort(edits_.begin(), edits_.end(),
                  [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
        std::size_t used = 0;
        // An insertion at `offset` itself goes before the byte there, so it is written now.
        for (;
             used < edits_.size() && (edits_[used].begin < offset ||
                                      (edits_[used].begin == offset && edits_[used].end == offset));
             ++used) {
            const Edit& edit = edits_[used];
            if (edit.begin < cursor_) {
                continue;  // overlaps one already applied: the first edit of a range wins
            }
            if (sink_ != nullptr) {
                Write(window_.View(cursor_, edit.begin));
            } else {
                written_ += edit.begin - cursor_;
            }
            Write(edit.text);
            cursor_ = std::max(cursor_, edit.end);
        }
        edits_.erase(edits_.begin(), edits_.begin() + static_cast<std::ptrdiff_t>(used));
    }
    if (offset > cursor_) {
        if (sink_ != nullptr) {
            Write(window_.View(cursor_, offset));
        } else {
            written_ += offset - cursor_;
        }
        cursor_ = offset;
    }
    return !failed_;
}

void OutputSplicer::SkipTo(std::uint64_t offset) {
    cursor_ = std::max(cursor_, offset);
}

}  // namespace mzml
