// The byte layer of the open formats on arrays shaped like real ones: base64 against OpenSSL's
// block codec timed in the same run (the "ratio" counter is ours over theirs in speed), and
// zlib arrays through libdeflate and, for the gzip output of whole files, zlib's deflate at a
// few levels (the "ratio" counter there is compressed over original size); then whole files
// written through ByteSink and read through ByteSource.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libdeflate.h>
#include <openssl/evp.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "mzml/base64.h"
#include "mzml/byte_sink.h"
#include "mzml/byte_source.h"
#include "mzml/zlib_codec.h"

using mzml::Base64Decode;
using mzml::Base64Encode;
using mzml::ByteSink;
using mzml::ByteSource;
using mzml::ZlibDeflate;
using mzml::ZlibInflate;

namespace {

constexpr std::size_t kPeaks = 50'000;

// An m/z array and an intensity array as 64-bit floats, the bytes mzML stores.
std::vector<std::uint8_t> ArrayBytes() {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> step(0.0005, 0.02);
    std::lognormal_distribution<double> intensity(8, 2);
    std::vector<double> values;
    double mz = 150;
    for (std::size_t i = 0; i < kPeaks; ++i) {
        mz += step(rng);
        values.push_back(mz);
    }
    for (std::size_t i = 0; i < kPeaks; ++i) {
        values.push_back(i % 3 == 0 ? 0.0 : std::round(intensity(rng)));
    }
    std::vector<std::uint8_t> bytes(values.size() * sizeof(double));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

const std::vector<std::uint8_t>& Array() {
    static const std::vector<std::uint8_t> bytes = ArrayBytes();
    return bytes;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Runs ours and theirs alternately on the same input, so both see the same machine load.
template <typename Ours, typename Theirs>
void Race(benchmark::State& state, std::size_t bytesPerRun, Ours ours, Theirs theirs) {
    Clock::duration oursTime{};
    Clock::duration theirsTime{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        ours();
        const auto t1 = Clock::now();
        theirs();
        const auto t2 = Clock::now();
        oursTime += t1 - t0;
        theirsTime += t2 - t1;
    }
    const double runs = static_cast<double>(state.iterations());
    const double megabytes = static_cast<double>(bytesPerRun) * runs / 1e6;
    state.counters["ours_MBps"] = megabytes / Seconds(oursTime);
    state.counters["openssl_MBps"] = megabytes / Seconds(theirsTime);
    state.counters["ratio"] = Seconds(theirsTime) / Seconds(oursTime);
}

void Base64Decode_VsOpenSsl(benchmark::State& state) {
    std::string text;
    Base64Encode(Array(), text);
    std::vector<std::uint8_t> ours;
    std::vector<std::uint8_t> theirs(text.size() / 4 * 3);
    Race(
        state, text.size(),
        [&] {
            Base64Decode(text, Array().size(), ours);
            benchmark::DoNotOptimize(ours.data());
        },
        [&] {
            benchmark::DoNotOptimize(
                EVP_DecodeBlock(theirs.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size())));
        });
}
BENCHMARK(Base64Decode_VsOpenSsl)->Unit(benchmark::kMillisecond);

void Base64Encode_VsOpenSsl(benchmark::State& state) {
    std::string ours;
    std::string theirs(Array().size() / 3 * 4 + 5, '\0');
    Race(
        state, Array().size(),
        [&] {
            ours.clear();
            Base64Encode(Array(), ours);
            benchmark::DoNotOptimize(ours.data());
        },
        [&] {
            benchmark::DoNotOptimize(
                EVP_EncodeBlock(reinterpret_cast<unsigned char*>(theirs.data()), Array().data(),
                                static_cast<int>(Array().size())));
        });
}
BENCHMARK(Base64Encode_VsOpenSsl)->Unit(benchmark::kMillisecond);

void ZlibDeflate_Array(benchmark::State& state) {
    std::vector<std::uint8_t> packed;
    for (auto _ : state) {
        ZlibDeflate(Array(), packed);
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Array().size()));
    state.counters["ratio"] =
        static_cast<double>(packed.size()) / static_cast<double>(Array().size());
}
BENCHMARK(ZlibDeflate_Array)->Unit(benchmark::kMillisecond);

void ZlibInflate_Array(benchmark::State& state) {
    std::vector<std::uint8_t> packed;
    ZlibDeflate(Array(), packed);
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        ZlibInflate(packed, Array().size(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Array().size()));
}
BENCHMARK(ZlibInflate_Array)->Unit(benchmark::kMillisecond);

// The level ZlibDeflate uses, chosen from these: size against time on the arrays.
void ArrayDeflate_Level(benchmark::State& state) {
    libdeflate_compressor* compressor =
        libdeflate_alloc_compressor(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> packed(libdeflate_zlib_compress_bound(compressor, Array().size()));
    std::size_t size = 0;
    for (auto _ : state) {
        size = libdeflate_zlib_compress(compressor, Array().data(), Array().size(), packed.data(),
                                        packed.size());
        benchmark::DoNotOptimize(packed.data());
    }
    libdeflate_free_compressor(compressor);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Array().size()));
    state.counters["ratio"] = static_cast<double>(size) / static_cast<double>(Array().size());
}
BENCHMARK(ArrayDeflate_Level)->Arg(1)->Arg(3)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond);

// zlib's own inflate of the same stream, for comparison with libdeflate's.
void ZlibInflate_ZlibItself(benchmark::State& state) {
    std::vector<std::uint8_t> packed;
    ZlibDeflate(Array(), packed);
    std::vector<std::uint8_t> out(Array().size());
    for (auto _ : state) {
        uLongf size = static_cast<uLongf>(out.size());
        benchmark::DoNotOptimize(
            uncompress(out.data(), &size, packed.data(), static_cast<uLong>(packed.size())));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Array().size()));
}
BENCHMARK(ZlibInflate_ZlibItself)->Unit(benchmark::kMillisecond);

// What a gzip-compressed mzML holds: XML around base64 arrays.
std::string MzmlLikeText() {
    std::string text;
    std::string base64;
    Base64Encode(Array(), base64);
    for (int spectrum = 0; spectrum < 4; ++spectrum) {
        text += "<spectrum index=\"" + std::to_string(spectrum) +
                "\" defaultArrayLength=\"50000\">\n  <cvParam cvRef=\"MS\" "
                "accession=\"MS:1000511\" name=\"ms level\" value=\"1\"/>\n  <binary>";
        text += base64;
        text += "</binary>\n</spectrum>\n";
    }
    return text;
}

// The gzip output of whole files (ByteSink) at the level given as the argument.
void GzipOutput_Level(benchmark::State& state) {
    const std::string text = MzmlLikeText();
    std::vector<std::uint8_t> out(compressBound(static_cast<uLong>(text.size())) + 64);
    std::size_t size = 0;
    for (auto _ : state) {
        z_stream stream{};
        deflateInit2(&stream, static_cast<int>(state.range(0)), Z_DEFLATED, 16 + MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        stream.avail_in = static_cast<uInt>(text.size());
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, Z_FINISH);
        size = stream.total_out;
        deflateEnd(&stream);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.counters["ratio"] = static_cast<double>(size) / static_cast<double>(text.size());
}
BENCHMARK(GzipOutput_Level)->Arg(1)->Arg(3)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond);

// A whole file through ByteSink and back through ByteSource, plain (argument 0) or gzip (1):
// the editor streams every byte of its input and output through these. The file goes to
// $MZML_BENCH_DIR or the current directory.
std::string BenchFile() {
    const char* dir = std::getenv("MZML_BENCH_DIR");
    const std::filesystem::path base = dir != nullptr ? dir : std::filesystem::current_path();
    return (base / ("mzml-codec-bench-" + std::to_string(::getpid()) + ".mzML")).string();
}

constexpr int kFileCopies = 16;  // of MzmlLikeText(), about 70 MB

void FileWrite_Sink(benchmark::State& state) {
    const std::string text = MzmlLikeText();
    const std::string path = BenchFile();
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const auto sink = ByteSink::ToDescriptor(fd, state.range(0) != 0, path);
        // Pieces as an XML writer hands them over.
        for (int copy = 0; copy < kFileCopies; ++copy) {
            for (std::size_t at = 0; at < text.size(); at += 4000) {
                sink->Write(std::string_view(text).substr(at, 4000));
            }
        }
        if (!sink->Finish()) {
            state.SkipWithError(sink->Error().c_str());
        }
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * kFileCopies *
                            static_cast<std::int64_t>(text.size()));
    std::filesystem::remove(path);
}
BENCHMARK(FileWrite_Sink)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void FileRead_Source(benchmark::State& state) {
    const std::string text = MzmlLikeText();
    const std::string path = BenchFile();
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const auto sink = ByteSink::ToDescriptor(fd, state.range(0) != 0, path);
        for (int copy = 0; copy < kFileCopies; ++copy) {
            sink->Write(text);
        }
        sink->Finish();
        ::close(fd);
    }
    std::vector<std::uint8_t> buffer(1 << 16);
    std::uint64_t total = 0;
    for (auto _ : state) {
        std::string error;
        const auto source = ByteSource::Open(path, error);
        std::ptrdiff_t got = 0;
        while ((got = source->Read(buffer.data(), buffer.size(), error)) > 0) {
            total += static_cast<std::uint64_t>(got);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    std::filesystem::remove(path);
}
BENCHMARK(FileRead_Source)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
