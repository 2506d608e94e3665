#include "bench/mzml_synth/sha1_digest.h"

#include <openssl/evp.h>

#include <stdexcept>

struct Sha1Digest::Context {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(md); }
};

Sha1Digest::Sha1Digest() : context_(std::make_unique<Context>()) {
    if (context_->md == nullptr || EVP_DigestInit_ex(context_->md, EVP_sha1(), nullptr) != 1) {
        throw std::runtime_error("SHA-1 is not available from libcrypto");
    }
}

Sha1Digest::~Sha1Digest() = default;

void Sha1Digest::Update(const char* bytes, std::size_t size) {
    EVP_DigestUpdate(context_->md, bytes, size);
}

std::string Sha1Digest::Finish() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_->md, digest, &length);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
    }
    return text;
}
