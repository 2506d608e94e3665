#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "mzml/binary_array.h"
#include "mzml/document_pass.h"
#include "mzml/markup_scanner.h"
#include "mzml/output_splicer.h"
#include "mzml/spectrum_counts.h"

namespace mzml {

// The pass over an mzXML document (2.x or 3.x). See document_pass.h. Scans may nest (an MS2
// scan inside its MS1 scan, as mzXML 2 writers do); a scan's peaks come before its children,
// so a parent is finished, and written, when its first child starts.
class MzxmlPass final : public MarkupHandler {
  public:
    MzxmlPass(MarkupScanner& scanner, OutputSplicer& out, const PassSettings& settings,
              SpectrumCounts& counts);
    ~MzxmlPass() override;

    void OnStart(const StartTag& tag) override;
    void OnEnd(const EndTag& tag) override;
    void OnText(std::string_view text) override;
    void OnArrayText(std::uint64_t begin, std::uint64_t end) override;
    std::uint64_t HoldFrom() const override { return hold_; }
    std::string Holding() const override;

    bool Finish(std::string& error);

  private:
    struct Range {
        std::uint64_t begin = 0, end = 0;
        bool Present() const { return end > begin || begin != 0; }
    };
    struct Scan {
        std::string num;
        std::uint64_t begin = 0, tagEnd = 0;
        std::uint64_t peaksCount = 0;
        bool hasPeaksCount = false;
        Range peaksCountValue, tic, basePeakMz, basePeakIntensity, lowMz, highMz;
        ScanMetadata meta;
        bool levelStated = false;
        bool hasPeaks = false;
        ArrayEncoding encoding;
        bool pairsMzInt = true;
        std::string contentType;
        Range compressedLenValue;
        bool hasCompressedLen = false;
        std::uint64_t compressedLen = 0;
        std::uint64_t peaksContentBegin = 0;
        bool rangeText = false;
        std::uint64_t textBegin = 0, textEnd = 0;
        std::string text;
        bool finished = false;
        int precursors = 0;
    };

    void Fail(const std::string& what);
    void Release(std::uint64_t upTo);
    bool FinishScan(Scan& scan);
    bool FilterScan(Scan& scan);
    bool ReadScan(Scan& scan);
    bool DecodePeaks(Scan& scan);
    std::string_view PeaksText(const Scan& scan) const;
    Range AttributeRange(const StartTag& tag, std::string_view name) const;
    void AddEntry();
    void PlaceEntryBefore(std::uint64_t offset);
    void WriteIndex();
    bool AddToIndex(const std::string& id, std::uint64_t offset);

    MarkupScanner& scanner_;
    OutputSplicer& out_;
    const PassSettings& settings_;
    SpectrumCounts& counts_;
    bool filtering_;
    std::string prefix_;

    std::vector<std::string> stack_;
    std::vector<Scan> scans_;  // the open scans, outermost first
    std::uint64_t hold_ = 0;
    bool inHead_ = true;
    std::uint64_t lastProcessingEnd_ = 0;
    std::string processingIndent_;
    bool processingOnOwnLine_ = false;
    bool entryPlaced_ = false;
    bool entryBefore_ = false;  // the entry goes before an element, not after the last one
    bool crlf_ = false;
    std::int64_t declaredScans_ = -1;
    std::uint64_t scansSeen_ = 0;
    bool inPeaks_ = false;
    bool inPrecursor_ = false;
    std::string precursorText_;
    bool runEnded_ = false;
    bool rootEnded_ = false;
    bool inChecksum_ = false, sawChecksum_ = false;
    std::string inputChecksum_;
    std::string error_;

    std::FILE* index_ = nullptr;

    DecodedArray pairs_;
    std::vector<std::uint8_t> scratch_, scratch2_;
    std::vector<float> masses_;
    std::vector<std::uint64_t> keep_;
    std::string encoded_;
};

}  // namespace mzml
