#include "tests/mzml_export/raw_acquisitions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "rawio/record_fields.h"

ReferenceAcquisition ReadReference(const std::string& path) {
    ReferenceAcquisition acquisition;
    RawHandle handle = 0;
    EXPECT_EQ(RawReadOpen(path.c_str(), &handle), kRawOk) << path;
    Bytes record(kHeaderRecordSize);
    Bytes block(kHeaderBlockSize);
    std::uint16_t functions = 0;
    EXPECT_EQ(RawReadHeader(handle, record.data(), block.data(), &functions, nullptr), kRawOk);
    for (std::int32_t f = 1; f <= functions; ++f) {
        Bytes functionRecord(kFunctionRecordSize);
        EXPECT_EQ(RawReadFuncInfo(handle, f, functionRecord.data(), nullptr), kRawOk);
        EXPECT_EQ(RawReadFuncInit(handle, f, 0, 0, functionRecord.data(), block.data()), kRawOk);
        std::uint8_t statsFile[kStatsFileSize];
        const bool stats = RawReadGetStatsFile(handle, f, 0, statsFile) == kRawOk;
        const std::uint32_t scans = rawio::FunctionScanCount(functionRecord.data());
        for (std::int32_t s = 1; s <= static_cast<std::int32_t>(scans); ++s) {
            ReferenceScan scan;
            scan.function = f;
            scan.scan = s;
            std::uint8_t info[kScanInfoSize];
            std::uint32_t capacity = 0;
            EXPECT_EQ(
                RawReadSpectrum(handle, f, 0, s, 1, &capacity, info, nullptr, nullptr, nullptr, 0),
                kRawOk);
            capacity = rawio::ScanInfoPeakCount(info);
            scan.masses.resize(capacity + 1);
            scan.intensities.resize(capacity + 1);
            scan.peakBytes.resize(capacity + 1);
            EXPECT_EQ(RawReadSpectrum(handle, f, 0, s, 1, &capacity, info, scan.masses.data(),
                                      scan.intensities.data(), scan.peakBytes.data(), 0),
                      kRawOk);
            scan.masses.resize(capacity);
            scan.intensities.resize(capacity);
            scan.peakBytes.resize(capacity);
            if (stats) {
                scan.statsRecord.resize(kStatsRecordSize);
                EXPECT_EQ(RawStatsReadEntry(statsFile, s, scan.statsRecord.data()), kRawOk);
            }
            acquisition.scans.push_back(std::move(scan));
        }
        EXPECT_EQ(RawReadFuncEnd(handle, f, 0), kRawOk);
        acquisition.functionRecords.push_back(std::move(functionRecord));
    }
    EXPECT_EQ(RawReadClose(handle), kRawOk);
    return acquisition;
}

void WriteHandMade(const std::string& path, const std::vector<HandMadeScan>& scans) {
    std::int32_t functions = 0;
    for (const HandMadeScan& scan : scans) {
        functions = std::max(functions, scan.function);
    }
    RawHandle w = 0;
    ASSERT_EQ(RawCreateOpen(path.c_str(), &w), kRawOk);
    const Bytes record(kHeaderRecordSize);
    const Bytes block(kHeaderBlockSize);
    ASSERT_EQ(RawCreateHeader(w, record.data(), block.data()), kRawOk);
    Bytes table(static_cast<std::size_t>(functions) * kFunctionRecordSize);
    for (std::int32_t f = 1; f <= functions; ++f) {
        ASSERT_EQ(RawCreateScanFile(w, f, 0, 0), kRawOk);
        ASSERT_EQ(RawStatsCreateFile(w, f, 0), kRawOk);
        std::uint32_t count = 0;
        for (const HandMadeScan& scan : scans) {
            if (scan.function != f)
                continue;
            ASSERT_EQ(
                RawCreateScansEx(w, f, 0, 0, scan.header.data(),
                                 static_cast<std::uint32_t>(scan.masses.size()), scan.masses.data(),
                                 scan.intensities.data(), scan.peakBytes.data(), 1),
                kRawOk);
            ASSERT_EQ(RawStatsCreateRecord(w, f, 0, scan.stats.data()), kRawOk);
            ++count;
        }
        ASSERT_EQ(RawCreateScansEnd(w, f, 0, 0), kRawOk);
        ASSERT_EQ(RawStatsCreateEnd(w, f, 0), kRawOk);
        rawio::SetFunctionScanCount(
            table.data() + static_cast<std::size_t>(f - 1) * kFunctionRecordSize, count);
    }
    ASSERT_EQ(RawCreateFunctions(w, static_cast<std::uint16_t>(functions), table.data()), kRawOk);
    ASSERT_EQ(RawCreateClose(w), kRawOk);
}

std::string Hex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}
