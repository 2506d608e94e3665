#pragma once

#include <string>
#include <string_view>

namespace mzml {

// Names an export takes from the file system, made fit for the places mzML puts them: file
// names are any bytes, XML text must be characters and an identifier must be an XML name.

// Text for an attribute value: bytes that are not UTF-8, and control characters XML 1.0
// cannot hold even as references, become U+FFFD; the rest is escaped as EscapeXml does.
std::string AttributeText(std::string_view text);

// A "file://" URI of an absolute path, every byte but unreserved ones and "/" percent-encoded,
// so that any path gives a valid xs:anyURI.
std::string FileUri(std::string_view absolutePath);

// An xs:ID from a file's stem: ASCII letters, digits, "_", "-" and "." kept, every other byte
// "_", and a leading "_" when it would not start with a letter or "_". Empty gives "_".
std::string XmlId(std::string_view stem);

}  // namespace mzml
