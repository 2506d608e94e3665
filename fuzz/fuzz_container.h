#pragma once

// The fuzz input format: a tiny container of library files. Each entry is a tag byte, a 16-bit
// little-endian length and, except for a zero run, that many bytes:
//   tag 0x00..0x7F  starts the file named by tag modulo the list below with the bytes (a later
//                   start of the same name replaces the earlier file);
//   tag 0x80..0xBF  appends the bytes to the file the last start named;
//   tag 0xC0..0xFF  appends `length` zero bytes to that file (no bytes follow).
// Zero runs keep the mostly-zero records (the header record, padding) out of the input, so the
// mutations land on the fields that matter. Unpacked files are capped at kMaxUnpackedSize each.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace rawfuzz {

inline constexpr std::size_t kFileCount = 12;
inline constexpr std::size_t kMaxUnpackedSize = 4u << 20;

inline const std::array<const char*, kFileCount>& FileNames() {
    static const std::array<const char*, kFileCount> names = {
        "brv-manifest.bin",     "brv-header.bin",    "brv-functions.bin",    "brv-f00001-scans.bin",
        "brv-f00001-stats.bin", "brv-f00001-ee.bin", "brv-f00002-scans.bin", "brv-f00002-stats.bin",
        "brv-f00002-ee.bin",    "brv-analog.bin",    "brv-history.bin",      "brv-manifest.tmp",
    };
    return names;
}

struct Files {
    std::array<std::string, kFileCount> bytes;
    std::array<bool, kFileCount> present{};
};

// Fills `files` (reusing its storage, so a fuzz loop does not allocate per input).
inline void Unpack(const std::uint8_t* data, std::size_t size, Files& files) {
    files.present.fill(false);
    std::size_t current = kFileCount;  // none yet
    std::size_t at = 0;
    while (size - at >= 3) {
        const std::uint8_t tag = data[at];
        std::size_t length =
            static_cast<std::size_t>(data[at + 1]) | (static_cast<std::size_t>(data[at + 2]) << 8);
        at += 3;
        if (tag >= 0xC0) {
            if (current < kFileCount) {
                std::string& file = files.bytes[current];
                file.append(std::min(length, kMaxUnpackedSize - file.size()), '\0');
            }
            continue;
        }
        length = std::min(length, size - at);
        const char* p = reinterpret_cast<const char*>(data + at);
        at += length;
        if (tag < 0x80) {
            current = tag % kFileCount;
            files.bytes[current].assign(p, length);
            files.present[current] = true;
        } else if (current < kFileCount) {
            std::string& file = files.bytes[current];
            file.append(p, std::min(length, kMaxUnpackedSize - file.size()));
        }
    }
}

// Packs one file, with zero runs of at least 16 bytes as zero-run entries.
inline void Pack(std::string& out, std::size_t nameIndex, const std::string& bytes) {
    constexpr std::size_t kMinRun = 16;
    constexpr std::size_t kMaxEntry = 0xFFFF;
    auto put = [&out](std::uint8_t tag, std::size_t length) {
        out.push_back(static_cast<char>(tag));
        out.push_back(static_cast<char>(length & 0xFF));
        out.push_back(static_cast<char>(length >> 8));
    };
    bool started = false;
    std::size_t at = 0;
    while (at < bytes.size() || !started) {
        std::size_t literalEnd = at;
        std::size_t run = 0;
        while (literalEnd + run < bytes.size() && literalEnd - at < kMaxEntry) {
            if (bytes[literalEnd + run] == '\0') {
                if (++run == kMinRun) {
                    break;
                }
            } else {
                literalEnd += run + 1;
                run = 0;
            }
        }
        if (run < kMinRun) {
            literalEnd = std::min(bytes.size(), std::min(literalEnd + run, at + kMaxEntry));
        }
        put(started ? 0x80 : static_cast<std::uint8_t>(nameIndex), literalEnd - at);
        out.append(bytes, at, literalEnd - at);
        started = true;
        at = literalEnd;
        std::size_t zeros = 0;
        while (at + zeros < bytes.size() && bytes[at + zeros] == '\0') {
            ++zeros;
        }
        if (zeros >= kMinRun) {
            while (zeros > 0) {
                const std::size_t n = std::min(zeros, kMaxEntry);
                put(0xC0, n);
                zeros -= n;
                at += n;
            }
        }
    }
}

}  // namespace rawfuzz
