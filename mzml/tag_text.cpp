#include "mzml/tag_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace mzml {

namespace {
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
}  // namespace

std::optional<std::pair<std::size_t, std::size_t>> FindAttributeValue(std::string_view tag,
                                                                      std::string_view name) {
    std::size_t i = 1;
    while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '>' && tag[i] != '/') {
        ++i;  // the element's name
    }
    for (;;) {
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (i >= tag.size() || tag[i] == '>' || tag[i] == '/') {
            return std::nullopt;
        }
        const std::size_t nameBegin = i;
        while (i < tag.size() && tag[i] != '=' && !IsSpace(tag[i]))
            ++i;
        const std::string_view attribute = tag.substr(nameBegin, i - nameBegin);
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        ++i;  // "="
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (i >= tag.size()) {
            return std::nullopt;
        }
        const char quote = tag[i++];
        const std::size_t valueBegin = i;
        while (i < tag.size() && tag[i] != quote)
            ++i;
        if (attribute == name) {
            return std::make_pair(valueBegin, i);
        }
        ++i;
    }
}

std::string TagPrefix(std::string_view tag) {
    std::size_t i = 1;
    while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '>' && tag[i] != '/' && tag[i] != ':') {
        ++i;
    }
    return i < tag.size() && tag[i] == ':' ? std::string(tag.substr(1, i)) : std::string();
}

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string FormatDouble(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string FormatFloat(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::optional<std::uint64_t> ParseCount(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    std::uint64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseNumber(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string IndentBefore(std::string_view text) {
    const std::size_t newline = text.rfind('\n');
    if (newline == std::string_view::npos)
        return {};
    const std::string_view tail = text.substr(newline + 1);
    for (const char c : tail) {
        if (c != ' ' && c != '\t')
            return {};
    }
    return std::string(tail);
}

bool OnOwnLine(std::string_view before) {
    const std::size_t newline = before.rfind('\n');
    return newline != std::string_view::npos &&
           before.find_first_not_of(" \t", newline + 1) == std::string_view::npos;
}

bool IsSha1Text(std::string_view text) {
    if (text.size() != 40)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

std::string JudgeChecksum(std::string_view text, const std::string& actual,
                          const std::string& element, bool ignoreWrong, std::string& warning) {
    std::string written, stated;  // as the file has it; in lower case, for comparing
    for (const char c : text) {
        if (!IsSpace(c)) {
            written += c;
            stated += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    warning.clear();
    if (!IsSha1Text(stated)) {
        warning = "its " + element + " \"" + written +
                  "\" is not a SHA-1 digest, so it cannot be checked";
        return {};
    }
    if (stated == actual) {
        return {};
    }
    const std::string what = "its " + element + " says " + stated + " but its bytes give " + actual;
    if (ignoreWrong) {
        warning = what;
        return {};
    }
    return what + " (the file was changed after it was written; brevanto-batch " +
           "--ignore-checksums takes it anyway)";
}

}  // namespace mzml
