#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "mzml/numpress_codec.h"
#include "params/mass_range_list.h"

// Small mzML and mzXML files made from scratch, each showing one variation that real files
// show and other readers take.

enum class Kind { kF32, kF64, kI32, kI64 };

struct ArraySpec {
    const char* role;  // cvParam of the array's kind
    Kind kind = Kind::kF64;
    bool zlib = false;
    std::optional<mzml::NumpressKind> numpress;
};

struct TestSpectrum {
    std::string id;
    int level;  // 0: the spectrum states none
    std::vector<double> mz;
    std::vector<double> intensity;
};

// How one generated mzML file differs from the plainest one.
struct MzmlVariation {
    const char* name;
    std::string declaredEncoding = "UTF-8";
    std::string headComment;  // raw bytes of a comment after the declaration
    std::string prefix;       // "mz:" on every element
    std::string newline = "\n";
    bool trailingNewline = true;
    bool paramGroups = false;
    bool levelless = false;
    std::string oddId;
    bool cdata = false;
    bool commentsAndInstructions = false;
    bool emptySpectrum = false;
    ArraySpec mz{"MS:1000514", Kind::kF64, false, std::nullopt};
    ArraySpec intensity{"MS:1000515", Kind::kF64, false, std::nullopt};
    bool chargeArray = false;
    bool otherLengthArray = false;
    bool chromatogramsOnly = false;
    // The spectra repeated this many times (ids "scan=N copy=K" from the second on), for a
    // file of some size.
    int copies = 1;
    // An MS1 spectrum none of whose peaks the rules keep.
    bool droppedSpectrum = false;
    // Summary cvParams written with an end tag ("<cvParam ...></cvParam>").
    bool summaryEndTags = false;
    // MS1 spectra state their level only by the "MS1 spectrum" term.
    bool ms1TermOnly = false;
    bool intensityArrayFirst = false;
    bool wrappedBase64 = false;          // base64 broken into lines of 76 characters
    bool arrayLengthEverywhere = false;  // every array states its arrayLength
    bool noLists = false;                // no softwareList and no dataProcessingList
    bool byteOrderMark = false;          // UTF-8's, before everything
    bool noDeclaration = false;          // no <?xml ...?> at all
    // One more MS1 spectrum of this many peaks (m/z 100 + i / 1024), for the limits.
    std::size_t bigSpectrumPeaks = 0;
};

void PrintTo(const MzmlVariation& v, std::ostream* out);

// The spectra of the generated files: MS1, MS2, MS1 (empty when `emptyOne`), and with
// `levelless` a fourth that states no MS level. `oddId` replaces the MS2 spectrum's id.
std::vector<TestSpectrum> Spectra(bool emptyOne, bool levelless, const std::string& oddId);

// An mzML file of Spectra() and one chromatogram, shaped as `v` says.
std::string MzmlDocument(const MzmlVariation& v);

// Every variation the tests run, by name.
std::vector<MzmlVariation> MzmlVariations();

// How one generated mzXML file differs from an mzXML 2.x file with MS2 scans nested inside
// their MS1 scan and 64-bit zlib peaks in network order.
struct MzxmlVariation {
    const char* name;
    bool nested = true;
    int precision = 64;
    bool zlib = true;
    bool contentType = false;  // mzXML 3's attribute instead of 2's pairOrder
    bool emptyScan = false;    // an MS1 scan of peaksCount="0" with an empty <peaks/>
    bool droppedScan = false;  // an MS1 scan none of whose peaks the rules keep
    bool indexed = false;      // <index>, <indexOffset> and a true <sha1>
    std::string prefix;        // "mx:" on every element
};

void PrintTo(const MzxmlVariation& v, std::ostream* out);

std::string MzxmlDocument(const MzxmlVariation& v);
std::vector<MzxmlVariation> MzxmlVariations();

// Rules that keep some peaks of MS1 (fraction in (0.1, 0.5)) and MS2 ((0.45, 0.75)).
params::CMassRangeList VariationRules();
