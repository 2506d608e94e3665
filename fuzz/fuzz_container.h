#pragma once

// The fuzz input format: a tiny container of library files. Each entry is one byte choosing
// the file name (modulo the list below), a 16-bit little-endian length and that many bytes.
// A later entry for the same name replaces the earlier one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rawfuzz {

inline const std::vector<std::string>& FileNames() {
    static const std::vector<std::string> names = {
        "brv-manifest.bin",       "brv-header.bin",         "brv-functions.bin",
        "brv-f00001-scans.bin",   "brv-f00001-stats.bin",   "brv-f00001-ee.bin",
        "brv-f00002-scans.bin",   "brv-f00002-stats.bin",   "brv-f00002-ee.bin",
        "brv-analog.bin",         "brv-history.bin",        "brv-manifest.tmp",
    };
    return names;
}

inline std::vector<std::pair<std::string, std::string>> Unpack(const std::uint8_t* data,
                                                               std::size_t size) {
    std::vector<std::pair<std::string, std::string>> files;
    std::size_t at = 0;
    while (size - at >= 3) {
        const std::string& name = FileNames()[data[at] % FileNames().size()];
        const std::size_t length = std::min<std::size_t>(data[at + 1] | (data[at + 2] << 8), size - at - 3);
        at += 3;
        files.emplace_back(name, std::string(reinterpret_cast<const char*>(data + at), length));
        at += length;
    }
    return files;
}

inline void Pack(std::string& out, std::size_t nameIndex, const std::string& bytes) {
    out.push_back(static_cast<char>(nameIndex));
    const std::size_t length = std::min<std::size_t>(bytes.size(), 0xFFFF);
    out.push_back(static_cast<char>(length & 0xFF));
    out.push_back(static_cast<char>(length >> 8));
    out.append(bytes, 0, length);
}

}  // namespace rawfuzz
