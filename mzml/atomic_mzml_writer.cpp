#include "mzml/atomic_mzml_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <pwiz/data/msdata/Serializer_mzML.hpp>

#include "mzml/open_format_input.h"

namespace {

// The writer's output buffer: large writes keep the system calls out of the profile.
constexpr std::size_t kWriteBuffer = 1 << 20;

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool SyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Removes the temporary unless the write got as far as renaming it.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::string name) : path(std::move(name)) {}
    ~TemporaryFile() {
        if (!path.empty()) {
            std::remove(path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const { return path; }
    void Release() { path.clear(); }

  private:
    std::string path;
};

}  // namespace

bool WriteMzmlAtomically(const pwiz::msdata::MSData& msd,
                         const pwiz::msdata::BinaryDataEncoder::Config& encoding,
                         const std::string& input, const std::string& output, std::string& error) {
    const std::filesystem::path target(output);
    std::filesystem::path directory = target.parent_path();
    if (directory.empty()) {
        directory = ".";
    }
    // mkstemp would make the file 0600; the output should get the mode any new file gets.
    const std::string stem = (directory / ("." + target.filename().string() + ".tmp-")).string();
    std::string name;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        name = stem + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        error = FileMessage(output, SystemError("cannot create a temporary file beside it"));
        return false;
    }
    ::close(fd);
    TemporaryFile temporary(name);

    {
        std::vector<char> buffer(kWriteBuffer);
        std::ofstream os;
        os.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        os.open(temporary.Path(), std::ios::binary | std::ios::trunc);
        if (!os) {
            error = FileMessage(output, SystemError("cannot open its temporary file"));
            return false;
        }
        pwiz::msdata::Serializer_mzML::Config config;
        config.binaryDataEncoderConfig = encoding;
        config.indexed = true;
        try {
            pwiz::msdata::Serializer_mzML(config).write(os, msd, nullptr, false);
        } catch (const std::exception& e) {
            // The spectrum lists read the input while the file is written, so a failure here
            // is almost always the input's.
            error = FileMessage(input, std::string("cannot be read: ") + e.what());
            return false;
        }
        os.flush();
        if (!os) {
            error = FileMessage(output, SystemError("writing failed"));
            return false;
        }
        os.close();
        if (!os) {
            error = FileMessage(output, SystemError("closing failed"));
            return false;
        }
    }
    if (!SyncPath(temporary.Path(), O_RDONLY)) {
        error = FileMessage(output, SystemError("flushing to disk failed"));
        return false;
    }
    if (std::rename(temporary.Path().c_str(), output.c_str()) != 0) {
        error = FileMessage(output, SystemError("cannot rename the finished temporary file"));
        return false;
    }
    temporary.Release();
    SyncPath(directory.string(), O_RDONLY | O_DIRECTORY);
    return true;
}
