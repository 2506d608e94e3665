#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "params/mass_range_list.h"

// Small mzML and mzXML documents made in code, each part of which a test can spoil on purpose.
// A document is well formed and self-consistent (counts, lengths, index offsets, checksum)
// unless one of the overrides says otherwise; everything the overrides leave alone is derived
// from the values, so a test states only the one fault it is about.

namespace hostile {

inline constexpr const char* kMzAccession = "MS:1000514";
inline constexpr const char* kIntensityAccession = "MS:1000515";

struct MzmlArray {
    const char* accession = kMzAccession;
    std::vector<double> values;
    bool wide = true;  // 64-bit floats, else 32-bit
    bool zlib = false;
    std::optional<std::string> text;           // written instead of the values' base64
    std::optional<std::string> encodedLength;  // written instead of the text's length
    std::optional<std::string> compression;    // a whole cvParam instead of the usual one
};

struct MzmlSpectrum {
    std::string id;
    int msLevel = 1;
    std::vector<MzmlArray> arrays;
    std::optional<std::string> defaultArrayLength;  // else the first array's value count
    std::optional<std::string> arrayListCount;      // else the number of arrays
};

struct MzmlDocument {
    std::vector<MzmlSpectrum> spectra;
    bool indexed = true;                      // <indexedmzML> with index and checksum
    std::string prolog;                       // between the XML declaration and the root
    std::string runParams;                    // inside <run>, before the spectrum list
    std::optional<std::string> fileChecksum;  // written instead of the true SHA-1
};

// Rules for MS1 and MS2 that keep masses near a defect of 0.2 Da and drop the others.
const params::CMassRangeList& TestRules();

// A spectrum with an m/z and an intensity array, 64-bit and uncompressed.
MzmlSpectrum PeakSpectrum(const std::string& id, int msLevel, std::vector<double> mz,
                          std::vector<double> intensity);

// A few MS1 and MS2 spectra with peaks both kept and dropped by TestRules().
MzmlDocument TypicalMzml();

std::string BuildMzml(const MzmlDocument& document);

struct MzxmlScan {
    int num = 1;
    int msLevel = 1;
    std::vector<double> mz;
    std::vector<double> intensity;
    bool wide = false;  // precision="64", else 32
    bool zlib = false;
    std::optional<std::string> text;           // the <peaks> text instead of the values'
    std::optional<std::string> peaksCount;     // instead of the number of pairs
    std::optional<std::string> compressedLen;  // instead of the compressed byte count
};

struct MzxmlDocument {
    std::vector<MzxmlScan> scans;
    std::optional<std::string> scanCount;  // instead of the number of scans
    std::optional<std::string> sha1;       // written instead of the true SHA-1
};

MzxmlDocument TypicalMzxml();

std::string BuildMzxml(const MzxmlDocument& document);

// The standard base64 of little-endian doubles (or floats), zlib-compressed first if asked.
std::string EncodeValues(const std::vector<double>& values, bool wide, bool zlib);

// `text` with the first `from` replaced by `to`; aborts the test program when `from` is not
// there, since a mutation that silently does nothing would make its test pass for nothing.
std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to);

// One gzip member holding `content`, made with zlib directly.
std::string Gzip(const std::string& content);

// A zlib stream of about `compressedBytes` that inflates to about a thousand times as many
// zero bytes: a small array that would take a large allocation if trusted.
std::vector<std::uint8_t> ZlibBombOfZeros(std::size_t compressedBytes);

// The same document as UTF-16 (little-endian, with a byte-order mark); the text must be ASCII.
std::string Utf16Le(const std::string& ascii);

}  // namespace hostile
