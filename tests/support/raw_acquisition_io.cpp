#include "tests/support/raw_acquisition_io.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "rawio/record_fields.h"

namespace rawtest {

RawStatus WriteAcquisition(const std::string& path, const Acquisition& a) {
    RawHandle w = 0;
    RawStatus status = RawCreateOpen(path.c_str(), &w);
    if (status != kRawOk) {
        return status;
    }
    auto fail = [&](RawStatus s) {
        RawCreateAbandon(w);
        return s;
    };
    if ((status = RawCreateHeader(w, a.headerRecord.data(), a.headerBlock.data())) != kRawOk) {
        return fail(status);
    }
    Bytes table;
    for (std::size_t i = 0; i < a.functions.size(); ++i) {
        const Function& function = a.functions[i];
        const auto f = static_cast<std::int32_t>(i + 1);
        const auto code =
            static_cast<std::int32_t>(rawio::FunctionScanFileCode(function.record.data()));
        if ((status = RawCreateScanFile(w, f, 0, code)) != kRawOk) {
            return fail(status);
        }
        if (function.stats && (status = RawStatsCreateFile(w, f, 0)) != kRawOk) {
            return fail(status);
        }
        for (std::size_t s = 0; s < function.scans.size(); ++s) {
            const Scan& scan = function.scans[s];
            status = RawCreateScansEx(
                w, f, 0, code, scan.header.data(), static_cast<std::uint32_t>(scan.masses.size()),
                scan.masses.data(), scan.intensities.data(), scan.peakBytes.data(), 1);
            if (status != kRawOk) {
                return fail(status);
            }
            if (function.stats &&
                (status = RawStatsCreateRecord(w, f, 0, (*function.stats)[s].data())) != kRawOk) {
                return fail(status);
            }
        }
        if ((status = RawCreateScansEnd(w, f, 0, code)) != kRawOk) {
            return fail(status);
        }
        if (function.stats && (status = RawStatsCreateEnd(w, f, 0)) != kRawOk) {
            return fail(status);
        }
        if (function.extended) {
            if ((status = RawEECreateFile(w, f, 0)) != kRawOk) {
                return fail(status);
            }
            for (const Bytes& record : *function.extended) {
                if ((status = RawEECreateRecord(w, f, 0, record.data())) != kRawOk) {
                    return fail(status);
                }
            }
            if ((status = RawEECreateEnd(w, f, 0)) != kRawOk) {
                return fail(status);
            }
        }
        table.insert(table.end(), function.record.begin(), function.record.end());
    }
    if ((status = RawCreateFunctions(w, static_cast<std::uint16_t>(a.functions.size()),
                                     table.data())) != kRawOk) {
        return fail(status);
    }
    if (!a.channels.empty()) {
        Bytes infos;
        for (const Channel& c : a.channels) {
            infos.insert(infos.end(), c.info.begin(), c.info.end());
        }
        if ((status = RawCreateAnalogInf(w, static_cast<std::uint16_t>(a.channels.size()),
                                         infos.data())) != kRawOk ||
            (status = RawCreateAnalogFile(w)) != kRawOk) {
            return fail(status);
        }
        for (std::size_t k = 0; k < a.channels.size(); ++k) {
            const Channel& c = a.channels[k];
            if ((status = RawCreateAnalogDataScans(w, static_cast<std::int32_t>(k),
                                                   static_cast<std::uint32_t>(c.arrayA.size()),
                                                   c.arrayA.data(), c.arrayB.data())) != kRawOk) {
                return fail(status);
            }
        }
        if ((status = RawCreateAnalogEnd(w)) != kRawOk) {
            return fail(status);
        }
    }
    if (!a.processRecords.empty()) {
        Bytes records;
        for (const Bytes& r : a.processRecords) {
            records.insert(records.end(), r.begin(), r.end());
        }
        if ((status = RawHistUpdateInfo(w, a.processInfo.data(), records.data())) != kRawOk) {
            return fail(status);
        }
    }
    return RawCreateClose(w);
}

RawStatus ReadAcquisition(const std::string& path, Acquisition* out) {
    Acquisition a;
    a.headerBlock.swap(out->headerBlock);
    a.headerBlock.resize(kHeaderBlockSize);
    RawHandle r = 0;
    RawStatus status = RawReadOpen(path.c_str(), &r);
    if (status != kRawOk) {
        out->headerBlock.swap(a.headerBlock);
        return status;
    }
    auto fail = [&](RawStatus s) {
        RawReadClose(r);
        out->headerBlock.swap(a.headerBlock);
        return s;
    };
    std::uint16_t functionCount = 0;
    if ((status = RawReadHeader(r, a.headerRecord.data(), a.headerBlock.data(), &functionCount,
                                nullptr)) != kRawOk) {
        return fail(status);
    }
    for (std::int32_t f = 1; f <= functionCount; ++f) {
        Function function;
        std::uint16_t ignored = 0;
        if ((status = RawReadFuncInfo(r, f, function.record.data(), &ignored)) != kRawOk ||
            (status = RawReadFuncInit(r, f, 0, 0, function.record.data(), a.headerBlock.data())) !=
                kRawOk) {
            return fail(status);
        }
        std::uint8_t statsFile[kStatsFileSize];
        const bool hasStats = RawReadGetStatsFile(r, f, 0, statsFile) == kRawOk;
        if (hasStats) {
            function.stats.emplace();
        }
        const std::uint32_t scanCount = rawio::FunctionScanCount(function.record.data());
        for (std::uint32_t s = 1; s <= scanCount; ++s) {
            std::uint8_t info[kScanInfoSize];
            std::uint32_t capacity = 0;
            if ((status = RawReadSpectrum(r, f, 0, static_cast<std::int32_t>(s), 1, &capacity, info,
                                          nullptr, nullptr, nullptr, 0)) != kRawOk) {
                return fail(status);
            }
            const std::uint32_t n = rawio::ScanInfoPeakCount(info);
            Scan scan;
            scan.masses.resize(n);
            scan.intensities.resize(n);
            scan.peakBytes.resize(n);
            capacity = n;
            // Non-null arrays even for an empty scan, as a caller with vectors passes them.
            float massSlot = 0;
            std::uint32_t intensitySlot = 0;
            std::uint8_t byteSlot = 0;
            if ((status = RawReadSpectrum(r, f, 0, static_cast<std::int32_t>(s), 1, &capacity, info,
                                          n ? scan.masses.data() : &massSlot,
                                          n ? scan.intensities.data() : &intensitySlot,
                                          n ? scan.peakBytes.data() : &byteSlot, 0)) != kRawOk) {
                return fail(status);
            }
            if (capacity != n) {
                return fail(kRawCorrupt);
            }
            // The scan header comes back through scanInfo.
            const rawio::ScanHeaderBytes header = rawio::ScanHeaderFromScanInfo(info);
            scan.header.assign(header.begin(), header.end());
            function.scans.push_back(std::move(scan));
            if (hasStats) {
                Bytes record(kStatsRecordSize);
                if ((status = RawStatsReadEntry(statsFile, static_cast<std::int32_t>(s),
                                                record.data())) != kRawOk) {
                    return fail(status);
                }
                function.stats->push_back(std::move(record));
            }
        }
        if ((status = RawReadFuncEnd(r, f, 0)) != kRawOk) {
            return fail(status);
        }
        Bytes ee(kEERecordSize);
        status = RawEERead(r, f, 0, 1, ee.data());
        if (status == kRawOk) {
            function.extended = std::vector<Bytes>{ee};
        } else if (status != kRawNoData) {
            return fail(status);
        }
        a.functions.push_back(std::move(function));
    }
    std::uint16_t channels = 0;
    status = RawReadAnalogNumber(r, &channels);
    if (status != kRawOk && status != kRawNoData) {
        return fail(status);
    }
    if (status == kRawNoData) {
        channels = 0;
    }
    for (std::int32_t k = 0; k < channels; ++k) {
        Channel c;
        if ((status = RawReadAnalogInfo(r, k, c.info.data())) != kRawOk) {
            return fail(status);
        }
        a.channels.push_back(std::move(c));
    }
    for (std::int32_t k = 0; k < channels; ++k) {
        std::uint32_t points = 0;
        if ((status = RawReadAnalogSize(r, k, &points)) != kRawOk) {
            return fail(status);
        }
        Channel& c = a.channels[static_cast<std::size_t>(k)];
        c.arrayA.resize(points);
        c.arrayB.resize(points);
        if ((status = RawReadAnalogChrom(r, k, 1, points, c.arrayB.data(), c.arrayA.data())) !=
            kRawOk) {
            return fail(status);
        }
    }
    if ((status = RawReadProcInfo(r, a.processInfo.data(), nullptr)) != kRawOk) {
        return fail(status);
    }
    const auto count = std::size_t{rawio::ProcessRecordCount(a.processInfo.data())};
    if (count > 0) {
        Bytes records((count + 2) * kProcessRecordSize);
        if ((status = RawReadProcInfo(r, a.processInfo.data(), records.data())) != kRawOk) {
            return fail(status);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const auto begin =
                records.begin() + static_cast<std::ptrdiff_t>(i * kProcessRecordSize);
            a.processRecords.emplace_back(begin, begin + kProcessRecordSize);
        }
    }
    if ((status = RawReadClose(r)) != kRawOk) {
        out->headerBlock.swap(a.headerBlock);
        return status;
    }
    *out = std::move(a);
    return kRawOk;
}

}  // namespace rawtest
