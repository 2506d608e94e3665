#include "mzml/background_stream.h"

namespace mzml {

namespace {
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxQueued = 8;
}  // namespace

BackgroundStream::BackgroundStream(ByteSink* below) : below_(below) {
    current_.reserve(kChunkBytes);
    worker_ = std::thread([this] { Run(); });
}

BackgroundStream::~BackgroundStream() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void BackgroundStream::Hand(bool endHash) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < kMaxQueued || failed_; });
    Chunk chunk;
    chunk.bytes.swap(current_);
    chunk.endHash = endHash;
    queue_.push_back(std::move(chunk));
    if (!spare_.empty()) {
        current_.swap(spare_.back());
        spare_.pop_back();
    }
    current_.clear();
    current_.reserve(kChunkBytes);
    lock.unlock();
    changed_.notify_all();
}

bool BackgroundStream::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t room = kChunkBytes - current_.size();
        const std::size_t part = std::min(room, bytes.size());
        current_.append(bytes.substr(0, part));
        bytes.remove_prefix(part);
        if (current_.size() == kChunkBytes) {
            Hand(false);
        }
    }
    std::lock_guard lock(mutex_);
    return !failed_;
}

std::string BackgroundStream::EndHash() {
    Hand(true);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return hashEnded_; });
    return digest_;
}

bool BackgroundStream::Finish() {
    if (!current_.empty()) {
        Hand(false);
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.empty() && !busy_; });
    if (failed_)
        return false;
    if (!finished_) {
        finished_ = true;
        lock.unlock();
        if (below_ != nullptr && !below_->Finish()) {
            std::lock_guard relock(mutex_);
            failed_ = true;
            return false;
        }
    }
    return true;
}

void BackgroundStream::Run() {
    for (;;) {
        Chunk chunk;
        bool failedBefore = false;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !queue_.empty() || closing_; });
            if (queue_.empty())
                return;
            chunk = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
            failedBefore = failed_;
        }
        changed_.notify_all();
        bool ok = true;
        if (!hashEnded_) {
            hash_.Update(chunk.bytes);
        }
        if (below_ != nullptr && !failedBefore && !chunk.bytes.empty()) {
            ok = below_->Write(chunk.bytes);
        }
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
            if (!ok)
                failed_ = true;
            if (chunk.endHash && !hashEnded_) {
                digest_ = hash_.HexDigest();
                hashEnded_ = true;
            }
            chunk.bytes.clear();
            if (spare_.size() < kMaxQueued)
                spare_.push_back(std::move(chunk.bytes));
        }
        changed_.notify_all();
    }
}

}  // namespace mzml
