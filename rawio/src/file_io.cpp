#include "file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "error_detail.h"

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

RawStatus StatusOf(int error) {
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

// The status for a refused system call, with the path, the action and the reason noted.
RawStatus Refused(const std::string& path, const char* action, int error) {
    return NoteSystemFailure(StatusOf(error), path, action, error);
}

// The same, when the status is fixed whatever the errno.
RawStatus RefusedAs(RawStatus status, const std::string& path, const char* action, int error) {
    return NoteSystemFailure(status, path, action, error);
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

}  // namespace

void SetIoFaultPlan(const IoFaultPlan& plan) {
    failAt = plan.failAt;
    failFromThenOn = plan.everyFromThenOn;
    failError = plan.error;
    operationCount = 0;
}

std::uint64_t IoOperationCount() {
    return operationCount.load();
}

RawStatus StatPath(const std::string& path, PathKind* kind) {
    if (const int e = NextOperation()) {
        return Refused(path, "cannot look at it", e == ENOENT ? EIO : e);
    }
    // Not followed: a link in place of a raw data directory could lead a writer into another
    // acquisition, so a link is "something else" and is refused like a plain file.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            *kind = PathKind::kMissing;
            return kRawOk;
        }
        return Refused(path, "cannot look at it", errno);
    }
    if (S_ISLNK(st.st_mode)) {
        struct stat target {};
        if (::stat(path.c_str(), &target) != 0) {
            *kind = PathKind::kBrokenLink;
        } else {
            *kind = S_ISDIR(target.st_mode) ? PathKind::kLinkToDirectory : PathKind::kOther;
        }
        return kRawOk;
    }
    *kind = S_ISDIR(st.st_mode) ? PathKind::kDirectory : PathKind::kOther;
    return kRawOk;
}

RawStatus MakeDirectory(const std::string& path) {
    if (const int e = NextOperation()) {
        return Refused(path, "cannot create the directory", e);
    }
    if (::mkdir(path.c_str(), 0777) != 0) {
        return Refused(path, "cannot create the directory", errno);
    }
    return kRawOk;
}

RawStatus ListDirectory(const std::string& path, std::vector<std::string>* names) {
    if (const int e = NextOperation()) {
        return Refused(path, "cannot list the directory", e);
    }
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return Refused(path, "cannot list the directory", errno);
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
    return error == 0 ? kRawOk : Refused(path, "cannot list the directory", error);
}

RawStatus RemoveFile(const std::string& path) {
    if (const int e = NextOperation()) {
        return Refused(path, "cannot remove it", e);
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return Refused(path, "cannot remove it", errno);
    }
    return kRawOk;
}

RawStatus RenameFile(const std::string& from, const std::string& to) {
    if (const int e = NextOperation()) {
        return Refused(from, ("cannot rename it to " + to).c_str(), e);
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return Refused(from, ("cannot rename it to " + to).c_str(), errno);
    }
    return kRawOk;
}

RawStatus SyncDirectory(const std::string& path) {
    if (const int e = NextOperation()) {
        return Refused(path, "cannot flush the directory", e);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return Refused(path, "cannot open the directory", errno);
    }
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    return rc == 0 ? kRawOk : Refused(path, "cannot flush the directory", error);
}

File::File(File&& other) noexcept : fd(other.fd), path(std::move(other.path)) {
    other.fd = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = other.fd;
        path = std::move(other.path);
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
        return Refused(path, "cannot open it", e == ENOENT ? EIO : e);
    }
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer forever.
    const int newFd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (newFd < 0) {
        return Refused(path, "cannot open it", errno);
    }
    struct stat st {};
    if (::fstat(newFd, &st) != 0) {
        const int error = errno;
        ::close(newFd);
        return Refused(path, "cannot look at it", error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(newFd);
        return NoteFailure(kRawNotRawFile,
                           path + ": is " + KindOf(st.st_mode) + ", not a regular file");
    }
    *out = File();
    out->fd = newFd;
    out->path = path;
    return kRawOk;
}

RawStatus File::Create(const std::string& path, File* out) {
    if (const int e = NextOperation()) {
        return Refused(path, "cannot create it", e == ENOENT ? EIO : e);
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return Refused(path, "cannot replace it", errno);
    }
    const int newFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (newFd < 0) {
        return RefusedAs(errno == ENOMEM ? kRawOutOfMemory : kRawIoError, path, "cannot create it",
                         errno);
    }
    *out = File();
    out->fd = newFd;
    out->path = path;
    return kRawOk;
}

RawStatus File::Size(std::uint64_t* size) {
    if (const int e = NextOperation()) {
        return Refused(path, "cannot learn its size", e);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return Refused(path, "cannot learn its size", errno);
    }
    *size = static_cast<std::uint64_t>(st.st_size);
    return kRawOk;
}

RawStatus File::ReadAt(std::uint64_t offset, void* dst, std::size_t size) {
    if (const int e = NextOperation()) {
        return RefusedAs(kRawIoError, path, "cannot read it", e);
    }
    auto* p = static_cast<char*>(dst);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return RefusedAs(kRawIoError, path, "cannot read it", errno);
        }
        if (n == 0) {
            return NoteFailure(kRawCorrupt, path + ": ends at byte " + std::to_string(offset) +
                                                ", before the data it lists");
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
        return RefusedAs(e == ENOMEM ? kRawOutOfMemory : kRawIoError, path, "cannot write it", e);
    }
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return RefusedAs(kRawIoError, path, "cannot write it", errno);
        }
        if (n == 0) {
            return RefusedAs(kRawIoError, path, "cannot write it", ENOSPC);
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return kRawOk;
}

RawStatus File::Sync() {
    if (const int e = NextOperation()) {
        return RefusedAs(kRawIoError, path, "cannot flush it to disk", e);
    }
    return ::fdatasync(fd) == 0 ? kRawOk
                                : RefusedAs(kRawIoError, path, "cannot flush it to disk", errno);
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
    const int error = errno;
    if (e != 0) {
        return RefusedAs(kRawIoError, path, "cannot close it", e);
    }
    if (rc != 0) {
        return RefusedAs(kRawIoError, path, "cannot close it", error);
    }
    return kRawOk;
}

}  // namespace rawio
