// The raw data library alone, without a generator in the way: writes an acquisition of
// pre-generated scans (4 functions x 9,550 scans x 1,000 peaks with statistics, about 344 MB,
// made durable as RawCreateClose does), reads it back, and times CRC32C on both paths.
//
// The files go to $RAW_BENCH_DIR, or to the current directory: run it from a build directory
// on a disk, not a RAM disk, or the durability costs nothing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "rawio/raw_api.h"

#include "crc32c.h"

namespace {

constexpr int kFunctions = 4;
constexpr std::uint32_t kScans = 9550;
constexpr std::uint32_t kPeaks = 1000;
constexpr std::size_t kDistinctScans = 64;  // cycled, so the data is not one repeated block

struct Scan {
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> stats;
};

const std::vector<Scan>& Scans() {
    static const std::vector<Scan> scans = [] {
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> step(0.01f, 1.2f);
        std::vector<Scan> all(kDistinctScans);
        for (Scan& s : all) {
            float mass = 50.0f;
            for (std::uint32_t i = 0; i < kPeaks; ++i) {
                mass += step(rng);
                s.masses.push_back(mass);
                s.intensities.push_back(static_cast<std::uint32_t>(rng() >> 8));
                s.bytes.push_back(static_cast<std::uint8_t>(rng()));
            }
            s.stats.resize(kStatsRecordSize);
            for (auto& b : s.stats) {
                b = static_cast<std::uint8_t>(rng());
            }
        }
        return all;
    }();
    return scans;
}

std::string BenchPath() {
    const char* dir = std::getenv("RAW_BENCH_DIR");
    const std::filesystem::path base = dir != nullptr ? dir : std::filesystem::current_path();
    return (base / ("raw-write-bench-" + std::to_string(::getpid()) + ".raw")).string();
}

bool Check(RawStatus status, benchmark::State& state, const char* what) {
    if (status != kRawOk) {
        state.SkipWithError(what);
        return false;
    }
    return true;
}

bool WriteAcquisition(const std::string& path, benchmark::State& state) {
    static const std::vector<std::uint8_t> headerRecord(kHeaderRecordSize, 1);
    static const std::vector<std::uint8_t> headerBlock = [] {
        std::vector<std::uint8_t> block(kHeaderBlockSize, 0);
        for (std::size_t i = 0; i < block.size(); i += 4099) {
            block[i] = static_cast<std::uint8_t>(i);
        }
        return block;
    }();
    RawHandle w = 0;
    if (!Check(RawCreateOpen(path.c_str(), &w), state, "create open") ||
        !Check(RawCreateHeader(w, headerRecord.data(), headerBlock.data()), state, "header")) {
        return false;
    }
    const std::uint32_t header[6] = {1, 0, 7, 8, 9, 1};
    std::vector<std::uint8_t> table;
    for (int f = 1; f <= kFunctions; ++f) {
        if (!Check(RawCreateScanFile(w, f, 0, 1), state, "scan file") ||
            !Check(RawStatsCreateFile(w, f, 0), state, "stats file")) {
            return false;
        }
        for (std::uint32_t s = 0; s < kScans; ++s) {
            const Scan& scan = Scans()[s % kDistinctScans];
            if (RawCreateScansEx(w, f, 0, 1, header, kPeaks, scan.masses.data(),
                                 scan.intensities.data(), scan.bytes.data(), 1) != kRawOk ||
                RawStatsCreateRecord(w, f, 0, scan.stats.data()) != kRawOk) {
                state.SkipWithError("scan");
                return false;
            }
        }
        if (!Check(RawCreateScansEnd(w, f, 0, 1), state, "scans end") ||
            !Check(RawStatsCreateEnd(w, f, 0), state, "stats end")) {
            return false;
        }
        std::vector<std::uint8_t> record(kFunctionRecordSize, 0);
        record[1] = 1 << 2;  // scan file code 1 in bits 10..13 of word 0
        for (std::size_t i = 0; i < 4; ++i) {
            record[kFunctionRecordScanCountOffset + i] =
                static_cast<std::uint8_t>(kScans >> (8 * i));
        }
        table.insert(table.end(), record.begin(), record.end());
    }
    return Check(RawCreateFunctions(w, kFunctions, table.data()), state, "functions") &&
           Check(RawCreateClose(w), state, "close");
}

std::uint64_t AcquisitionBytes() {
    return std::uint64_t{kFunctions} * kScans * (kPeaks * 9 + kStatsRecordSize);
}

void BM_WriteAcquisition(benchmark::State& state) {
    const std::string path = BenchPath();
    Scans();
    for (auto _ : state) {
        if (!WriteAcquisition(path, state)) {
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(AcquisitionBytes()) * state.iterations());
    std::filesystem::remove_all(path);
}
BENCHMARK(BM_WriteAcquisition)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_ReadAcquisition(benchmark::State& state) {
    const std::string path = BenchPath();
    if (!WriteAcquisition(path, state)) {
        return;
    }
    std::vector<std::uint8_t> headerRecord(kHeaderRecordSize);
    std::vector<std::uint8_t> headerBlock(kHeaderBlockSize);
    std::vector<float> masses(kPeaks);
    std::vector<std::uint32_t> intensities(kPeaks);
    std::vector<std::uint8_t> bytes(kPeaks);
    std::uint8_t info[kScanInfoSize];
    std::uint8_t stats[kStatsRecordSize];
    std::uint8_t record[kFunctionRecordSize];
    for (auto _ : state) {
        RawHandle r = 0;
        std::uint16_t functions = 0;
        if (!Check(RawReadOpen(path.c_str(), &r), state, "read open") ||
            !Check(RawReadHeader(r, headerRecord.data(), headerBlock.data(), &functions, nullptr),
                   state, "read header")) {
            break;
        }
        for (std::int32_t f = 1; f <= functions; ++f) {
            std::uint8_t statsFile[kStatsFileSize];
            if (!Check(RawReadFuncInfo(r, f, record, nullptr), state, "function info") ||
                !Check(RawReadFuncInit(r, f, 0, 0, record, headerBlock.data()), state, "init") ||
                !Check(RawReadGetStatsFile(r, f, 0, statsFile), state, "stats file")) {
                break;
            }
            for (std::uint32_t s = 1; s <= kScans; ++s) {
                std::uint32_t capacity = kPeaks;
                if (RawReadSpectrum(r, f, 0, static_cast<std::int32_t>(s), 1, &capacity, info,
                                    masses.data(), intensities.data(), bytes.data(), 0) != kRawOk ||
                    RawStatsReadEntry(statsFile, static_cast<std::int32_t>(s), stats) != kRawOk) {
                    state.SkipWithError("read scan");
                    break;
                }
            }
            RawReadFuncEnd(r, f, 0);
        }
        benchmark::DoNotOptimize(masses.data());
        RawReadClose(r);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(AcquisitionBytes()) * state.iterations());
    std::filesystem::remove_all(path);
}
BENCHMARK(BM_ReadAcquisition)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

const std::vector<std::uint8_t>& CrcData() {
    static const std::vector<std::uint8_t> data = [] {
        std::vector<std::uint8_t> d((1u << 20) + 64);
        std::mt19937 rng(3);
        for (auto& b : d) {
            b = static_cast<std::uint8_t>(rng());
        }
        return d;
    }();
    return data;
}

void BM_Crc32c(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::uint8_t* p = CrcData().data() + 1;  // unaligned on purpose
    for (auto _ : state) {
        benchmark::DoNotOptimize(rawio::Crc32c(p, size));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size) * state.iterations());
    state.SetLabel(rawio::Crc32cHasHardware() ? "hardware" : "portable");
}
BENCHMARK(BM_Crc32c)->Arg(64)->Arg(1000)->Arg(4000)->Arg(65536)->Arg(1 << 20);

void BM_Crc32cPortable(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::uint8_t* p = CrcData().data() + 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rawio::Crc32cExtendPortable(0, p, size));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size) * state.iterations());
}
BENCHMARK(BM_Crc32cPortable)->Arg(4000)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
