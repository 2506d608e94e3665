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

}  // namespace processing
