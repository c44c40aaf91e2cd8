#pragma once
// Platform actions through plain POSIX processes, for the command-line tool. There is no clipboard.

#include "tag/PlatformActions.h"

#include <sys/types.h>

#include <vector>

namespace zarn {

class ProcessActions : public PlatformActions {
public:
    // `opener` is the program that opens a file or URL with the user's default program.
    explicit ProcessActions(std::string opener = "xdg-open") : opener_(std::move(opener)) {}
    ~ProcessActions() override;
    ProcessActions(const ProcessActions&) = delete;
    ProcessActions& operator=(const ProcessActions&) = delete;

    bool SetClipboardText(const std::string& text) override;
    bool StartProgram(const std::string& program, const TStrings& arguments, bool wait) override;
    // Runs the opener and waits for it: its exit status tells whether the target could be opened.
    bool OpenWithDefault(const std::string& target) override;

private:
    // Collects programs started without waiting that have ended, so none lingers as a zombie.
    void ReapFinished();

    std::string opener_;
    std::vector<pid_t> running_;
};

} // namespace zarn
