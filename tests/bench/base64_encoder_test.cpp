#include "bench/mzml_synth/base64_encoder.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>
#include <vector>

namespace {

std::string Encode(const std::vector<std::uint8_t>& bytes) {
    std::string text(Base64Length(bytes.size()), '?');
    Base64EncodeTo(bytes.data(), bytes.size(), text.data());
    return text;
}

TEST(Base64Encoder, Rfc4648Vectors) {
    const struct {
        std::string plain;
        std::string encoded;
    } cases[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(std::vector<std::uint8_t>(c.plain.begin(), c.plain.end())), c.encoded)
            << "plain \"" << c.plain << "\"";
    }
}

// Every byte value in every position of a group, and every tail length, against libcrypto.
TEST(Base64Encoder, AgreesWithLibcrypto) {
    for (std::size_t size = 0; size < 300; ++size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 7 + size);
        }
        std::string expected(4 * ((size + 2) / 3) + 1, '\0');
        const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(expected.data()),
                                           bytes.data(), static_cast<int>(size));
        expected.resize(static_cast<std::size_t>(length));
        EXPECT_EQ(Encode(bytes), expected) << "size " << size;
    }
}

}  // namespace
