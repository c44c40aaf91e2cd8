#pragma once
// Shared test helpers: a private temporary folder per test, file contents in and out.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <random>
#include <string>

// Cases about POSIX modes, owners, links and signals, which Windows does not have in that form.
#ifdef _WIN32
#define ZARN_POSIX_ONLY(why) GTEST_SKIP() << "POSIX only: " << why
#else
#define ZARN_POSIX_ONLY(why) static_cast<void>(0)
#endif

namespace zarn::test {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("zarn-test-" + std::to_string(rd()) + std::to_string(rd()));
            if (std::filesystem::create_directory(path_))
                break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as a string with a trailing separator ("/", on Windows "\\").
    std::string dir() const { return path_.string() + char(std::filesystem::path::preferred_separator); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Profile text from lines, with the CR LF line ends templates use.
inline std::string Ini(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

inline std::string DataPath(const std::string& name) {
    return std::string(ZARN_TEST_DATA_DIR) + "/" + name;
}

// An environment variable set (or, with a null value, unset) for one scope, then put back.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(name, value);
    }
    TScopedEnv(const char* name, const std::string& value) : TScopedEnv(name, value.c_str()) {}
    ~TScopedEnv() { Set(name_, old_ ? old_->c_str() : nullptr); }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    static void Set(const char* name, const char* value) {
#ifdef _WIN32
        ::_putenv_s(name, value ? value : ""); // an empty value removes the variable
#else
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
#endif
    }
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace zarn::test
