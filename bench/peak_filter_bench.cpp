// Throughput of the peak filter on scans of 2,000 peaks, reported as peaks per second.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "processing/peak_filter.h"

namespace {

constexpr std::uint32_t kPeaks = 2000;

struct ScanData {
    std::vector<float> masses, keptMasses;
    std::vector<std::uint32_t> intensities, keptIntensities;
    std::vector<std::uint8_t> bytes, keptBytes;
};

ScanData MakeScan() {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> mass(50.0f, 1200.0f);
    ScanData s;
    for (std::uint32_t i = 0; i < kPeaks; ++i) {
        s.masses.push_back(mass(rng));
        s.intensities.push_back(static_cast<std::uint32_t>(rng()));
        s.bytes.push_back(static_cast<std::uint8_t>(rng()));
    }
    s.keptMasses.resize(kPeaks);
    s.keptIntensities.resize(kPeaks);
    s.keptBytes.resize(kPeaks);
    return s;
}

// `rulesForFunction` rules of function 1 spread over the mass range, plus as many rules of
// other functions, which the filter must skip.
params::CMassRangeList MakeRules(int rulesForFunction) {
    params::CMassRangeList list;
    for (int i = 0; i < rulesForFunction; ++i) {
        for (std::int32_t function : {1, 2}) {
            params::CMassRange r;
            r.SetFunction(function);
            r.SetLowMass(static_cast<std::uint32_t>(100 + 250 * i));
            r.SetHighMass(static_cast<std::uint32_t>(400 + 250 * i));
            r.SetMassDefect(0.1 + 0.05 * i);
            r.SetWindowAbove(40);
            r.SetWindowBelow(40);
            list.AddEntry(r);
        }
    }
    return list;
}

void BM_FilterScan(benchmark::State& state) {
    const params::CMassRangeList rules = MakeRules(static_cast<int>(state.range(0)));
    ScanData s = MakeScan();
    const processing::FunctionFilter filter(rules, 1);
    for (auto _ : state) {
        const std::uint32_t k =
            filter.Apply(kPeaks, s.masses.data(), s.intensities.data(), s.bytes.data(),
                         s.keptMasses.data(), s.keptIntensities.data(), s.keptBytes.data());
        benchmark::DoNotOptimize(k);
        benchmark::ClobberMemory();
    }
    state.counters["peaks/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPeaks,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FilterScan)->Arg(1)->Arg(4)->Arg(16);

// The one-call form, which also works out the bounds for every scan.
void BM_FilterPeaksOneCall(benchmark::State& state) {
    const params::CMassRangeList rules = MakeRules(static_cast<int>(state.range(0)));
    ScanData s = MakeScan();
    for (auto _ : state) {
        const std::uint32_t k = processing::FilterPeaks(
            1, rules, kPeaks, s.masses.data(), s.intensities.data(), s.bytes.data(),
            s.keptMasses.data(), s.keptIntensities.data(), s.keptBytes.data());
        benchmark::DoNotOptimize(k);
        benchmark::ClobberMemory();
    }
    state.counters["peaks/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPeaks,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FilterPeaksOneCall)->Arg(1)->Arg(4)->Arg(16);

}  // namespace

BENCHMARK_MAIN();
