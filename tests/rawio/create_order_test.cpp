#include <gtest/gtest.h>

#include <functional>

#include "rawio/raw_api.h"
#include "rawio/record_fields.h"
#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

namespace {

using rawtest::Bytes;

// A writer and the records the steps of one case need.
struct Writer {
    RawHandle w = 0;
    Bytes headerRecord = Bytes(kHeaderRecordSize);
    Bytes headerBlock = Bytes(kHeaderBlockSize);
    Bytes scanHeader = Bytes(kScanHeaderSize);
    Bytes stats = Bytes(kStatsRecordSize, 3);
    Bytes ee = Bytes(kEERecordSize, 4);
    Bytes infos = Bytes(2 * kChannelInfoSize, 5);
    Bytes history = Bytes(kProcessInfoSize);
    float mass = 1.5f;
    std::uint32_t intensity = 7;
    std::uint8_t peakByte = 9;
    std::uint32_t point = 11;

    RawStatus Header() { return RawCreateHeader(w, headerRecord.data(), headerBlock.data()); }
    RawStatus ScanFile(std::int32_t f, std::int32_t code = 2) {
        return RawCreateScanFile(w, f, 0, code);
    }
    RawStatus Scan(std::int32_t f, std::int32_t code = 2) {
        return RawCreateScansEx(w, f, 0, code, scanHeader.data(), 1, &mass, &intensity, &peakByte,
                                1);
    }
    RawStatus ScansEnd(std::int32_t f, std::int32_t code = 2) {
        return RawCreateScansEnd(w, f, 0, code);
    }
    RawStatus StatsFile(std::int32_t f) { return RawStatsCreateFile(w, f, 0); }
    RawStatus StatsRecord(std::int32_t f) { return RawStatsCreateRecord(w, f, 0, stats.data()); }
    RawStatus StatsEnd(std::int32_t f) { return RawStatsCreateEnd(w, f, 0); }
    RawStatus EEFile(std::int32_t f) { return RawEECreateFile(w, f, 0); }
    RawStatus EERecord(std::int32_t f) { return RawEECreateRecord(w, f, 0, ee.data()); }
    RawStatus EEEnd(std::int32_t f) { return RawEECreateEnd(w, f, 0); }
    // A function of one scan, complete.
    RawStatus Function(std::int32_t f) {
        RawStatus s = ScanFile(f);
        if (s == kRawOk)
            s = Scan(f);
        if (s == kRawOk)
            s = ScansEnd(f);
        return s;
    }
    RawStatus Table(std::uint16_t count, std::uint32_t scans = 1, std::uint32_t code = 2) {
        Bytes table(std::size_t{count} * kFunctionRecordSize);
        for (std::size_t i = 0; i < count; ++i) {
            Bytes record(kFunctionRecordSize);
            rawio::SetFunctionScanFileCode(record.data(), code);
            rawio::SetFunctionScanCount(record.data(), scans);
            std::copy(record.begin(), record.end(),
                      table.begin() + static_cast<std::ptrdiff_t>(i * kFunctionRecordSize));
        }
        return RawCreateFunctions(w, count, table.data());
    }
    RawStatus AnalogInfo() { return RawCreateAnalogInf(w, 2, infos.data()); }
    RawStatus AnalogFile() { return RawCreateAnalogFile(w); }
    RawStatus AnalogData(std::int32_t k) {
        return RawCreateAnalogDataScans(w, k, 1, &point, &point);
    }
    RawStatus AnalogEnd() { return RawCreateAnalogEnd(w); }
    RawStatus History() { return RawHistUpdateInfo(w, history.data(), nullptr); }
};

using Step = std::function<RawStatus(Writer&)>;

struct OrderCase {
    const char* name;
    std::vector<Step> setUp;  // each must succeed
    Step offending;
    RawStatus expected;
};

std::vector<OrderCase> OrderCases() {
    auto header = [](Writer& w) { return w.Header(); };
    auto fn = [](std::int32_t f) { return [f](Writer& w) { return w.Function(f); }; };
    auto table1 = [](Writer& w) { return w.Table(1); };
    auto scanFile1 = [](Writer& w) { return w.ScanFile(1); };
    auto scan1 = [](Writer& w) { return w.Scan(1); };
    auto scansEnd1 = [](Writer& w) { return w.ScansEnd(1); };
    auto statsFile1 = [](Writer& w) { return w.StatsFile(1); };
    auto statsRecord1 = [](Writer& w) { return w.StatsRecord(1); };
    auto analogInfo = [](Writer& w) { return w.AnalogInfo(); };
    auto analogFile = [](Writer& w) { return w.AnalogFile(); };
    auto close = [](Writer& w) { return RawCreateClose(w.w); };
    return {
        {"scan file before the header", {}, scanFile1, kRawOutOfOrder},
        {"header twice", {header}, header, kRawOutOfOrder},
        {"scan before its scan file", {header}, scan1, kRawOutOfOrder},
        {"function 2 before function 1",
         {header},
         [](Writer& w) { return w.ScanFile(2); },
         kRawOutOfOrder},
        {"same function twice", {header, fn(1)}, scanFile1, kRawOutOfOrder},
        {"function 3 after function 1",
         {header, fn(1)},
         [](Writer& w) { return w.ScanFile(3); },
         kRawOutOfOrder},
        {"next function before scans end",
         {header, scanFile1, scan1},
         [](Writer& w) { return w.ScanFile(2); },
         kRawOutOfOrder},
        {"scan after scans end", {header, scanFile1, scansEnd1}, scan1, kRawOutOfOrder},
        {"scan of another function",
         {header, scanFile1},
         [](Writer& w) { return w.Scan(2); },
         kRawOutOfOrder},
        {"scan with another scan file code",
         {header, scanFile1},
         [](Writer& w) { return w.Scan(1, 3); },
         kRawBadArgument},
        {"scans end with another code",
         {header, scanFile1},
         [](Writer& w) { return w.ScansEnd(1, 3); },
         kRawBadArgument},
        {"scan file code 16",
         {header},
         [](Writer& w) { return w.ScanFile(1, 16); },
         kRawBadArgument},
        {"function 0", {header}, [](Writer& w) { return w.ScanFile(0); }, kRawBadArgument},
        {"stats record without stats file",
         {header, scanFile1, scan1},
         statsRecord1,
         kRawOutOfOrder},
        {"stats file after a scan", {header, scanFile1, scan1}, statsFile1, kRawOutOfOrder},
        {"stats record before its scan",
         {header, scanFile1, statsFile1},
         statsRecord1,
         kRawOutOfOrder},
        {"two scans without a stats record",
         {header, scanFile1, statsFile1, scan1},
         scan1,
         kRawOutOfOrder},
        {"two stats records for one scan",
         {header, scanFile1, statsFile1, scan1, statsRecord1},
         statsRecord1,
         kRawOutOfOrder},
        {"stats end before scans end",
         {header, scanFile1, statsFile1, scan1, statsRecord1},
         [](Writer& w) { return w.StatsEnd(1); },
         kRawOutOfOrder},
        {"stats end one record short",
         {header, scanFile1, statsFile1, scan1, statsRecord1, scan1, scansEnd1},
         [](Writer& w) { return w.StatsEnd(1); },
         kRawOutOfOrder},
        {"next function with stats still open",
         {header, scanFile1, statsFile1, scan1, statsRecord1, scansEnd1},
         [](Writer& w) { return w.ScanFile(2); },
         kRawOutOfOrder},
        {"extended file before scans end",
         {header, scanFile1},
         [](Writer& w) { return w.EEFile(1); },
         kRawOutOfOrder},
        {"extended record without its file",
         {header, fn(1)},
         [](Writer& w) { return w.EERecord(1); },
         kRawOutOfOrder},
        {"extended end without its file",
         {header, fn(1)},
         [](Writer& w) { return w.EEEnd(1); },
         kRawOutOfOrder},
        {"table before the last function ended",
         {header, scanFile1, scan1},
         table1,
         kRawOutOfOrder},
        {"table with extended file open",
         {header, fn(1), [](Writer& w) { return w.EEFile(1); }},
         table1,
         kRawOutOfOrder},
        {"table count too small", {header, fn(1), fn(2)}, table1, kRawBadArgument},
        {"table count too large",
         {header, fn(1)},
         [](Writer& w) { return w.Table(2); },
         kRawBadArgument},
        {"table scan count wrong",
         {header, fn(1)},
         [](Writer& w) { return w.Table(1, 2); },
         kRawBadArgument},
        {"table scan code wrong",
         {header, fn(1)},
         [](Writer& w) { return w.Table(1, 1, 5); },
         kRawBadArgument},
        {"table twice", {header, fn(1), table1}, table1, kRawOutOfOrder},
        {"scan file after the table",
         {header, fn(1), table1},
         [](Writer& w) { return w.ScanFile(2); },
         kRawOutOfOrder},
        {"close before the table", {header, fn(1)}, close, kRawOutOfOrder},
        {"close before the header", {}, close, kRawOutOfOrder},
        {"analog before the table", {header, fn(1)}, analogInfo, kRawOutOfOrder},
        {"analog file before its records", {header, fn(1), table1}, analogFile, kRawOutOfOrder},
        {"analog data before the analog file",
         {header, fn(1), table1, analogInfo},
         [](Writer& w) { return w.AnalogData(0); },
         kRawOutOfOrder},
        {"analog channel 1 before 0",
         {header, fn(1), table1, analogInfo, analogFile},
         [](Writer& w) { return w.AnalogData(1); },
         kRawOutOfOrder},
        {"analog channel past the count",
         {header, fn(1), table1, analogInfo, analogFile},
         [](Writer& w) { return w.AnalogData(2); },
         kRawBadArgument},
        {"analog end with a channel missing",
         {header, fn(1), table1, analogInfo, analogFile, [](Writer& w) { return w.AnalogData(0); }},
         [](Writer& w) { return w.AnalogEnd(); },
         kRawOutOfOrder},
        {"close inside analog",
         {header, fn(1), table1, analogInfo, analogFile},
         close,
         kRawOutOfOrder},
        {"history before the table",
         {header, fn(1)},
         [](Writer& w) { return w.History(); },
         kRawOutOfOrder},
        {"history twice",
         {header, fn(1), table1, [](Writer& w) { return w.History(); }},
         [](Writer& w) { return w.History(); },
         kRawOutOfOrder},
        {"history inside analog",
         {header, fn(1), table1, analogInfo},
         [](Writer& w) { return w.History(); },
         kRawOutOfOrder},
        {"analog after history",
         {header, fn(1), table1, [](Writer& w) { return w.History(); }},
         analogInfo,
         kRawOutOfOrder},
    };
}

// Every out-of-order or mismatched call fails with its status, and whatever the caller does
// next, no malformed file ever reads as complete.
TEST(CreateOrderTest, OutOfOrderCallsFailAndNeverLeaveAFileThatReadsComplete) {
    for (const OrderCase& c : OrderCases()) {
        ScratchDir dir{ScratchDir::Backing::kMemory};
        const std::string path = dir / "o.raw";
        Writer w;
        ASSERT_EQ(RawCreateOpen(path.c_str(), &w.w), kRawOk);
        bool ready = true;
        for (const Step& step : c.setUp) {
            const RawStatus s = step(w);
            EXPECT_EQ(s, kRawOk) << c.name << ": a set-up step failed";
            ready = ready && s == kRawOk;
        }
        if (!ready) {
            RawCreateAbandon(w.w);
            continue;
        }
        EXPECT_EQ(c.offending(w), c.expected) << c.name;
        // Closing (the handle may already be gone) must not produce a damaged complete file.
        const RawStatus closed = RawCreateClose(w.w);
        rawtest::Acquisition read;
        const RawStatus readBack = rawtest::ReadAcquisition(path, &read);
        if (closed == kRawOk) {
            EXPECT_EQ(readBack, kRawOk) << c.name;
        } else {
            EXPECT_EQ(readBack, kRawIncomplete) << c.name;
        }
    }
}

}  // namespace
