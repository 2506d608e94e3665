#include "tests/mzml/open_format_read_back.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "mzml/document_pass.h"

bool ReadOpenFormatBack(const std::string& path, std::size_t& spectra, std::size_t& peaks,
                        std::string& error, bool ignoreChecksums) {
    spectra = 0;
    peaks = 0;
    PassSettings settings;
    settings.ignoreChecksums = ignoreChecksums;
    settings.onSpectrum = [&](const SpectrumPeaks& spectrum, std::string& why) {
        if (spectrum.mz.size() != spectrum.intensity.size()) {
            why = "the reader handed over unequal arrays";
            return false;
        }
        ++spectra;
        peaks += spectrum.mz.size();
        return true;
    };
    PassResult result;
    return RunDocumentPass(path, settings, result, error);
}

std::string ListDirectory(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& name : names)
        list += name + " ";
    return list;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
