#include "rawio/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace rawio {
namespace {

std::atomic<std::uint64_t> operationCount{0};
std::atomic<std::uint64_t> failAt{0};
std::atomic<bool> failFromThenOn{false};
std::atomic<int> failError{EIO};

// Counts one operation; returns the errno to fake, or 0 to go ahead.
int NextOperation() {
    const std::uint64_t n = ++operationCount;
    const std::uint64_t target = failAt.load();
    if (target == 0) {
        return 0;
    }
    if (n == target || (failFromThenOn.load() && n > target)) {
        return failError.load();
    }
    return 0;
}

RawStatus FromErrno(int error) {
    switch (error) {
        case ENOENT:
            return kRawNotFound;
        case ENOTDIR:
            return kRawNotFound;  // a path component is not a directory
        case ENOMEM:
            return kRawOutOfMemory;
        default:
            return kRawIoError;
    }
}

}  // namespace

void SetIoFaultPlan(const IoFaultPlan& plan) {
    failAt = plan.failAt;
    failFromThenOn = plan.everyFromThenOn;
    failError = plan.error;
    operationCount = 0;
}

std::uint64_t IoOperationCount() { return operationCount.load(); }

RawStatus StatPath(const std::string& path, PathKind* kind) {
    if (const int e = NextOperation()) {
        return FromErrno(e == ENOENT ? EIO : e);
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            *kind = PathKind::kMissing;
            return kRawOk;
        }
        return FromErrno(errno);
    }
    *kind = S_ISDIR(st.st_mode) ? PathKind::kDirectory : PathKind::kOther;
    return kRawOk;
}

RawStatus MakeDirectory(const std::string& path) {
    if (const int e = NextOperation()) {
        return FromErrno(e);
    }
    if (::mkdir(path.c_str(), 0777) != 0) {
        return FromErrno(errno);
    }
    return kRawOk;
}

RawStatus ListDirectory(const std::string& path, std::vector<std::string>* names) {
    if (const int e = NextOperation()) {
        return FromErrno(e);
    }
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return FromErrno(errno);
    }
    names->clear();
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names->push_back(name);
        }
    }
    const int error = errno;
    ::closedir(dir);
    return error == 0 ? kRawOk : FromErrno(error);
}

RawStatus RemoveFile(const std::string& path) {
    if (const int e = NextOperation()) {
        return FromErrno(e);
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return FromErrno(errno);
    }
    return kRawOk;
}

RawStatus RenameFile(const std::string& from, const std::string& to) {
    if (const int e = NextOperation()) {
        return FromErrno(e);
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return FromErrno(errno);
    }
    return kRawOk;
}

RawStatus SyncDirectory(const std::string& path) {
    if (const int e = NextOperation()) {
        return FromErrno(e);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return FromErrno(errno);
    }
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    return rc == 0 ? kRawOk : FromErrno(error);
}

File::File(File&& other) noexcept : fd(other.fd) { other.fd = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = other.fd;
        other.fd = -1;
    }
    return *this;
}

File::~File() {
    if (fd >= 0) {
        ::close(fd);
    }
}

RawStatus File::OpenForRead(const std::string& path, File* out) {
    if (const int e = NextOperation()) {
        return FromErrno(e == ENOENT ? EIO : e);
    }
    const int newFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (newFd < 0) {
        return FromErrno(errno);
    }
    *out = File();
    out->fd = newFd;
    return kRawOk;
}

RawStatus File::Create(const std::string& path, File* out) {
    if (const int e = NextOperation()) {
        return FromErrno(e == ENOENT ? EIO : e);
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return FromErrno(errno);
    }
    const int newFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (newFd < 0) {
        return FromErrno(errno == ENOENT ? EIO : errno);
    }
    *out = File();
    out->fd = newFd;
    return kRawOk;
}

RawStatus File::Size(std::uint64_t* size) {
    if (const int e = NextOperation()) {
        return FromErrno(e);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return FromErrno(errno);
    }
    *size = static_cast<std::uint64_t>(st.st_size);
    return kRawOk;
}

RawStatus File::ReadAt(std::uint64_t offset, void* dst, std::size_t size) {
    if (NextOperation() != 0) {
        return kRawIoError;
    }
    auto* p = static_cast<char*>(dst);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return kRawIoError;
        }
        if (n == 0) {
            return kRawCorrupt;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return kRawOk;
}

RawStatus File::Write(const void* src, std::size_t size) {
    const auto* p = static_cast<const char*>(src);
    if (const int e = NextOperation()) {
        // A full disk typically takes part of the data before refusing the rest.
        [[maybe_unused]] const ssize_t ignored = ::write(fd, p, size / 2);
        return e == ENOMEM ? kRawOutOfMemory : kRawIoError;
    }
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return kRawIoError;
        }
        if (n == 0) {
            return kRawIoError;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return kRawOk;
}

RawStatus File::Sync() {
    if (NextOperation() != 0) {
        return kRawIoError;
    }
    return ::fdatasync(fd) == 0 ? kRawOk : kRawIoError;
}

void File::StartWriteback(std::uint64_t offset, std::uint64_t size) {
#if defined(__linux__)
    [[maybe_unused]] const int ignored = ::sync_file_range(
        fd, static_cast<off_t>(offset), static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
#else
    (void)offset;
    (void)size;
#endif
}

RawStatus File::Close() {
    if (fd < 0) {
        return kRawOk;
    }
    const int oldFd = fd;
    fd = -1;
    const int e = NextOperation();
    const int rc = ::close(oldFd);
    if (e != 0 || rc != 0) {
        return kRawIoError;
    }
    return kRawOk;
}

}  // namespace rawio
