#pragma once

#include <cstddef>
#include <memory>
#include <string>

// Incremental SHA-1 over libcrypto's EVP interface, for the checksums indexed mzML and mzXML
// carry of their own text.
class Sha1Digest {
  public:
    Sha1Digest();
    ~Sha1Digest();
    Sha1Digest(const Sha1Digest&) = delete;
    Sha1Digest& operator=(const Sha1Digest&) = delete;

    void Update(const char* bytes, std::size_t size);
    // 40 lowercase hexadecimal digits; ends the digest.
    std::string Finish();

  private:
    struct Context;
    std::unique_ptr<Context> context_;
};
