#include "mzml/open_format_input.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <pwiz/data/msdata/DefaultReaderList.hpp>
#include <pwiz/data/msdata/MSDataFile.hpp>

namespace {

// The closing tags a complete file ends with (after optional whitespace).
constexpr const char* kMzmlEnds[] = {"</indexedmzML>", "</mzML>"};
constexpr const char* kMzxmlEnds[] = {"</mzXML>"};

// The last non-whitespace bytes of the file, at most `count` of them.
std::string TailOf(const std::string& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (!in || size <= 0) {
        return {};
    }
    const std::streamoff start = std::max<std::streamoff>(0, size - 4096);
    in.seekg(start);
    std::string tail(static_cast<std::size_t>(size - start), '\0');
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    const std::size_t last = tail.find_last_not_of(" \t\r\n");
    if (last == std::string::npos) {
        return {};
    }
    tail.resize(last + 1);
    return tail.size() > count ? tail.substr(tail.size() - count) : tail;
}

template <std::size_t N>
bool EndsWithAny(const std::string& tail, const char* const (&ends)[N]) {
    for (const char* end : ends) {
        const std::string e(end);
        if (tail.size() >= e.size() && tail.compare(tail.size() - e.size(), e.size(), e) == 0) {
            return true;
        }
    }
    return false;
}

// Empty when the file's own index leads to the elements it names, else what does not hold.
// The chromatograms (few) and the first and last spectrum are read as metadata: converters
// have been seen to write an index that points a chromatogram at a spectrum, and the library
// would fail on it only once the output is half written.
std::string IndexProblem(const pwiz::msdata::MSData& msd, bool withChromatograms) {
    try {
        if (const auto& spectra = msd.run.spectrumListPtr; spectra && spectra->size() > 0) {
            for (const std::size_t i : {std::size_t{0}, spectra->size() - 1}) {
                const std::string& id = spectra->spectrumIdentity(i).id;
                if (spectra->spectrum(i, false)->id != id) {
                    return "its index does not lead to spectrum \"" + id + "\"";
                }
            }
        }
        if (const auto& chromatograms = msd.run.chromatogramListPtr;
            chromatograms && withChromatograms) {
            for (std::size_t i = 0; i < chromatograms->size(); ++i) {
                const std::string& id = chromatograms->chromatogramIdentity(i).id;
                if (chromatograms->chromatogram(i, false)->id != id) {
                    return "its index does not lead to chromatogram \"" + id + "\"";
                }
            }
        }
    } catch (const std::exception& e) {
        return std::string(
                   "cannot be read (checking its index against its first and last "
                   "spectrum and its chromatograms): ") +
               e.what();
    }
    return {};
}

}  // namespace

std::string FileMessage(const std::string& path, const std::string& what) {
    return (path.empty() ? std::string("(empty path)") : path) + ": " + what;
}

bool OpenOpenFormatFile(const std::string& path, bool withChromatograms, OpenFormatInput& input,
                        std::string& error) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = FileMessage(path, "no such file");
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = FileMessage(path, "not a regular file");
        return false;
    }
    if (std::filesystem::file_size(path, ec) == 0 || ec) {
        error = FileMessage(path, "the file is empty");
        return false;
    }
    std::ifstream probe(path, std::ios::binary);
    if (!probe) {
        error = FileMessage(path, "cannot be opened for reading");
        return false;
    }
    probe.close();

    pwiz::msdata::ReaderList readers;
    readers.push_back(pwiz::msdata::ReaderPtr(new pwiz::msdata::Reader_mzML));
    readers.push_back(pwiz::msdata::ReaderPtr(new pwiz::msdata::Reader_mzXML));
    try {
        const std::string type = readers.identify(path);
        if (type == "mzML") {
            input.format = OpenFormat::kMzml;
        } else if (type == "mzXML") {
            input.format = OpenFormat::kMzxml;
        } else {
            error = FileMessage(path, "not an mzML or mzXML file");
            return false;
        }
        const std::string tail = TailOf(path, 64);
        const bool complete = input.format == OpenFormat::kMzml ? EndsWithAny(tail, kMzmlEnds)
                                                                : EndsWithAny(tail, kMzxmlEnds);
        if (!complete) {
            error = FileMessage(path, "the file is truncated: it does not end with the closing " +
                                          std::string(input.format == OpenFormat::kMzml
                                                          ? "</mzML> or </indexedmzML>"
                                                          : "</mzXML>") +
                                          " tag");
            return false;
        }
        input.data = std::make_unique<pwiz::msdata::MSDataFile>(path, &readers);
        const std::string problem = IndexProblem(*input.data, withChromatograms);
        if (!problem.empty()) {
            input.data.reset();
            error = FileMessage(path, problem);
            return false;
        }
    } catch (const std::exception& e) {
        input.data.reset();
        error = FileMessage(path, std::string("cannot be read: ") + e.what());
        return false;
    }
    return true;
}
