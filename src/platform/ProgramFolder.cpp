#include "platform/ProgramFolder.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include "profile/WinApi.h"
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace zarn {

namespace fs = std::filesystem;

std::string ProgramFolder() {
    std::error_code ec;
#ifdef _WIN32
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    fs::path exe(buffer);
#elif defined(__APPLE__)
    uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string buffer(size, '\0');
    if (_NSGetExecutablePath(buffer.data(), &size) != 0)
        return {};
    fs::path exe = fs::canonical(buffer.c_str(), ec);
    if (ec)
        return {};
#else
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
#endif
    return exe.parent_path().string();
}

} // namespace zarn
