#pragma once
// Where the user's options live between runs: one key of named, typed values (text or 32-bit
// integer), names matched without letter case.
//
// On Windows the key is HKEY_CURRENT_USER\Software\Trelvix\ZARN\1.0 in the registry. Elsewhere it is
// a text file of our own, <config>/Trelvix/ZARN/1.0.conf, where <config> is $XDG_CONFIG_HOME when
// that is an absolute path, else ~/.config. The file reads like an exported key and may be edited by
// hand:
//
//     ; ZARN settings: "Name"="text" or "Name"=dword:<hexadecimal>
//     [Software\Trelvix\ZARN\1.0]
//     "AppletViewer"="appletviewer"
//     "PathnamesKind"=dword:00000001
//
// In quoted names and texts \\ stands for a backslash and \" for a double quote; any other
// backslash is kept as it is. Blanks around "=" are allowed. A value line whose data is neither a
// complete quoted text nor "dword:" with 1 to 8 hexadecimal digits holds a value of an unusable type.
// Every other line (comments, the header, lines not understood) is kept as it is. The file is bytes
// (Windows-1252 text like the rest of the core); CR LF line ends are kept.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zarn {

enum class TSettingType { Missing, Text, Integer, Other };

// One value to write: a text or a 32-bit integer.
struct TSettingValue {
    std::string name;
    TSettingType type = TSettingType::Text;
    std::string text;
    int32_t number = 0;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens the key, creating it when missing. False when it cannot be opened: every value then counts
    // as missing.
    virtual bool Open() = 0;
    virtual void Close() = 0;

    virtual TSettingType ValueType(const std::string& name) const = 0;

    // Raise EZarnError "Invalid data type for '%s'" for a value of another type and
    // "Failed to get data for '%s'" when the value cannot be read.
    virtual std::string ReadString(const std::string& name) const = 0;
    virtual int32_t ReadInteger(const std::string& name) const = 0;
    // Replace the value (and its type) or create it; raise EZarnError "Failed to set data for '%s'".
    // An existing value keeps the spelling of its name.
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    virtual void WriteInteger(const std::string& name, int32_t value) = 0;
    // Writes the values in order, failing as the single writes do. A store that can write them in one
    // step does, so a failure leaves every old value; this one writes them one by one.
    virtual void WriteValues(const std::vector<TSettingValue>& values);

    // Where the values live, for messages: a file name or a registry key.
    virtual std::string Location() const = 0;
    // The message a user sees when Open fails.
    virtual std::string OpenFailureMessage() const = 0;
};

// The settings file. Nothing is created on disk until the first write; each write re-reads the file
// (so lines edited meanwhile survive) and replaces it atomically, creating its folder when missing. A
// linked file stays a link: its target is replaced. A file that exists but cannot be read is never
// overwritten.
class FileSettingsStore : public SettingsStore {
public:
    explicit FileSettingsStore(std::string fileName);

    bool Open() override;
    void Close() override;
    TSettingType ValueType(const std::string& name) const override;
    std::string ReadString(const std::string& name) const override;
    int32_t ReadInteger(const std::string& name) const override;
    void WriteString(const std::string& name, const std::string& value) override;
    void WriteInteger(const std::string& name, int32_t value) override;
    // All values in one replace of the file.
    void WriteValues(const std::vector<TSettingValue>& values) override;
    std::string Location() const override { return fileName_; }
    std::string OpenFailureMessage() const override;

    const std::string& FileName() const { return fileName_; }

private:
    // Each value as a name and its stored data.
    void WriteData(const std::vector<std::pair<std::string, std::string>>& values);

    std::string fileName_;
    std::vector<std::string> lines_;
};

// The folder for per-user configuration ($XDG_CONFIG_HOME, else $HOME/.config); empty when unknown.
std::string UserConfigFolder();
// The settings file inside a configuration folder; empty for an empty folder.
std::string SettingsFileName(const std::string& configFolder);
// The user's store, not yet opened: the registry key on Windows, the settings file elsewhere.
std::unique_ptr<SettingsStore> CreateUserSettingsStore();

} // namespace zarn
