#include "tests/processing/fake_raw_library.h"

#include <cstring>
#include <sstream>

#include "rawio/record_fields.h"

namespace {

FakeRawLibrary* current = nullptr;

struct Handle {
    std::string path;
    bool create;
    std::int32_t function = 0;
};
std::map<RawHandle, Handle> handles;
RawHandle nextHandle = 1;

// memcpy that allows the empty arrays of empty scans and channels (null data pointers).
void CopyBytes(void* to, const void* from, std::size_t n) {
    if (n != 0) {
        std::memcpy(to, from, n);
    }
}

std::string Ptr(const void* p) {
    return p == nullptr ? "-" : "p";
}

// Records the call; returns the status the stand-in gives it.
RawStatus Call(const std::string& text) {
    current->calls.push_back(text);
    if (current->failAt == current->calls.size()) {
        return current->failStatus;
    }
    return kRawOk;
}

template <typename... Args>
std::string Format(const char* name, const Args&... args) {
    std::ostringstream out;
    out << name << "(";
    const char* sep = "";
    ((out << sep << args, sep = ","), ...);
    out << ")";
    return out.str();
}

FakeInput* Input(RawHandle r) {
    auto it = handles.find(r);
    if (it == handles.end() || it->second.create)
        return nullptr;
    auto in = current->inputs.find(it->second.path);
    return in == current->inputs.end() ? nullptr : &in->second;
}

FakeOutput* Output(RawHandle w) {
    auto it = handles.find(w);
    if (it == handles.end() || !it->second.create)
        return nullptr;
    return &current->outputs[it->second.path];
}

FakeFunction* Function(RawHandle r, std::int32_t f) {
    FakeInput* in = Input(r);
    if (in == nullptr || f < 1 || static_cast<std::size_t>(f) > in->functions.size()) {
        return nullptr;
    }
    return &in->functions[static_cast<std::size_t>(f - 1)];
}

RawStatus ReadOpen(const char* path, RawHandle* r) {
    const RawStatus s = Call(Format("RawReadOpen", path));
    if (s != kRawOk)
        return s;
    if (current->inputs.count(path) == 0)
        return kRawNotFound;
    *r = nextHandle++;
    handles[*r] = {path, false};
    ++current->liveAllocations;
    return kRawOk;
}

RawStatus CreateOpen(const char* path, RawHandle* w) {
    const RawStatus s = Call(Format("RawCreateOpen", path));
    if (s != kRawOk)
        return s;
    *w = nextHandle++;
    handles[*w] = {path, true};
    current->outputs[path] = FakeOutput{};
    ++current->liveAllocations;
    return kRawOk;
}

RawStatus ReadHeader(RawHandle r, void* record, void* block, std::uint16_t* count,
                     std::uint16_t* ignored) {
    const RawStatus s =
        Call(Format("RawReadHeader", r, Ptr(record), Ptr(block), Ptr(count), Ptr(ignored)));
    if (s != kRawOk)
        return s;
    FakeInput* in = Input(r);
    std::memcpy(record, in->headerRecord.data(), kHeaderRecordSize);
    std::memset(block, 0x5A, kHeaderBlockSize);
    *count = static_cast<std::uint16_t>(in->functions.size());
    return kRawOk;
}

RawStatus CreateHeader(RawHandle w, const void* record, const void* block) {
    const RawStatus s = Call(Format("RawCreateHeader", w, Ptr(record), Ptr(block)));
    if (s != kRawOk)
        return s;
    std::memcpy(Output(w)->headerRecord.data(), record, kHeaderRecordSize);
    return kRawOk;
}

RawStatus ReadFuncInfo(RawHandle r, std::int32_t f, void* record, std::uint16_t* ignored) {
    const RawStatus s = Call(Format("RawReadFuncInfo", r, f, Ptr(record), Ptr(ignored)));
    if (s != kRawOk)
        return s;
    std::memcpy(record, Function(r, f)->record.data(), kFunctionRecordSize);
    return kRawOk;
}

RawStatus ReadFuncInit(RawHandle r, std::int32_t f, std::int32_t a, std::int32_t b, void* rec,
                       void* block) {
    return Call(Format("RawReadFuncInit", r, f, a, b, Ptr(rec), Ptr(block)));
}

RawStatus ReadFuncEnd(RawHandle r, std::int32_t f, std::int32_t z) {
    return Call(Format("RawReadFuncEnd", r, f, z));
}

RawStatus ReadSpectrum(RawHandle r, std::int32_t f, std::int32_t z1, std::int32_t scan,
                       std::int32_t one, std::uint32_t* capacity, void* info, float* masses,
                       std::uint32_t* intensities, std::uint8_t* bytes, std::int32_t z2) {
    const RawStatus s =
        Call(Format("RawReadSpectrum", r, f, z1, scan, one, "cap=" + std::to_string(*capacity),
                    Ptr(info), Ptr(masses), Ptr(intensities), Ptr(bytes), z2));
    if (s != kRawOk)
        return s;
    const FakeScan& sc = Function(r, f)->scans[static_cast<std::size_t>(scan - 1)];
    std::memcpy(info, sc.info.data(), kScanInfoSize);
    const auto n = static_cast<std::uint32_t>(sc.masses.size());
    if (masses != nullptr) {
        if (n > *capacity)
            return kRawCapacityTooSmall;
        CopyBytes(masses, sc.masses.data(), n * 4u);
        CopyBytes(intensities, sc.intensities.data(), n * 4u);
        CopyBytes(bytes, sc.bytes.data(), n);
        if (current->extraPeaksReported != 0) {
            const std::uint32_t claimed = (rawio::Load32(sc.info.data()) & kScanInfoFlagBit) |
                                          (n + current->extraPeaksReported);
            rawio::Store32(static_cast<std::uint8_t*>(info) + kScanInfoCountOffset, claimed);
        }
    }
    *capacity = n;
    return kRawOk;
}

RawStatus ReadGetStatsFile(RawHandle r, std::int32_t f, std::int32_t z, void* statsFile) {
    const RawStatus s = Call(Format("RawReadGetStatsFile", r, f, z, Ptr(statsFile)));
    if (s != kRawOk)
        return s;
    if (!Function(r, f)->hasStats)
        return kRawNoData;
    const std::uint32_t token = r * 1000u + static_cast<std::uint32_t>(f);
    std::memcpy(statsFile, &token, 4);
    return kRawOk;
}

RawStatus StatsReadEntry(const void* statsFile, std::int32_t scan, void* record) {
    std::uint32_t token;
    std::memcpy(&token, statsFile, 4);
    const RawStatus s =
        Call(Format("RawStatsReadEntry", "token=" + std::to_string(token), scan, Ptr(record)));
    if (s != kRawOk)
        return s;
    const FakeFunction* fn = Function(token / 1000u, static_cast<std::int32_t>(token % 1000u));
    std::memcpy(record, fn->scans[static_cast<std::size_t>(scan - 1)].stats.data(),
                kStatsRecordSize);
    return kRawOk;
}

RawStatus EERead(RawHandle r, std::int32_t f, std::int32_t z, std::int32_t one, void* ee) {
    const RawStatus s = Call(Format("RawEERead", r, f, z, one, Ptr(ee)));
    if (s != kRawOk)
        return s;
    if (!Function(r, f)->hasEE)
        return kRawNoData;
    std::memcpy(ee, Function(r, f)->ee.data(), kEERecordSize);
    return kRawOk;
}

RawStatus CreateScanFile(RawHandle w, std::int32_t f, std::int32_t z, std::int32_t code) {
    return Call(Format("RawCreateScanFile", w, f, z, code));
}

RawStatus CreateScansEx(RawHandle w, std::int32_t f, std::int32_t z, std::int32_t code,
                        const void* header, std::uint32_t count, const float* masses,
                        const std::uint32_t* intensities, const std::uint8_t* bytes,
                        std::int32_t one) {
    const RawStatus s = Call(Format("RawCreateScansEx", w, f, z, code, Ptr(header), count,
                                    Ptr(masses), Ptr(intensities), Ptr(bytes), one));
    if (s != kRawOk)
        return s;
    FakeWrittenScan scan;
    scan.function = f;
    std::memcpy(scan.header.data(), header, kScanHeaderSize);
    scan.masses.assign(masses, masses + count);
    scan.intensities.assign(intensities, intensities + count);
    scan.bytes.assign(bytes, bytes + count);
    Output(w)->scans.push_back(std::move(scan));
    return kRawOk;
}

RawStatus CreateScansEnd(RawHandle w, std::int32_t f, std::int32_t z, std::int32_t code) {
    return Call(Format("RawCreateScansEnd", w, f, z, code));
}

RawStatus StatsCreateFile(RawHandle w, std::int32_t f, std::int32_t z) {
    return Call(Format("RawStatsCreateFile", w, f, z));
}

RawStatus StatsCreateRecord(RawHandle w, std::int32_t f, std::int32_t z, const void* record) {
    const RawStatus s = Call(Format("RawStatsCreateRecord", w, f, z, Ptr(record)));
    if (s != kRawOk)
        return s;
    std::array<std::uint8_t, kStatsRecordSize> copy;
    std::memcpy(copy.data(), record, kStatsRecordSize);
    Output(w)->stats.push_back(copy);
    return kRawOk;
}

RawStatus StatsCreateEnd(RawHandle w, std::int32_t f, std::int32_t z) {
    return Call(Format("RawStatsCreateEnd", w, f, z));
}

RawStatus EECreateFile(RawHandle w, std::int32_t f, std::int32_t z) {
    return Call(Format("RawEECreateFile", w, f, z));
}

RawStatus EECreateRecord(RawHandle w, std::int32_t f, std::int32_t z, const void* record) {
    const RawStatus s = Call(Format("RawEECreateRecord", w, f, z, Ptr(record)));
    if (s != kRawOk)
        return s;
    std::array<std::uint8_t, kEERecordSize> copy;
    std::memcpy(copy.data(), record, kEERecordSize);
    Output(w)->ee.push_back(copy);
    return kRawOk;
}

RawStatus EECreateEnd(RawHandle w, std::int32_t f, std::int32_t z) {
    return Call(Format("RawEECreateEnd", w, f, z));
}

RawStatus CreateFunctions(RawHandle w, std::uint16_t count, const void* table) {
    const RawStatus s = Call(Format("RawCreateFunctions", w, count, Ptr(table)));
    if (s != kRawOk)
        return s;
    const auto* bytes = static_cast<const std::uint8_t*>(table);
    Output(w)->functionTable.assign(bytes, bytes + std::size_t{count} * kFunctionRecordSize);
    return kRawOk;
}

RawStatus ReadAnalogNumber(RawHandle r, std::uint16_t* count) {
    const RawStatus s = Call(Format("RawReadAnalogNumber", r, Ptr(count)));
    if (s != kRawOk)
        return s;
    if (!Input(r)->hasAnalog)
        return kRawNoData;
    *count = static_cast<std::uint16_t>(Input(r)->channels.size());
    return kRawOk;
}

RawStatus ReadAnalogInfo(RawHandle r, std::int32_t k, void* info) {
    const RawStatus s = Call(Format("RawReadAnalogInfo", r, k, Ptr(info)));
    if (s != kRawOk)
        return s;
    std::memcpy(info, Input(r)->channels[static_cast<std::size_t>(k)].info.data(),
                kChannelInfoSize);
    return kRawOk;
}

RawStatus ReadAnalogSize(RawHandle r, std::int32_t k, std::uint32_t* points) {
    const RawStatus s = Call(Format("RawReadAnalogSize", r, k, Ptr(points)));
    if (s != kRawOk)
        return s;
    *points =
        static_cast<std::uint32_t>(Input(r)->channels[static_cast<std::size_t>(k)].first.size());
    return kRawOk;
}

RawStatus ReadAnalogChrom(RawHandle r, std::int32_t k, std::int32_t one, std::uint32_t points,
                          void* arrayB, void* arrayA) {
    const RawStatus s =
        Call(Format("RawReadAnalogChrom", r, k, one, points, Ptr(arrayB), Ptr(arrayA)));
    if (s != kRawOk)
        return s;
    const FakeChannel& ch = Input(r)->channels[static_cast<std::size_t>(k)];
    CopyBytes(arrayB, ch.second.data(), points * 4u);
    CopyBytes(arrayA, ch.first.data(), points * 4u);
    return kRawOk;
}

RawStatus CreateAnalogInf(RawHandle w, std::uint16_t count, const void* infos) {
    const RawStatus s = Call(Format("RawCreateAnalogInf", w, count, Ptr(infos)));
    if (s != kRawOk)
        return s;
    const auto* bytes = static_cast<const std::uint8_t*>(infos);
    Output(w)->channelInfos.assign(bytes, bytes + std::size_t{count} * kChannelInfoSize);
    return kRawOk;
}

RawStatus CreateAnalogFile(RawHandle w) {
    return Call(Format("RawCreateAnalogFile", w));
}

RawStatus CreateAnalogDataScans(RawHandle w, std::int32_t k, std::uint32_t points,
                                const void* arrayA, const void* arrayB) {
    const RawStatus s =
        Call(Format("RawCreateAnalogDataScans", w, k, points, Ptr(arrayA), Ptr(arrayB)));
    if (s != kRawOk)
        return s;
    FakeChannel ch;
    const auto* a = static_cast<const std::uint32_t*>(arrayA);
    const auto* b = static_cast<const std::uint32_t*>(arrayB);
    ch.first.assign(a, a + points);
    ch.second.assign(b, b + points);
    Output(w)->channels.push_back(std::move(ch));
    return kRawOk;
}

RawStatus CreateAnalogEnd(RawHandle w) {
    return Call(Format("RawCreateAnalogEnd", w));
}

RawStatus ReadProcInfo(RawHandle r, void* info, void* records) {
    const RawStatus s = Call(Format("RawReadProcInfo", r, Ptr(info), Ptr(records)));
    if (s != kRawOk)
        return s;
    const auto& history = Input(r)->history;
    std::memset(info, 0, kProcessInfoSize);
    rawio::SetProcessRecordCount(static_cast<std::uint8_t*>(info),
                                 static_cast<std::uint16_t>(history.size()));
    if (records != nullptr) {
        // The library may use all the room it asks for: (count + 2) records. Filling it all
        // lets the sanitizer build catch a caller that allocates less.
        std::memset(records, 0xEE, (history.size() + 2) * kProcessRecordSize);
        for (std::size_t i = 0; i < history.size(); ++i) {
            std::memcpy(static_cast<std::uint8_t*>(records) + i * kProcessRecordSize,
                        history[i].data(), kProcessRecordSize);
        }
    }
    return kRawOk;
}

RawStatus HistUpdateInfo(RawHandle w, const void* info, const void* records) {
    const RawStatus s = Call(Format("RawHistUpdateInfo", w, Ptr(info), Ptr(records)));
    if (s != kRawOk)
        return s;
    Output(w)->historyCount = rawio::ProcessRecordCount(static_cast<const std::uint8_t*>(info));
    return kRawOk;
}

RawStatus Release(RawHandle h, const char* name, bool create) {
    const RawStatus s = Call(Format(name, h));
    auto it = handles.find(h);
    if (it == handles.end() || it->second.create != create)
        return kRawBadHandle;
    handles.erase(it);
    --current->liveAllocations;
    return s;
}

RawStatus CreateClose(RawHandle w) {
    FakeOutput* out = Output(w);
    const RawStatus s = Release(w, "RawCreateClose", true);
    if (s == kRawOk && out != nullptr)
        out->closed = true;
    return s;
}

RawStatus ReadClose(RawHandle r) {
    return Release(r, "RawReadClose", false);
}

RawStatus CreateAbandon(RawHandle w) {
    FakeOutput* out = Output(w);
    if (out != nullptr)
        out->abandoned = true;
    return Release(w, "RawCreateAbandon", true);
}

const char* StatusText(RawStatus status) {
    return status == kRawIoError ? "injected failure" : "fake status";
}

const char* LastErrorDetail() {
    return "fake detail of the failed call";
}

}  // namespace

FakeRawLibrary::FakeRawLibrary() {
    current = this;
    handles.clear();
    nextHandle = 1;
}

FakeRawLibrary::~FakeRawLibrary() {
    current = nullptr;
}

const processing::RawOps& FakeRawLibrary::Ops() {
    static const processing::RawOps ops{
        ReadOpen,         CreateOpen,       ReadHeader,       CreateHeader,
        ReadFuncInfo,     ReadFuncInit,     ReadFuncEnd,      ReadSpectrum,
        ReadGetStatsFile, StatsReadEntry,   EERead,           CreateScanFile,
        CreateScansEx,    CreateScansEnd,   StatsCreateFile,  StatsCreateRecord,
        StatsCreateEnd,   EECreateFile,     EECreateRecord,   EECreateEnd,
        CreateFunctions,  ReadAnalogNumber, ReadAnalogInfo,   ReadAnalogSize,
        ReadAnalogChrom,  CreateAnalogInf,  CreateAnalogFile, CreateAnalogDataScans,
        CreateAnalogEnd,  ReadProcInfo,     HistUpdateInfo,   CreateClose,
        ReadClose,        CreateAbandon,    StatusText,       LastErrorDetail,
    };
    return ops;
}

FakeFunction MakeFakeFunction(std::uint32_t scans, std::uint32_t peaks, std::uint32_t seed,
                              std::uint32_t scanFileCode) {
    FakeFunction fn;
    std::uint32_t x = seed * 2654435761u + 1;
    auto next = [&x] { return x = x * 1664525u + 1013904223u; };
    for (auto& b : fn.record)
        b = static_cast<std::uint8_t>(next() >> 24);
    rawio::SetFunctionScanFileCode(fn.record.data(), scanFileCode);
    rawio::SetFunctionScanCount(fn.record.data(), scans);
    for (auto& b : fn.ee)
        b = static_cast<std::uint8_t>(next() >> 24);
    for (std::uint32_t s = 0; s < scans; ++s) {
        FakeScan scan;
        for (auto& b : scan.info)
            b = static_cast<std::uint8_t>(next() >> 24);
        rawio::Store32(scan.info.data() + kScanInfoCountOffset,
                       (next() & kScanInfoFlagBit) | peaks);
        for (auto& b : scan.stats)
            b = static_cast<std::uint8_t>(next() >> 24);
        for (std::uint32_t p = 0; p < peaks; ++p) {
            scan.masses.push_back(50.0f + static_cast<float>(next() % 115000u) / 100.0f);
            scan.intensities.push_back(next());
            scan.bytes.push_back(static_cast<std::uint8_t>(next() >> 24));
        }
        fn.scans.push_back(std::move(scan));
    }
    return fn;
}
