#include "tests/support/file_contents.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    const std::string bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    WriteFile(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::map<std::string, std::string> ReadTree(const std::string& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
        if (entry.is_regular_file()) {
            files[std::filesystem::relative(entry.path(), directory).string()] =
                ReadFile(entry.path().string());
        }
    }
    return files;
}

std::vector<std::string> ListNames(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
