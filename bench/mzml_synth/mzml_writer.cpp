#include <string>
#include <string_view>
#include <vector>

#include "bench/mzml_synth/array_encoder.h"
#include "bench/mzml_synth/base64_encoder.h"
#include "bench/mzml_synth/spectrum_file_writer.h"

namespace {

enum class Unit { kNone, kMz, kCounts, kMinute, kElectronvolt };

constexpr std::string_view kHeader =
    R"(<?xml version="1.0" encoding="utf-8"?>
<indexedmzML xmlns="http://psi.hupo.org/ms/mzml" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="http://psi.hupo.org/ms/mzml http://psidev.info/files/ms/mzML/xsd/mzML1.1.2_idx.xsd">
  <mzML xmlns="http://psi.hupo.org/ms/mzml" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="http://psi.hupo.org/ms/mzml http://psidev.info/files/ms/mzML/xsd/mzML1.1.0.xsd" id="synthetic_run" version="1.1.0">
    <cvList count="2">
      <cv id="MS" fullName="Proteomics Standards Initiative Mass Spectrometry Ontology" version="4.1.30" URI="https://raw.githubusercontent.com/HUPO-PSI/psi-ms-CV/master/psi-ms.obo"/>
      <cv id="UO" fullName="Unit Ontology" version="09:04:2014" URI="https://raw.githubusercontent.com/bio-ontology-research-group/unit-ontology/master/unit.obo"/>
    </cvList>
    <fileDescription>
      <fileContent>
        <cvParam cvRef="MS" accession="MS:1000579" name="MS1 spectrum" value=""/>
        <cvParam cvRef="MS" accession="MS:1000580" name="MSn spectrum" value=""/>
        <cvParam cvRef="MS" accession="MS:1000235" name="total ion current chromatogram" value=""/>
      </fileContent>
      <sourceFileList count="1">
        <sourceFile id="acquisition" name="synthetic_acquisition" location="file:///synthetic">
          <cvParam cvRef="MS" accession="MS:1000776" name="scan number only nativeID format" value=""/>
          <cvParam cvRef="MS" accession="MS:1000584" name="mzML format" value=""/>
        </sourceFile>
      </sourceFileList>
    </fileDescription>
    <referenceableParamGroupList count="1">
      <referenceableParamGroup id="CommonInstrumentParams">
        <cvParam cvRef="MS" accession="MS:1000031" name="instrument model" value=""/>
        <cvParam cvRef="MS" accession="MS:1000529" name="instrument serial number" value="SYN-0001"/>
      </referenceableParamGroup>
    </referenceableParamGroupList>
    <softwareList count="1">
      <software id="brevanto_mzml_synth" version="1.0">
        <cvParam cvRef="MS" accession="MS:1000799" name="custom unreleased software tool" value="brevanto_mzml_synth"/>
      </software>
    </softwareList>
    <instrumentConfigurationList count="1">
      <instrumentConfiguration id="IC1">
        <referenceableParamGroupRef ref="CommonInstrumentParams"/>
        <componentList count="3">
          <source order="1">
            <cvParam cvRef="MS" accession="MS:1000073" name="electrospray ionization" value=""/>
          </source>
          <analyzer order="2">
            <cvParam cvRef="MS" accession="MS:1000084" name="time-of-flight" value=""/>
          </analyzer>
          <detector order="3">
            <cvParam cvRef="MS" accession="MS:1000114" name="microchannel plate detector" value=""/>
          </detector>
        </componentList>
        <softwareRef ref="brevanto_mzml_synth"/>
      </instrumentConfiguration>
    </instrumentConfigurationList>
    <dataProcessingList count="1">
      <dataProcessing id="synthesis">
        <processingMethod order="0" softwareRef="brevanto_mzml_synth">
          <cvParam cvRef="MS" accession="MS:1000035" name="peak picking" value=""/>
          <cvParam cvRef="MS" accession="MS:1000544" name="Conversion to mzML" value=""/>
        </processingMethod>
      </dataProcessing>
    </dataProcessingList>
    <run id="synthetic_run" defaultInstrumentConfigurationRef="IC1" startTimeStamp="2026-01-01T08:00:00Z" defaultSourceFileRef="acquisition">
      <spectrumList count=")";

class MzmlWriter : public SpectrumFileWriter {
  public:
    MzmlWriter(SynthOutput& out, const SynthOptions& options)
        : out_(out),
          encoder_(options.compression, options.zlibLevel),
          compressionParam_(
              options.compression == SynthCompression::kZlib
                  ? R"(<cvParam cvRef="MS" accession="MS:1000574" name="zlib compression" value=""/>)"
                  : R"(<cvParam cvRef="MS" accession="MS:1000576" name="no compression" value=""/>)") {
    }

    void Begin(std::uint64_t spectrumCount) override {
        out_.Append(kHeader);
        out_.AppendNumber(spectrumCount);
        out_.Append("\" defaultDataProcessingRef=\"synthesis\">\n");
        offsets_.reserve(spectrumCount);
    }

    void Encode(const SynthSpectrum& s, ArrayEncoder& encoder,
                EncodedArrays& arrays) const override {
        arrays.count = 2;
        arrays.stored[0] =
            encoder.Encode(LittleEndianBytes(s.mz, arrays.ordered[0]), arrays.packed[0]);
        arrays.stored[1] =
            encoder.Encode(LittleEndianBytes(s.intensity, arrays.ordered[1]), arrays.packed[1]);
    }

    void Write(const SynthSpectrum& s, const EncodedArrays& arrays) override {
        offsets_.push_back(out_.Position() + 8);  // the indentation before "<spectrum"
        out_.Append("        <spectrum index=\"");
        out_.AppendNumber(s.index);
        out_.Append("\" id=\"scan=");
        out_.AppendNumber(s.index + 1);
        out_.Append("\" defaultArrayLength=\"");
        out_.AppendNumber(std::uint64_t{s.mz.size()});
        out_.Append("\">\n");
        constexpr std::string_view in = "          ";
        Cv(in, "MS:1000511", "ms level", static_cast<std::uint64_t>(s.msLevel));
        Cv(in, s.msLevel == 1 ? "MS:1000579" : "MS:1000580",
           s.msLevel == 1 ? "MS1 spectrum" : "MSn spectrum");
        Cv(in, "MS:1000127", "centroid spectrum");
        Cv(in, "MS:1000130", "positive scan");
        if (!s.mz.empty()) {
            Cv(in, "MS:1000528", "lowest observed m/z", s.mz.front(), Unit::kMz);
            Cv(in, "MS:1000527", "highest observed m/z", s.mz.back(), Unit::kMz);
        }
        Cv(in, "MS:1000504", "base peak m/z", s.basePeakMz, Unit::kMz);
        Cv(in, "MS:1000505", "base peak intensity", s.basePeakIntensity, Unit::kCounts);
        Cv(in, "MS:1000285", "total ion current", s.totalIonCurrent);
        out_.Append(R"(          <scanList count="1">
            <cvParam cvRef="MS" accession="MS:1000795" name="no combination" value=""/>
            <scan instrumentConfigurationRef="IC1">
)");
        constexpr std::string_view scanIn = "              ";
        Cv(scanIn, "MS:1000016", "scan start time", s.startTimeMinutes, Unit::kMinute);
        out_.Append(R"(              <scanWindowList count="1">
                <scanWindow>
)");
        constexpr std::string_view windowIn = "                  ";
        Cv(windowIn, "MS:1000501", "scan window lower limit", s.scanWindowLow, Unit::kMz);
        Cv(windowIn, "MS:1000500", "scan window upper limit", s.scanWindowHigh, Unit::kMz);
        out_.Append(R"(                </scanWindow>
              </scanWindowList>
            </scan>
          </scanList>
)");
        if (s.msLevel > 1) {
            WritePrecursor(s.precursor);
        }
        out_.Append("          <binaryDataArrayList count=\"2\">\n");
        WriteArray(arrays.stored[0], true, "MS:1000514", "m/z array", Unit::kMz);
        WriteArray(arrays.stored[1], false, "MS:1000515", "intensity array", Unit::kCounts);
        out_.Append("          </binaryDataArrayList>\n        </spectrum>\n");
        if (s.msLevel == 1) {
            ticMinutes_.push_back(s.startTimeMinutes);
            ticIntensity_.push_back(static_cast<float>(s.totalIonCurrent));
        }
    }

    void End() override {
        out_.Append(R"(      </spectrumList>
      <chromatogramList count="1" defaultDataProcessingRef="synthesis">
)");
        const std::uint64_t chromatogramOffset = out_.Position() + 8;
        out_.Append(R"(        <chromatogram index="0" id="TIC" defaultArrayLength=")");
        out_.AppendNumber(std::uint64_t{ticMinutes_.size()});
        out_.Append("\">\n");
        Cv("          ", "MS:1000235", "total ion current chromatogram");
        out_.Append("          <binaryDataArrayList count=\"2\">\n");
        EncodedArrays& arrays = chromatogramArrays_;
        WriteArray(
            encoder_.Encode(LittleEndianBytes(ticMinutes_, arrays.ordered[0]), arrays.packed[0]),
            true, "MS:1000595", "time array", Unit::kMinute);
        WriteArray(
            encoder_.Encode(LittleEndianBytes(ticIntensity_, arrays.ordered[1]), arrays.packed[1]),
            false, "MS:1000515", "intensity array", Unit::kCounts);
        out_.Append(R"(          </binaryDataArrayList>
        </chromatogram>
      </chromatogramList>
    </run>
  </mzML>
)");
        const std::uint64_t indexListOffset = out_.Position() + 2;
        out_.Append("  <indexList count=\"2\">\n    <index name=\"spectrum\">\n");
        for (std::uint64_t i = 0; i < offsets_.size(); ++i) {
            out_.Append("      <offset idRef=\"scan=");
            out_.AppendNumber(i + 1);
            out_.Append("\">");
            out_.AppendNumber(offsets_[i]);
            out_.Append("</offset>\n");
        }
        out_.Append(R"(    </index>
    <index name="chromatogram">
      <offset idRef="TIC">)");
        out_.AppendNumber(chromatogramOffset);
        out_.Append("</offset>\n    </index>\n  </indexList>\n  <indexListOffset>");
        out_.AppendNumber(indexListOffset);
        out_.Append("</indexListOffset>\n  <fileChecksum>");
        const std::string sha1 = out_.TakeSha1();
        out_.Append(sha1);
        out_.Append("</fileChecksum>\n</indexedmzML>\n");
    }

    std::uint64_t BinaryTextBytes() const override { return binaryText_; }

  private:
    void UnitAttributes(Unit unit) {
        switch (unit) {
            case Unit::kNone:
                break;
            case Unit::kMz:
                out_.Append(R"( unitCvRef="MS" unitAccession="MS:1000040" unitName="m/z")");
                break;
            case Unit::kCounts:
                out_.Append(
                    R"( unitCvRef="MS" unitAccession="MS:1000131" unitName="number of detector counts")");
                break;
            case Unit::kMinute:
                out_.Append(R"( unitCvRef="UO" unitAccession="UO:0000031" unitName="minute")");
                break;
            case Unit::kElectronvolt:
                out_.Append(
                    R"( unitCvRef="UO" unitAccession="UO:0000266" unitName="electronvolt")");
                break;
        }
    }

    void CvStart(std::string_view indent, std::string_view accession, std::string_view name) {
        out_.Append(indent);
        out_.Append(R"(<cvParam cvRef="MS" accession=")");
        out_.Append(accession);
        out_.Append(R"(" name=")");
        out_.Append(name);
        out_.Append(R"(" value=")");
    }

    void Cv(std::string_view indent, std::string_view accession, std::string_view name) {
        CvStart(indent, accession, name);
        out_.Append("\"/>\n");
    }

    template <typename T>
    void Cv(std::string_view indent, std::string_view accession, std::string_view name, T value,
            Unit unit = Unit::kNone) {
        CvStart(indent, accession, name);
        if constexpr (std::is_integral_v<T>) {
            out_.AppendNumber(static_cast<std::uint64_t>(value));
        } else {
            out_.AppendNumber(static_cast<double>(value));
        }
        out_.Append("\"");
        UnitAttributes(unit);
        out_.Append("/>\n");
    }

    void WritePrecursor(const SynthPrecursor& p) {
        out_.Append(R"(          <precursorList count="1">
            <precursor spectrumRef="scan=)");
        out_.AppendNumber(p.spectrumIndex + 1);
        out_.Append("\">\n              <isolationWindow>\n");
        constexpr std::string_view in = "                ";
        Cv(in, "MS:1000827", "isolation window target m/z", p.mz, Unit::kMz);
        Cv(in, "MS:1000828", "isolation window lower offset", 1.0, Unit::kMz);
        Cv(in, "MS:1000829", "isolation window upper offset", 1.0, Unit::kMz);
        out_.Append(R"(              </isolationWindow>
              <selectedIonList count="1">
                <selectedIon>
)");
        constexpr std::string_view ionIn = "                  ";
        Cv(ionIn, "MS:1000744", "selected ion m/z", p.mz, Unit::kMz);
        Cv(ionIn, "MS:1000041", "charge state", static_cast<std::uint64_t>(p.charge));
        Cv(ionIn, "MS:1000042", "peak intensity", p.intensity, Unit::kCounts);
        out_.Append(R"(                </selectedIon>
              </selectedIonList>
              <activation>
)");
        Cv(in, "MS:1000133", "collision-induced dissociation");
        Cv(in, "MS:1000045", "collision energy", 25.0, Unit::kElectronvolt);
        out_.Append(R"(              </activation>
            </precursor>
          </precursorList>
)");
    }

    void WriteArray(std::span<const std::uint8_t> stored, bool wide, std::string_view accession,
                    std::string_view name, Unit unit) {
        out_.Append("            <binaryDataArray encodedLength=\"");
        out_.AppendNumber(std::uint64_t{Base64Length(stored.size())});
        out_.Append("\">\n");
        constexpr std::string_view in = "              ";
        if (wide) {
            Cv(in, "MS:1000523", "64-bit float");
        } else {
            Cv(in, "MS:1000521", "32-bit float");
        }
        out_.Append(in);
        out_.Append(compressionParam_);
        out_.Append("\n");
        CvStart(in, accession, name);
        out_.Append("\"");
        UnitAttributes(unit);
        out_.Append("/>\n              <binary>");
        binaryText_ += AppendBase64(stored, out_);
        out_.Append("</binary>\n            </binaryDataArray>\n");
    }

    SynthOutput& out_;
    ArrayEncoder encoder_;
    std::string_view compressionParam_;
    EncodedArrays chromatogramArrays_;
    std::uint64_t binaryText_ = 0;
    std::vector<std::uint64_t> offsets_;
    std::vector<double> ticMinutes_;
    std::vector<float> ticIntensity_;
};

}  // namespace

std::unique_ptr<SpectrumFileWriter> MakeMzmlWriter(SynthOutput& out, const SynthOptions& options) {
    return std::make_unique<MzmlWriter>(out, options);
}
