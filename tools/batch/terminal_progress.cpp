#include "tools/batch/terminal_progress.h"

TerminalProgress::TerminalProgress(std::FILE* stream, std::size_t fileCount)
    : out(stream), files(fileCount) {}

void TerminalProgress::FileStarted(const std::string& path) {
    const std::lock_guard lock(mutex);
    current = path;
    functionsDone = 0;
    functionCount = 0;
    Draw(true);
}

void TerminalProgress::FunctionRange(const std::string& path, unsigned count) {
    const std::lock_guard lock(mutex);
    current = path;
    functionsDone = 0;
    functionCount = count;
    Draw(false);
}

void TerminalProgress::FunctionDone(const std::string& path) {
    const std::lock_guard lock(mutex);
    if (path == current) {
        ++functionsDone;
    }
    Draw(false);
}

void TerminalProgress::FileEnded() {
    const std::lock_guard lock(mutex);
    ++finished;
    Draw(true);
}

void TerminalProgress::Clear() {
    const std::lock_guard lock(mutex);
    if (drawn) {
        std::fprintf(out, "\r\033[K");
        std::fflush(out);
        drawn = false;
    }
}

void TerminalProgress::Draw(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw < std::chrono::milliseconds(100)) {
        return;
    }
    lastDraw = now;
    constexpr std::size_t kWidth = 30;
    const std::size_t filled = files == 0 ? kWidth : finished * kWidth / files;
    std::string bar(filled, '#');
    bar.resize(kWidth, '.');
    std::string name = current;
    if (name.size() > 40) {
        name = "..." + name.substr(name.size() - 37);
    }
    std::fprintf(out, "\r\033[K[%s] %zu/%zu files  %s  %u/%u functions", bar.c_str(), finished,
                 files, name.c_str(), functionsDone, functionCount);
    std::fflush(out);
    drawn = true;
}

void FileProgress::SetCurrentFile(const std::string& file) {
    path = file;
    line->FileStarted(path);
}

void FileProgress::SetRange(std::uint16_t functionCount) {
    line->FunctionRange(path, functionCount);
}

void FileProgress::Step() {
    line->FunctionDone(path);
}

void FileProgress::Hide() {
    line->FileEnded();
}
