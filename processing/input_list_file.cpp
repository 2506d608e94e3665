#include "processing/input_list_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace processing {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads the whole file; false with errno set when it cannot be opened or read.
bool ReadAll(const std::string& path, std::string& text) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.append(buffer, n);
    }
    return std::ferror(file.get()) == 0;
}

void SplitLines(const std::string& text, std::vector<std::string>& lines) {
    std::size_t start = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = next;
    }
}

std::string ByteName(unsigned char byte) {
    char name[16];
    std::snprintf(name, sizeof name, "0x%02X", byte);
    return byte == 0 ? std::string(name) + " (NUL)" : std::string(name);
}

}  // namespace

bool ReadInputListFile(const std::string& path, std::vector<std::string>& lines) {
    std::string text;
    if (!ReadAll(path, text)) {
        return false;
    }
    SplitLines(text, lines);
    return true;
}

bool ReadTextLines(const std::string& path, const std::string& what,
                   std::vector<std::string>& lines, std::string& error) {
    std::string text;
    errno = 0;
    if (!ReadAll(path, text)) {
        error = "cannot read the " + what + " " + path + ": " +
                (errno != 0 ? std::strerror(errno) : "read error");
        return false;
    }
    std::vector<std::string> read;
    SplitLines(text, read);
    for (std::size_t i = 0; i < read.size(); ++i) {
        for (std::size_t column = 0; column < read[i].size(); ++column) {
            const auto byte = static_cast<unsigned char>(read[i][column]);
            if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
                error = "the " + what + " " + path + ", line " + std::to_string(i + 1) +
                        ": a control byte " + ByteName(byte) + " at column " +
                        std::to_string(column + 1) + " (is it a text file?)";
                return false;
            }
        }
    }
    lines.insert(lines.end(), read.begin(), read.end());
    return true;
}

}  // namespace processing
