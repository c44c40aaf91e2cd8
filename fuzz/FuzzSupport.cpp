#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace zarn::fuzz {

namespace fs = std::filesystem;

namespace {

void removeFuzzDir() {
    std::error_code ec;
    fs::remove_all(FuzzDir(), ec);
}

} // namespace

const std::string& FuzzDir() {
    static const std::string dir = [] {
        std::error_code ec;
        fs::path base = fs::temp_directory_path(ec);
        if (ec)
            base = "/tmp";
        const fs::path path = base / ("zarn-fuzz-" + std::to_string(::getpid()));
        fs::remove_all(path, ec);
        fs::create_directories(path, ec);
        if (ec) {
            std::fprintf(stderr, "cannot create %s\n", path.c_str());
            std::abort();
        }
        return path.string() + "/";
    }();
    static const bool cleanup = (std::atexit(removeFuzzDir), true);
    (void)cleanup;
    return dir;
}

void ClearFuzzDir() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(FuzzDir(), ec)) {
        std::error_code removeError;
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, removeError);
        fs::remove_all(entry.path(), removeError);
    }
}

std::string FuzzPath(const std::string& name) {
    return FuzzDir() + name;
}

void WriteBytes(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), std::streamsize(content.size()));
    if (!out)
        Fail("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Fail(const std::string& message) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n", message.c_str());
    std::abort();
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace zarn::fuzz
