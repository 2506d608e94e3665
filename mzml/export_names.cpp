#include "mzml/export_names.h"

#include <cstdint>

#include "mzml/tag_text.h"

namespace mzml {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 sequence at `text[i]` that XML allows, or 0.
std::size_t XmlCharLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) {
        return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
    }
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0u) != 0x80u) {
            return 0;
        }
        code = (code << 6) | (byte(k) & 0x3Fu);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool overlong = code < smallest[length];
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    const bool notCharacter = code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF;
    return overlong || surrogate || notCharacter ? 0 : length;
}

bool IsIdByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

}  // namespace

std::string AttributeText(std::string_view text) {
    std::string characters;
    characters.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = XmlCharLength(text, i);
        if (length == 0) {
            characters += kReplacement;
            ++i;
        } else {
            characters.append(text.substr(i, length));
            i += length;
        }
    }
    return EscapeXml(characters);
}

std::string FileUri(std::string_view absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : absolutePath) {
        if (IsIdByte(c) || c == '~' || c == '/') {
            uri += c;
        } else {
            const auto byte = static_cast<std::uint8_t>(c);
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0x0Fu];
        }
    }
    return uri;
}

std::string XmlId(std::string_view stem) {
    std::string id;
    const bool startsWell = !stem.empty() && ((stem[0] >= 'a' && stem[0] <= 'z') ||
                                              (stem[0] >= 'A' && stem[0] <= 'Z') || stem[0] == '_');
    if (!startsWell) {
        id += '_';
    }
    for (const char c : stem) {
        id += IsIdByte(c) ? c : '_';
    }
    return id;
}

}  // namespace mzml
