#pragma once
// A shared library loaded at run time: opened from a full path, released on destruction.

#include <string>

namespace zarn {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Loads the library at `path` (releasing one held before). False, with Error() telling why,
    // when it cannot be loaded.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    const std::string& Path() const { return path_; }

    // The address of an exported symbol, or nullptr when the library has none of that name.
    void* Symbol(const char* name) const;
    template <class Fn> Fn Function(const char* name) const { return reinterpret_cast<Fn>(Symbol(name)); }

    // The platform's reason for the last failed Open.
    const std::string& Error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string path_;
    std::string error_;
};

} // namespace zarn
