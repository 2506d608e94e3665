#include "bench/mzml_synth/synth_file.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "bench/mzml_synth/batch_encoder.h"
#include "bench/mzml_synth/spectrum_file_writer.h"
#include "bench/mzml_synth/spectrum_generator.h"
#include "bench/mzml_synth/spectrum_layout.h"

namespace {

std::unique_ptr<SpectrumFileWriter> MakeWriter(SynthOutput& out, const SynthOptions& options) {
    return options.format == SynthFormat::kMzXML ? MakeMzxmlWriter(out, options)
                                                 : MakeMzmlWriter(out, options);
}

// Spectra generated, then compressed together, then written: enough to keep the threads
// busy, few enough to stay in the cache.
constexpr std::size_t kBatchSpectra = 64;

// Writes `count` spectra; `out` may be a discarding output.
void WriteSpectra(const SynthOptions& options, std::uint64_t count, SynthOutput& out,
                  SynthReport& report, std::uint64_t* binaryText) {
    const std::unique_ptr<SpectrumFileWriter> writer = MakeWriter(out, options);
    SpectrumGenerator generator(options.seed);
    // Two batches: one being compressed while the other is generated or written.
    struct Batch {
        std::vector<SynthSpectrum> spectra{kBatchSpectra};
        std::vector<EncodedArrays> arrays{kBatchSpectra};
        std::size_t size = 0;
    };
    Batch batches[2];
    std::uint64_t generated = 0;
    auto generate = [&](Batch& batch) {
        batch.size =
            static_cast<std::size_t>(std::min<std::uint64_t>(kBatchSpectra, count - generated));
        for (std::size_t i = 0; i < batch.size; ++i) {
            generator.Next(batch.spectra[i]);
        }
        generated += batch.size;
    };
    BatchEncoder encoder(options, SynthEncodingThreads(options));
    auto start = [&](Batch& batch) {
        encoder.Start(*writer, std::span(batch.spectra.data(), batch.size),
                      std::span(batch.arrays.data(), batch.size));
    };

    writer->Begin(count);
    generate(batches[0]);
    start(batches[0]);
    for (int current = 0; batches[current].size > 0 && !out.Failed(); current ^= 1) {
        Batch& next = batches[current ^ 1];
        generate(next);
        encoder.Wait();
        if (next.size > 0) {
            start(next);
        }
        const Batch& ready = batches[current];
        for (std::size_t i = 0; i < ready.size; ++i) {
            const SynthSpectrum& spectrum = ready.spectra[i];
            writer->Write(spectrum, ready.arrays[i]);
            ++report.spectra;
            report.peaks += spectrum.mz.size();
            if (spectrum.msLevel == 1) {
                ++report.ms1Spectra;
                report.ms1Peaks += spectrum.mz.size();
            }
        }
    }
    encoder.Wait();
    if (binaryText != nullptr) {
        *binaryText = writer->BinaryTextBytes();
    }
    writer->End();
    report.textBytes = out.Position();
}

}  // namespace

std::uint64_t PlanSpectrumCount(const SynthOptions& options) {
    // Enough cycles that the bytes per peak of compressed arrays settle.
    constexpr std::uint64_t kSampleSpectra = 240;
    SynthOutput sink("", false, options.zlibLevel);
    SynthReport sample;
    std::uint64_t binaryText = 0;
    WriteSpectra(options, kSampleSpectra, sink, sample, &binaryText);
    std::string ignored;
    sink.Close(ignored);
    const double perPeak = static_cast<double>(binaryText) /
                           static_cast<double>(std::max<std::uint64_t>(sample.peaks, 1));
    const double perSpectrum =
        static_cast<double>(sample.textBytes - binaryText) / static_cast<double>(kSampleSpectra);

    SpectrumLayout layout(options.seed);
    const double target = static_cast<double>(options.targetBytes);
    double estimate = 0;
    std::uint64_t count = 0;
    while (estimate < target || count == 0) {
        estimate += perSpectrum + perPeak * static_cast<double>(layout.Next().peaks);
        ++count;
    }
    return count;
}

bool WriteSynthFile(const SynthOptions& options, SynthReport& report, std::string& error) {
    report = SynthReport{};
    try {
        const std::uint64_t count =
            options.spectra > 0 ? options.spectra : PlanSpectrumCount(options);
        SynthOutput out(options.output, options.gzip, options.zlibLevel);
        WriteSpectra(options, count, out, report, nullptr);
        return out.Close(error);
    } catch (const std::exception& e) {
        error = options.output + ": " + e.what();
        return false;
    }
}
