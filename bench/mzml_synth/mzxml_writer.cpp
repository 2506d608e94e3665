#include <string>
#include <string_view>
#include <vector>

#include "bench/mzml_synth/array_encoder.h"
#include "bench/mzml_synth/sha1_digest.h"
#include "bench/mzml_synth/spectrum_file_writer.h"

namespace {

class MzxmlWriter : public SpectrumFileWriter {
  public:
    MzxmlWriter(SynthOutput& out, const SynthOptions& options)
        : out_(out),
          zlib_(options.compression == SynthCompression::kZlib),
          compressionType_(options.compression == SynthCompression::kZlib ? "zlib" : "none") {}

    void Begin(std::uint64_t spectrumCount) override {
        out_.Append(R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<mzXML xmlns="http://sashimi.sourceforge.net/schema_revision/mzXML_3.2" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="http://sashimi.sourceforge.net/schema_revision/mzXML_3.2 http://sashimi.sourceforge.net/schema_revision/mzXML_3.2/mzXML_idx_3.2.xsd">
  <msRun scanCount=")");
        out_.AppendNumber(spectrumCount);
        // The parent file is notional; its checksum is that of its name.
        Sha1Digest parent;
        constexpr std::string_view kParentName = "file:///synthetic/synthetic_acquisition";
        parent.Update(kParentName.data(), kParentName.size());
        out_.Append(R"(" startTime="PT0S">
    <parentFile fileName=")");
        out_.Append(kParentName);
        out_.Append(R"(" fileType="RAWData" fileSha1=")");
        out_.Append(parent.Finish());
        out_.Append(R"("/>
    <msInstrument msInstrumentID="1">
      <msManufacturer category="msManufacturer" value="synthetic"/>
      <msModel category="msModel" value="synthetic"/>
      <msIonisation category="msIonisation" value="ESI"/>
      <msMassAnalyzer category="msMassAnalyzer" value="TOF"/>
      <msDetector category="msDetector" value="MCP"/>
      <software type="acquisition" name="brevanto_mzml_synth" version="1.0"/>
    </msInstrument>
    <dataProcessing centroided="1">
      <software type="conversion" name="brevanto_mzml_synth" version="1.0"/>
    </dataProcessing>
)");
        offsets_.reserve(spectrumCount);
    }

    void Encode(const SynthSpectrum& s, ArrayEncoder& encoder,
                EncodedArrays& arrays) const override {
        arrays.count = 1;
        arrays.stored[0] = encoder.Encode(NetworkOrderPairs(s.mz, s.intensity, arrays.ordered[0]),
                                          arrays.packed[0]);
    }

    void Write(const SynthSpectrum& s, const EncodedArrays& arrays) override {
        offsets_.push_back(out_.Position() + 4);  // the indentation before "<scan"
        out_.Append("    <scan num=\"");
        out_.AppendNumber(s.index + 1);
        out_.Append("\" scanType=\"Full\" centroided=\"1\" msLevel=\"");
        out_.AppendNumber(static_cast<std::uint64_t>(s.msLevel));
        out_.Append("\" peaksCount=\"");
        out_.AppendNumber(std::uint64_t{s.mz.size()});
        out_.Append("\" polarity=\"+\" retentionTime=\"PT");
        out_.AppendNumber(s.startTimeMinutes * 60.0);
        out_.Append("S\"");
        if (!s.mz.empty()) {
            Attribute("lowMz", s.mz.front());
            Attribute("highMz", s.mz.back());
        }
        Attribute("basePeakMz", s.basePeakMz);
        Attribute("basePeakIntensity", s.basePeakIntensity);
        Attribute("totIonCurrent", s.totalIonCurrent);
        Attribute("startMz", s.scanWindowLow);
        Attribute("endMz", s.scanWindowHigh);
        if (s.msLevel > 1) {
            Attribute("collisionEnergy", 25.0);
        }
        out_.Append(" msInstrumentID=\"1\">\n");
        if (s.msLevel > 1) {
            out_.Append("      <precursorMz precursorScanNum=\"");
            out_.AppendNumber(s.precursor.spectrumIndex + 1);
            out_.Append("\"");
            Attribute("precursorIntensity", s.precursor.intensity);
            out_.Append(" precursorCharge=\"");
            out_.AppendNumber(static_cast<std::uint64_t>(s.precursor.charge));
            out_.Append("\" activationMethod=\"CID\" windowWideness=\"2\">");
            out_.AppendNumber(s.precursor.mz);
            out_.Append("</precursorMz>\n");
        }
        out_.Append("      <peaks compressionType=\"");
        out_.Append(compressionType_);
        out_.Append("\" compressedLen=\"");
        out_.AppendNumber(std::uint64_t{zlib_ ? arrays.stored[0].size() : 0});
        out_.Append("\" precision=\"64\" byteOrder=\"network\" contentType=\"m/z-int\">");
        binaryText_ += AppendBase64(arrays.stored[0], out_);
        out_.Append("</peaks>\n    </scan>\n");
    }

    void End() override {
        out_.Append("  </msRun>\n");
        const std::uint64_t indexOffset = out_.Position() + 2;
        out_.Append("  <index name=\"scan\">\n");
        for (std::uint64_t i = 0; i < offsets_.size(); ++i) {
            out_.Append("    <offset id=\"");
            out_.AppendNumber(i + 1);
            out_.Append("\">");
            out_.AppendNumber(offsets_[i]);
            out_.Append("</offset>\n");
        }
        out_.Append("  </index>\n  <indexOffset>");
        out_.AppendNumber(indexOffset);
        out_.Append("</indexOffset>\n  <sha1>");
        const std::string sha1 = out_.TakeSha1();
        out_.Append(sha1);
        out_.Append("</sha1>\n</mzXML>\n");
    }

    std::uint64_t BinaryTextBytes() const override { return binaryText_; }

  private:
    void Attribute(std::string_view name, double value) {
        out_.Append(" ");
        out_.Append(name);
        out_.Append("=\"");
        out_.AppendNumber(value);
        out_.Append("\"");
    }

    SynthOutput& out_;
    bool zlib_;
    std::string_view compressionType_;
    std::uint64_t binaryText_ = 0;
    std::vector<std::uint64_t> offsets_;
};

}  // namespace

std::unique_ptr<SpectrumFileWriter> MakeMzxmlWriter(SynthOutput& out, const SynthOptions& options) {
    return std::make_unique<MzxmlWriter>(out, options);
}
