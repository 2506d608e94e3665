#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads back, with plain string searches, the indexed mzML an export wrote: enough structure
// to check the index, the checksum and every array byte for byte, without trusting any code
// of the writer.

// The value of attribute `name` in the start tag that begins at `tag`, or nullopt.
std::optional<std::string> AttributeOf(std::string_view tag, std::string_view name);
// The value of the userParam named `name` within `element`, or nullopt.
std::optional<std::string> UserParamValue(std::string_view element, std::string_view name);
// The value of the cvParam of `accession` within `element`, or nullopt.
std::optional<std::string> CvParamValue(std::string_view element, std::string_view accession);

struct DecodedArray {
    std::string kind;       // the accession of the array's kind (MS:1000514, ...)
    std::string kindValue;  // its cvParam's value (the name of a non-standard array)
    int bits = 0;           // 32 or 64
    bool zlib = false;
    std::uint64_t encodedLength = 0;
    std::size_t binaryLength = 0;  // of the text between <binary> and </binary>
    std::vector<double> values;
};

struct ExportedSpectrum {
    std::string id;
    std::uint64_t offset = 0;  // of its "<spectrum"
    std::size_t index = 0;
    std::size_t defaultArrayLength = 0;
    std::string element;  // the whole element's text
    std::vector<DecodedArray> arrays;
};

// Every spectrum of the document, in order. Arrays that cannot be decoded fail the test.
std::vector<ExportedSpectrum> ReadSpectra(const std::string& document);

struct IndexEntry {
    std::string id;
    std::uint64_t offset = 0;
};

// The entries of the index named `name` ("spectrum", "chromatogram").
std::vector<IndexEntry> ReadIndex(const std::string& document, std::string_view name);
