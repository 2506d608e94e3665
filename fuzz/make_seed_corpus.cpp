// Writes the seed corpus of raw_read_fuzzer: a few tiny acquisitions created through the API,
// each packed into the fuzz container format. Usage: make_seed_corpus <output directory>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_container.h"
#include "rawio/raw_api.h"

namespace {

struct Shape {
    const char* name;
    int functions;
    int scans;
    bool stats;
    bool extended;
    int channels;
    int history;
};

bool Create(const std::string& path, const Shape& shape) {
    RawHandle w = 0;
    if (RawCreateOpen(path.c_str(), &w) != kRawOk) {
        return false;
    }
    std::vector<std::uint8_t> headerRecord(kHeaderRecordSize, 0);
    std::vector<std::uint8_t> headerBlock(kHeaderBlockSize, 0);
    headerRecord[0] = 1;
    // A few scattered values and a short non-zero stretch: several segments to decode.
    headerBlock[0] = 7;
    headerBlock[1000] = 2;
    headerBlock[1010] = 3;
    for (std::size_t i = 0; i < 40; ++i) {
        headerBlock[200000 + i] = static_cast<std::uint8_t>(i + 1);
    }
    headerBlock[kHeaderBlockSize - 1] = 9;
    bool ok = RawCreateHeader(w, headerRecord.data(), headerBlock.data()) == kRawOk;
    std::vector<std::uint8_t> table;
    for (int f = 1; ok && f <= shape.functions; ++f) {
        const std::int32_t code = f;
        ok = RawCreateScanFile(w, f, 0, code) == kRawOk &&
             (!shape.stats || RawStatsCreateFile(w, f, 0) == kRawOk);
        for (int s = 0; ok && s < shape.scans; ++s) {
            const std::uint32_t header[6] = {static_cast<std::uint32_t>(s & 1),
                                             static_cast<std::uint32_t>((s >> 1) & 1),
                                             7,
                                             8,
                                             static_cast<std::uint32_t>(9 + s),
                                             1};
            const float masses[3] = {100.5f, 200.25f, 300.125f};
            const std::uint32_t intensities[3] = {10, 20, 30};
            const std::uint8_t bytes[3] = {1, 2, 3};
            ok = RawCreateScansEx(w, f, 0, code, header, static_cast<std::uint32_t>(s % 4), masses,
                                  intensities, bytes, 1) == kRawOk;
            const std::vector<std::uint8_t> stats(kStatsRecordSize, static_cast<std::uint8_t>(s));
            ok = ok && (!shape.stats || RawStatsCreateRecord(w, f, 0, stats.data()) == kRawOk);
        }
        ok = ok && RawCreateScansEnd(w, f, 0, code) == kRawOk &&
             (!shape.stats || RawStatsCreateEnd(w, f, 0) == kRawOk);
        ok = ok && (!shape.extended || RawEECreateFile(w, f, 0) == kRawOk);
        for (int e = 0; ok && shape.extended && e < shape.scans; ++e) {
            const std::uint8_t ee[kEERecordSize] = {5, 6, 7, static_cast<std::uint8_t>(e)};
            ok = RawEECreateRecord(w, f, 0, ee) == kRawOk;
        }
        ok = ok && (!shape.extended || RawEECreateEnd(w, f, 0) == kRawOk);
        std::vector<std::uint8_t> record(kFunctionRecordSize, 0);
        record[1] = static_cast<std::uint8_t>(code << 2);  // bits 10..13 of word 0
        record[18] = static_cast<std::uint8_t>(shape.scans);
        table.insert(table.end(), record.begin(), record.end());
    }
    ok = ok &&
         RawCreateFunctions(w, static_cast<std::uint16_t>(shape.functions), table.data()) == kRawOk;
    if (ok && shape.channels > 0) {
        std::vector<std::uint8_t> infos(kChannelInfoSize * static_cast<std::size_t>(shape.channels),
                                        4);
        ok = RawCreateAnalogInf(w, static_cast<std::uint16_t>(shape.channels), infos.data()) ==
                 kRawOk &&
             RawCreateAnalogFile(w) == kRawOk;
        for (int k = 0; ok && k < shape.channels; ++k) {
            const std::uint32_t a[2] = {1, 2};
            const std::uint32_t b[2] = {3, 4};
            ok = RawCreateAnalogDataScans(w, k, static_cast<std::uint32_t>(k % 3), a, b) == kRawOk;
        }
        ok = ok && RawCreateAnalogEnd(w) == kRawOk;
    }
    if (ok && shape.history > 0) {
        std::vector<std::uint8_t> info(kProcessInfoSize, 0);
        info[2] = static_cast<std::uint8_t>(shape.history);
        std::vector<std::uint8_t> records(
            kProcessRecordSize * static_cast<std::size_t>(shape.history), 'h');
        ok = RawHistUpdateInfo(w, info.data(), records.data()) == kRawOk;
    }
    if (!ok) {
        RawCreateAbandon(w);
        return false;
    }
    return RawCreateClose(w) == kRawOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seed_corpus <output directory>\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("rawio-seeds-" + std::to_string(::getpid()));
    const Shape shapes[] = {
        {"bare", 0, 0, false, false, 0, 0},        {"one-function", 1, 2, false, false, 0, 0},
        {"stats-ee", 1, 3, true, true, 0, 0},      {"two-functions", 2, 2, true, false, 1, 1},
        {"everything", 2, 3, true, true, 2, 2},    {"many-scans", 1, 24, true, true, 3, 1},
        {"analog-only", 1, 1, false, false, 4, 0}, {"history-only", 1, 1, false, false, 0, 5},
    };
    for (const Shape& shape : shapes) {
        const std::string path = (work / (std::string(shape.name) + ".raw")).string();
        std::filesystem::create_directories(work);
        if (!Create(path, shape)) {
            std::fprintf(stderr, "could not create seed %s\n", shape.name);
            return 1;
        }
        std::string packed;
        rawfuzz::Files expected;
        const auto& names = rawfuzz::FileNames();
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::ifstream in(std::filesystem::path(path) / names[i], std::ios::binary);
            if (in) {
                expected.bytes[i].assign(std::istreambuf_iterator<char>(in), {});
                expected.present[i] = true;
                rawfuzz::Pack(packed, i, expected.bytes[i]);
            }
        }
        // The seed is worth nothing unless the fuzzer unpacks exactly these files.
        rawfuzz::Files unpacked;
        rawfuzz::Unpack(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size(),
                        unpacked);
        if (unpacked.present != expected.present || unpacked.bytes != expected.bytes) {
            std::fprintf(stderr, "seed %s does not unpack to its files\n", shape.name);
            return 1;
        }
        std::ofstream(out / (std::string("seed-") + shape.name), std::ios::binary) << packed;
    }
    std::filesystem::remove_all(work);
    return 0;
}
