#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mzml/binary_array.h"
#include "mzml/document_pass.h"
#include "mzml/markup_scanner.h"
#include "mzml/output_splicer.h"
#include "mzml/spectrum_counts.h"

namespace mzml {

// The pass over an mzML document (indexed or not). See document_pass.h.
class MzmlPass final : public MarkupHandler {
  public:
    MzmlPass(MarkupScanner& scanner, OutputSplicer& out, const PassSettings& settings,
             SpectrumCounts& counts);

    void OnStart(const StartTag& tag) override;
    void OnEnd(const EndTag& tag) override;
    void OnText(std::string_view text) override;
    void OnArrayText(std::uint64_t begin, std::uint64_t end) override;
    std::uint64_t HoldFrom() const override { return hold_; }
    std::string Holding() const override;

    // After the scan: copies what follows the document and checks what only the end can tell.
    bool Finish(std::string& error);

  private:
    struct Param {
        std::string accession;
        std::string value;
        std::string unitAccession;
    };
    struct SummaryParam {
        int kind;                            // index into the summary accessions
        std::uint64_t begin, end;            // the whole element
        std::uint64_t valueBegin, valueEnd;  // its value attribute's text, or 0, 0
    };
    struct Array {
        ArrayEncoding encoding;
        int role = 0;  // 1 m/z, 2 intensity, 3 the peak bytes of our export, 0 other
        std::uint64_t declaredEncodedLength = 0;
        bool hasEncodedLength = false;
        std::uint64_t encodedLengthBegin = 0, encodedLengthEnd = 0;
        bool hasArrayLength = false;
        std::uint64_t arrayLength = 0;
        std::uint64_t arrayLengthBegin = 0, arrayLengthEnd = 0;
        bool rangeText = false;                    // text given as an input range (plain base64)
        std::uint64_t textBegin = 0, textEnd = 0;  // the range, or the whole content
        std::string text;                          // the text the parser read otherwise
    };
    struct Frame {
        std::string name;
        std::uint64_t children = 0;
        std::int64_t declaredCount = -1;
    };
    // The softwareList or the dataProcessingList, which each get one entry of ours.
    struct EntryList {
        std::vector<std::string> ids;
        std::uint64_t countBegin = 0, countEnd = 0;  // where the count attribute's value stands
        std::int64_t count = -1;                     // -1: no count attribute, or no list
        std::string indent;                          // of the place our entry goes
        bool onOwnLine = false;
        std::uint64_t lastEnd = 0;    // where the list's end tag begins, or 0
        std::uint64_t missingAt = 0;  // where a list the file lacks goes, or 0
    };

    void Fail(const std::string& what);
    void ApplyParam(const Param& param, const std::string& parent);
    void StartSpectrum(const StartTag& tag);
    // A length attribute of a binaryDataArray: its value and where its text stands. False
    // (having failed the pass) when it is there but no count.
    bool ReadLength(const StartTag& tag, const char* name, bool& present, std::uint64_t& value,
                    std::uint64_t& begin, std::uint64_t& end);
    void EndSpectrum(const EndTag& tag);
    bool FilterSpectrum();
    bool ReadSpectrum();
    bool DecodeRole(int role, DecodedArray& out);
    std::string_view ArrayText(const Array& array) const;
    std::string ArrayName(const Array& array) const;
    void StartEntryList(const StartTag& tag, EntryList& list);
    void EndEntryList(const EndTag& tag, EntryList& list);
    // Our entry goes at `offset`, indented as what stands before it there.
    void PlaceEntry(std::uint64_t offset, EntryList& list);
    // Our entry at the place `list` found for it, in a list of its own when the file has none.
    void AddEntry(EntryList& list, const std::string& listName, const std::string& entry);
    void AddEntries();
    bool WriteIndex();
    std::string Tag(const std::string& name) const { return prefix_ + name; }
    void Release(std::uint64_t upTo);

    MarkupScanner& scanner_;
    OutputSplicer& out_;
    const PassSettings& settings_;
    SpectrumCounts& counts_;
    bool filtering_;

    std::vector<Frame> stack_;
    std::uint64_t hold_ = 0;
    std::string prefix_;  // the namespace prefix of the root element, with its ":"
    bool indexedRoot_ = false;
    bool inHead_ = true;
    std::string msCv_ = "MS";
    std::map<std::string, std::vector<Param>, std::less<>> groups_;
    std::string currentGroup_;
    EntryList software_, processing_;
    std::string brevantoSoftwareId_;

    // The spectrum being read.
    bool inSpectrum_ = false;
    bool inChromatogram_ = false;
    std::uint64_t spectrumBegin_ = 0, spectrumTagEnd_ = 0;
    std::string spectrumId_;
    std::uint64_t spectrumPosition_ = 0;
    std::uint64_t defaultArrayLength_ = 0;
    std::uint64_t lengthBegin_ = 0, lengthEnd_ = 0;
    ScanMetadata scan_;
    bool levelStated_ = false;
    bool ms1Term_ = false;
    int scanCount_ = 0, selectedIons_ = 0;
    std::vector<SummaryParam> summary_;
    std::vector<Array> arrays_;
    std::vector<std::pair<std::string, std::string>> userParams_;
    bool inArray_ = false, inBinary_ = false;
    bool summaryOpen_ = false;  // the last cvParam started is a summary value, not yet ended
    bool hasDefaultArrayLength_ = false;
    bool crlf_ = false;  // the file ends its lines with CR LF: so do the lines we add
    std::string Newline() const { return crlf_ ? "\r\n" : "\n"; }
    std::uint64_t binaryContentBegin_ = 0;
    std::uint64_t spectraSeen_ = 0;

    // Index of the output, spilled to temporary files so that memory does not grow with
    // the number of spectra.
    struct Spill {
        std::FILE* file = nullptr;
        std::uint64_t count = 0;
        ~Spill() {
            if (file != nullptr)
                std::fclose(file);
        }
    };
    Spill spectrumIndex_, chromatogramIndex_;
    bool AddToIndex(Spill& spill, const std::string& id, std::uint64_t offset);

    bool rootEnded_ = false;
    bool wrappedEnded_ = false;
    bool inChecksum_ = false;
    bool sawChecksum_ = false;
    std::string inputChecksum_;
    std::string error_;

    // Reused from spectrum to spectrum.
    DecodedArray mz_, values_;
    std::vector<std::uint8_t> scratch_, scratch2_;
    std::vector<float> masses_;
    std::vector<std::uint64_t> keep_;
    std::string encoded_;
};

}  // namespace mzml
