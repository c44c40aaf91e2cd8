#include "plugins/DynamicLibrary.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace zarn {

namespace {

#ifdef _WIN32
std::string lastSystemError() {
    DWORD code = GetLastError();
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}
#endif

} // namespace

DynamicLibrary::~DynamicLibrary() {
    Close();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool DynamicLibrary::Open(const std::string& path) {
    Close();
    error_.clear();
#ifdef _WIN32
    // The library's own folder is searched for its dependencies, not the current folder.
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    // Pinned, as RTLD_NODELETE does on POSIX: a library stays loaded until the program ends, so
    // closing the handle never unmaps code that a plug-in's threads or callbacks may still run.
    HMODULE pinned = nullptr;
    if (module && !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                      reinterpret_cast<LPCSTR>(module), &pinned)) {
        error_ = lastSystemError();
        FreeLibrary(module);
        module = nullptr;
    }
    handle_ = reinterpret_cast<void*>(module);
    if (!handle_ && error_.empty())
        error_ = lastSystemError();
#else
    // RTLD_LOCAL: two plug-ins may define the same names without meeting. RTLD_NODELETE: closing
    // releases the handle but leaves the code mapped; toolkit libraries a plug-in pulls in (Qt,
    // glib) are not made to be unloaded and loaded again within one process.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle_) {
        const char* reason = ::dlerror();
        error_ = reason ? reason : "unknown error";
    }
#endif
    if (handle_)
        path_ = path;
    return handle_ != nullptr;
}

void DynamicLibrary::Close() {
    if (!handle_)
        return;
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    ::dlclose(handle_);
#endif
    handle_ = nullptr;
    path_.clear();
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (!handle_)
        return nullptr;
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return ::dlsym(handle_, name);
#endif
}

} // namespace zarn
