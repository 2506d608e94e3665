#include "bench/mzml_synth/batch_encoder.h"

#include <algorithm>

BatchEncoder::BatchEncoder(const SynthOptions& options, unsigned threads) {
    for (unsigned t = 0; t < std::max(threads, 1u); ++t) {
        encoders_.push_back(std::make_unique<ArrayEncoder>(options.compression, options.zlibLevel));
    }
    failures_.resize(encoders_.size());
}

BatchEncoder::~BatchEncoder() {
    for (std::thread& thread : running_) {
        thread.join();
    }
}

void BatchEncoder::Start(const SpectrumFileWriter& writer, std::span<const SynthSpectrum> spectra,
                         std::span<EncodedArrays> arrays) {
    const std::size_t threads = std::min(encoders_.size(), spectra.size());
    auto work = [this, &writer, spectra, arrays, threads](std::size_t t) {
        try {
            for (std::size_t i = t; i < spectra.size(); i += threads) {
                writer.Encode(spectra[i], *encoders_[t], arrays[i]);
            }
        } catch (...) {
            failures_[t] = std::current_exception();
        }
    };
    if (encoders_.size() == 1) {
        work(0);
        return;
    }
    for (std::size_t t = 0; t < threads; ++t) {
        running_.emplace_back(work, t);
    }
}

void BatchEncoder::Wait() {
    for (std::thread& thread : running_) {
        thread.join();
    }
    running_.clear();
    for (std::exception_ptr& failure : failures_) {
        if (failure) {
            std::exception_ptr first = failure;
            std::fill(failures_.begin(), failures_.end(), nullptr);
            std::rethrow_exception(first);
        }
    }
}

unsigned SynthEncodingThreads(const SynthOptions& options) {
    if (options.compression == SynthCompression::kNone) {
        return 1;
    }
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}
