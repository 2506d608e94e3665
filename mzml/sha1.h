#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace mzml {

// Incremental SHA-1 (libcrypto), for the checksums that indexed mzML (fileChecksum) and mzXML
// (sha1) carry of their own bytes.
class Sha1 {
  public:
    Sha1();
    ~Sha1();
    Sha1(const Sha1&) = delete;
    Sha1& operator=(const Sha1&) = delete;

    void Update(std::span<const std::uint8_t> bytes);
    void Update(std::string_view text);
    // 40 lowercase hexadecimal digits of everything given so far. Ends the digest: no Update
    // after it.
    std::string HexDigest();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace mzml
