#include "mzml/sha1.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace mzml {

struct Sha1::State {
    EVP_MD_CTX* context = nullptr;
    ~State() { EVP_MD_CTX_free(context); }
};

Sha1::Sha1() : state_(std::make_unique<State>()) {
    state_->context = EVP_MD_CTX_new();
    if (state_->context == nullptr ||
        EVP_DigestInit_ex(state_->context, EVP_sha1(), nullptr) != 1) {
        throw std::runtime_error("SHA-1 is not available from libcrypto");
    }
}

Sha1::~Sha1() = default;

void Sha1::Update(std::span<const std::uint8_t> bytes) {
    if (!bytes.empty()) {
        EVP_DigestUpdate(state_->context, bytes.data(), bytes.size());
    }
}

void Sha1::Update(std::string_view text) {
    if (!text.empty()) {
        EVP_DigestUpdate(state_->context, text.data(), text.size());
    }
}

std::string Sha1::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(state_->context, digest, &length);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0xf];
    }
    return hex;
}

}  // namespace mzml
