#pragma once
// Platform actions through plain processes, for the command-line tool. There is no clipboard.
// ProcessActions_posix.cpp and ProcessActions_win.cpp hold the two ways of starting a process.

#include "platform/PlatformActions.h"

#include <string>
#include <string_view>
#include <vector>

namespace zarn {

class ProcessActions : public PlatformActions {
public:
    // `opener` is the program that opens a file or URL with the user's default program; empty asks
    // the system itself (Windows only: elsewhere nothing opens then).
    explicit ProcessActions(std::string opener = DefaultOpener()) : opener_(std::move(opener)) {}
    ~ProcessActions() override;
    ProcessActions(const ProcessActions&) = delete;
    ProcessActions& operator=(const ProcessActions&) = delete;

    bool SetClipboardText(const std::string& text) override;
    bool StartProgram(const std::string& program, const TStrings& arguments, bool wait) override;
    // Runs the opener and waits for it: its exit status tells whether the target could be opened.
    bool OpenWithDefault(const std::string& target) override;

    // "xdg-open"; on Windows none (the system opens).
    static std::string DefaultOpener();

private:
    // Collects programs started without waiting that have ended, so none lingers as a zombie.
    void ReapFinished();

    std::string opener_;
    std::vector<long> running_; // POSIX process ids not reaped yet
};

#ifdef _WIN32
// The command line of a program and its arguments, quoted so that the started program's runtime
// splits it back into exactly these arguments.
std::wstring WindowsCommandLine(std::wstring_view program, const std::vector<std::wstring>& arguments);
// Narrow text (the code page of every narrow file call of the program) to wide and back.
std::wstring WideText(std::string_view text);
#endif

} // namespace zarn
