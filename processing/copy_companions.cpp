#include "processing/copy_companions.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "processing/temporary_output.h"

namespace processing {

namespace fs = std::filesystem;

namespace {

enum class Placed { kPlaced, kNameTaken, kFailed };

std::string Reason(int error) {
    return std::strerror(error);
}

// Closes a descriptor at every end; a close error of the written file is checked by hand.
class Descriptor {
  public:
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd; }
    int Release() { return std::exchange(fd, -1); }

  private:
    int fd;
};

// Copies the bytes of `from` into the new file `to`, flushed to disk. errno-style result.
int CopyBytes(const std::string& from, const std::string& to) {
    Descriptor in(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.Get() < 0) {
        return errno;
    }
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0) {
        return errno;
    }
    if (!S_ISREG(st.st_mode)) {
        return EINVAL;  // replaced by something else since it was listed
    }
    Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777));
    if (out.Get() < 0) {
        return errno;
    }
    std::vector<char> buffer(1 << 18);
    for (;;) {
        const ssize_t n = ::read(in.Get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            break;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w =
                ::write(out.Get(), buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            if (w == 0) {
                return ENOSPC;
            }
            done += w;
        }
    }
    if (::fsync(out.Get()) != 0) {
        return errno;
    }
    if (::close(out.Release()) != 0) {
        return errno;
    }
    return 0;
}

// Gives the complete temporary its final name unless that name is taken meanwhile.
Placed PlaceUnderFinalName(const std::string& temporary, const std::string& final, int& error) {
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, final.c_str(), RENAME_NOREPLACE) == 0) {
        return Placed::kPlaced;
    }
    if (errno == EEXIST) {
        return Placed::kNameTaken;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        error = errno;
        return Placed::kFailed;
    }
    // A file system without an exclusive rename: a hard link never replaces a name either.
    if (::link(temporary.c_str(), final.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return Placed::kPlaced;
    }
    if (errno == EEXIST) {
        return Placed::kNameTaken;
    }
    error = errno;
    return Placed::kFailed;
}

bool CopyOne(const fs::path& source, const fs::path& final, std::string& error) {
    struct stat existing {};
    if (::lstat(final.c_str(), &existing) == 0) {
        return true;  // the name exists already (a link too, even a dangling one): left
    }
    const std::string temporary = TemporaryPathFor(final.string());
    RegisterTemporary(temporary);
    int failure = CopyBytes(source.string(), temporary);
    Placed placed = Placed::kFailed;
    if (failure == 0) {
        placed = PlaceUnderFinalName(temporary, final.string(), failure);
    }
    if (placed != Placed::kPlaced) {
        ::unlink(temporary.c_str());
    }
    UnregisterTemporary(temporary);
    if (placed == Placed::kFailed) {
        error = "cannot copy the companion file " + source.string() + " to " + final.string() +
                ": " + Reason(failure);
        return false;
    }
    return true;
}

}  // namespace

bool CopyCompanionFiles(const std::string& inputPath, const std::string& outputPath,
                        std::string& error) {
    std::error_code ec;
    fs::directory_iterator it(fs::path(inputPath), ec);
    if (ec) {
        return true;
    }
    const fs::path outputDir(outputPath);
    RemoveStaleTemporariesIn(outputPath);
    bool copied = false;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            error = "cannot list the companion files of " + inputPath + ": " + ec.message();
            return false;
        }
        const fs::directory_entry& entry = *it;
        std::error_code statusError;
        if (!entry.is_regular_file(statusError)) {  // follows links
            continue;
        }
        if (!CopyOne(entry.path(), outputDir / entry.path().filename(), error)) {
            return false;
        }
        copied = true;
    }
    if (ec) {
        error = "cannot list the companion files of " + inputPath + ": " + ec.message();
        return false;
    }
    // The names of the copies are durable before the output is reported complete.
    if (copied) {
        Descriptor dir(::open(outputPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Get() < 0 || ::fsync(dir.Get()) != 0) {
            error = "cannot flush the directory " + outputPath + ": " + Reason(errno);
            return false;
        }
    }
    return true;
}

}  // namespace processing
