#include "rawsynth/synth_acquisition.h"

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "rawio/record_fields.h"
#include "rawsynth/synth_companions.h"
#include "rawsynth/synth_records.h"
#include "rawsynth/synth_scan.h"

namespace rawsynth {

namespace {

// Names the step that failed; built only on failure, so the scan loop formats nothing.
class StepReporter {
  public:
    explicit StepReporter(std::string* failedStep) : failedStep_(failedStep) {}

    template <typename Describe>
    RawStatus Check(RawStatus status, Describe describe) const {
        if (status != kRawOk && failedStep_ != nullptr) {
            *failedStep_ = describe();
        }
        return status;
    }

  private:
    std::string* failedStep_;
};

std::string ForFunction(const char* operation, std::uint32_t function) {
    return std::string(operation) + " for function " + std::to_string(function);
}

std::string ForScan(const char* operation, std::uint32_t function, std::uint32_t scan) {
    return ForFunction(operation, function) + ", scan " + std::to_string(scan);
}

bool OptionsFit(const SynthOptions& options, std::string* failedStep) {
    const char* problem = nullptr;
    if (options.functions > std::numeric_limits<std::uint16_t>::max()) {
        problem = "more than 65535 functions";
    } else if (options.scans >
               static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        problem = "too many scans per function";
    } else if (options.peaks > kScanInfoCountMask) {
        problem = "too many peaks per scan";
    } else if (options.analogChannels > std::numeric_limits<std::uint16_t>::max()) {
        problem = "more than 65535 analog channels";
    } else if (options.historyRecords >= std::numeric_limits<std::uint16_t>::max()) {
        problem = "more than 65534 history records";
    }
    if (problem != nullptr && failedStep != nullptr) {
        *failedStep = std::string("options: ") + problem;
    }
    return problem == nullptr;
}

RawStatus WriteFunction(RawHandle handle, const SynthOptions& options, std::uint32_t function,
                        std::span<std::uint8_t> functionRecord, SynthScan& scan,
                        const StepReporter& step) {
    const std::int32_t f = static_cast<std::int32_t>(function);
    FillSynthFunctionRecord(options.seed, function, options.scans, functionRecord);
    const auto code = static_cast<std::int32_t>(rawio::FunctionScanFileCode(functionRecord.data()));
    RawStatus status = step.Check(RawCreateScanFile(handle, f, 0, code),
                                  [&] { return ForFunction("RawCreateScanFile", function); });
    if (status == kRawOk && options.statistics) {
        status = step.Check(RawStatsCreateFile(handle, f, 0),
                            [&] { return ForFunction("RawStatsCreateFile", function); });
    }
    std::uint8_t statsRecord[kStatsRecordSize];
    for (std::uint32_t s = 1; status == kRawOk && s <= options.scans; ++s) {
        GenerateSynthScan(options, function, s, scan);
        status = step.Check(
            RawCreateScansEx(handle, f, 0, code, scan.header.data(), options.peaks,
                             scan.masses.data(), scan.intensities.data(), scan.peakBytes.data(), 1),
            [&] { return ForScan("RawCreateScansEx", function, s); });
        if (status == kRawOk && options.statistics) {
            FillSynthStatsRecord(options.seed, function, s, scan, statsRecord);
            status = step.Check(RawStatsCreateRecord(handle, f, 0, statsRecord),
                                [&] { return ForScan("RawStatsCreateRecord", function, s); });
        }
    }
    if (status == kRawOk) {
        status = step.Check(RawCreateScansEnd(handle, f, 0, code),
                            [&] { return ForFunction("RawCreateScansEnd", function); });
    }
    if (status == kRawOk && options.statistics) {
        status = step.Check(RawStatsCreateEnd(handle, f, 0),
                            [&] { return ForFunction("RawStatsCreateEnd", function); });
    }
    if (status == kRawOk && options.extendedExperiment) {
        std::uint8_t eeRecord[kEERecordSize];
        FillSynthEERecord(options.seed, function, eeRecord);
        status = step.Check(RawEECreateFile(handle, f, 0),
                            [&] { return ForFunction("RawEECreateFile", function); });
        if (status == kRawOk) {
            status = step.Check(RawEECreateRecord(handle, f, 0, eeRecord),
                                [&] { return ForFunction("RawEECreateRecord", function); });
        }
        if (status == kRawOk) {
            status = step.Check(RawEECreateEnd(handle, f, 0),
                                [&] { return ForFunction("RawEECreateEnd", function); });
        }
    }
    return status;
}

RawStatus WriteAnalog(RawHandle handle, const SynthOptions& options, const StepReporter& step) {
    const auto channels = static_cast<std::uint16_t>(options.analogChannels);
    std::vector<std::uint8_t> infos(std::size_t{channels} * kChannelInfoSize);
    FillSynthChannelInfos(options.seed, infos);
    RawStatus status = step.Check(RawCreateAnalogInf(handle, channels, infos.data()),
                                  [] { return std::string("RawCreateAnalogInf"); });
    if (status == kRawOk) {
        status = step.Check(RawCreateAnalogFile(handle),
                            [] { return std::string("RawCreateAnalogFile"); });
    }
    std::vector<std::uint32_t> arrayA;
    std::vector<std::uint32_t> arrayB;
    for (std::uint32_t k = 0; status == kRawOk && k < channels; ++k) {
        FillSynthChannel(options.seed, k, options.analogPoints, arrayA, arrayB);
        status =
            step.Check(RawCreateAnalogDataScans(handle, static_cast<std::int32_t>(k),
                                                options.analogPoints, arrayA.data(), arrayB.data()),
                       [&] { return "RawCreateAnalogDataScans for channel " + std::to_string(k); });
    }
    if (status == kRawOk) {
        status = step.Check(RawCreateAnalogEnd(handle),
                            [] { return std::string("RawCreateAnalogEnd"); });
    }
    return status;
}

RawStatus WriteEverything(RawHandle handle, const SynthOptions& options, const StepReporter& step) {
    std::vector<std::uint8_t> headerRecord(kHeaderRecordSize);
    std::vector<std::uint8_t> headerBlock(kHeaderBlockSize);
    FillSynthHeader(options.seed, headerRecord, headerBlock);
    RawStatus status = step.Check(RawCreateHeader(handle, headerRecord.data(), headerBlock.data()),
                                  [] { return std::string("RawCreateHeader"); });
    headerBlock = {};

    std::vector<std::uint8_t> functionTable(std::size_t{options.functions} * kFunctionRecordSize);
    SynthScan scan;
    for (std::uint32_t function = 1; status == kRawOk && function <= options.functions;
         ++function) {
        const std::span<std::uint8_t> record(
            functionTable.data() + (function - 1) * kFunctionRecordSize, kFunctionRecordSize);
        status = WriteFunction(handle, options, function, record, scan, step);
    }
    if (status == kRawOk) {
        status =
            step.Check(RawCreateFunctions(handle, static_cast<std::uint16_t>(options.functions),
                                          functionTable.data()),
                       [] { return std::string("RawCreateFunctions"); });
    }
    if (status == kRawOk && options.analogChannels > 0) {
        status = WriteAnalog(handle, options, step);
    }
    if (status == kRawOk && options.historyRecords > 0) {
        std::vector<std::uint8_t> processInfo(kProcessInfoSize);
        std::vector<std::uint8_t> processRecords;
        FillSynthHistory(options.seed, options.historyRecords, processInfo, processRecords);
        status = step.Check(RawHistUpdateInfo(handle, processInfo.data(), processRecords.data()),
                            [] { return std::string("RawHistUpdateInfo"); });
    }
    return status;
}

}  // namespace

RawStatus SynthesizeAcquisition(const std::string& path, const SynthOptions& options,
                                std::string* failedStep) {
    if (!OptionsFit(options, failedStep)) {
        return kRawBadArgument;
    }
    const StepReporter step(failedStep);
    RawHandle handle = 0;
    RawStatus status = step.Check(RawCreateOpen(path.c_str(), &handle),
                                  [] { return std::string("RawCreateOpen"); });
    if (status != kRawOk) {
        return status;
    }
    status = WriteEverything(handle, options, step);
    if (status != kRawOk) {
        RawCreateAbandon(handle);
        return status;
    }
    status = step.Check(RawCreateClose(handle), [] { return std::string("RawCreateClose"); });
    if (status != kRawOk) {
        return status;
    }
    std::string error;
    if (!WriteSynthCompanions(path, options.seed, options.companions, error)) {
        if (failedStep != nullptr) {
            *failedStep = error;
        }
        return kRawIoError;
    }
    return kRawOk;
}

}  // namespace rawsynth
