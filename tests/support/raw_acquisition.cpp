#include "tests/support/raw_acquisition.h"

#include <cstddef>
#include <utility>

#include "rawio/byte_order.h"
#include "rawsynth/synth_random.h"
#include "rawsynth/synth_records.h"
#include "rawsynth/synth_scan.h"

namespace rawtest {
namespace {

// Peak counts are the shape's, not the generator's, so they come from their own sequence: the
// scans' content then stays what rawsynth gives for each (function, scan).
std::uint32_t PeakCount(const AcquisitionShape& shape, int scan, rawsynth::SynthRandom& counts) {
    const auto most = static_cast<std::uint32_t>(shape.maxPeaks);
    if (scan == 1 || most == 0) {
        return most;
    }
    return static_cast<std::uint32_t>(counts.Next() % (std::uint64_t{most} + 1));
}

Scan ScanFrom(const rawsynth::SynthScan& generated) {
    Scan scan;
    for (std::size_t word = 0; word < generated.header.size(); ++word) {
        rawio::Store32(scan.header.data() + 4 * word, generated.header[word]);
    }
    scan.masses = generated.masses;
    scan.intensities = generated.intensities;
    scan.peakBytes = generated.peakBytes;
    return scan;
}

Function MakeFunction(const AcquisitionShape& shape, std::uint32_t number,
                      rawsynth::SynthRandom& counts) {
    Function function;
    rawsynth::FillSynthFunctionRecord(
        shape.seed, number, static_cast<std::uint32_t>(shape.scansPerFunction), function.record);
    if (shape.stats) {
        function.stats.emplace();
    }
    rawsynth::SynthOptions options;
    options.seed = shape.seed;
    rawsynth::SynthScan generated;
    for (int s = 1; s <= shape.scansPerFunction; ++s) {
        options.peaks = PeakCount(shape, s, counts);
        const auto scan = static_cast<std::uint32_t>(s);
        rawsynth::GenerateSynthScan(options, number, scan, generated);
        function.scans.push_back(ScanFrom(generated));
        if (shape.stats) {
            Bytes record(kStatsRecordSize);
            rawsynth::FillSynthStatsRecord(shape.seed, number, scan, generated, record);
            function.stats->push_back(std::move(record));
        }
    }
    if (shape.extended) {
        Bytes record(kEERecordSize);
        rawsynth::FillSynthEERecord(shape.seed, number, record);
        function.extended = std::vector<Bytes>{std::move(record)};
    }
    return function;
}

std::vector<Channel> MakeChannels(const AcquisitionShape& shape) {
    const auto count = static_cast<std::size_t>(shape.channels);
    Bytes infos(count * kChannelInfoSize);
    rawsynth::FillSynthChannelInfos(shape.seed, infos);
    std::vector<Channel> channels(count);
    for (std::size_t k = 0; k < count; ++k) {
        Channel& channel = channels[k];
        const auto info = infos.begin() + static_cast<std::ptrdiff_t>(k * kChannelInfoSize);
        channel.info.assign(info, info + static_cast<std::ptrdiff_t>(kChannelInfoSize));
        const auto points =
            static_cast<std::uint32_t>(shape.analogPoints) + static_cast<std::uint32_t>(k);
        rawsynth::FillSynthChannel(shape.seed, static_cast<std::uint32_t>(k), points,
                                   channel.arrayA, channel.arrayB);
    }
    return channels;
}

}  // namespace

Acquisition MakeAcquisition(const AcquisitionShape& shape) {
    Acquisition a;
    a.headerBlock.resize(kHeaderBlockSize);
    rawsynth::FillSynthHeader(shape.seed, a.headerRecord, a.headerBlock);
    rawsynth::SynthRandom counts(shape.seed);
    for (int f = 1; f <= shape.functions; ++f) {
        a.functions.push_back(MakeFunction(shape, static_cast<std::uint32_t>(f), counts));
    }
    a.channels = MakeChannels(shape);
    if (shape.historyRecords > 0) {
        const auto records = static_cast<std::uint32_t>(shape.historyRecords);
        Bytes all;
        rawsynth::FillSynthHistory(shape.seed, records, a.processInfo, all);
        for (std::size_t i = 0; i < records; ++i) {
            const auto record = all.begin() + static_cast<std::ptrdiff_t>(i * kProcessRecordSize);
            a.processRecords.emplace_back(record,
                                          record + static_cast<std::ptrdiff_t>(kProcessRecordSize));
        }
    }
    return a;
}

bool SameExceptHistory(const Acquisition& a, const Acquisition& b) {
    return a.headerRecord == b.headerRecord && a.headerBlock == b.headerBlock &&
           a.functions == b.functions && a.channels == b.channels;
}

}  // namespace rawtest
