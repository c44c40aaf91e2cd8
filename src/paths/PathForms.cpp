#include "paths/PathForms.h"

#include <array>
#include <filesystem>
#include <optional>
#include <system_error>

namespace zarn {

namespace {

#ifdef _WIN32
constexpr char kNativeSeparator = '\\';
#else
constexpr char kNativeSeparator = '/';
#endif

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsUNCPath(std::string_view path) {
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

bool HasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':';
}

// Windows-1252 upper case: Windows matches file names without case for accented letters too.
char UpperAnsi(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z')
        return static_cast<char>(u - 0x20);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
        return static_cast<char>(u - 0x20);
    switch (u) {
    case 0x9A:
    case 0x9C:
    case 0x9E:
        return static_cast<char>(u - 0x10);
    case 0xFF:
        return static_cast<char>(0x9F);
    default:
        return c;
    }
}

bool IsPosix(std::string_view path) {
    return !path.empty() && path[0] == '/';
}

// The separator a path already uses; none for an empty path or a bare name. A POSIX path uses "/"
// whatever its names hold: a backslash there is part of a name.
std::optional<char> SeparatorOf(std::string_view path) {
    if (IsPosix(path))
        return '/';
    if (path.find('\\') != std::string_view::npos)
        return '\\';
    if (path.find('/') != std::string_view::npos)
        return '/';
    if (HasDrive(path))
        return '\\';
    return std::nullopt;
}

std::string Terminated(std::string_view path, char separator) {
    std::string result(path);
    if (result.empty())
        return result;
    const bool terminated = IsPosix(path) ? result.back() == '/' : IsSeparator(result.back());
    if (!terminated)
        result += separator;
    return result;
}

// How the characters of two paths of one family are compared.
struct PathRules {
    bool posix = false;

    bool Separator(char c) const { return posix ? c == '/' : IsSeparator(c); }
    bool Same(char a, char b) const {
        if (posix)
            return a == b;
        if (IsSeparator(a) && IsSeparator(b))
            return true;
        return UpperAnsi(a) == UpperAnsi(b);
    }
    size_t CommonLength(std::string_view a, std::string_view b) const {
        size_t n = 0;
        while (n < a.size() && n < b.size() && Same(a[n], b[n]))
            ++n;
        return n;
    }
};

// "\\server\share" of a UNC path ending with a separator; 0 when server or share is missing.
size_t UNCRootLength(std::string_view path) {
    const size_t serverEnd = path.find_first_of("\\/", 2);
    if (serverEnd == std::string_view::npos || serverEnd == 2)
        return 0;
    const size_t shareEnd = path.find_first_of("\\/", serverEnd + 1);
    if (shareEnd == std::string_view::npos || shareEnd == serverEnd + 1)
        return 0;
    return shareEnd;
}

// Length of the root two Windows paths share, if they share one.
std::optional<size_t> SharedRootLength(std::string_view from, std::string_view to, const PathRules& rules) {
    if (IsUNCPath(from)) {
        const size_t length = UNCRootLength(from);
        if (length == 0 || UNCRootLength(to) != length || rules.CommonLength(from, to) < length)
            return std::nullopt;
        return length;
    }
    // A drive root is the text before the first ":" both paths hold in common ("c:" matches "C:").
    const size_t common = rules.CommonLength(from, to);
    const size_t colon = from.substr(0, common).find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    return colon + 1;
}

} // namespace

std::string WithTrailingBackslash(std::string_view path) {
    return Terminated(path, SeparatorOf(path).value_or(kNativeSeparator));
}

bool IsURL(std::string_view text) {
    static constexpr std::array<std::string_view, 7> schemes = {"HTTP",   "FTP",  "HTTPS",  "FILE",
                                                                "GOPHER", "NEWS", "MINITEL"};
    if (text.empty())
        return false;
    // "//host/path": the page's own scheme on another host.
    if (text.size() > 2 && text[0] == '/' && text[1] == '/' && text[2] != '/')
        return true;
    std::string scheme(text.substr(0, text.find(':')));
    for (char& c : scheme)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    for (std::string_view word : schemes)
        if (scheme == word)
            return true;
    return false;
}

bool IsRelativePath(std::string_view path) {
    if (path.empty())
        return true;
    if (IsSeparator(path[0]))
        return false;
    return !HasDrive(path);
}

bool DirectoryExists(std::string_view directory) {
    if (directory.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(directory), ec);
}

std::string MakeRelativePath(std::string_view from, std::string_view to) {
    const std::optional<char> fromOwn = SeparatorOf(from);
    const std::optional<char> toOwn = SeparatorOf(to);
    const char fromSeparator = fromOwn.value_or(toOwn.value_or(kNativeSeparator));
    const char toSeparator = toOwn.value_or(fromOwn.value_or(kNativeSeparator));
    const std::string r = Terminated(from, fromSeparator);
    const std::string t = Terminated(to, toSeparator);

    if (IsUNCPath(r) != IsUNCPath(t) || IsPosixPath(r) != IsPosixPath(t))
        return t;
    const PathRules rules{IsPosixPath(r)};
    size_t rootLength = 1;
    if (!rules.posix) {
        const std::optional<size_t> shared = SharedRootLength(r, t, rules);
        if (!shared)
            return t;
        rootLength = *shared;
    }

    std::string_view restFrom = std::string_view(r).substr(rootLength);
    std::string_view restTo = std::string_view(t).substr(rootLength);
    size_t k = 0;
    const size_t common = rules.CommonLength(restFrom, restTo);
    for (size_t i = 0; i < common; ++i)
        if (rules.Separator(restFrom[i]))
            k = i + 1;
    restFrom.remove_prefix(k);
    restTo.remove_prefix(k);

    std::string result;
    for (char c : restFrom)
        if (rules.Separator(c))
            result += std::string("..") + toSeparator;
    result += restTo;
    return result;
}

std::string RelativeCodeBase(std::string_view baseDirectory, std::string_view codeBase) {
    if (IsURL(codeBase))
        return std::string(codeBase);
    std::string x = MakeRelativePath(baseDirectory, codeBase);
    // An absolute path stays in its own form: backslashes on another drive, "/" on POSIX. Between
    // two POSIX paths the result has "/" separators already; a backslash there belongs to a name.
    if (IsUNCPath(x) || HasDrive(x) || IsPosixPath(x) ||
        (IsPosixPath(baseDirectory) && IsPosixPath(codeBase)))
        return x;
    for (char& c : x)
        if (c == '\\')
            c = '/';
    return x;
}

std::string ToFileURL(std::string_view path) {
    if (IsPosixPath(path))
        return "file:" + std::string(path);
    std::string result;
    if (!IsRelativePath(path))
        result = HasDrive(path) ? "file:/" : "file:";
    result += path;
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

std::string ToNetscapeURL(std::string_view path) {
    std::string result;
    size_t start = 0;
    if (HasDrive(path)) {
        result = "file:///";
        result += path[0];
        result += '|';
        start = 2;
    } else if (IsPosixPath(path)) {
        result = "file://";
    }
    const bool posix = IsPosixPath(path);
    for (char c : path.substr(start)) {
        if (c == ' ')
            result += "%20";
        else if (c == '\\' && posix)
            result += "%5C";
        else if (c == '\\')
            result += '/';
        else
            result += c;
    }
    return result;
}

std::string ToDosPath(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c == '/')
            c = '\\';
    return result;
}

bool IsPosixPath(std::string_view path) {
    return IsPosix(path);
}

namespace {

size_t NameStart(std::string_view path) {
    const size_t last = path.find_last_of(IsPosixPath(path) ? "/" : "\\/:");
    return last == std::string_view::npos ? 0 : last + 1;
}

} // namespace

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, NameStart(path)));
}

std::string ExtractFileName(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

bool FileExists(std::string_view path) {
    if (path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

} // namespace zarn
