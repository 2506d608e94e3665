#include "bench/mzml_synth/batch_encoder.h"

#include <algorithm>
#include <exception>
#include <thread>

BatchEncoder::BatchEncoder(const SynthOptions& options, unsigned threads) {
    for (unsigned t = 0; t < std::max(threads, 1u); ++t) {
        encoders_.push_back(std::make_unique<ArrayEncoder>(options.compression, options.zlibLevel));
    }
}

void BatchEncoder::Encode(const SpectrumFileWriter& writer, std::span<const SynthSpectrum> spectra,
                          std::span<EncodedArrays> arrays) {
    const std::size_t threads = std::min(encoders_.size(), spectra.size());
    if (threads <= 1) {
        for (std::size_t i = 0; i < spectra.size(); ++i) {
            writer.Encode(spectra[i], *encoders_[0], arrays[i]);
        }
        return;
    }
    std::vector<std::exception_ptr> failures(threads);
    auto work = [&](std::size_t t) {
        try {
            for (std::size_t i = t; i < spectra.size(); i += threads) {
                writer.Encode(spectra[i], *encoders_[t], arrays[i]);
            }
        } catch (...) {
            failures[t] = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        helpers.emplace_back(work, t);
    }
    work(0);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

unsigned SynthEncodingThreads(const SynthOptions& options) {
    if (options.compression == SynthCompression::kNone) {
        return 1;
    }
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}
