#include "tests/mzml/variation_documents.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>

#include <openssl/sha.h>

#include "params/mass_range.h"

// The variations are tables of designated initializers that name only what differs; GCC warns
// about every member left to its default there.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using mzml::NumpressEncode;
using mzml::NumpressKind;

namespace {

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    static const char* const kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = (std::uint32_t{bytes[i]} << 16) |
                                (i + 1 < bytes.size() ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                (i + 2 < bytes.size() ? std::uint32_t{bytes[i + 2]} : 0);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
    }
    return out;
}

std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 6) != Z_OK) {
        ADD_FAILURE() << "zlib cannot compress";
    }
    out.resize(size);
    return out;
}

template <typename T>
std::vector<std::uint8_t> LittleEndian(const std::vector<double>& values, bool bigEndian = false) {
    std::vector<std::uint8_t> bytes;
    for (const double v : values) {
        const T t = static_cast<T>(v);
        std::uint8_t b[sizeof(T)];
        std::memcpy(b, &t, sizeof(T));
        if (bigEndian)
            std::reverse(b, b + sizeof(T));
        bytes.insert(bytes.end(), b, b + sizeof(T));
    }
    return bytes;
}

const char* TypeTerm(Kind kind) {
    switch (kind) {
        case Kind::kF32:
            return R"(accession="MS:1000521" name="32-bit float")";
        case Kind::kF64:
            return R"(accession="MS:1000523" name="64-bit float")";
        case Kind::kI32:
            return R"(accession="MS:1000519" name="32-bit integer")";
        case Kind::kI64:
            return R"(accession="MS:1000522" name="64-bit integer")";
    }
    return "";
}

std::string CompressionTerm(const ArraySpec& spec) {
    if (spec.numpress) {
        static const char* const kPlain[] = {"MS:1002312", "MS:1002313", "MS:1002314"};
        static const char* const kZlib[] = {"MS:1002746", "MS:1002747", "MS:1002748"};
        const int k = static_cast<int>(*spec.numpress);
        return std::string("accession=\"") + (spec.zlib ? kZlib[k] : kPlain[k]) +
               "\" name=\"MS-Numpress compression\"";
    }
    return spec.zlib ? R"(accession="MS:1000574" name="zlib compression")"
                     : R"(accession="MS:1000576" name="no compression")";
}

std::string Encode(const std::vector<double>& values, const ArraySpec& spec) {
    std::vector<std::uint8_t> bytes;
    if (spec.numpress) {
        // Fixed points chosen for the test's values: libmsnumpress' "optimal" linear one looks
        // at predictions, not values, and can pick one the encoder then refuses.
        const double fixedPoint = *spec.numpress == NumpressKind::kLinear ? 1e5
                                  : *spec.numpress == NumpressKind::kSlof ? 1000
                                                                          : 0;
        NumpressEncode(*spec.numpress, values, fixedPoint, bytes);
    } else {
        switch (spec.kind) {
            case Kind::kF32:
                bytes = LittleEndian<float>(values);
                break;
            case Kind::kF64:
                bytes = LittleEndian<double>(values);
                break;
            case Kind::kI32:
                bytes = LittleEndian<std::int32_t>(values);
                break;
            case Kind::kI64:
                bytes = LittleEndian<std::int64_t>(values);
                break;
        }
    }
    if (spec.zlib && !values.empty())
        bytes = Zlib(bytes);
    return Base64(bytes);
}

std::string EscapeAttribute(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Summary values as a converter writes them: from all the spectrum's peaks.
void SummaryParams(const TestSpectrum& s, const std::string& p, std::vector<std::string>& lines,
                   const std::string& indent, bool endTags) {
    double tic = 0, base = 0, baseMz = 0;
    for (std::size_t i = 0; i < s.mz.size(); ++i) {
        tic += s.intensity[i];
        if (s.intensity[i] > base) {
            base = s.intensity[i];
            baseMz = s.mz[i];
        }
    }
    auto param = [&](const char* accession, const char* name, double value) {
        std::ostringstream text;
        text.precision(17);
        text << value;
        lines.push_back(indent + "<" + p + "cvParam cvRef=\"MS\" accession=\"" + accession +
                        "\" name=\"" + name + "\" value=\"" + text.str() +
                        (endTags ? "\"></" + p + "cvParam>" : "\"/>"));
    };
    param("MS:1000285", "total ion current", tic);
    if (!s.mz.empty()) {
        param("MS:1000504", "base peak m/z", baseMz);
        param("MS:1000505", "base peak intensity", base);
        param("MS:1000528", "lowest observed m/z", s.mz.front());
        param("MS:1000527", "highest observed m/z", s.mz.back());
    }
}

}  // namespace

std::vector<TestSpectrum> Spectra(bool emptyOne, bool levelless, const std::string& oddId) {
    std::vector<TestSpectrum> spectra = {
        {"scan=1",
         1,
         {100.05, 100.21, 150.35, 200.75, 300.91, 412.48, 555.12, 600.33},
         {10, 200, 30, 4000, 50, 60, 700, 8}},
        {oddId.empty() ? "scan=2" : oddId,
         2,
         {110.1, 114.11, 115.108, 201.5, 250.62, 377.7},
         {5, 15, 25, 35, 45, 55}},
        {"scan=3", 1, emptyOne ? std::vector<double>{} : std::vector<double>{99.4, 150.6, 300.2},
         emptyOne ? std::vector<double>{} : std::vector<double>{7, 8, 9}},
    };
    if (levelless)
        spectra.push_back({"scan=4", 0, {120.3, 130.4, 140.7}, {1, 2, 3}});
    return spectra;
}

void PrintTo(const MzmlVariation& v, std::ostream* out) {
    *out << v.name;
}

std::string MzmlDocument(const MzmlVariation& v) {
    const std::string& p = v.prefix;
    std::vector<std::string> lines;
    auto add = [&](const std::string& line) { lines.push_back(line); };
    auto between = [&](const std::string& indent) {
        if (v.commentsAndInstructions) {
            add(indent + "<!-- a comment of a converter: <not a tag> -->");
            add(indent + "<?converter note=\"kept\"?>");
        }
    };
    if (!v.noDeclaration) {
        add("<?xml version=\"1.0\" encoding=\"" + v.declaredEncoding + "\"?>");
    }
    if (!v.headComment.empty())
        add("<!-- " + v.headComment + " -->");
    add("<" + p + "mzML xmlns" + (p.empty() ? "" : ":" + p.substr(0, p.size() - 1)) +
        "=\"http://psi.hupo.org/ms/mzml\" version=\"1.1.0\">");
    add("  <" + p + "cvList count=\"2\">");
    add("    <" + p +
        "cv id=\"MS\" fullName=\"Proteomics Standards Initiative Mass "
        "Spectrometry Ontology\" URI=\"https://raw.githubusercontent.com/HUPO-PSI/psi-ms-CV/"
        "master/psi-ms.obo\"/>");
    add("    <" + p +
        "cv id=\"UO\" fullName=\"Unit Ontology\" URI=\"http://ontologies.berkeleybop"
        ".org/uo.obo\"/>");
    add("  </" + p + "cvList>");
    between("  ");
    add("  <" + p + "fileDescription>");
    add("    <" + p + "fileContent>");
    add("      <" + p +
        "cvParam cvRef=\"MS\" accession=\"MS:1000579\" name=\"MS1 spectrum\" "
        "value=\"\"/>");
    add("    </" + p + "fileContent>");
    add("  </" + p + "fileDescription>");
    if (v.paramGroups) {
        add("  <" + p + "referenceableParamGroupList count=\"3\">");
        add("    <" + p + "referenceableParamGroup id=\"mzArray\">");
        add("      <" + p + "cvParam cvRef=\"MS\" accession=\"MS:1000514\" name=\"m/z array\"/>");
        add("      <" + p + "cvParam cvRef=\"MS\" " + TypeTerm(v.mz.kind) + "/>");
        add("      <" + p + "cvParam cvRef=\"MS\" " + CompressionTerm(v.mz) + "/>");
        add("    </" + p + "referenceableParamGroup>");
        add("    <" + p + "referenceableParamGroup id=\"ms1\">");
        add("      <" + p +
            "cvParam cvRef=\"MS\" accession=\"MS:1000511\" name=\"ms level\" "
            "value=\"1\"/>");
        add("    </" + p + "referenceableParamGroup>");
        add("    <" + p + "referenceableParamGroup id=\"ms2\">");
        add("      <" + p +
            "cvParam cvRef=\"MS\" accession=\"MS:1000511\" name=\"ms level\" "
            "value=\"2\"/>");
        add("    </" + p + "referenceableParamGroup>");
        add("  </" + p + "referenceableParamGroupList>");
    }
    if (!v.noLists) {
        add("  <" + p + "softwareList count=\"1\">");
        add("    <" + p + "software id=\"converter\" version=\"1.0\">");
        add("      <" + p +
            "cvParam cvRef=\"MS\" accession=\"MS:1000799\" name=\"custom unreleased "
            "software tool\" value=\"converter\"/>");
        add("    </" + p + "software>");
        add("  </" + p + "softwareList>");
    }
    add("  <" + p + "instrumentConfigurationList count=\"1\">");
    add("    <" + p + "instrumentConfiguration id=\"IC\">");
    add("      <" + p +
        "cvParam cvRef=\"MS\" accession=\"MS:1000031\" name=\"instrument "
        "model\" value=\"\"/>");
    add("    </" + p + "instrumentConfiguration>");
    add("  </" + p + "instrumentConfigurationList>");
    if (!v.noLists) {
        add("  <" + p + "dataProcessingList count=\"1\">");
        add("    <" + p + "dataProcessing id=\"conversion\">");
        add("      <" + p + "processingMethod order=\"0\" softwareRef=\"converter\">");
        add("        <" + p +
            "cvParam cvRef=\"MS\" accession=\"MS:1000544\" name=\"Conversion to "
            "mzML\" value=\"\"/>");
        add("      </" + p + "processingMethod>");
        add("    </" + p + "dataProcessing>");
        add("  </" + p + "dataProcessingList>");
    }
    between("  ");
    add("  <" + p + "run id=\"run\" defaultInstrumentConfigurationRef=\"IC\">");

    auto writeArray = [&](const std::string& indent, const std::vector<double>& values,
                          const ArraySpec& spec, bool viaGroup, const std::string& lengthAttr) {
        std::string text = Encode(values, spec);
        const std::size_t encodedLength = text.size();
        if (v.wrappedBase64) {
            for (std::size_t at = 76; at < text.size(); at += 77)
                text.insert(at, "\n");
        }
        const std::string length = !lengthAttr.empty() || !v.arrayLengthEverywhere
                                       ? lengthAttr
                                       : " arrayLength=\"" + std::to_string(values.size()) + "\"";
        add(indent + "<" + p + "binaryDataArray" + length + " encodedLength=\"" +
            std::to_string(encodedLength) + "\">");
        if (viaGroup) {
            add(indent + "  <" + p + "referenceableParamGroupRef ref=\"mzArray\"/>");
        } else {
            add(indent + "  <" + p + "cvParam cvRef=\"MS\" " + TypeTerm(spec.kind) + "/>");
            add(indent + "  <" + p + "cvParam cvRef=\"MS\" " + CompressionTerm(spec) + "/>");
            add(indent + "  <" + p + "cvParam cvRef=\"MS\" accession=\"" + spec.role +
                "\" name=\"array\"/>");
        }
        between(indent + "  ");
        if (v.cdata) {
            add(indent + "  <" + p + "binary><![CDATA[" + text + "]]></" + p + "binary>");
        } else if (text.empty()) {
            add(indent + "  <" + p + "binary/>");
        } else {
            add(indent + "  <" + p + "binary>" + text + "</" + p + "binary>");
        }
        add(indent + "</" + p + "binaryDataArray>");
    };

    if (!v.chromatogramsOnly) {
        std::vector<TestSpectrum> spectra;
        for (int copy = 0; copy < v.copies; ++copy) {
            for (TestSpectrum s : Spectra(v.emptySpectrum, v.levelless, v.oddId)) {
                if (copy > 0)
                    s.id += " copy=" + std::to_string(copy);
                spectra.push_back(std::move(s));
            }
        }
        if (v.bigSpectrumPeaks > 0) {
            TestSpectrum big{"scan=big", 1, {}, {}};
            for (std::size_t i = 0; i < v.bigSpectrumPeaks; ++i) {
                big.mz.push_back(100.0 + static_cast<double>(i) / 1024.0);
                big.intensity.push_back(static_cast<double>(i % 1000));
            }
            spectra.push_back(std::move(big));
        }
        if (v.droppedSpectrum) {
            // Fractions 0.9, 0.95 and 0: outside the MS1 window.
            spectra.push_back({"scan=9", 1, {101.9, 250.95, 310.0}, {4, 5, 6}});
        }
        add("    <" + p + "spectrumList count=\"" + std::to_string(spectra.size()) +
            "\" defaultDataProcessingRef=\"conversion\">");
        for (std::size_t i = 0; i < spectra.size(); ++i) {
            const TestSpectrum& s = spectra[i];
            add("      <" + p + "spectrum index=\"" + std::to_string(i) + "\" id=\"" +
                EscapeAttribute(s.id) + "\" defaultArrayLength=\"" + std::to_string(s.mz.size()) +
                "\">");
            if (s.level == 1 && v.ms1TermOnly) {
                add("        <" + p +
                    "cvParam cvRef=\"MS\" accession=\"MS:1000579\" name=\"MS1 spectrum\" "
                    "value=\"\"/>");
            } else if (s.level > 0 && v.paramGroups) {
                add("        <" + p + "referenceableParamGroupRef ref=\"ms" +
                    std::to_string(s.level) + "\"/>");
            } else if (s.level > 0) {
                add("        <" + p +
                    "cvParam cvRef=\"MS\" accession=\"MS:1000511\" name=\"ms "
                    "level\" value=\"" +
                    std::to_string(s.level) + "\"/>");
            }
            between("        ");
            SummaryParams(s, p, lines, "        ", v.summaryEndTags);
            const int arrays = 2 + (v.chargeArray ? 1 : 0) + (v.otherLengthArray ? 1 : 0);
            add("        <" + p + "binaryDataArrayList count=\"" + std::to_string(arrays) + "\">");
            if (v.intensityArrayFirst) {
                writeArray("          ", s.intensity, v.intensity, false, "");
            }
            writeArray("          ", s.mz, v.mz, v.paramGroups, "");
            if (!v.intensityArrayFirst) {
                writeArray("          ", s.intensity, v.intensity, false, "");
            }
            if (v.chargeArray) {
                std::vector<double> charges;
                for (std::size_t k = 0; k < s.mz.size(); ++k)
                    charges.push_back(double(k % 4));
                writeArray("          ", charges, {"MS:1000516", Kind::kI32}, false, "");
            }
            if (v.otherLengthArray) {
                writeArray("          ", {1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5},
                           {"MS:1000820", Kind::kF32}, false, " arrayLength=\"9\"");
            }
            add("        </" + p + "binaryDataArrayList>");
            add("      </" + p + "spectrum>");
        }
        add("    </" + p + "spectrumList>");
    }
    add("    <" + p + "chromatogramList count=\"1\" defaultDataProcessingRef=\"conversion\">");
    add("      <" + p + "chromatogram index=\"0\" id=\"TIC\" defaultArrayLength=\"3\">");
    add("        <" + p +
        "cvParam cvRef=\"MS\" accession=\"MS:1000235\" name=\"total ion "
        "current chromatogram\" value=\"\"/>");
    add("        <" + p + "binaryDataArrayList count=\"2\">");
    writeArray("          ", {0.1, 0.2, 0.3}, {"MS:1000595", Kind::kF64}, false, "");
    writeArray("          ", {100, 200, 300}, {"MS:1000515", Kind::kF32}, false, "");
    add("        </" + p + "binaryDataArrayList>");
    add("      </" + p + "chromatogram>");
    add("    </" + p + "chromatogramList>");
    add("  </" + p + "run>");
    add("</" + p + "mzML>");
    std::string document = v.byteOrderMark ? "\xef\xbb\xbf" : "";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        document += lines[i];
        if (i + 1 < lines.size() || v.trailingNewline)
            document += v.newline;
    }
    return document;
}

std::vector<MzmlVariation> MzmlVariations() {
    std::vector<MzmlVariation> all;
    auto add = [&](MzmlVariation v) { all.push_back(std::move(v)); };
    add({.name = "Plain"});
    add({.name = "Latin1WithNonAsciiComment",
         .declaredEncoding = "ISO-8859-1",
         .headComment = "converted at the Universit\xe4t, \xa9 2009"});
    add({.name = "ParameterGroupsHoldArrayTypesAndLevel",
         .paramGroups = true,
         .mz = {"MS:1000514", Kind::kF64, true}});
    add({.name = "SpectrumWithoutLevel", .levelless = true});
    add({.name = "IdWithSpacesQuotesAmpersands", .oddId = "scan=2 name=\"a & b\" <x>"});
    add({.name = "CdataAroundBase64", .cdata = true, .mz = {"MS:1000514", Kind::kF64, true}});
    add({.name = "CommentsAndInstructionsBetweenElements", .commentsAndInstructions = true});
    add({.name = "NamespacePrefixOnEveryElement", .prefix = "mz:"});
    add({.name = "EmptySpectrum", .emptySpectrum = true});
    add({.name = "EmptySpectrumZlib",
         .emptySpectrum = true,
         .mz = {"MS:1000514", Kind::kF64, true},
         .intensity = {"MS:1000515", Kind::kF32, true}});
    add({.name = "Int32Intensities", .intensity = {"MS:1000515", Kind::kI32}});
    add({.name = "Int64IntensitiesZlib", .intensity = {"MS:1000515", Kind::kI64, true}});
    add({.name = "Float32Everything",
         .mz = {"MS:1000514", Kind::kF32},
         .intensity = {"MS:1000515", Kind::kF32, true}});
    add({.name = "ChargeArrayAndArrayOfOtherLength",
         .chargeArray = true,
         .otherLengthArray = true});
    for (const bool zlib : {false, true}) {
        const std::string suffix = zlib ? "Zlib" : "";
        add({.name = zlib ? "NumpressLinearPicZlib" : "NumpressLinearPic",
             .mz = {"MS:1000514", Kind::kF64, zlib, NumpressKind::kLinear},
             .intensity = {"MS:1000515", Kind::kF32, zlib, NumpressKind::kPic}});
        add({.name = zlib ? "NumpressLinearSlofZlib" : "NumpressLinearSlof",
             .mz = {"MS:1000514", Kind::kF64, zlib, NumpressKind::kLinear},
             .intensity = {"MS:1000515", Kind::kF32, zlib, NumpressKind::kSlof}});
    }
    add({.name = "ChromatogramsOnly", .chromatogramsOnly = true});
    add({.name = "SpectrumLosesEveryPeak", .droppedSpectrum = true});
    add({.name = "SpectrumLosesEveryPeakWithSummaryEndTags",
         .droppedSpectrum = true,
         .summaryEndTags = true});
    add({.name = "SpectrumLosesEveryPeakNumpress",
         .mz = {"MS:1000514", Kind::kF64, false, NumpressKind::kLinear},
         .intensity = {"MS:1000515", Kind::kF32, false, NumpressKind::kSlof},
         .droppedSpectrum = true});
    add({.name = "LevelOnlyByMs1SpectrumTerm", .ms1TermOnly = true});
    add({.name = "IntensityArrayBeforeMz", .intensityArrayFirst = true});
    add({.name = "Utf8ByteOrderMark", .byteOrderMark = true});
    add({.name = "Base64InLinesOf76", .wrappedBase64 = true});
    add({.name = "ArrayLengthOnEveryArray", .arrayLengthEverywhere = true});
    add({.name = "NoSoftwareOrProcessingList", .noLists = true});
    add({.name = "NoXmlDeclaration", .noDeclaration = true});
    add({.name = "OneLongLine", .newline = "", .copies = 400});
    add({.name = "NoTrailingNewline", .trailingNewline = false});
    add({.name = "WindowsLineEnds", .newline = "\r\n"});
    return all;
}

void PrintTo(const MzxmlVariation& v, std::ostream* out) {
    *out << v.name;
}

std::string MzxmlDocument(const MzxmlVariation& v) {
    const std::string& p = v.prefix;
    auto peaks = [&](const TestSpectrum& s) {
        std::vector<double> pairs;
        for (std::size_t i = 0; i < s.mz.size(); ++i) {
            pairs.push_back(s.mz[i]);
            pairs.push_back(s.intensity[i]);
        }
        std::vector<std::uint8_t> bytes = v.precision == 64 ? LittleEndian<double>(pairs, true)
                                                            : LittleEndian<float>(pairs, true);
        std::string attributes = "precision=\"" + std::to_string(v.precision) +
                                 "\" byteOrder=\"network\" " +
                                 (v.contentType ? "contentType" : "pairOrder") + "=\"m/z-int\"";
        if (v.zlib) {
            if (!bytes.empty())
                bytes = Zlib(bytes);
            attributes +=
                " compressionType=\"zlib\" compressedLen=\"" + std::to_string(bytes.size()) + "\"";
        }
        if (bytes.empty())
            return "<" + p + "peaks " + attributes + "/>";
        return "<" + p + "peaks " + attributes + ">" + Base64(bytes) + "</" + p + "peaks>";
    };
    auto scanTag = [&](const TestSpectrum& s, int num) {
        double tic = 0;
        for (const double i : s.intensity)
            tic += i;
        std::ostringstream tag;
        tag.precision(17);
        tag << "<" << p << "scan num=\"" << num << "\" msLevel=\"" << s.level << "\" peaksCount=\""
            << s.mz.size() << "\" polarity=\"+\" retentionTime=\"PT" << num << ".5S\"";
        if (!s.mz.empty()) {
            tag << " lowMz=\"" << s.mz.front() << "\" highMz=\"" << s.mz.back() << "\"";
        }
        tag << " totIonCurrent=\"" << tic << "\">";
        return tag.str();
    };
    const auto s = Spectra(v.emptyScan, false, "");
    const TestSpectrum ms2b{"scan=4", 2, {300.55, 301.05, 302.65}, {9, 8, 7}};
    const TestSpectrum dropped{"scan=9", 1, {101.9, 250.95, 310.0}, {4, 5, 6}};
    const std::string ns = p.empty() ? "xmlns" : "xmlns:" + p.substr(0, p.size() - 1);
    std::string doc = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<" + p + "mzXML " + ns +
                      "=\"http://sashimi.sourceforge.net/schema_revision/mzXML_" +
                      (v.nested ? "2.1" : "3.1") + "\">\n  <" + p + "msRun scanCount=\"" +
                      (v.droppedScan ? "5" : "4") +
                      "\" startTime=\"PT1.5S\" endTime=\"PT4.5S\">\n    <" + p +
                      "parentFile fileName=\"run.raw\" fileType=\"RAWData\" "
                      "fileSha1=\"0000000000000000000000000000000000000000\"/>\n    <" +
                      p + "dataProcessing centroided=\"1\">\n      <" + p +
                      "software type=\"conversion\" name=\"converter\" version=\"1.0\"/>\n    </" +
                      p + "dataProcessing>\n";
    std::vector<std::pair<int, std::size_t>> offsets;
    auto open = [&](const TestSpectrum& spectrum, int num, const std::string& indent,
                    const char* precursor) {
        offsets.emplace_back(num, doc.size() + indent.size());
        doc += indent + scanTag(spectrum, num) + "\n";
        if (precursor != nullptr) {
            doc += indent + "  <" + p + "precursorMz precursorIntensity=\"60\">" + precursor +
                   "</" + p + "precursorMz>\n";
        }
        doc += indent + "  " + peaks(spectrum) + "\n";
    };
    auto close = [&](const std::string& indent) { doc += indent + "</" + p + "scan>\n"; };
    const std::string inner = v.nested ? "      " : "    ";
    open(s[0], 1, "    ", nullptr);
    if (!v.nested)
        close("    ");
    open(s[1], 2, inner, "412.48");
    close(inner);
    open(ms2b, 3, inner, "555.12");
    close(inner);
    if (v.nested)
        close("    ");
    open(s[2], 4, "    ", nullptr);
    close("    ");
    if (v.droppedScan) {
        open(dropped, 5, "    ", nullptr);
        close("    ");
    }
    doc += "  </" + p + "msRun>\n";
    if (v.indexed) {
        const std::size_t indexOffset = doc.size();
        doc += "  <" + p + "index name=\"scan\">\n";
        for (const auto& [num, offset] : offsets) {
            doc += "    <" + p + "offset id=\"" + std::to_string(num) + "\">" +
                   std::to_string(offset) + "</" + p + "offset>\n";
        }
        doc += "  </" + p + "index>\n  <" + p + "indexOffset>" + std::to_string(indexOffset) +
               "</" + p + "indexOffset>\n  <" + p + "sha1>";
        unsigned char digest[SHA_DIGEST_LENGTH];
        SHA1(reinterpret_cast<const unsigned char*>(doc.data()), doc.size(), digest);
        char hex[2 * SHA_DIGEST_LENGTH + 1];
        for (int i = 0; i < SHA_DIGEST_LENGTH; ++i) {
            std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
        }
        doc += std::string(hex) + "</" + p + "sha1>\n";
    }
    doc += "</" + p + "mzXML>\n";
    return doc;
}

std::vector<MzxmlVariation> MzxmlVariations() {
    std::vector<MzxmlVariation> all;
    all.push_back({.name = "Version2NestedScansZlib64"});
    all.push_back({.name = "Version3Flat32Plain",
                   .nested = false,
                   .precision = 32,
                   .zlib = false,
                   .contentType = true});
    all.push_back({.name = "EmptyScan", .nested = false, .emptyScan = true});
    all.push_back({.name = "EmptyScanZlib32", .nested = false, .precision = 32, .emptyScan = true});
    all.push_back({.name = "ScanLosesEveryPeak", .nested = false, .droppedScan = true});
    all.push_back({.name = "IndexedWithTrueSha1", .nested = false, .indexed = true});
    all.push_back({.name = "NamespacePrefixOnEveryElement", .indexed = true, .prefix = "mx:"});
    return all;
}

params::CMassRangeList VariationRules() {
    params::CMassRangeList rules;
    rules.AddEntry(
        params::MakeMassRange(1, 0, 100000, 0.3, 200, 200));  // MS1: fraction in (0.1, 0.5)
    rules.AddEntry(params::MakeMassRange(2, 0, 100000, 0.6, 150, 150));  // MS2: (0.45, 0.75)
    return rules;
}
