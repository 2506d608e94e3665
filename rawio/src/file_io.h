#pragma once

// Every file-system call of the library goes through here, so that a test can make any one
// of them fail (see SetIoFaultPlan). Each function below is one counted operation.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rawio/raw_api.h"

namespace rawio {

// Links are not followed: a link to a directory is told apart from a directory.
enum class PathKind { kMissing, kDirectory, kLinkToDirectory, kBrokenLink, kOther };

RawStatus StatPath(const std::string& path, PathKind* kind);
// A missing parent gives kRawNotFound.
RawStatus MakeDirectory(const std::string& path);
RawStatus ListDirectory(const std::string& path, std::vector<std::string>* names);
// Removing a file that does not exist succeeds.
RawStatus RemoveFile(const std::string& path);
RawStatus RenameFile(const std::string& from, const std::string& to);
// Makes the directory's entries (creations, renames, removals) durable.
RawStatus SyncDirectory(const std::string& path);

class File {
  public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File();  // closes without reporting; call Close to learn of errors

    // A missing file gives kRawNotFound; anything but a regular file (a directory, a pipe, a
    // device) gives kRawNotRawFile. The open never blocks, so a pipe cannot hang a reader.
    static RawStatus OpenForRead(const std::string& path, File* out);
    // Creates a new, empty file under `path`. An existing file of that name is unlinked first,
    // so a reader that still has the old one open keeps reading the old bytes.
    static RawStatus Create(const std::string& path, File* out);

    bool IsOpen() const { return fd >= 0; }
    // The path the file was opened or created under, for failure details.
    const std::string& Path() const { return path; }
    RawStatus Size(std::uint64_t* size);
    // Reads exactly `size` bytes; a file that ends earlier gives kRawCorrupt.
    RawStatus ReadAt(std::uint64_t offset, void* dst, std::size_t size);
    // Writes all `size` bytes at the end or fails (disk full is kRawIoError).
    RawStatus Write(const void* src, std::size_t size);
    RawStatus Sync();
    // Asks the kernel to start writing back [offset, offset + size) now, without waiting, so
    // that the Sync at the end of the file finds little left to do. Only a hint: it promises
    // no durability, its failure is ignored (Sync reports any real write error) and it is not
    // a counted operation.
    void StartWriteback(std::uint64_t offset, std::uint64_t size);
    RawStatus Close();

  private:
    int fd = -1;
    std::string path;
};

// Test hook. With failAt = N > 0 the N-th operation from now fails (with `error` as errno),
// and with everyFromThenOn every later one too; a failing write first writes half its bytes,
// as a full disk does. failAt = 0 switches faults off. Not for use while other threads do I/O.
struct IoFaultPlan {
    std::uint64_t failAt = 0;
    bool everyFromThenOn = false;
    int error = 5;  // EIO
};
void SetIoFaultPlan(const IoFaultPlan& plan);
// Operations counted since the last SetIoFaultPlan.
std::uint64_t IoOperationCount();

}  // namespace rawio
