#include "mzml/base64.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace mzml {

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

// A pair of characters as the 16 bits a little-endian store puts in order.
std::uint16_t Pair(std::uint32_t twelveBits) {
    const auto& pair = kPairs[twelveBits];
    return static_cast<std::uint16_t>(static_cast<unsigned char>(pair[0]) |
                                      static_cast<unsigned char>(pair[1]) << 8);
}

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

// Stores a group's three bytes with one four-byte store; the fourth byte is scratch that the
// next group overwrites, so the caller keeps one byte of room beyond the three.
void Store4(std::uint32_t bits, std::uint8_t* out) {
    std::uint32_t word = bits << 8;
    if constexpr (std::endian::native == std::endian::little) {
        word = __builtin_bswap32(word);
    }
    std::memcpy(out, &word, sizeof word);
}

// Decodes groups from `pos` while they are four alphabet characters and three bytes fit
// before `limit`; stops at the first group that is not (whitespace, padding or a bad
// character), which the slow path then takes. Four groups are checked together, as valid
// text is the rule.
void DecodeWholeGroups(const char* data, std::size_t size, std::size_t& pos, std::uint8_t*& dest,
                       const std::uint8_t* limit) {
    const std::size_t groups =
        std::min((size - pos) / 4, static_cast<std::size_t>(limit - dest) / 3);
    const char* in = data + pos;
    std::uint8_t* out = dest;
    std::size_t done = 0;
    // Strictly fewer than `groups`: a later group's room covers the scratch byte.
    for (; done + 4 < groups; done += 4, in += 16, out += 12) {
        const std::uint32_t a = DecodeGroup(in);
        const std::uint32_t b = DecodeGroup(in + 4);
        const std::uint32_t c = DecodeGroup(in + 8);
        const std::uint32_t d = DecodeGroup(in + 12);
        if ((a | b | c | d) >= kInvalid) {
            break;
        }
        Store4(a, out);
        Store4(b, out + 3);
        Store4(c, out + 6);
        Store4(d, out + 9);
    }
    for (; done < groups; ++done, in += 4, out += 3) {
        const std::uint32_t bits = DecodeGroup(in);
        if (bits >= kInvalid) {
            break;
        }
        Store3(bits, out);
    }
    pos = static_cast<std::size_t>(in - data);
    dest = out;
}

// The decoded size of valid text if it has no whitespace before its padding, and more than
// that if it has. Trailing whitespace and padding are looked at, nothing else.
std::size_t QuickBound(std::string_view text) {
    std::size_t end = text.size();
    std::size_t padding = 0;
    while (end > 0 && (IsSpace(text[end - 1]) || (text[end - 1] == '=' && padding < 2))) {
        if (text[end - 1] == '=') {
            ++padding;
        }
        --end;
    }
    // `end` stops before the padding; the groups it ends are whole only with it.
    const std::size_t length = end + padding;
    const std::size_t bound = length / 4 * 3;
    return bound >= padding ? bound - padding : 0;
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
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Two groups per step: one eight-byte load (two bytes of it are the next group's,
        // hence the margin) and one eight-character store.
        for (; (i + 2) * 3 + 2 <= bytes.size(); i += 2, src += 6, dest += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, src, sizeof word);
            word = __builtin_bswap64(word);
            const auto first = static_cast<std::uint32_t>(word >> 40);
            const auto second = static_cast<std::uint32_t>(word >> 16) & 0xffffff;
            const std::uint64_t chars =
                std::uint64_t{Pair(first >> 12)} | std::uint64_t{Pair(first & 0xfff)} << 16 |
                std::uint64_t{Pair(second >> 12)} << 32 | std::uint64_t{Pair(second & 0xfff)} << 48;
            std::memcpy(dest, &chars, sizeof chars);
        }
    }
    for (; i < whole; ++i, src += 3, dest += 4) {
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
    // Every four characters give at most three bytes and padding takes some back, so the
    // text's length bounds the output, exactly when there is no whitespace inside (the
    // common case, and callers often pass the exact size they expect). Only when that bound
    // is over the limit is the text counted character by character.
    std::size_t capacity = QuickBound(text);
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
        DecodeWholeGroups(data, text.size(), pos, dest, limit);
        if (limit - dest < 3 && pos < text.size()) {
            // Room for less than a group: what is left may only be whitespace or the padded
            // last group, decoded aside and checked against the room.
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

}  // namespace mzml
