// The list-file reader on hostile bytes, through a file in memory since it reads files by
// name. Beyond "no crash": the lines are the file's lines exactly (LF or CR LF ends, a leading
// byte-order mark dropped, no empty line after a final line end), and the plain-text reading
// refuses a file exactly when a line holds a control byte other than tab, naming the file.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "processing/input_list_file.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The lines the file must give; the last line's trailing CR, with no LF after it, is left
// open (either reading is accepted), since no line end follows it.
void CheckLines(std::string text, const std::vector<std::string>& lines) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
    }
    std::size_t start = 0;
    std::size_t index = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        Check(index < lines.size());
        const std::string& line = lines[index++];
        if (end == std::string::npos) {
            const std::string rest = text.substr(start);
            Check(line == rest || (rest.back() == '\r' && line + '\r' == rest));
            break;
        }
        std::string expected = text.substr(start, end - start);
        if (!expected.empty() && expected.back() == '\r') {
            expected.pop_back();
        }
        Check(line == expected);
        start = end + 1;
    }
    Check(index == lines.size());
}

bool HasControlByte(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        for (const char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("list.txt", MFD_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    if (write(fd, data, size) == static_cast<ssize_t>(size)) {
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        const std::string text(reinterpret_cast<const char*>(data), size);
        std::vector<std::string> lines;
        Check(processing::ReadInputListFile(path, lines));
        CheckLines(text, lines);
        // Lines are appended to what the caller already holds.
        std::vector<std::string> textLines = {"kept"};
        std::string error;
        if (processing::ReadTextLines(path, "list file", textLines, error)) {
            Check(!HasControlByte(lines) && textLines.size() == lines.size() + 1 &&
                  textLines.front() == "kept" &&
                  std::equal(lines.begin(), lines.end(), textLines.begin() + 1));
        } else {
            Check(HasControlByte(lines) && error.find(path) != std::string::npos &&
                  textLines.size() == 1);
        }
    }
    close(fd);
    return 0;
}
