#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace mzml {

// Small helpers over the raw text of tags the parser has already found well-formed.

// The offsets, within `tag` (the raw text of a start tag), of attribute `name`'s value between
// its quotes; nullopt when the tag has no such attribute.
std::optional<std::pair<std::size_t, std::size_t>> FindAttributeValue(std::string_view tag,
                                                                      std::string_view name);

// The namespace prefix of a raw start tag, with its colon ("mz:"), or empty.
std::string TagPrefix(std::string_view tag);

// Text for an attribute value or element content: &, <, >, " and the whitespace that
// attribute normalisation would change, as character references.
std::string EscapeXml(std::string_view text);

// Shortest texts that read back as the same value.
std::string FormatDouble(double value);
std::string FormatFloat(float value);

// Whole non-negative numbers as a count attribute holds them; nullopt for anything else.
std::optional<std::uint64_t> ParseCount(std::string_view text);
// A number as a cvParam value or mzXML attribute holds it; nullopt when it is none.
std::optional<double> ParseNumber(std::string_view text);

// The whitespace that starts the last line of `before` when that line holds nothing else (the
// indentation of a tag that follows), else empty; and whether there is such a line.
std::string IndentBefore(std::string_view before);
bool OnOwnLine(std::string_view before);

// Forty hexadecimal digits (lower case, as the checksum texts are compared).
bool IsSha1Text(std::string_view text);

// The judgement of a file's own SHA-1 checksum. `text` is the checksum element's text as the
// file has it, `actual` the digest of the bytes it covers, `element` its name for messages.
// Empty when the file may be read on (a checksum that is no SHA-1 cannot be checked, and a
// wrong one is taken when `ignoreWrong`: both go to `warning`); else why it is refused.
std::string JudgeChecksum(std::string_view text, const std::string& actual,
                          const std::string& element, bool ignoreWrong, std::string& warning);

}  // namespace mzml
