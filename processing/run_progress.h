#pragma once

#include <cstdint>
#include <string>

namespace processing {

// What a batch run reports while it works. The GUI shows it in its progress dialog, the
// command line as a bar on a terminal. Calls come from the thread of the run.
class RunProgress {
  public:
    virtual ~RunProgress() = default;
    // Once at the start of a run (also of an empty one).
    virtual void Show() = 0;
    // Before each input is opened: the input's path as given.
    virtual void SetCurrentFile(const std::string& path) = 0;
    // After its header is read: the bar restarts at 0 of `functionCount` steps.
    virtual void SetRange(std::uint16_t functionCount) = 0;
    // After each completely copied function.
    virtual void Step() = 0;
    // Once at every end of a run: success, failure or an exception passing through.
    virtual void Hide() = 0;
};

// For callers that show nothing.
class NullProgress final : public RunProgress {
  public:
    void Show() override {}
    void SetCurrentFile(const std::string&) override {}
    void SetRange(std::uint16_t) override {}
    void Step() override {}
    void Hide() override {}
};

}  // namespace processing
