#include "mzml/base64.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <string>
#include <vector>

using mzml::Base64Decode;
using mzml::Base64Encode;
using mzml::Base64Result;

namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::mt19937& rng) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(rng());
    }
    return bytes;
}

std::string OpenSslEncode(const std::vector<std::uint8_t>& bytes) {
    std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(),
                                  static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

// EVP_DecodeBlock keeps the zero bytes that padding stands for: drop them.
std::vector<std::uint8_t> OpenSslDecode(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.size() / 4 * 3 + 3);
    const int n = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                  static_cast<int>(text.size()));
    EXPECT_GE(n, 0);
    std::size_t size = static_cast<std::size_t>(n);
    for (std::size_t i = text.size(); i > 0 && text[i - 1] == '='; --i) {
        --size;
    }
    bytes.resize(size);
    return bytes;
}

void CheckAgainstOpenSsl(const std::vector<std::uint8_t>& bytes) {
    std::string ours;
    Base64Encode(bytes, ours);
    ASSERT_EQ(ours, OpenSslEncode(bytes)) << "length " << bytes.size();
    std::vector<std::uint8_t> decoded;
    ASSERT_EQ(Base64Decode(ours, bytes.size(), decoded), Base64Result::kOk);
    EXPECT_EQ(decoded, bytes) << "length " << bytes.size();
    EXPECT_EQ(OpenSslDecode(ours), bytes) << "length " << bytes.size();
}

TEST(Base64, AgreesWithOpenSslOnEveryShortLength) {
    std::mt19937 rng(7);
    for (std::size_t size = 0; size <= 300; ++size) {
        CheckAgainstOpenSsl(RandomBytes(size, rng));
    }
}

TEST(Base64, AgreesWithOpenSslOnLargeArrays) {
    std::mt19937 rng(8);
    for (const std::size_t size : {4096u, 65537u, 1000001u}) {
        CheckAgainstOpenSsl(RandomBytes(size, rng));
    }
}

TEST(Base64, EncodeAppendsToWhatIsThere) {
    std::string out = "<binary>";
    const std::vector<std::uint8_t> bytes = {'M', 'a', 'n'};
    Base64Encode(bytes, out);
    EXPECT_EQ(out, "<binary>TWFu");
}

TEST(Base64, WhitespaceAnywhereIsSkipped) {
    std::mt19937 rng(9);
    const std::vector<std::uint8_t> bytes = RandomBytes(200, rng);
    std::string text;
    Base64Encode(bytes, text);
    // Wrapped as XML writers do, plus stray whitespace inside groups and around padding.
    std::string wrapped = "\n  ";
    for (std::size_t i = 0; i < text.size(); ++i) {
        wrapped += text[i];
        if (i % 76 == 75) {
            wrapped += "\r\n";
        }
        if (i % 13 == 5) {
            wrapped += " \t";
        }
    }
    wrapped += "\n ";
    std::vector<std::uint8_t> decoded;
    ASSERT_EQ(Base64Decode(wrapped, bytes.size(), decoded), Base64Result::kOk);
    EXPECT_EQ(decoded, bytes);
}

TEST(Base64, ReplacesOldContents) {
    std::vector<std::uint8_t> out = {1, 2, 3, 4, 5};
    ASSERT_EQ(Base64Decode("TWE=", 10, out), Base64Result::kOk);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{'M', 'a'}));
    ASSERT_EQ(Base64Decode("", 10, out), Base64Result::kOk);
    EXPECT_TRUE(out.empty());
}

struct TextCase {
    const char* name;
    std::string text;
    std::size_t maxBytes;
    Base64Result expected;
    std::string bytes;  // when kOk
};

TEST(Base64, DecodesOrRefusesEachText) {
    const std::vector<TextCase> cases = {
        {"empty", "", 0, Base64Result::kOk, ""},
        {"only whitespace", " \r\n\t ", 0, Base64Result::kOk, ""},
        {"two pads", "TQ==", 1, Base64Result::kOk, "M"},
        {"one pad", "TWE=", 2, Base64Result::kOk, "Ma"},
        {"no pad", "TWFu", 3, Base64Result::kOk, "Man"},
        {"pad then whitespace", "TWE=\n  ", 2, Base64Result::kOk, "Ma"},
        {"whitespace inside the padding", "TQ=\n=", 1, Base64Result::kOk, "M"},
        {"exact limit with whitespace", "TW\nFu TWFu", 6, Base64Result::kOk, "ManMan"},
        {"one character short", "TWF", 3, Base64Result::kBadText, ""},
        {"one character over", "TWFuT", 6, Base64Result::kBadText, ""},
        {"character outside the alphabet", "TW-u", 3, Base64Result::kBadText, ""},
        {"URL-safe alphabet", "TW_u", 3, Base64Result::kBadText, ""},
        {"byte above 127", "TW\xc3\xa9", 3, Base64Result::kBadText, ""},
        {"nul byte", std::string("TW\0u", 4), 3, Base64Result::kBadText, ""},
        {"pad in the middle", "TQ==TWFu", 6, Base64Result::kBadText, ""},
        {"pad before a character", "TW=u", 3, Base64Result::kBadText, ""},
        {"three pads", "T===", 3, Base64Result::kBadText, ""},
        {"four pads", "====", 3, Base64Result::kBadText, ""},
        {"data after padding past whitespace", "TWE= TWFu", 6, Base64Result::kBadText, ""},
        {"form feed is not whitespace here", "TW\fFu", 3, Base64Result::kBadText, ""},
        {"over the limit", "TWFuTWFu", 5, Base64Result::kTooLarge, ""},
        {"padding keeps it within", "TWFuTQ==", 4, Base64Result::kOk, "ManM"},
        {"padding does not keep it within", "TWFuTWE=", 4, Base64Result::kTooLarge, ""},
        {"zero limit", "TQ==", 0, Base64Result::kTooLarge, ""},
        {"whitespace does not count", "TWFu\n\n\n\n\n\n\n\n", 3, Base64Result::kOk, "Man"},
    };
    for (const TextCase& c : cases) {
        std::vector<std::uint8_t> out = {9, 9};
        EXPECT_EQ(Base64Decode(c.text, c.maxBytes, out), c.expected) << c.name;
        if (c.expected == Base64Result::kOk) {
            EXPECT_EQ(std::string(out.begin(), out.end()), c.bytes) << c.name;
        }
        EXPECT_LE(out.capacity(), std::max<std::size_t>(c.maxBytes, 2)) << c.name;
    }
}

TEST(Base64, TooLargeIsFoundBeforeAllocating) {
    const std::string text(40'000'000, 'A');  // 30 MB of zeros
    std::vector<std::uint8_t> out;
    EXPECT_EQ(Base64Decode(text, 1000, out), Base64Result::kTooLarge);
    EXPECT_EQ(out.capacity(), 0u);
}

TEST(Base64, EveryTruncationOfAnEncodingIsRefusedOrExact) {
    const std::vector<std::uint8_t> bytes = {0, 1, 2, 250, 251, 252, 253};
    std::string text;
    Base64Encode(bytes, text);
    for (std::size_t cut = 1; cut < text.size(); ++cut) {
        std::vector<std::uint8_t> out;
        const Base64Result result = Base64Decode(text.substr(0, cut), bytes.size(), out);
        if (cut % 4 != 0) {
            EXPECT_EQ(result, Base64Result::kBadText) << "cut at " << cut;
        } else {
            ASSERT_EQ(result, Base64Result::kOk) << "cut at " << cut;
            EXPECT_EQ(out, std::vector<std::uint8_t>(
                               bytes.begin(), bytes.begin() + static_cast<long>(cut / 4 * 3)));
        }
    }
}

}  // namespace
