#include "processing/raw_ops.h"

namespace processing {

const RawOps& DefaultRawOps() {
    static const RawOps ops{
        RawReadOpen,         RawCreateOpen,       RawReadHeader,       RawCreateHeader,
        RawReadFuncInfo,     RawReadFuncInit,     RawReadFuncEnd,      RawReadSpectrum,
        RawReadGetStatsFile, RawStatsReadEntry,   RawEERead,           RawCreateScanFile,
        RawCreateScansEx,    RawCreateScansEnd,   RawStatsCreateFile,  RawStatsCreateRecord,
        RawStatsCreateEnd,   RawEECreateFile,     RawEECreateRecord,   RawEECreateEnd,
        RawCreateFunctions,  RawReadAnalogNumber, RawReadAnalogInfo,   RawReadAnalogSize,
        RawReadAnalogChrom,  RawCreateAnalogInf,  RawCreateAnalogFile, RawCreateAnalogDataScans,
        RawCreateAnalogEnd,  RawReadProcInfo,     RawHistUpdateInfo,   RawCreateClose,
        RawReadClose,        RawCreateAbandon,    RawStatusText,       RawLastErrorDetail,
    };
    return ops;
}

RunFailure LibraryFailure(const RawOps& ops, RawStatus status, const char* operation,
                          std::string where) {
    RunFailure failure;
    failure.operation = operation;
    failure.status = status;
    failure.text = ops.StatusText(status);
    failure.detail = ops.LastErrorDetail();
    failure.where = std::move(where);
    return failure;
}

}  // namespace processing
