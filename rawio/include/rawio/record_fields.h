#pragma once

// The named fields of the API's records (offsets in raw_api.h), read and written in one place
// for the library, the processing layer, the open-format converters and the tools. Records
// are byte arrays in the caller's hands, so every accessor takes a pointer to the record's
// first byte and touches nothing beyond the field.

#include <array>
#include <cstdint>

#include "rawio/byte_order.h"
#include "rawio/raw_api.h"

namespace rawio {

// functionRecord --------------------------------------------------------------------------

inline std::uint32_t FunctionScanCount(const std::uint8_t* functionRecord) {
    return Load32(functionRecord + kFunctionRecordScanCountOffset);
}
inline void SetFunctionScanCount(std::uint8_t* functionRecord, std::uint32_t scans) {
    Store32(functionRecord + kFunctionRecordScanCountOffset, scans);
}

// The code lies within the low 16 bits of word 0, so only those two bytes are read or written:
// the rest of the word is opaque to the library and must survive a change of code.
inline std::uint32_t FunctionScanFileCode(const std::uint8_t* functionRecord) {
    return (std::uint32_t{Load16(functionRecord + kFunctionRecordScanCodeWord)} >>
            kFunctionRecordScanCodeShift) &
           kFunctionRecordScanCodeMask;
}
inline void SetFunctionScanFileCode(std::uint8_t* functionRecord, std::uint32_t code) {
    std::uint8_t* word = functionRecord + kFunctionRecordScanCodeWord;
    const std::uint32_t kept =
        Load16(word) & ~(kFunctionRecordScanCodeMask << kFunctionRecordScanCodeShift);
    Store16(word, static_cast<std::uint16_t>(kept | ((code & kFunctionRecordScanCodeMask)
                                                     << kFunctionRecordScanCodeShift)));
}

// scanInfo --------------------------------------------------------------------------------

inline std::uint32_t ScanInfoPeakCount(const std::uint8_t* scanInfo) {
    return Load32(scanInfo + kScanInfoCountOffset) & kScanInfoCountMask;
}

using ScanHeaderBytes = std::array<std::uint8_t, kScanHeaderSize>;

// The scan header that RawReadSpectrum's scanInfo was written from (the table in raw_api.h,
// read backwards): writing a scan with it reproduces the scanInfo of the scan it came from.
inline ScanHeaderBytes ScanHeaderFromScanInfo(const std::uint8_t* scanInfo) {
    const std::uint32_t word0 = Load32(scanInfo + kScanInfoCountOffset);
    const std::uint32_t flags = Load32(scanInfo + kScanInfoFlagsOffset);
    ScanHeaderBytes header{};
    Store32(header.data() + 0, (word0 & kScanInfoFlagBit) != 0 ? 1u : 0u);
    Store32(header.data() + 4, flags & 1u);
    Store32(header.data() + 8, Load32(scanInfo + kScanInfoValue32Offset));
    Store32(header.data() + 12, Load32(scanInfo + kScanInfoValue12Offset));
    Store32(header.data() + 16, Load32(scanInfo + kScanInfoValue36Offset));
    Store32(header.data() + 20, (flags >> 2) & 1u);
    return header;
}

// processInfo -----------------------------------------------------------------------------

inline std::uint16_t ProcessRecordCount(const std::uint8_t* processInfo) {
    return Load16(processInfo + kProcessInfoCountOffset);
}
inline void SetProcessRecordCount(std::uint8_t* processInfo, std::uint16_t count) {
    Store16(processInfo + kProcessInfoCountOffset, count);
}

}  // namespace rawio
