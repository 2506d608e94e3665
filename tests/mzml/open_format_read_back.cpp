#include "tests/mzml/open_format_read_back.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "mzml/document_pass.h"
#include "processing/peak_filter.h"

bool ReadOpenFormatBack(const std::string& path, const params::CMassRangeList* rules,
                        ReadBack& result, std::string& error, bool ignoreChecksums) {
    result = ReadBack{};
    std::map<std::int32_t, std::unique_ptr<processing::FunctionFilter>> filters;
    mzml::PassSettings settings;
    settings.ignoreChecksums = ignoreChecksums;
    settings.onSpectrum = [&](const mzml::SpectrumPeaks& spectrum, std::string& why) {
        if (!spectrum.intensity.empty() && spectrum.mz.size() != spectrum.intensity.size()) {
            why = "the reader handed over arrays of unequal length";
            return false;
        }
        ++result.spectra;
        result.peaks += spectrum.mz.size();
        const processing::FunctionFilter* filter = nullptr;
        if (rules != nullptr) {
            auto& slot = filters[spectrum.scan.msLevel];
            if (!slot)
                slot = std::make_unique<processing::FunctionFilter>(*rules, spectrum.scan.msLevel);
            if (!slot->Empty())
                filter = slot.get();
        }
        for (const double mz : spectrum.mz) {
            if (filter == nullptr || filter->Keeps(static_cast<float>(mz))) {
                ++result.peaksTheRulesKeep;
            } else if (result.droppedPeak.empty()) {
                result.droppedPeak =
                    "spectrum " + std::to_string(result.spectra) + ": m/z " + std::to_string(mz);
            }
        }
        return true;
    };
    mzml::PassResult pass;
    return mzml::RunDocumentPass(path, settings, pass, error);
}

std::string CheckFilteredOutput(const ReadBack& input, const std::string& output,
                                const params::CMassRangeList& rules) {
    ReadBack filtered;
    std::string error;
    if (!ReadOpenFormatBack(output, &rules, filtered, error)) {
        return "the reader refuses the output: " + error;
    }
    if (filtered.spectra != input.spectra) {
        return "the output holds " + std::to_string(filtered.spectra) + " spectra, the input " +
               std::to_string(input.spectra);
    }
    if (!filtered.droppedPeak.empty()) {
        return "the output holds a peak the rules drop (" + filtered.droppedPeak + ")";
    }
    if (filtered.peaks != input.peaksTheRulesKeep) {
        return "the output holds " + std::to_string(filtered.peaks) +
               " peaks where the rules keep " + std::to_string(input.peaksTheRulesKeep);
    }
    return "";
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
