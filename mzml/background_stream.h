#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "mzml/byte_sink.h"
#include "mzml/sha1.h"

namespace mzml {

// Bytes handed to a second thread, which hashes them (SHA-1, until EndHash) and, with a sink,
// writes them there. The thread that parses only copies, so parsing, hashing, compression of
// a gzip output and the system's writes overlap on two cores. At most a few MiB wait at once.
class BackgroundStream {
  public:
    // `below` may be null: the bytes are then only hashed.
    explicit BackgroundStream(ByteSink* below);
    ~BackgroundStream();
    BackgroundStream(const BackgroundStream&) = delete;
    BackgroundStream& operator=(const BackgroundStream&) = delete;

    // False once writing below has failed (the sink's Error() says why, after Finish()).
    bool Write(std::string_view bytes);
    // The SHA-1 of everything written so far; later bytes are not hashed.
    std::string EndHash();
    // Waits until everything is written; then Finish() of the sink below. Idempotent.
    bool Finish();

  private:
    struct Chunk {
        std::string bytes;
        bool endHash = false;
    };
    void Hand(bool endHash);
    void Run();

    ByteSink* below_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk> queue_;
    std::vector<std::string> spare_;
    std::string current_;
    bool closing_ = false;
    bool failed_ = false;
    bool hashEnded_ = false;
    bool finished_ = false;
    bool busy_ = false;  // the worker holds a chunk
    std::string digest_;
    Sha1 hash_;
    std::thread worker_;
};

}  // namespace mzml
