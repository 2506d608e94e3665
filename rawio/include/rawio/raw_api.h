#pragma once

// The raw data library: reading and creating acquisitions ("raw data files").
//
// Conventions, once for every operation below:
// - Every operation returns a RawStatus: 0 (kRawOk) for success, one of the RawStatusCode
//   values otherwise. RawStatusText turns any status into a sentence for messages.
// - A raw data file is a directory whose name ends in ".raw". The library owns the files with
//   the fixed names listed in docs/raw-format.md; every other entry of the directory belongs to
//   the user and is never read, changed or removed.
// - Handles are 32-bit values issued by RawReadOpen (read handles, "R") and RawCreateOpen
//   (create handles, "W"). 0 is never a valid handle. An unknown, closed or wrong-kind handle
//   gives kRawBadHandle. Many files may be open at once and from several threads; one handle
//   must be used by one thread at a time.
// - Records and arrays are caller-owned buffers passed by address, with the sizes below. The
//   library reads or fills exactly that many bytes; it never keeps a caller pointer past the
//   call. Arguments documented as "may be null" may be null; every other null pointer gives
//   kRawBadArgument.
// - Functions are numbered from 1, scans from 1, analog channels from 0.
// - Constant arguments (the "0" after a function number and the like) must have the value
//   given; any other value gives kRawBadArgument.
// - Statuses are coarse on purpose; RawLastErrorDetail gives, for the last call of the thread
//   that failed, which file and which check failed and the operating system's reason.
// - A file being created is complete only after RawCreateClose succeeds. RawReadOpen refuses
//   any other file with kRawIncomplete, so a half-written output never passes for a good one.

#include <cstddef>
#include <cstdint>

using RawStatus = std::int32_t;
using RawHandle = std::uint32_t;

enum RawStatusCode : RawStatus {
    kRawOk = 0,
    kRawNotFound = 1,           // no such file or directory
    kRawNotRawFile = 2,         // exists, but is not a raw data file of this library
    kRawIncomplete = 3,         // its creation never completed (no valid completion record)
    kRawCorrupt = 4,            // a checksum, count or offset does not hold
    kRawIoError = 5,            // the operating system refused a read or write (disk full, ...)
    kRawBadHandle = 6,          // unknown, closed or wrong kind of handle
    kRawBadArgument = 7,        // null pointer, value out of range, no such function or scan
    kRawOutOfOrder = 8,         // a create or read call made out of the required order
    kRawNoData = 9,             // the optional data asked for is absent
    kRawCapacityTooSmall = 10,  // the arrays given cannot hold the scan's peaks
    kRawNewerVersion = 11,      // written by a newer format version than this library reads
    kRawTooManyHandles = 12,    // the handle table is full
    kRawPathNotDirectory = 13,  // the path exists and is not a directory
    kRawOutOfMemory = 14,       // an allocation failed
};

// A sentence describing the status, e.g. "the file is incomplete: its creation never
// finished". Unknown values give a sentence that includes the number. Never null.
const char* RawStatusText(RawStatus status);

// The detail of the last failed call made on this thread, e.g. "/d/x.raw/brv-header.bin:
// cannot open: Permission denied" or "/d/x.raw/brv-f00002-scans.bin: block 7: the checksum
// does not match"; the status text when the library knows no more. A successful call leaves
// it as it was. "" before the first failure. Never null; the text stays valid until the
// thread's next failing call.
const char* RawLastErrorDetail();

// Record sizes in bytes.
inline constexpr std::size_t kHeaderRecordSize = 11480;
inline constexpr std::size_t kHeaderBlockSize = 3103498;
inline constexpr std::size_t kFunctionRecordSize = 416;
inline constexpr std::size_t kScanInfoSize = 40;
inline constexpr std::size_t kScanHeaderSize = 24;
inline constexpr std::size_t kStatsFileSize = 4;
inline constexpr std::size_t kStatsRecordSize = 192;
inline constexpr std::size_t kEERecordSize = 8;
inline constexpr std::size_t kChannelInfoSize = 85;
inline constexpr std::size_t kProcessInfoSize = 4100;
inline constexpr std::size_t kProcessRecordSize = 123;

// Named fields (byte offsets; all multi-byte values little-endian).
// functionRecord: word 0 bits 10..13 are the scan file code; bytes 18..21 the scan count
// (unsigned, unaligned). Everything else is opaque and carried byte for byte.
inline constexpr std::size_t kFunctionRecordScanCodeWord = 0;
inline constexpr unsigned kFunctionRecordScanCodeShift = 10;
inline constexpr std::uint32_t kFunctionRecordScanCodeMask = 15;
inline constexpr std::size_t kFunctionRecordScanCountOffset = 18;
// scanInfo: word 0 bits 0..30 peak count, bit 31 a flag; word 1 flag bits 0 and 2; the 32-bit
// values at bytes 12, 32 and 36 are scan values carried from the scan header.
inline constexpr std::size_t kScanInfoCountOffset = 0;
inline constexpr std::uint32_t kScanInfoCountMask = 0x7FFFFFFFu;
inline constexpr std::uint32_t kScanInfoFlagBit = 0x80000000u;
inline constexpr std::size_t kScanInfoFlagsOffset = 4;
inline constexpr std::size_t kScanInfoValue12Offset = 12;
inline constexpr std::size_t kScanInfoValue32Offset = 32;
inline constexpr std::size_t kScanInfoValue36Offset = 36;
// processInfo: bytes 2..3 hold the number of process records (unsigned 16-bit).
inline constexpr std::size_t kProcessInfoCountOffset = 2;

// scanHeader (24 bytes, six 32-bit words) given to RawCreateScansEx, and how RawReadSpectrum
// gives it back in scanInfo:
//   word 0: 0 or 1     -> scanInfo word 0 bit 31
//   word 1: 0 or 1     -> scanInfo word 1 bit 0
//   word 2: any        -> scanInfo bytes 32..35
//   word 3: any        -> scanInfo bytes 12..15
//   word 4: any        -> scanInfo bytes 36..39
//   word 5: 0 or 1     -> scanInfo word 1 bit 2
// Words 0, 1 and 5 must be 0 or 1 (else kRawBadArgument). The other scanInfo bytes read back
// as zero. The header is stored as given, so a reader can also get it back whole.

// ---- Opening and the header -------------------------------------------------------------

// Opens a complete raw data file for reading.
RawStatus RawReadOpen(const char* path, RawHandle* readHandle);
// Creates (or regenerates) a raw data file: the directory is made if it does not exist; in an
// existing raw data directory the library's own files are replaced when the new file is
// completed and every other entry is left. A path that exists and is not a directory gives
// kRawPathNotDirectory and touches nothing.
RawStatus RawCreateOpen(const char* path, RawHandle* createHandle);

// Fills headerRecord (kHeaderRecordSize) and headerBlock (kHeaderBlockSize) and the function
// count. `ignored` receives the format version; it may be null.
RawStatus RawReadHeader(RawHandle readHandle, void* headerRecord, void* headerBlock,
                        std::uint16_t* functionCount, std::uint16_t* ignored);
// First call after RawCreateOpen, exactly once.
RawStatus RawCreateHeader(RawHandle createHandle, const void* headerRecord,
                          const void* headerBlock);

// ---- Reading one function -----------------------------------------------------------------

// Fills the function's stored functionRecord. `ignored` receives 0; it may be null.
RawStatus RawReadFuncInfo(RawHandle readHandle, std::int32_t function, void* functionRecord,
                          std::uint16_t* ignored);
// Prepares the function's scans for RawReadSpectrum (loads its scan index). The record and the
// block are checked for size only and left unchanged. `zero1` and `zero2` must be 0.
RawStatus RawReadFuncInit(RawHandle readHandle, std::int32_t function, std::int32_t zero1,
                          std::int32_t zero2, void* functionRecord, void* headerBlock);
// Releases what RawReadFuncInit prepared.
RawStatus RawReadFuncEnd(RawHandle readHandle, std::int32_t function, std::int32_t zero);

// Reads scan `scan` of an initialised function. `one` must be 1 and `zero` 0.
// *capacity is the number of peaks the three arrays can hold. With *capacity 0 and all three
// arrays null only scanInfo is filled (a size query: an index look-up, no decoding).
// Otherwise the three arrays must be non-null; a scan of more peaks than *capacity gives
// kRawCapacityTooSmall and writes no array. On success *capacity is set to the peak count.
RawStatus RawReadSpectrum(RawHandle readHandle, std::int32_t function, std::int32_t zero1,
                          std::int32_t scan, std::int32_t one, std::uint32_t* capacity,
                          void* scanInfo, float* masses, std::uint32_t* intensities,
                          std::uint8_t* peakBytes, std::int32_t zero2);

// Statistics: kRawNoData when the function has none. statsFile (4 bytes) receives a token
// that stays valid until the read handle is closed.
RawStatus RawReadGetStatsFile(RawHandle readHandle, std::int32_t function, std::int32_t zero,
                              void* statsFile);
// Fills statsRecord (kStatsRecordSize) with the statistics entry of scan `scan`.
RawStatus RawStatsReadEntry(const void* statsFile, std::int32_t scan, void* statsRecord);

// Extended-experiment record `index` (from 1) of the function: kRawNoData when the function
// has none.
RawStatus RawEERead(RawHandle readHandle, std::int32_t function, std::int32_t zero,
                    std::int32_t index, void* eeRecord);

// ---- Creating one function ----------------------------------------------------------------
// Per function, in this order (functions 1, 2, 3, ... each exactly once):
//   RawCreateScanFile, [RawStatsCreateFile], { RawCreateScansEx, [RawStatsCreateRecord] }...,
//   RawCreateScansEnd, [RawStatsCreateEnd], [RawEECreateFile, RawEECreateRecord..., RawEECreateEnd]
// With statistics, each scan has exactly one statistics record, written after the scan.

// `scanFileCode` (0..15) must equal bits 10..13 of the function record later given to
// RawCreateFunctions, and be the same in RawCreateScansEnd.
RawStatus RawCreateScanFile(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                            std::int32_t scanFileCode);
// Appends one scan of `peakCount` peaks (arrays may be null when peakCount is 0); `one` must be
// 1. Scans are numbered in the order they are written.
RawStatus RawCreateScansEx(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                           std::int32_t scanFileCode, const void* scanHeader,
                           std::uint32_t peakCount, const float* masses,
                           const std::uint32_t* intensities, const std::uint8_t* peakBytes,
                           std::int32_t one);
RawStatus RawCreateScansEnd(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                            std::int32_t scanFileCode);

RawStatus RawStatsCreateFile(RawHandle createHandle, std::int32_t function, std::int32_t zero);
RawStatus RawStatsCreateRecord(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                               const void* statsRecord);
RawStatus RawStatsCreateEnd(RawHandle createHandle, std::int32_t function, std::int32_t zero);

RawStatus RawEECreateFile(RawHandle createHandle, std::int32_t function, std::int32_t zero);
RawStatus RawEECreateRecord(RawHandle createHandle, std::int32_t function, std::int32_t zero,
                            const void* eeRecord);
RawStatus RawEECreateEnd(RawHandle createHandle, std::int32_t function, std::int32_t zero);

// The function table: one 416-byte record per function, for functions 1..functionCount, after
// the last function was ended. functionCount must equal the number of functions created, and
// each record's scan count (bytes 18..21) and scan file code must match what was written.
RawStatus RawCreateFunctions(RawHandle createHandle, std::uint16_t functionCount,
                             const void* functionTable);

// ---- Analog channels ----------------------------------------------------------------------

// kRawNoData when the file has no analog channels.
RawStatus RawReadAnalogNumber(RawHandle readHandle, std::uint16_t* channelCount);
RawStatus RawReadAnalogInfo(RawHandle readHandle, std::int32_t channel, void* channelInfo);
RawStatus RawReadAnalogSize(RawHandle readHandle, std::int32_t channel, std::uint32_t* pointCount);
// Fills the channel's two point arrays (pointCount x 4 bytes each, pointCount equal to the
// channel's size): `arrayB` receives what RawCreateAnalogDataScans took as its second array,
// `arrayA` what it took as its first. `one` must be 1. Arrays may be null when pointCount is 0.
RawStatus RawReadAnalogChrom(RawHandle readHandle, std::int32_t channel, std::int32_t one,
                             std::uint32_t pointCount, void* arrayB, void* arrayA);

// In this order, after RawCreateFunctions: RawCreateAnalogInf (all channelCount x 85-byte
// records back to back), RawCreateAnalogFile, RawCreateAnalogDataScans once per channel
// 0, 1, ..., RawCreateAnalogEnd.
RawStatus RawCreateAnalogInf(RawHandle createHandle, std::uint16_t channelCount,
                             const void* channelInfos);
RawStatus RawCreateAnalogFile(RawHandle createHandle);
RawStatus RawCreateAnalogDataScans(RawHandle createHandle, std::int32_t channel,
                                   std::uint32_t pointCount, const void* arrayA,
                                   const void* arrayB);
RawStatus RawCreateAnalogEnd(RawHandle createHandle);

// ---- Processing history -------------------------------------------------------------------

// Fills processInfo (kProcessInfoSize); bytes 2..3 give the record count n. With a non-null
// processRecords buffer, also fills its first n x 123 bytes (the caller sizes it
// (n + 2) x 123). processRecords may be null. A file without history reads as n = 0.
RawStatus RawReadProcInfo(RawHandle readHandle, void* processInfo, void* processRecords);
// Stores the history given (n records, n from bytes 2..3 of processInfo) and appends one
// record of the library's own describing this file, so the file reads back n + 1 records.
// At most once per file, after RawCreateFunctions.
RawStatus RawHistUpdateInfo(RawHandle createHandle, const void* processInfo,
                            const void* processRecords);

// ---- Closing ------------------------------------------------------------------------------

// Completes the file durably and releases the handle. The handle is released also when it
// fails; the file then stays incomplete.
RawStatus RawCreateClose(RawHandle createHandle);
RawStatus RawReadClose(RawHandle readHandle);
// Gives up a file being created: releases the handle without completing the file, which stays
// incomplete (RawReadOpen refuses it) until a later create of the same path completes.
// Callers use it after a failure, so that handles are not left behind.
RawStatus RawCreateAbandon(RawHandle createHandle);
