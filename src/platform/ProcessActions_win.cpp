#include "platform/ProcessActions.h"

#include "profile/WinApi.h"

#include <shellapi.h>

namespace zarn {

namespace {

bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail) {
    if (text.size() < tail.size())
        return false;
    text.remove_prefix(text.size() - tail.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (towlower(text[i]) != towlower(tail[i]))
            return false;
    return true;
}

// One argument as the runtime's command-line splitter reads it back: quotes around it when it is
// empty or holds a blank or quote, a backslash before every quote, and the backslashes in front of
// a quote (also the closing one) doubled.
void AppendQuoted(std::wstring& line, std::wstring_view argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// A running process's handle, or null when it could not be started.
HANDLE Spawn(const std::string& program, const TStrings& arguments) {
    const std::wstring wideProgram = WideText(program);
    // The program's name is read without escapes, so a quote cannot be part of it. Batch files
    // would run through the command interpreter, which splits arguments by other rules.
    if (wideProgram.empty() || wideProgram.find(L'"') != std::wstring::npos ||
        EndsWithNoCase(wideProgram, L".bat") || EndsWithNoCase(wideProgram, L".cmd"))
        return nullptr;
    std::vector<std::wstring> wideArguments;
    for (const std::string& argument : arguments)
        wideArguments.push_back(WideText(argument));
    std::wstring line = WindowsCommandLine(wideProgram, wideArguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // No application name: the system searches the program's name on the PATH, as on POSIX.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// The exit status, or -1 when it cannot be had.
int WaitFor(HANDLE process) {
    DWORD code = 0;
    const bool ended =
        WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return ended ? int(code) : -1;
}

} // namespace

std::wstring WideText(std::string_view text) {
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::wstring WindowsCommandLine(std::wstring_view program, const std::vector<std::wstring>& arguments) {
    std::wstring line = L"\"";
    line += program;
    line += L'"';
    for (const std::wstring& argument : arguments) {
        line += L' ';
        AppendQuoted(line, argument);
    }
    return line;
}

ProcessActions::~ProcessActions() = default;

std::string ProcessActions::DefaultOpener() {
    return {};
}

bool ProcessActions::SetClipboardText(const std::string&) {
    return false;
}

bool ProcessActions::StartProgram(const std::string& program, const TStrings& arguments, bool wait) {
    const HANDLE process = Spawn(program, arguments);
    if (!process)
        return false;
    if (wait)
        WaitFor(process);
    else
        CloseHandle(process); // a Windows process leaves nothing to collect
    return true;
}

bool ProcessActions::OpenWithDefault(const std::string& target) {
    if (!opener_.empty()) {
        const HANDLE process = Spawn(opener_, {target});
        return process && WaitFor(process) == 0;
    }
    const std::wstring wideTarget = WideText(target);
    if (wideTarget.empty())
        return false;
    // Above 32 means the system found a program for the target and started it.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wideTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

void ProcessActions::ReapFinished() {}

} // namespace zarn
