#include "processing/copy_analog_history.h"

#include <cstdint>
#include <memory>
#include <string>

#include "rawio/record_fields.h"

namespace processing {

namespace {

class Copier {
  public:
    Copier(const RawOps& rawOps, RawHandle readHandle, RawHandle createHandle,
           RunFailure& failureOut)
        : ops(rawOps), r(readHandle), w(createHandle), failure(failureOut) {}

    bool Run() { return CopyAnalog() && CopyHistory(); }

  private:
    bool CopyAnalog() {
        std::uint16_t count = 0;
        const RawStatus status = ops.ReadAnalogNumber(r, &count);
        // "No such data" means no channels; any other failure (a damaged file, say) must not
        // pass for absent channels.
        if (status == kRawNoData || (status == kRawOk && count == 0)) {
            return true;
        }
        if (!Ok(status, "RawReadAnalogNumber", -1)) {
            return false;
        }
        {
            auto infos = std::make_unique<std::uint8_t[]>(std::size_t{count} * kChannelInfoSize);
            for (std::uint16_t i = 0; i < count; ++i) {
                if (!Ok(ops.ReadAnalogInfo(r, i, infos.get() + std::size_t{i} * kChannelInfoSize),
                        "RawReadAnalogInfo", i)) {
                    return false;
                }
            }
            if (!Ok(ops.CreateAnalogInf(w, count, infos.get()), "RawCreateAnalogInf", -1)) {
                return false;
            }
        }
        if (!Ok(ops.CreateAnalogFile(w), "RawCreateAnalogFile", -1)) {
            return false;
        }
        for (std::uint16_t k = 0; k < count; ++k) {
            std::uint32_t points = 0;
            if (!Ok(ops.ReadAnalogSize(r, k, &points), "RawReadAnalogSize", k)) {
                return false;
            }
            // The read hands the arrays back in the other order than the create takes them.
            auto first = std::make_unique_for_overwrite<std::uint32_t[]>(points);
            auto second = std::make_unique_for_overwrite<std::uint32_t[]>(points);
            if (!Ok(ops.ReadAnalogChrom(r, k, 1, points, second.get(), first.get()),
                    "RawReadAnalogChrom", k) ||
                !Ok(ops.CreateAnalogDataScans(w, k, points, first.get(), second.get()),
                    "RawCreateAnalogDataScans", k)) {
                return false;
            }
        }
        return Ok(ops.CreateAnalogEnd(w), "RawCreateAnalogEnd", -1);
    }

    bool CopyHistory() {
        std::uint8_t processInfo[kProcessInfoSize] = {};
        if (!Ok(ops.ReadProcInfo(r, processInfo, nullptr), "RawReadProcInfo", -1)) {
            return false;
        }
        const std::size_t records = rawio::ProcessRecordCount(processInfo);
        if (records == 0) {
            return true;
        }
        // Room for two records more than the count, as the library asks.
        auto buffer = std::make_unique<std::uint8_t[]>((records + 2) * kProcessRecordSize);
        return Ok(ops.ReadProcInfo(r, processInfo, buffer.get()), "RawReadProcInfo", -1) &&
               Ok(ops.HistUpdateInfo(w, processInfo, buffer.get()), "RawHistUpdateInfo", -1);
    }

    bool Ok(RawStatus status, const char* operation, int channel) {
        if (status == kRawOk) {
            return true;
        }
        failure = LibraryFailure(ops, status, operation,
                                 channel >= 0 ? "analog channel " + std::to_string(channel) : "");
        return false;
    }

    const RawOps& ops;
    const RawHandle r;
    const RawHandle w;
    RunFailure& failure;
};

}  // namespace

bool CopyAnalogAndHistory(const RawOps& ops, RawHandle readHandle, RawHandle createHandle,
                          RunFailure& failure) {
    return Copier(ops, readHandle, createHandle, failure).Run();
}

}  // namespace processing
