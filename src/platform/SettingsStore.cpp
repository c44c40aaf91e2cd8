#include "platform/SettingsStore.h"

#include "profile/Errors.h"
#include "profile/FileReplace.h"
#include "profile/IniFile.h"
#include "profile/TextConv.h"
#include "profile/WinApi.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace zarn {

namespace {

namespace fs = std::filesystem;

constexpr const char* kInvalidDataType = "Invalid data type for '%s'";
constexpr const char* kFailedToSet = "Failed to set data for '%s'";
constexpr const char* kFailedToGet = "Failed to get data for '%s'";

[[noreturn]] void Fail(const char* pattern, const std::string& name) {
    throw EZarnError(FormatText(pattern, name));
}

struct TValueLine {
    std::string name;
    TSettingType type = TSettingType::Other;
    std::string text;
    uint32_t number = 0;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

size_t SkipBlanks(std::string_view s, size_t pos) {
    while (pos < s.size() && IsBlank(s[pos]))
        ++pos;
    return pos;
}

// Reads the quoted text that opens at pos; the position after its closing quote, or npos when it
// does not close.
size_t ParseQuoted(std::string_view s, size_t pos, std::string& out) {
    out.clear();
    for (++pos; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '"')
            return pos + 1;
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"'))
            c = s[++pos];
        out += c;
    }
    return std::string_view::npos;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::optional<uint32_t> ParseDword(std::string_view digits) {
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

// A line that names a value; nullopt for comments, the header and lines not understood.
std::optional<TValueLine> ParseValueLine(std::string_view line) {
    while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r'))
        line.remove_suffix(1);
    size_t pos = SkipBlanks(line, 0);
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    TValueLine value;
    pos = ParseQuoted(line, pos, value.name);
    if (pos == std::string_view::npos)
        return std::nullopt;
    pos = SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    pos = SkipBlanks(line, pos + 1);
    std::string_view data = line.substr(pos);
    if (!data.empty() && data[0] == '"') {
        size_t end = ParseQuoted(data, 0, value.text);
        if (end != std::string_view::npos && end == data.size())
            value.type = TSettingType::Text;
    } else if (data.size() > 6 && SameText(data.substr(0, 6), "dword:")) {
        if (auto number = ParseDword(data.substr(SkipBlanks(data, 6)))) {
            value.type = TSettingType::Integer;
            value.number = *number;
        }
    }
    return value;
}

constexpr const char* kFileHeader[] = {
    "; ZARN settings: \"Name\"=\"text\" or \"Name\"=dword:<hexadecimal>",
    "[Software\\Trelvix\\ZARN\\1.0]",
};

// Missing file: no lines. False when the file exists but cannot be read.
bool LoadLines(const std::string& fileName, std::vector<std::string>& lines) {
    lines.clear();
    std::error_code ec;
    auto status = fs::status(fileName, ec);
    if (status.type() == fs::file_type::not_found)
        return true;
    if (ec || status.type() != fs::file_type::regular)
        return false;
    std::string content;
    if (ReadFileBytes(fileName, content))
        return false;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        lines.emplace_back(content, start, end - start);
        start = end + 1;
    }
    return true;
}

// Replaces the file in one step, so a reader sees either the old or the new file, never a part of one.
bool SaveLines(const std::string& fileName, const std::vector<std::string>& lines) {
    std::error_code ec;
    const fs::path target = SaveTarget(fileName, ec);
    if (ec)
        return false;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec)
            return false;
    }
    std::string content;
    for (const auto& line : lines)
        content += line + '\n';

    TSiblingFile temp;
    return !temp.Create(target, content, ".tmp") && !temp.ReplaceTarget(target);
}

std::optional<TValueLine> FindValue(const std::vector<std::string>& lines, const std::string& name) {
    for (const auto& line : lines)
        if (auto value = ParseValueLine(line); value && SameText(value->name, name))
            return value;
    return std::nullopt;
}

#ifdef _WIN32

constexpr const char* kRegistryKey = "Software\\Trelvix\\ZARN\\1.0";

class RegistrySettingsStore : public SettingsStore {
public:
    RegistrySettingsStore() = default;
    ~RegistrySettingsStore() override { Close(); }
    RegistrySettingsStore(const RegistrySettingsStore&) = delete;
    RegistrySettingsStore& operator=(const RegistrySettingsStore&) = delete;

    bool Open() override {
        Close();
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        key_ = key;
        return true;
    }
    void Close() override {
        if (key_)
            RegCloseKey(key_);
        key_ = nullptr;
    }

    TSettingType ValueType(const std::string& name) const override {
        DWORD type = 0;
        if (!key_ || RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
            return TSettingType::Missing;
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            return TSettingType::Text;
        if (type == REG_DWORD)
            return TSettingType::Integer;
        return TSettingType::Other;
    }

    std::string ReadString(const std::string& name) const override {
        DWORD type = 0;
        DWORD size = 0;
        if (!key_ || RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            Fail(kFailedToGet, name);
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            Fail(kInvalidDataType, name);
        if (size == 0)
            return {};
        std::string data(size, '\0');
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                             &size) != ERROR_SUCCESS)
            Fail(kFailedToGet, name);
        data.resize(std::min<size_t>(size, data.size()));
        if (auto zero = data.find('\0'); zero != std::string::npos)
            data.resize(zero);
        return data;
    }

    int32_t ReadInteger(const std::string& name) const override {
        DWORD type = 0;
        DWORD size = 0;
        if (!key_ || RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            Fail(kFailedToGet, name);
        if (type != REG_DWORD)
            Fail(kInvalidDataType, name);
        DWORD value = 0;
        size = sizeof value;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            size != sizeof value)
            Fail(kFailedToGet, name);
        return static_cast<int32_t>(value);
    }

    void WriteString(const std::string& name, const std::string& value) override {
        if (!key_ ||
            RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
            Fail(kFailedToSet, name);
    }

    void WriteInteger(const std::string& name, int32_t value) override {
        DWORD data = static_cast<DWORD>(value);
        if (!key_ || RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                    sizeof data) != ERROR_SUCCESS)
            Fail(kFailedToSet, name);
    }

    std::string Location() const override {
        return std::string("the registry key HKEY_CURRENT_USER\\") + kRegistryKey;
    }
    std::string OpenFailureMessage() const override { return "Failed to open ZARN's Registry key"; }

private:
    HKEY key_ = nullptr;
};

#endif

} // namespace

FileSettingsStore::FileSettingsStore(std::string fileName) : fileName_(std::move(fileName)) {}

bool FileSettingsStore::Open() {
    const bool open = !fileName_.empty() && LoadLines(fileName_, lines_);
    if (!open)
        lines_.clear();
    return open;
}

void FileSettingsStore::Close() {
    lines_.clear();
}

TSettingType FileSettingsStore::ValueType(const std::string& name) const {
    auto value = FindValue(lines_, name);
    return value ? value->type : TSettingType::Missing;
}

std::string FileSettingsStore::ReadString(const std::string& name) const {
    auto value = FindValue(lines_, name);
    if (!value)
        Fail(kFailedToGet, name);
    if (value->type != TSettingType::Text)
        Fail(kInvalidDataType, name);
    return value->text;
}

int32_t FileSettingsStore::ReadInteger(const std::string& name) const {
    auto value = FindValue(lines_, name);
    if (!value)
        Fail(kFailedToGet, name);
    if (value->type != TSettingType::Integer)
        Fail(kInvalidDataType, name);
    return static_cast<int32_t>(value->number);
}

namespace {

// A line break would split the value line; a NUL would be cut off by the registry anyway.
bool breaksLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string DwordData(int32_t value) {
    char data[16];
    std::snprintf(data, sizeof data, "dword:%08x", static_cast<unsigned>(static_cast<uint32_t>(value)));
    return data;
}

} // namespace

void SettingsStore::WriteValues(const std::vector<TSettingValue>& values) {
    for (const auto& value : values) {
        if (value.type == TSettingType::Integer)
            WriteInteger(value.name, value.number);
        else
            WriteString(value.name, value.text);
    }
}

void FileSettingsStore::WriteString(const std::string& name, const std::string& value) {
    WriteValues({TSettingValue{name, TSettingType::Text, value, 0}});
}

void FileSettingsStore::WriteInteger(const std::string& name, int32_t value) {
    WriteValues({TSettingValue{name, TSettingType::Integer, {}, value}});
}

void FileSettingsStore::WriteValues(const std::vector<TSettingValue>& values) {
    std::vector<std::pair<std::string, std::string>> data;
    for (const auto& value : values) {
        if (breaksLine(value.name) || (value.type != TSettingType::Integer && breaksLine(value.text)))
            Fail(kFailedToSet, value.name);
        data.emplace_back(value.name,
                          value.type == TSettingType::Integer ? DwordData(value.number) : Quote(value.text));
    }
    WriteData(data);
}

void FileSettingsStore::WriteData(const std::vector<std::pair<std::string, std::string>>& values) {
    if (values.empty())
        return;
    const std::string& first = values.front().first;
    std::vector<std::string> lines;
    if (fileName_.empty() || !LoadLines(fileName_, lines))
        Fail(kFailedToSet, first);
    if (lines.empty())
        lines.assign(std::begin(kFileHeader), std::end(kFileHeader));
    for (const auto& [name, data] : values) {
        bool found = false;
        for (auto& line : lines) {
            auto value = ParseValueLine(line);
            if (!value || !SameText(value->name, name))
                continue;
            bool crlf = !line.empty() && line.back() == '\r';
            line = Quote(value->name) + '=' + data + (crlf ? "\r" : "");
            found = true;
            break;
        }
        if (!found)
            lines.push_back(Quote(name) + '=' + data);
    }
    if (!SaveLines(fileName_, lines))
        Fail(kFailedToSet, first);
    lines_ = std::move(lines);
}

std::string FileSettingsStore::OpenFailureMessage() const {
    if (fileName_.empty())
        return "Failed to open ZARN's settings file: neither XDG_CONFIG_HOME nor HOME is set";
    return "Failed to open ZARN's settings file " + fileName_;
}

std::string UserConfigFolder() {
    // Relative paths in XDG_CONFIG_HOME are to be ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute())
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && *home)
        return (fs::path(home) / ".config").string();
    return {};
}

std::string SettingsFileName(const std::string& configFolder) {
    if (configFolder.empty())
        return {};
    return (fs::path(configFolder) / "Trelvix" / "ZARN" / "1.0.conf").string();
}

std::unique_ptr<SettingsStore> CreateUserSettingsStore() {
#ifdef _WIN32
    return std::make_unique<RegistrySettingsStore>();
#else
    return std::make_unique<FileSettingsStore>(SettingsFileName(UserConfigFolder()));
#endif
}

} // namespace zarn
