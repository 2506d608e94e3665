#include "mzml/base64.h"

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters per 12 input bits: the encoder does two lookups per three bytes.
constexpr std::array<std::array<char, 2>, 4096> MakePairTable() {
    std::array<std::array<char, 2>, 4096> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = {kAlphabet[i >> 6], kAlphabet[i & 63]};
    }
    return table;
}
constexpr auto kPairs = MakePairTable();

// One table per position in a group of four characters, holding the character's six bits
// already shifted into place, so a group decodes with four loads and three ORs. Anything that
// is not an alphabet character (whitespace and "=" included) sets bit 24, which no valid
// group can have: one comparison checks all four.
constexpr std::uint32_t kInvalid = 1u << 24;

constexpr std::array<std::uint32_t, 256> MakeDecodeTable(unsigned shift) {
    std::array<std::uint32_t, 256> table{};
    for (auto& entry : table) {
        entry = kInvalid;
    }
    for (std::uint32_t i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = i << shift;
    }
    return table;
}
constexpr auto kDecode0 = MakeDecodeTable(18);
constexpr auto kDecode1 = MakeDecodeTable(12);
constexpr auto kDecode2 = MakeDecodeTable(6);
constexpr auto kDecode3 = MakeDecodeTable(0);

constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::uint32_t DecodeGroup(const char* group) {
    return kDecode0[static_cast<unsigned char>(group[0])] |
           kDecode1[static_cast<unsigned char>(group[1])] |
           kDecode2[static_cast<unsigned char>(group[2])] |
           kDecode3[static_cast<unsigned char>(group[3])];
}

void Store3(std::uint32_t bits, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>(bits >> 16);
    out[1] = static_cast<std::uint8_t>(bits >> 8);
    out[2] = static_cast<std::uint8_t>(bits);
}

// The exact decoded size of text with whitespace, or nothing when the text is malformed in
// a way its length already shows. Only called when the quick bound exceeds the caller's limit.
bool ExactDecodedSize(std::string_view text, std::size_t& size) {
    std::size_t significant = 0;
    std::size_t padding = 0;
    for (const char c : text) {
        if (!IsSpace(c)) {
            ++significant;
            padding = c == '=' ? padding + 1 : 0;
        }
    }
    if (significant % 4 != 0 || padding > 2) {
        return false;
    }
    size = significant / 4 * 3 - padding;
    return true;
}

// Decodes text that may hold whitespace or padding, one character at a time, from `pos` to the
// end or to the next spot where whole groups resume (returned through `pos`). Returns false on
// malformed text. `finished` is set once the padded last group has been read.
bool DecodeSlowGroup(std::string_view text, std::size_t& pos, std::uint8_t*& out, bool& finished) {
    char group[4];
    std::size_t count = 0;
    while (count < 4 && pos < text.size()) {
        const char c = text[pos++];
        if (!IsSpace(c)) {
            group[count++] = c;
        }
    }
    if (count == 0) {
        finished = true;
        return true;
    }
    if (count < 4) {
        return false;
    }
    std::size_t padding = 0;
    if (group[3] == '=') {
        padding = group[2] == '=' ? 2 : 1;
        group[3] = 'A';
        if (padding == 2) {
            group[2] = 'A';
        }
    }
    const std::uint32_t bits = DecodeGroup(group);
    if (bits >= kInvalid) {
        return false;
    }
    if (padding == 0) {
        Store3(bits, out);
        out += 3;
        return true;
    }
    *out++ = static_cast<std::uint8_t>(bits >> 16);
    if (padding == 1) {
        *out++ = static_cast<std::uint8_t>(bits >> 8);
    }
    // Padding ends the data: only whitespace may follow.
    for (; pos < text.size(); ++pos) {
        if (!IsSpace(text[pos])) {
            return false;
        }
    }
    finished = true;
    return true;
}

}  // namespace

void Base64Encode(std::span<const std::uint8_t> bytes, std::string& out) {
    const std::size_t whole = bytes.size() / 3;
    const std::size_t rest = bytes.size() % 3;
    const std::size_t start = out.size();
    out.resize(start + (whole + (rest != 0 ? 1 : 0)) * 4);
    char* dest = out.data() + start;
    const std::uint8_t* src = bytes.data();
    for (std::size_t i = 0; i < whole; ++i, src += 3, dest += 4) {
        const std::uint32_t bits =
            (std::uint32_t{src[0]} << 16) | (std::uint32_t{src[1]} << 8) | src[2];
        const auto& high = kPairs[bits >> 12];
        const auto& low = kPairs[bits & 0xfff];
        dest[0] = high[0];
        dest[1] = high[1];
        dest[2] = low[0];
        dest[3] = low[1];
    }
    if (rest != 0) {
        const std::uint32_t bits =
            (std::uint32_t{src[0]} << 16) | (rest == 2 ? std::uint32_t{src[1]} << 8 : 0u);
        dest[0] = kAlphabet[bits >> 18];
        dest[1] = kAlphabet[(bits >> 12) & 63];
        dest[2] = rest == 2 ? kAlphabet[(bits >> 6) & 63] : '=';
        dest[3] = '=';
    }
}

Base64Result Base64Decode(std::string_view text, std::size_t maxBytes,
                          std::vector<std::uint8_t>& out) {
    out.clear();
    // Every four characters give at most three bytes, so the text's length bounds the output;
    // only when that bound is over the limit is the text counted exactly.
    std::size_t capacity = text.size() / 4 * 3;
    if (capacity > maxBytes) {
        std::size_t exact = 0;
        if (!ExactDecodedSize(text, exact)) {
            return Base64Result::kBadText;
        }
        if (exact > maxBytes) {
            return Base64Result::kTooLarge;
        }
        capacity = exact;
    }
    out.resize(capacity);
    std::uint8_t* dest = out.data();
    std::uint8_t* const limit = out.data() + capacity;
    const char* const data = text.data();
    std::size_t pos = 0;
    bool finished = false;
    while (!finished) {
        // Whole groups of four alphabet characters: the bulk of every array.
        while (text.size() - pos >= 4 && limit - dest >= 3) {
            const std::uint32_t bits = DecodeGroup(data + pos);
            if (bits >= kInvalid) {
                break;
            }
            Store3(bits, dest);
            dest += 3;
            pos += 4;
        }
        if (limit - dest < 3 && pos < text.size()) {
            // Only possible once the exact size was computed: what is left must be padding
            // or whitespace completing the last group, which the slow path checks.
            std::uint8_t spare[3];
            std::uint8_t* sparePtr = spare;
            const std::size_t room = static_cast<std::size_t>(limit - dest);
            if (!DecodeSlowGroup(text, pos, sparePtr, finished)) {
                out.clear();
                return Base64Result::kBadText;
            }
            const std::size_t got = static_cast<std::size_t>(sparePtr - spare);
            if (got > room || (!finished && got != 0)) {
                out.clear();
                return Base64Result::kBadText;
            }
            for (std::size_t i = 0; i < got; ++i) {
                *dest++ = spare[i];
            }
            continue;
        }
        if (!DecodeSlowGroup(text, pos, dest, finished)) {
            out.clear();
            return Base64Result::kBadText;
        }
    }
    out.resize(static_cast<std::size_t>(dest - out.data()));
    return Base64Result::kOk;
}
