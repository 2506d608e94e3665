// Writes the tiny part of open_format_fuzzer's seed corpus: small mzML and mzXML documents in
// the shapes the filter meets (indexed or not, zlib or not, 32- or 64-bit, gzipped), made by
// the same builder as the hostile-input tests. Usage: make_open_format_seeds <output directory>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/mzml/hostile_documents.h"

namespace {

bool Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_open_format_seeds <output directory>\n");
        return 2;
    }
    using namespace hostile;
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    MzmlDocument packed = TypicalMzml();
    for (MzmlSpectrum& spectrum : packed.spectra) {
        for (MzmlArray& array : spectrum.arrays) {
            array.zlib = true;
            array.wide = std::string(array.accession) == kMzAccession;
        }
    }
    MzmlDocument plain = TypicalMzml();
    plain.indexed = false;
    MzxmlDocument packedScans = TypicalMzxml();
    for (MzxmlScan& scan : packedScans.scans) {
        scan.zlib = true;
        scan.wide = true;
    }
    const std::vector<std::pair<const char*, std::string>> seeds = {
        {"tiny.mzML", BuildMzml(TypicalMzml())},
        {"tiny_zlib.mzML", BuildMzml(packed)},
        {"tiny_plain.mzML", BuildMzml(plain)},
        {"tiny.mzML.gz", Gzip(BuildMzml(TypicalMzml()))},
        {"tiny.mzXML", BuildMzxml(TypicalMzxml())},
        {"tiny_zlib.mzXML", BuildMzxml(packedScans)},
    };
    for (const auto& [name, bytes] : seeds) {
        if (!Write(dir / name, bytes)) {
            std::fprintf(stderr, "make_open_format_seeds: cannot write %s\n", (dir / name).c_str());
            return 1;
        }
    }
    return 0;
}
