#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "processing/run_progress.h"

// A progress line on a terminal, shared by the files of a run that may go on in parallel:
// the bar counts finished files, the text names the file reported last with its functions.
class TerminalProgress {
  public:
    TerminalProgress(std::FILE* stream, std::size_t fileCount);

    void FileStarted(const std::string& path);
    void FunctionRange(const std::string& path, unsigned count);
    void FunctionDone(const std::string& path);
    void FileEnded();
    // Clears the line, so that what follows starts on a clean one.
    void Clear();

  private:
    void Draw(bool force);

    std::mutex mutex;
    std::FILE* out;
    std::size_t files;
    std::size_t finished = 0;
    std::string current;
    unsigned functionsDone = 0;
    unsigned functionCount = 0;
    std::chrono::steady_clock::time_point lastDraw{};
    bool drawn = false;
};

// The view of one file's run on the shared line.
class FileProgress final : public processing::RunProgress {
  public:
    explicit FileProgress(TerminalProgress* shared) : line(shared) {}
    void Show() override {}
    void SetCurrentFile(const std::string& path) override;
    void SetRange(std::uint16_t functionCount) override;
    void Step() override;
    void Hide() override;

  private:
    TerminalProgress* line;
    std::string path;
};
