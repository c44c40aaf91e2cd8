#include "platform/ProcessActions.h"

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace zarn {

namespace {

// The child's pid, or -1 when it could not be started (glibc reports a failed exec here too).
pid_t Spawn(const std::string& program, const TStrings& arguments) {
    if (program.empty())
        return -1;
    std::vector<std::string> owned;
    owned.reserve(arguments.size() + 1);
    owned.push_back(program);
    owned.insert(owned.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : owned)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

// The exit status, or -1 when the child did not exit normally.
int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ProcessActions::~ProcessActions() {
    ReapFinished();
}

std::string ProcessActions::DefaultOpener() {
    return "xdg-open";
}

bool ProcessActions::SetClipboardText(const std::string&) {
    return false;
}

bool ProcessActions::StartProgram(const std::string& program, const TStrings& arguments, bool wait) {
    ReapFinished();
    const pid_t pid = Spawn(program, arguments);
    if (pid < 0)
        return false;
    if (wait)
        WaitFor(pid);
    else
        running_.push_back(long(pid));
    return true;
}

bool ProcessActions::OpenWithDefault(const std::string& target) {
    ReapFinished();
    const pid_t pid = Spawn(opener_, {target});
    return pid >= 0 && WaitFor(pid) == 0;
}

void ProcessActions::ReapFinished() {
    std::erase_if(running_, [](long child) {
        const auto pid = pid_t(child);
        int status = 0;
        const pid_t result = waitpid(pid, &status, WNOHANG);
        return result == pid || (result < 0 && errno == ECHILD);
    });
}

} // namespace zarn
