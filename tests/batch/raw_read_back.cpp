#include "tests/batch/raw_read_back.h"

#include <cstring>
#include <memory>

#include "rawio/record_fields.h"

namespace {

class Reader {
  public:
    explicit Reader(RawHandle handle) : r(handle) {}

    RawStatus Read(ReadAcquisition& out) {
        out.headerRecord.resize(kHeaderRecordSize);
        std::vector<std::uint8_t> block(kHeaderBlockSize);
        std::uint16_t count = 0;
        std::uint16_t ignored = 0;
        RawStatus s = RawReadHeader(r, out.headerRecord.data(), block.data(), &count, &ignored);
        for (std::int32_t f = 1; s == kRawOk && f <= count; ++f) {
            out.functions.emplace_back();
            s = ReadFunctionData(f, block.data(), out.functions.back());
        }
        if (s != kRawOk)
            return s;
        std::uint16_t channels = 0;
        if (RawReadAnalogNumber(r, &channels) == kRawOk) {
            for (std::int32_t k = 0; s == kRawOk && k < channels; ++k) {
                ReadChannel ch;
                std::uint32_t points = 0;
                s = RawReadAnalogInfo(r, k, ch.info.data());
                if (s == kRawOk)
                    s = RawReadAnalogSize(r, k, &points);
                ch.a.resize(points);
                ch.b.resize(points);
                if (s == kRawOk)
                    s = RawReadAnalogChrom(r, k, 1, points, ch.b.data(), ch.a.data());
                out.channels.push_back(std::move(ch));
            }
        }
        if (s != kRawOk)
            return s;
        std::vector<std::uint8_t> info(kProcessInfoSize);
        s = RawReadProcInfo(r, info.data(), nullptr);
        if (s != kRawOk)
            return s;
        out.historyCount = rawio::ProcessRecordCount(info.data());
        if (out.historyCount > 0) {
            std::vector<std::uint8_t> records((out.historyCount + 2u) * kProcessRecordSize);
            s = RawReadProcInfo(r, info.data(), records.data());
            records.resize(out.historyCount * kProcessRecordSize);
            out.history = std::move(records);
        }
        return s;
    }

  private:
    RawStatus ReadFunctionData(std::int32_t f, void* block, ReadFunction& fn) {
        std::uint16_t ignored = 0;
        RawStatus s = RawReadFuncInfo(r, f, fn.record.data(), &ignored);
        if (s == kRawOk)
            s = RawReadFuncInit(r, f, 0, 0, fn.record.data(), block);
        if (s != kRawOk)
            return s;
        std::uint8_t statsFile[kStatsFileSize];
        fn.hasStats = RawReadGetStatsFile(r, f, 0, statsFile) == kRawOk;
        const std::uint32_t scans = rawio::FunctionScanCount(fn.record.data());
        for (std::uint32_t i = 1; s == kRawOk && i <= scans; ++i) {
            ReadScan scan;
            std::uint32_t capacity = 0;
            const auto si = static_cast<std::int32_t>(i);
            s = RawReadSpectrum(r, f, 0, si, 1, &capacity, scan.info.data(), nullptr, nullptr,
                                nullptr, 0);
            if (s != kRawOk)
                break;
            const std::uint32_t n = rawio::ScanInfoPeakCount(scan.info.data());
            scan.masses.resize(n);
            scan.intensities.resize(n);
            scan.bytes.resize(n);
            capacity = n;
            s = RawReadSpectrum(r, f, 0, si, 1, &capacity, scan.info.data(), scan.masses.data(),
                                scan.intensities.data(), scan.bytes.data(), 0);
            if (s == kRawOk && fn.hasStats)
                s = RawStatsReadEntry(statsFile, si, scan.stats.data());
            fn.scans.push_back(std::move(scan));
        }
        if (s == kRawOk)
            s = RawReadFuncEnd(r, f, 0);
        fn.hasEE = s == kRawOk && RawEERead(r, f, 0, 1, fn.ee.data()) == kRawOk;
        return s;
    }

    RawHandle r;
};

}  // namespace

RawStatus ReadBack(const std::string& path, ReadAcquisition& out) {
    RawHandle r = 0;
    RawStatus s = RawReadOpen(path.c_str(), &r);
    if (s != kRawOk)
        return s;
    s = Reader(r).Read(out);
    const RawStatus closed = RawReadClose(r);
    return s != kRawOk ? s : closed;
}
