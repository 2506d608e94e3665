#include "tests/mzml/hostile_documents.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <zlib.h>

#include "mzml/base64.h"
#include "mzml/sha1.h"
#include "mzml/zlib_codec.h"

namespace hostile {

namespace {

void AppendLittleEndian(std::uint64_t bits, std::size_t width, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < width; ++i)
        out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void AppendBigEndian(std::uint64_t bits, std::size_t width, std::vector<std::uint8_t>& out) {
    for (std::size_t i = width; i-- > 0;)
        out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

std::uint64_t BitsOf(double value, bool wide) {
    if (wide) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, 8);
        return bits;
    }
    const float narrow = static_cast<float>(value);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &narrow, 4);
    return bits;
}

std::string Base64Of(const std::vector<std::uint8_t>& bytes, bool zlib) {
    std::string text;
    if (!zlib) {
        mzml::Base64Encode(bytes, text);
        return text;
    }
    std::vector<std::uint8_t> packed;
    mzml::ZlibDeflate(bytes, packed);
    mzml::Base64Encode(packed, text);
    return text;
}

std::string Sha1Of(const std::string& text) {
    mzml::Sha1 hash;
    hash.Update(text);
    return hash.HexDigest();
}

std::string MzmlArrayXml(const MzmlArray& array) {
    const std::string text =
        array.text ? *array.text : EncodeValues(array.values, array.wide, array.zlib);
    const std::string length =
        array.encodedLength ? *array.encodedLength : std::to_string(text.size());
    const std::string type =
        array.wide ? R"(<cvParam cvRef="MS" accession="MS:1000523" name="64-bit float" value=""/>)"
                   : R"(<cvParam cvRef="MS" accession="MS:1000521" name="32-bit float" value=""/>)";
    const std::string compression =
        array.compression ? *array.compression
        : array.zlib
            ? R"(<cvParam cvRef="MS" accession="MS:1000574" name="zlib compression" value=""/>)"
            : R"(<cvParam cvRef="MS" accession="MS:1000576" name="no compression" value=""/>)";
    const bool mz = std::strcmp(array.accession, kMzAccession) == 0;
    const std::string role =
        mz ? R"(<cvParam cvRef="MS" accession="MS:1000514" name="m/z array" value="" unitCvRef="MS" unitAccession="MS:1000040" unitName="m/z"/>)"
           : std::string(R"(<cvParam cvRef="MS" accession=")") + array.accession +
                 R"(" name="intensity array" value="" unitCvRef="MS" unitAccession="MS:1000131" unitName="number of detector counts"/>)";
    return "            <binaryDataArray encodedLength=\"" + length + "\">\n              " + type +
           "\n              " + compression + "\n              " + role +
           "\n              <binary>" + text + "</binary>\n            </binaryDataArray>\n";
}

std::string MzmlSpectrumXml(const MzmlSpectrum& spectrum, std::size_t index) {
    const std::size_t values = spectrum.arrays.empty() ? 0 : spectrum.arrays[0].values.size();
    const std::string length =
        spectrum.defaultArrayLength ? *spectrum.defaultArrayLength : std::to_string(values);
    std::string xml = "        <spectrum index=\"" + std::to_string(index) + "\" id=\"" +
                      spectrum.id + "\" defaultArrayLength=\"" + length + "\">\n";
    xml += "          <cvParam cvRef=\"MS\" accession=\"MS:1000511\" name=\"ms level\" value=\"" +
           std::to_string(spectrum.msLevel) + "\"/>\n";
    xml +=
        "          <cvParam cvRef=\"MS\" accession=\"MS:1000127\" name=\"centroid spectrum\" "
        "value=\"\"/>\n";
    const std::string count =
        spectrum.arrayListCount ? *spectrum.arrayListCount : std::to_string(spectrum.arrays.size());
    xml += "          <binaryDataArrayList count=\"" + count + "\">\n";
    for (const MzmlArray& array : spectrum.arrays)
        xml += MzmlArrayXml(array);
    xml += "          </binaryDataArrayList>\n        </spectrum>\n";
    return xml;
}

}  // namespace

const params::CMassRangeList& TestRules() {
    static const params::CMassRangeList rules = [] {
        params::CMassRangeList list;
        list.AddEntry(params::MakeMassRange(1, 100, 2000, 0.2, 100, 100));
        list.AddEntry(params::MakeMassRange(2, 100, 2000, 0.2, 100, 100));
        return list;
    }();
    return rules;
}

MzmlSpectrum PeakSpectrum(const std::string& id, int msLevel, std::vector<double> mz,
                          std::vector<double> intensity) {
    MzmlSpectrum spectrum;
    spectrum.id = id;
    spectrum.msLevel = msLevel;
    MzmlArray mzArray;
    mzArray.values = std::move(mz);
    MzmlArray intensityArray;
    intensityArray.accession = kIntensityAccession;
    intensityArray.values = std::move(intensity);
    spectrum.arrays.push_back(std::move(mzArray));
    spectrum.arrays.push_back(std::move(intensityArray));
    return spectrum;
}

MzmlDocument TypicalMzml() {
    MzmlDocument document;
    document.spectra.push_back(
        PeakSpectrum("scan=1", 1, {150.21, 300.7, 500.15}, {1000, 2000, 3000}));
    document.spectra.push_back(
        PeakSpectrum("scan=2", 2, {120.18, 250.9, 410.25, 777.5}, {10, 20, 30, 40}));
    document.spectra.push_back(PeakSpectrum("scan=3", 1, {200.2, 201.6}, {5, 6}));
    return document;
}

std::string BuildMzml(const MzmlDocument& document) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + document.prolog;
    const char* ns = "xmlns=\"http://psi.hupo.org/ms/mzml\"";
    if (document.indexed) {
        xml += std::string("<indexedmzML ") + ns + ">\n  ";
    }
    xml += std::string("<mzML ") + ns + " version=\"1.1.0\" id=\"hostile\">\n";
    xml += R"(    <cvList count="1">
      <cv id="MS" fullName="Proteomics Standards Initiative Mass Spectrometry Ontology" version="4.1.0" URI="https://raw.githubusercontent.com/HUPO-PSI/psi-ms-CV/master/psi-ms.obo"/>
    </cvList>
    <fileDescription>
      <fileContent>
        <cvParam cvRef="MS" accession="MS:1000579" name="MS1 spectrum" value=""/>
      </fileContent>
    </fileDescription>
    <softwareList count="1">
      <software id="maker" version="1">
        <cvParam cvRef="MS" accession="MS:1000799" name="custom unreleased software tool" value="maker"/>
      </software>
    </softwareList>
    <instrumentConfigurationList count="1">
      <instrumentConfiguration id="IC"/>
    </instrumentConfigurationList>
    <dataProcessingList count="1">
      <dataProcessing id="dp">
        <processingMethod order="1" softwareRef="maker">
          <cvParam cvRef="MS" accession="MS:1000544" name="Conversion to mzML" value=""/>
        </processingMethod>
      </dataProcessing>
    </dataProcessingList>
)";
    xml += "    <run id=\"run\" defaultInstrumentConfigurationRef=\"IC\">\n" + document.runParams;
    xml += "      <spectrumList count=\"" + std::to_string(document.spectra.size()) +
           "\" defaultDataProcessingRef=\"dp\">\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < document.spectra.size(); ++i) {
        offsets.push_back(xml.size());
        xml += MzmlSpectrumXml(document.spectra[i], i);
    }
    xml += "      </spectrumList>\n    </run>\n  </mzML>\n";
    if (!document.indexed)
        return xml;
    const std::size_t indexAt = xml.size() + 2;
    xml += "  <indexList count=\"1\">\n    <index name=\"spectrum\">\n";
    for (std::size_t i = 0; i < document.spectra.size(); ++i) {
        xml += "      <offset idRef=\"" + document.spectra[i].id + "\">" +
               std::to_string(offsets[i] + 8) + "</offset>\n";
    }
    xml += "    </index>\n  </indexList>\n  <indexListOffset>" + std::to_string(indexAt) +
           "</indexListOffset>\n  <fileChecksum>";
    xml += document.fileChecksum ? *document.fileChecksum : Sha1Of(xml);
    xml += "</fileChecksum>\n</indexedmzML>\n";
    return xml;
}

MzxmlDocument TypicalMzxml() {
    MzxmlDocument document;
    MzxmlScan first;
    first.mz = {150.21, 300.7, 500.15};
    first.intensity = {1000, 2000, 3000};
    MzxmlScan second;
    second.num = 2;
    second.msLevel = 2;
    second.mz = {120.18, 250.9, 410.25, 777.5};
    second.intensity = {10, 20, 30, 40};
    document.scans = {first, second};
    return document;
}

std::string BuildMzxml(const MzxmlDocument& document) {
    std::string xml = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<mzXML xmlns="http://sashimi.sourceforge.net/schema_revision/mzXML_3.2">
  <msRun scanCount=")" +
                      document.scanCount.value_or(std::to_string(document.scans.size())) +
                      R"(">
    <parentFile fileName="file:///hostile.raw" fileType="RAWData" fileSha1="0000000000000000000000000000000000000000"/>
    <msInstrument>
      <msManufacturer category="msManufacturer" value="maker"/>
      <msModel category="msModel" value="model"/>
    </msInstrument>
    <dataProcessing centroided="1">
      <software type="conversion" name="maker" version="1"/>
    </dataProcessing>
)";
    std::vector<std::size_t> offsets;
    for (const MzxmlScan& scan : document.scans) {
        std::vector<std::uint8_t> bytes;
        const std::size_t width = scan.wide ? 8 : 4;
        for (std::size_t i = 0; i < scan.mz.size(); ++i) {
            AppendBigEndian(BitsOf(scan.mz[i], scan.wide), width, bytes);
            AppendBigEndian(BitsOf(i < scan.intensity.size() ? scan.intensity[i] : 0, scan.wide),
                            width, bytes);
        }
        std::string text;
        std::size_t compressed = 0;
        if (scan.zlib) {
            std::vector<std::uint8_t> packed;
            mzml::ZlibDeflate(bytes, packed);
            compressed = packed.size();
            mzml::Base64Encode(packed, text);
        } else {
            mzml::Base64Encode(bytes, text);
        }
        if (scan.text)
            text = *scan.text;
        offsets.push_back(xml.size() + 4);
        xml += "    <scan num=\"" + std::to_string(scan.num) + "\" msLevel=\"" +
               std::to_string(scan.msLevel) + "\" peaksCount=\"" +
               (scan.peaksCount ? *scan.peaksCount : std::to_string(scan.mz.size())) +
               "\" polarity=\"+\" centroided=\"1\" retentionTime=\"PT" + std::to_string(scan.num) +
               ".5S\">\n";
        xml += std::string("      <peaks precision=\"") + (scan.wide ? "64" : "32") +
               "\" byteOrder=\"network\" contentType=\"m/z-int\" compressionType=\"" +
               (scan.zlib ? "zlib" : "none") + "\" compressedLen=\"" +
               (scan.compressedLen ? *scan.compressedLen : std::to_string(compressed)) + "\">" +
               text + "</peaks>\n    </scan>\n";
    }
    xml += "  </msRun>\n";
    const std::size_t indexAt = xml.size() + 2;
    xml += "  <index name=\"scan\">\n";
    for (std::size_t i = 0; i < document.scans.size(); ++i) {
        xml += "    <offset id=\"" + std::to_string(document.scans[i].num) + "\">" +
               std::to_string(offsets[i]) + "</offset>\n";
    }
    xml += "  </index>\n  <indexOffset>" + std::to_string(indexAt) + "</indexOffset>\n  <sha1>";
    xml += document.sha1 ? *document.sha1 : Sha1Of(xml);
    xml += "</sha1>\n</mzXML>\n";
    return xml;
}

std::string EncodeValues(const std::vector<double>& values, bool wide, bool zlib) {
    std::vector<std::uint8_t> bytes;
    for (const double value : values)
        AppendLittleEndian(BitsOf(value, wide), wide ? 8 : 4, bytes);
    return Base64Of(bytes, zlib);
}

std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) {
        std::fprintf(stderr, "hostile document: \"%s\" is not in the document\n", from.c_str());
        std::abort();
    }
    return text.replace(at, from.size(), to);
}

std::string Gzip(const std::string& content) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Deflating a gigabyte takes seconds, so one mebibyte of zeros is deflated once, ending in a
// full flush (a byte-aligned block boundary that forgets all history), and that piece is
// repeated: every copy is a valid continuation of the stream.
std::vector<std::uint8_t> ZlibBombOfZeros(std::size_t compressedBytes) {
    const std::vector<std::uint8_t> zeros(std::size_t{1} << 20, 0);
    std::vector<std::uint8_t> piece(zeros.size());
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    stream.next_in = const_cast<Bytef*>(zeros.data());
    stream.avail_in = static_cast<uInt>(zeros.size());
    stream.next_out = piece.data();
    stream.avail_out = static_cast<uInt>(piece.size());
    deflate(&stream, Z_FULL_FLUSH);
    piece.resize(stream.total_out);
    std::uint8_t last[16];
    stream.next_out = last;
    stream.avail_out = sizeof last;
    deflate(&stream, Z_FINISH);
    const std::size_t lastSize = sizeof last - stream.avail_out;
    deflateEnd(&stream);

    std::vector<std::uint8_t> out = {0x78, 0xda};
    std::uint64_t inflated = 0;
    while (out.size() < compressedBytes) {
        out.insert(out.end(), piece.begin(), piece.end());
        inflated += zeros.size();
    }
    out.insert(out.end(), last, last + lastSize);
    // Adler-32 of n zero bytes: the byte sum stays 0 (a = 1), b grows by 1 per byte.
    const std::uint32_t adler = static_cast<std::uint32_t>((inflated % 65521) << 16) | 1u;
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(adler >> shift));
    }
    return out;
}

std::string Utf16Le(const std::string& ascii) {
    std::string out = "\xff\xfe";
    for (const char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

}  // namespace hostile
