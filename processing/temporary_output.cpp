#include "processing/temporary_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace processing {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTemporaryEnding = ".brvtmp";

// A signal handler may only touch plain memory, so the registry is a fixed table of path
// buffers, each guarded by its own state word.
constexpr std::size_t kSlots = 512;
constexpr std::size_t kSlotBytes = 4096;
enum SlotState : int { kFree = 0, kBusy = 1, kLive = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    char path[kSlotBytes];
};

Slot slots[kSlots];
std::atomic<std::uint64_t> nextNumber{0};
std::once_flag handlersInstalled;
std::atomic<bool> ending{false};  // an ending signal is being handled

std::uint64_t HashOfName(const std::string& name) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "." and the hash of the final name, the part every temporary of that output shares.
std::string PrefixFor(const std::string& finalPath) {
    char hash[20];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(HashOfName(NameOf(finalPath))));
    return std::string(".") + hash + "-";
}

// ---- Removal from a signal handler: system calls only, no allocation ----------------------

struct LinuxDirent64 {
    std::uint64_t ino;
    std::int64_t off;
    unsigned short reclen;
    unsigned char type;
    char name[1];
};

void RemoveTreeAt(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || (errno != EISDIR && errno != EPERM)) {
        return;
    }
    if (depth > 16) {
        return;
    }
    const int dir = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) {
        return;
    }
    alignas(8) char buffer[4096];
    // Entries removed while listing may shift the rest, so the listing is read again; a few
    // passes at most, since an entry that cannot be removed would come back every time.
    for (int pass = 0; pass < 4; ++pass) {
        bool any = false;
        long n = 0;
        while ((n = ::syscall(SYS_getdents64, dir, buffer, sizeof buffer)) > 0) {
            for (long at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer + at);
                at += entry->reclen;
                if (std::strcmp(entry->name, ".") != 0 && std::strcmp(entry->name, "..") != 0) {
                    RemoveTreeAt(dir, entry->name, depth + 1);
                    any = true;
                }
            }
        }
        if (!any || ::lseek(dir, 0, SEEK_SET) != 0) {
            break;
        }
    }
    ::close(dir);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

// Unlinks every registered path; the slots stay registered, since their writers may still
// be creating them.
void RemoveRegistered() {
    for (Slot& slot : slots) {
        if (slot.state.load() == kLive) {
            RemoveTreeAt(AT_FDCWD, slot.path, 0);
        }
    }
}

void OnEndingSignal(int signalNumber) {
    const int savedErrno = errno;
    // Other threads run on while this one cleans up: from now on none registers a new
    // temporary (RegisterTemporary waits for the end), and one registered just before may
    // still be in the middle of creating its file, hence a second pass a moment later.
    ending.store(true);
    RemoveRegistered();
    const struct timespec moment = {0, 30 * 1000 * 1000};
    ::nanosleep(&moment, nullptr);
    RemoveRegistered();
    // Ended by the signal as if we had never caught it, so the exit status tells it.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signalNumber, &fallback, nullptr);
    ::raise(signalNumber);
    errno = savedErrno;
}

void InstallHandlers() {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(signalNumber, nullptr, &old) != 0) {
            continue;
        }
        // An ignored signal (nohup) stays ignored: it would not end the process.
        if (old.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = OnEndingSignal;
        sigemptyset(&action.sa_mask);
        sigaddset(&action.sa_mask, SIGINT);
        sigaddset(&action.sa_mask, SIGTERM);
        sigaddset(&action.sa_mask, SIGHUP);
        ::sigaction(signalNumber, &action, nullptr);
    }
}

// The pid of a temporary name of `prefix`, or 0 when the name is none of ours.
long PidOf(const std::string& name, const std::string& prefix) {
    const std::size_t endingSize = std::strlen(kTemporaryEnding);
    if (name.size() <= prefix.size() + endingSize || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - endingSize, endingSize, kTemporaryEnding) != 0) {
        return 0;
    }
    std::size_t at = prefix.size();
    if (prefix == ".") {  // any output: the hash of its name comes first
        if (name.size() < 19 + endingSize) {
            return 0;
        }
        for (; at < 17; ++at) {
            if (std::strchr("0123456789abcdef", name[at]) == nullptr) {
                return 0;
            }
        }
        if (name[at++] != '-') {
            return 0;
        }
    }
    long pid = 0;
    const std::size_t digits = at;
    for (; at < name.size() && name[at] >= '0' && name[at] <= '9'; ++at) {
        pid = pid * 10 + (name[at] - '0');
        if (pid > 0x7FFFFFFF) {
            return 0;
        }
    }
    return at > digits && at < name.size() && name[at] == '-' ? pid : 0;
}

}  // namespace

std::string TemporaryPathFor(const std::string& finalPath) {
    return DirectoryOf(finalPath) + PrefixFor(finalPath) + std::to_string(::getpid()) + "-" +
           std::to_string(nextNumber.fetch_add(1)) + kTemporaryEnding;
}

void RegisterTemporary(const std::string& path) {
    std::call_once(handlersInstalled, InstallHandlers);
    if (path.empty() || path.size() >= kSlotBytes) {
        return;  // left to the next run's clean-up
    }
    for (Slot& slot : slots) {
        int expected = kFree;
        if (slot.state.compare_exchange_strong(expected, kBusy)) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.state.store(kLive);
            break;
        }
    }
    // The process is ending: a file created now could outlive the clean-up.
    while (ending.load()) {
        ::pause();
    }
}

void UnregisterTemporary(const std::string& path) {
    for (Slot& slot : slots) {
        int expected = kLive;
        if (slot.state.compare_exchange_strong(expected, kBusy)) {
            const bool same = path == slot.path;
            slot.state.store(same ? kFree : kLive);
            if (same) {
                return;
            }
        }
    }
}

namespace {

// Removes the entries of `directory` that are temporaries of a dead writer and whose name
// begins with `prefix` ("." alone for any output).
void RemoveStale(const std::string& directory, const std::string& prefix) {
    std::error_code ec;
    fs::directory_iterator it(directory.empty() ? fs::path(".") : fs::path(directory), ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        const long pid = PidOf(it->path().filename().string(), prefix);
        if (pid <= 0 || pid == ::getpid()) {
            continue;
        }
        // A process of that number that still runs may be the writer: its file is left.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) {
            continue;
        }
        std::error_code removeError;
        fs::remove_all(it->path(), removeError);
    }
}

}  // namespace

void RemoveStaleTemporaries(const std::string& finalPath) {
    RemoveStale(DirectoryOf(finalPath), PrefixFor(finalPath));
}

void RemoveStaleTemporariesIn(const std::string& directory) {
    RemoveStale(directory.empty() || directory.back() == '/' ? directory : directory + "/", ".");
}

}  // namespace processing
