#pragma once

#include <memory>
#include <string>

namespace pwiz::msdata {
class MSDataFile;
}

// Opening an mzML or mzXML file for reading, with the checks that turn every bad input into a
// message naming the file instead of a crash or a quietly short read.

enum class OpenFormat { kMzml, kMzxml };

struct OpenFormatInput {
    OpenFormat format = OpenFormat::kMzml;
    std::unique_ptr<pwiz::msdata::MSDataFile> data;  // spectra are read lazily through it
};

// Opens `path`. The format is told by content, not by extension: anything the library does not
// identify as mzML or mzXML is refused. A file whose last bytes are not the closing tag of its
// root element is refused as truncated, because the library would otherwise rebuild an index
// over the spectra that remain and read a cut file as a shorter, complete one. So is a file
// whose index leads elsewhere than it says (checked for the first and last spectrum and, with
// `withChromatograms`, for every chromatogram). On failure returns false and puts
// "<path>: <what is wrong>" into `error`.
bool OpenOpenFormatFile(const std::string& path, bool withChromatograms, OpenFormatInput& input,
                        std::string& error);

// "<path>: <what>" for messages about a file; also used for exceptions of the library, whose
// texts name the routine that threw rather than the file.
std::string FileMessage(const std::string& path, const std::string& what);
