// The C-style entry points of raw_api.h: handle look-up, then the reader or writer does the
// work. No exception leaves the library; an allocation failure becomes kRawOutOfMemory.

#include <cstring>
#include <new>

#include "rawio/byte_order.h"

#include "error_detail.h"
#include "handle_table.h"
#include "raw_reader.h"
#include "raw_writer.h"
#include "stats_tokens.h"

using rawio::RawReader;
using rawio::RawWriter;

namespace {

rawio::HandleTable<RawReader>& Readers() {
    static rawio::HandleTable<RawReader> table;
    return table;
}

rawio::HandleTable<RawWriter>& Writers() {
    static rawio::HandleTable<RawWriter> table;
    return table;
}

template <typename Body>
RawStatus Unguarded(Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return rawio::NoteFailure(kRawOutOfMemory, "an allocation failed");
    } catch (...) {
        return kRawIoError;
    }
}

// Every entry point: the failure detail of the call is published when it returns.
template <typename Body>
RawStatus Guarded(Body body) {
    rawio::BeginCall();
    return rawio::EndCall(Unguarded(body));
}

template <typename Body>
RawStatus WithReader(RawHandle handle, Body body) {
    return Guarded([&]() -> RawStatus {
        const std::shared_ptr<RawReader> reader = Readers().Find(handle);
        return reader ? body(*reader) : kRawBadHandle;
    });
}

template <typename Body>
RawStatus WithWriter(RawHandle handle, Body body) {
    return Guarded([&]() -> RawStatus {
        const std::shared_ptr<RawWriter> writer = Writers().Find(handle);
        return writer ? body(*writer) : kRawBadHandle;
    });
}

}  // namespace

RawStatus RawReadOpen(const char* path, RawHandle* readHandle) {
    return Guarded([&]() -> RawStatus {
        if (readHandle == nullptr) {
            return kRawBadArgument;
        }
        std::shared_ptr<RawReader> reader;
        if (const RawStatus status = RawReader::Open(path, &reader); status != kRawOk) {
            return status;
        }
        return Readers().Insert(std::move(reader), readHandle);
    });
}

RawStatus RawCreateOpen(const char* path, RawHandle* createHandle) {
    return Guarded([&]() -> RawStatus {
        if (createHandle == nullptr) {
            return kRawBadArgument;
        }
        std::shared_ptr<RawWriter> writer;
        if (const RawStatus status = RawWriter::Open(path, &writer); status != kRawOk) {
            return status;
        }
        return Writers().Insert(std::move(writer), createHandle);
    });
}

RawStatus RawReadHeader(RawHandle readHandle, void* headerRecord, void* headerBlock,
                        std::uint16_t* functionCount, std::uint16_t* ignored) {
    return WithReader(readHandle, [&](RawReader& r) {
        return r.ReadHeader(headerRecord, headerBlock, functionCount, ignored);
    });
}

RawStatus RawCreateHeader(RawHandle createHandle, const void* headerRecord,
                          const void* headerBlock) {
    return WithWriter(createHandle,
                      [&](RawWriter& w) { return w.CreateHeader(headerRecord, headerBlock); });
}

RawStatus RawReadFuncInfo(RawHandle readHandle, std::int32_t function, void* functionRecord,
                          std::uint16_t* ignored) {
    return WithReader(readHandle, [&](RawReader& r) {
        return r.FunctionInfo(function, functionRecord, ignored);
    });
}

RawStatus RawReadFuncInit(RawHandle readHandle, std::int32_t function, std::int32_t zero1,
                          std::int32_t zero2, void* functionRecord, void* headerBlock) {
    return WithReader(readHandle, [&](RawReader& r) {
        return r.FunctionInit(function, zero1, zero2, functionRecord, headerBlock);
    });
}

RawStatus RawReadFuncEnd(RawHandle readHandle, std::int32_t function, std::int32_t zero) {
    return WithReader(readHandle, [&](RawReader& r) { return r.FunctionEnd(function, zero); });
}

RawStatus RawReadSpectrum(RawHandle readHandle, std::int32_t function, std::int32_t zero1,
                          std::int32_t scan, std::int32_t one, std::uint32_t* capacity,
                          void* scanInfo, float* masses, std::uint32_t* intensities,
                          std::uint8_t* peakBytes, std::int32_t zero2) {
    return WithReader(readHandle, [&](RawReader& r) {
        return r.Spectrum(function, zero1, scan, one, capacity, scanInfo, masses, intensities,
                          peakBytes, zero2);
    });
}

RawStatus RawReadGetStatsFile(RawHandle readHandle, std::int32_t function, std::int32_t zero,
                              void* statsFile) {
    return WithReader(readHandle, [&](RawReader& r) -> RawStatus {
        if (statsFile == nullptr) {
            return kRawBadArgument;
        }
        if (const RawStatus status = r.HasStats(function, zero); status != kRawOk) {
            return status;
        }
        std::uint32_t token = 0;
        if (const RawStatus status = rawio::IssueStatsToken({readHandle, function}, &token);
            status != kRawOk) {
            return status;
        }
        std::uint8_t bytes[kStatsFileSize];
        rawio::Store32(bytes, token);
        std::memcpy(statsFile, bytes, sizeof bytes);
        return kRawOk;
    });
}

RawStatus RawStatsReadEntry(const void* statsFile, std::int32_t scan, void* statsRecord) {
    return Guarded([&]() -> RawStatus {
        if (statsFile == nullptr) {
            return kRawBadArgument;
        }
        rawio::StatsTarget target;
        if (!rawio::FindStatsToken(rawio::Load32(static_cast<const std::uint8_t*>(statsFile)),
                                   &target)) {
            return kRawBadHandle;
        }
        const std::shared_ptr<RawReader> reader = Readers().Find(target.readHandle);
        return reader ? reader->StatsEntry(target.function, scan, statsRecord) : kRawBadHandle;
    });
}

RawStatus RawEERead(RawHandle readHandle, std::int32_t function, std::int32_t zero,
                    std::int32_t index, void* eeRecord) {
    return WithReader(readHandle, [&](RawReader& r) {
        return r.ExtendedRecord(function, zero, index, eeRecord);
    });
}

RawStatus RawCreateScanFile(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                            std::int32_t scanFileCode) {
    return WithWriter(createHandle,
                      [&](RawWriter& w) { return w.CreateScanFile(function, zero, scanFileCode); });
}

RawStatus RawCreateScansEx(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                           std::int32_t scanFileCode, const void* scanHeader,
                           std::uint32_t peakCount, const float* masses,
                           const std::uint32_t* intensities, const std::uint8_t* peakBytes,
                           std::int32_t one) {
    return WithWriter(createHandle, [&](RawWriter& w) {
        return w.CreateScan(function, zero, scanFileCode, scanHeader, peakCount, masses,
                            intensities, peakBytes, one);
    });
}

RawStatus RawCreateScansEnd(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                            std::int32_t scanFileCode) {
    return WithWriter(createHandle,
                      [&](RawWriter& w) { return w.CreateScansEnd(function, zero, scanFileCode); });
}

RawStatus RawStatsCreateFile(RawHandle createHandle, std::int32_t function, std::int32_t zero) {
    return WithWriter(createHandle,
                      [&](RawWriter& w) { return w.StatsCreateFile(function, zero); });
}

RawStatus RawStatsCreateRecord(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                               const void* statsRecord) {
    return WithWriter(createHandle, [&](RawWriter& w) {
        return w.StatsCreateRecord(function, zero, statsRecord);
    });
}

RawStatus RawStatsCreateEnd(RawHandle createHandle, std::int32_t function, std::int32_t zero) {
    return WithWriter(createHandle, [&](RawWriter& w) { return w.StatsCreateEnd(function, zero); });
}

RawStatus RawEECreateFile(RawHandle createHandle, std::int32_t function, std::int32_t zero) {
    return WithWriter(createHandle,
                      [&](RawWriter& w) { return w.ExtendedCreateFile(function, zero); });
}

RawStatus RawEECreateRecord(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                            const void* eeRecord) {
    return WithWriter(createHandle, [&](RawWriter& w) {
        return w.ExtendedCreateRecord(function, zero, eeRecord);
    });
}

RawStatus RawEECreateEnd(RawHandle createHandle, std::int32_t function, std::int32_t zero) {
    return WithWriter(createHandle,
                      [&](RawWriter& w) { return w.ExtendedCreateEnd(function, zero); });
}

RawStatus RawCreateFunctions(RawHandle createHandle, std::uint16_t functionCount,
                             const void* functionTable) {
    return WithWriter(createHandle, [&](RawWriter& w) {
        return w.CreateFunctions(functionCount, functionTable);
    });
}

RawStatus RawReadAnalogNumber(RawHandle readHandle, std::uint16_t* channelCount) {
    return WithReader(readHandle, [&](RawReader& r) { return r.AnalogCount(channelCount); });
}

RawStatus RawReadAnalogInfo(RawHandle readHandle, std::int32_t channel, void* channelInfo) {
    return WithReader(readHandle, [&](RawReader& r) { return r.AnalogInfo(channel, channelInfo); });
}

RawStatus RawReadAnalogSize(RawHandle readHandle, std::int32_t channel, std::uint32_t* pointCount) {
    return WithReader(readHandle, [&](RawReader& r) { return r.AnalogSize(channel, pointCount); });
}

RawStatus RawReadAnalogChrom(RawHandle readHandle, std::int32_t channel, std::int32_t one,
                             std::uint32_t pointCount, void* arrayB, void* arrayA) {
    return WithReader(readHandle, [&](RawReader& r) {
        return r.AnalogArrays(channel, one, pointCount, arrayB, arrayA);
    });
}

RawStatus RawCreateAnalogInf(RawHandle createHandle, std::uint16_t channelCount,
                             const void* channelInfos) {
    return WithWriter(createHandle,
                      [&](RawWriter& w) { return w.AnalogInfo(channelCount, channelInfos); });
}

RawStatus RawCreateAnalogFile(RawHandle createHandle) {
    return WithWriter(createHandle, [&](RawWriter& w) { return w.AnalogFile(); });
}

RawStatus RawCreateAnalogDataScans(RawHandle createHandle, std::int32_t channel,
                                   std::uint32_t pointCount, const void* arrayA,
                                   const void* arrayB) {
    return WithWriter(createHandle, [&](RawWriter& w) {
        return w.AnalogData(channel, pointCount, arrayA, arrayB);
    });
}

RawStatus RawCreateAnalogEnd(RawHandle createHandle) {
    return WithWriter(createHandle, [&](RawWriter& w) { return w.AnalogEnd(); });
}

RawStatus RawReadProcInfo(RawHandle readHandle, void* processInfo, void* processRecords) {
    return WithReader(readHandle,
                      [&](RawReader& r) { return r.ProcessInfo(processInfo, processRecords); });
}

RawStatus RawHistUpdateInfo(RawHandle createHandle, const void* processInfo,
                            const void* processRecords) {
    return WithWriter(createHandle,
                      [&](RawWriter& w) { return w.History(processInfo, processRecords); });
}

RawStatus RawCreateClose(RawHandle createHandle) {
    return Guarded([&]() -> RawStatus {
        const std::shared_ptr<RawWriter> writer = Writers().Remove(createHandle);
        return writer ? writer->Close() : kRawBadHandle;
    });
}

RawStatus RawReadClose(RawHandle readHandle) {
    return Guarded([&]() -> RawStatus {
        const std::shared_ptr<RawReader> reader = Readers().Remove(readHandle);
        if (!reader) {
            return kRawBadHandle;
        }
        rawio::DropStatsTokens(readHandle);
        return kRawOk;
    });
}

RawStatus RawCreateAbandon(RawHandle createHandle) {
    return Guarded(
        [&]() -> RawStatus { return Writers().Remove(createHandle) ? kRawOk : kRawBadHandle; });
}

const char* RawLastErrorDetail() {
    return rawio::LastFailureDetail();
}
