#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <set>
#include <string_view>
#include <vector>

#include "mzml/byte_sink.h"
#include "mzml/export_names.h"
#include "mzml/hex_bytes.h"
#include "mzml/indexed_mzml_writer.h"
#include "mzml/markup_scanner.h"
#include "mzml/raw_conversion.h"
#include "mzml/raw_scan_source.h"
#include "mzml/spectrum_element.h"
#include "processing/output_path.h"
#include "processing/temporary_output.h"

namespace mzml {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSoftwareId = "Brevanto";
constexpr const char* kInstrumentId = "IC1";
constexpr const char* kSourceFileId = "RAW1";
constexpr const char* kProcessingId = "Brevanto_export";
// An acquisition without scans still gets an index: the schema wants at least one entry, so
// its spectra's total ion current is written as an empty chromatogram.
constexpr const char* kEmptyChromatogramId = "TIC";

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void SyncDirectoryOf(const std::string& path) {
    std::string directory = fs::path(path).parent_path().string();
    if (directory.empty())
        directory = ".";
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Everything before the first spectrum: the file's description, our software and processing,
// and the run with the function records carried for the way back.
std::string DocumentHead(const std::string& inputRaw, const RawScanSource& source) {
    const fs::path input(processing::WithoutTrailingSlashes(inputRaw));
    std::string id = XmlId(input.stem().string());
    const std::set<std::string> fixedIds = {"MS",          "UO",          kSoftwareId,
                                            kInstrumentId, kSourceFileId, kProcessingId};
    if (fixedIds.count(id) != 0) {
        id += "_run";
    }
    bool anyMs1 = false;
    bool anyMsn = false;
    for (const RawScanPlace& place : source.Places()) {
        (place.function == 1 ? anyMs1 : anyMsn) = true;
    }
    std::error_code ignored;
    const fs::path absolute = fs::absolute(input, ignored);

    std::string head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    head += kIndexedMzmlStart;
    head +=
        "  <mzML xmlns=\"http://psi.hupo.org/ms/mzml\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://psi.hupo.org/ms/mzml "
        "http://psidev.info/files/ms/mzML/xsd/mzML1.1.0.xsd\" id=\"" +
        id +
        "\" version=\"1.1.0\">\n"
        "    <cvList count=\"2\">\n"
        "      <cv id=\"MS\" fullName=\"Proteomics Standards Initiative Mass Spectrometry "
        "Ontology\" URI=\"https://raw.githubusercontent.com/HUPO-PSI/psi-ms-CV/master/"
        "psi-ms.obo\"/>\n"
        "      <cv id=\"UO\" fullName=\"Unit Ontology\" URI=\"https://raw.githubusercontent.com/"
        "bio-ontology-research-group/unit-ontology/master/unit.obo\"/>\n"
        "    </cvList>\n"
        "    <fileDescription>\n"
        "      <fileContent>\n";
    if (anyMs1) {
        head +=
            "        <cvParam cvRef=\"MS\" accession=\"MS:1000579\" name=\"MS1 spectrum\" "
            "value=\"\"/>\n";
    }
    if (anyMsn) {
        head +=
            "        <cvParam cvRef=\"MS\" accession=\"MS:1000580\" name=\"MSn spectrum\" "
            "value=\"\"/>\n";
    }
    head +=
        "      </fileContent>\n"
        "      <sourceFileList count=\"1\">\n"
        "        <sourceFile id=\"" +
        std::string(kSourceFileId) + "\" name=\"" + AttributeText(absolute.filename().string()) +
        "\" location=\"" + FileUri(absolute.parent_path().string()) +
        "\">\n"
        "          <cvParam cvRef=\"MS\" accession=\"MS:1000824\" name=\"no nativeID "
        "format\" value=\"\"/>\n"
        "        </sourceFile>\n"
        "      </sourceFileList>\n"
        "    </fileDescription>\n"
        "    <softwareList count=\"1\">\n"
        "      <software id=\"" +
        std::string(kSoftwareId) +
        "\" version=\"" BREVANTO_VERSION
        "\">\n"
        "        <cvParam cvRef=\"MS\" accession=\"MS:1000799\" name=\"custom unreleased "
        "software tool\" value=\"Brevanto\"/>\n"
        "      </software>\n"
        "    </softwareList>\n"
        "    <instrumentConfigurationList count=\"1\">\n"
        "      <instrumentConfiguration id=\"" +
        std::string(kInstrumentId) +
        "\">\n"
        "        <cvParam cvRef=\"MS\" accession=\"MS:1000031\" name=\"instrument model\" "
        "value=\"\"/>\n"
        "      </instrumentConfiguration>\n"
        "    </instrumentConfigurationList>\n"
        "    <dataProcessingList count=\"1\">\n"
        "      <dataProcessing id=\"" +
        std::string(kProcessingId) +
        "\">\n"
        "        <processingMethod order=\"0\" softwareRef=\"" +
        std::string(kSoftwareId) +
        "\">\n"
        "          <cvParam cvRef=\"MS\" accession=\"MS:1000530\" name=\"file format "
        "conversion\" value=\"\"/>\n"
        "          <userParam name=\"Brevanto conversion\" value=\"raw data file to "
        "mzML\"/>\n"
        "        </processingMethod>\n"
        "      </dataProcessing>\n"
        "    </dataProcessingList>\n"
        "    <run id=\"" +
        id + "\" defaultInstrumentConfigurationRef=\"" + kInstrumentId +
        "\" defaultSourceFileRef=\"" + kSourceFileId + "\">\n";
    for (std::int32_t f = 1; f <= source.FunctionCount(); ++f) {
        head += "      <userParam name=\"" + std::string(kFunctionRecordParam) + " " +
                std::to_string(f) + "\" value=\"" + ToHex(source.FunctionRecord(f)) + "\"/>\n";
    }
    head += "      <spectrumList count=\"" + std::to_string(source.Places().size()) +
            "\" defaultDataProcessingRef=\"" + kProcessingId + "\">\n";
    return head;
}

std::string EmptyChromatogramList() {
    return std::string("      <chromatogramList count=\"1\" defaultDataProcessingRef=\"") +
           kProcessingId +
           "\">\n"
           "        <chromatogram index=\"0\" id=\"" +
           kEmptyChromatogramId +
           "\" defaultArrayLength=\"0\">\n"
           "          <cvParam cvRef=\"MS\" accession=\"MS:1000235\" name=\"total ion current "
           "chromatogram\" value=\"\"/>\n"
           "          <binaryDataArrayList count=\"2\">\n"
           "            <binaryDataArray encodedLength=\"0\">\n"
           "              <cvParam cvRef=\"MS\" accession=\"MS:1000523\" name=\"64-bit float\" "
           "value=\"\"/>\n"
           "              <cvParam cvRef=\"MS\" accession=\"MS:1000576\" name=\"no "
           "compression\" value=\"\"/>\n"
           "              <cvParam cvRef=\"MS\" accession=\"MS:1000595\" name=\"time array\" "
           "value=\"\" unitCvRef=\"UO\" unitAccession=\"UO:0000010\" unitName=\"second\"/>\n"
           "              <binary></binary>\n"
           "            </binaryDataArray>\n"
           "            <binaryDataArray encodedLength=\"0\">\n"
           "              <cvParam cvRef=\"MS\" accession=\"MS:1000523\" name=\"64-bit float\" "
           "value=\"\"/>\n"
           "              <cvParam cvRef=\"MS\" accession=\"MS:1000576\" name=\"no "
           "compression\" value=\"\"/>\n"
           "              <cvParam cvRef=\"MS\" accession=\"MS:1000515\" name=\"intensity "
           "array\" value=\"\" unitCvRef=\"MS\" unitAccession=\"MS:1000131\" "
           "unitName=\"number of detector counts\"/>\n"
           "              <binary></binary>\n"
           "            </binaryDataArray>\n"
           "          </binaryDataArrayList>\n"
           "        </chromatogram>\n"
           "      </chromatogramList>\n";
}

// Writes the whole document. False with `error` set: a raw read names the input, a write the
// output (through the sink).
bool WriteDocument(const std::string& inputRaw, RawScanSource& source, IndexedMzmlWriter& writer,
                   std::string& error) {
    const auto writeFailed = [&] {
        error = writer.Error();
        return false;
    };
    if (!writer.Write(DocumentHead(inputRaw, source))) {
        return writeFailed();
    }
    const std::vector<RawScanPlace>& places = source.Places();
    std::vector<std::uint64_t> offsets;
    offsets.reserve(places.size());
    RawExportScan scan;
    SpectrumElementWriter element;
    std::string text;
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (!source.Read(places[i], scan, error)) {
            return false;
        }
        text.assign(kSpectrumIndent);
        offsets.push_back(writer.Offset() + text.size());
        element.Append(scan, i, text);
        if (!writer.Write(text)) {
            return writeFailed();
        }
    }
    std::string tail = "      </spectrumList>\n";
    if (places.empty()) {
        tail += EmptyChromatogramList();
    }
    tail += "    </run>\n  </mzML>\n";
    const std::uint64_t chromatogramOffset = writer.Offset() + tail.find("<chromatogram ");
    if (!writer.Write(tail) || !writer.BeginIndexList(1)) {
        return writeFailed();
    }
    if (places.empty()) {
        if (!writer.BeginIndex("chromatogram") ||
            !writer.WriteIndexEntry(kEmptyChromatogramId, chromatogramOffset)) {
            return writeFailed();
        }
    } else {
        if (!writer.BeginIndex("spectrum")) {
            return writeFailed();
        }
        for (std::size_t i = 0; i < places.size(); ++i) {
            if (!writer.WriteIndexEntry(ExportSpectrumId(places[i].function, places[i].scan),
                                        offsets[i])) {
                return writeFailed();
            }
        }
    }
    if (!writer.EndIndex() || !writer.EndDocument()) {
        return writeFailed();
    }
    return true;
}

}  // namespace

bool ExportMzml(const std::string& inputRaw, const std::string& outputMzml, std::string& error) {
    const std::string refused = processing::CheckFileOutputPath(inputRaw, outputMzml);
    if (!refused.empty()) {
        error = FileMessage(outputMzml, refused);
        return false;
    }
    RawScanSource source;
    try {
        if (!source.Open(inputRaw, error)) {
            return false;
        }
    } catch (const std::bad_alloc&) {
        // The list of scans, when function records claim more than memory holds.
        error = FileMessage(inputRaw, "not enough memory to list its scans");
        return false;
    }

    processing::RemoveStaleTemporaries(outputMzml);
    const std::string temporary = processing::TemporaryPathFor(outputMzml);
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        error = FileMessage(outputMzml, SystemError("cannot create a temporary file beside it"));
        return false;
    }
    processing::RegisterTemporary(temporary);

    bool ok = false;
    {
        const std::unique_ptr<ByteSink> sink = ByteSink::ToDescriptor(fd, false, outputMzml);
        IndexedMzmlWriter writer(*sink);
        try {
            ok = WriteDocument(inputRaw, source, writer, error);
        } catch (const std::bad_alloc&) {
            error = FileMessage(inputRaw, "not enough memory to export it");
        }
        if (ok && !sink->Finish()) {
            error = sink->Error();
            ok = false;
        }
    }
    if (::close(fd) != 0 && ok) {
        error = FileMessage(outputMzml, SystemError("closing the written file failed"));
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), outputMzml.c_str()) != 0) {
        error = FileMessage(outputMzml, SystemError("cannot rename the finished temporary file"));
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        processing::UnregisterTemporary(temporary);
        return false;
    }
    processing::UnregisterTemporary(temporary);
    SyncDirectoryOf(outputMzml);
    return true;
}

}  // namespace mzml
