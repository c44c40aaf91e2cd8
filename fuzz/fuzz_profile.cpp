// The profile store and the settings file on hostile bytes. The input is a file's content, then
// optionally the marker line "#ops#" and a script of store operations. Every value written must
// read back as the store's rules say, reads must never change the file, and what the store holds in
// memory must be what a fresh read of the disk gives.

#include "FuzzSupport.h"

#include "platform/SettingsStore.h"
#include "profile/Errors.h"
#include "profile/IniFile.h"
#include "tag/AppSettings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace zarn;
using namespace zarn::fuzz;

namespace {

const std::string_view OpsMarker = "\n#ops#\n";

// Section and key names that stand in the content, so the script reaches what the file holds.
struct Names {
    std::vector<std::string> sections;
    std::vector<std::string> keys;
};

Names harvest(std::string_view content) {
    Names names;
    std::size_t pos = 0;
    while (pos < content.size() && names.sections.size() + names.keys.size() < 256) {
        std::size_t end = content.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view line = Trim(content.substr(pos, end - pos));
        const auto close = line.empty() || line.front() != '[' ? std::string_view::npos : line.rfind(']');
        if (close != std::string_view::npos) {
            names.sections.emplace_back(Trim(line.substr(1, close - 1)));
        } else if (auto eq = line.find('='); eq != std::string_view::npos && eq > 0) {
            names.keys.emplace_back(Trim(line.substr(0, eq)));
        }
        pos = end + 1;
    }
    return names;
}

std::string pick(FuzzedDataProvider& fdp, const std::vector<std::string>& pool) {
    if (!pool.empty() && fdp.ConsumeBool())
        return pool[fdp.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1)];
    return fdp.ConsumeRandomLengthString(24);
}

bool breaksLines(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A UTF-16 file is never written.
bool unwritableFile = false;

bool isUtf16(std::string_view content) {
    return content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF");
}

// What WriteString may refuse: names and values that would not stay one line or one key.
bool writeMayFail(const std::string& section, const std::string& key, const std::string& value) {
    std::string_view name = Trim(section);
    std::string_view keyName = Trim(key);
    return unwritableFile || breaksLines(section) || breaksLines(key) || breaksLines(value) || name.empty() ||
           name.find(']') != std::string_view::npos || keyName.empty() ||
           keyName.find('=') != std::string_view::npos || keyName.front() == '[' || keyName.front() == ';';
}

using Snapshot = std::map<std::string, std::vector<std::string>>;

Snapshot snapshot(const TIniFile& file, const std::vector<std::string>& sections) {
    Snapshot result;
    for (const auto& section : sections) {
        TStrings keys;
        file.ReadSection(section, keys);
        std::vector<std::string> values;
        for (const auto& key : keys) {
            Check(!key.empty() && key.find_first_of("\r\n") == std::string::npos,
                  "a listed key is empty or spans lines");
            std::string value = file.ReadString(section, key, "\x01");
            Check(!breaksLines(value), "a value read spans lines");
            values.push_back(key + "=" + value);
        }
        TStrings entries;
        file.ReadSectionValues(section, entries);
        for (const auto& entry : entries)
            values.push_back("*" + entry);
        result[section] = std::move(values);
    }
    return result;
}

void runProfile(std::string_view content, FuzzedDataProvider& fdp, bool scripted) {
    const std::string path = FuzzPath("store.ini");
    WriteBytes(path, content);
    ClearProfileCache();
    unwritableFile = isUtf16(content);
    Names names = harvest(content);
    TIniFile file(path);
    TIniFile other(path);
    bool written = false;
    int depth = 0;

    auto checkWrite = [&](const std::string& section, const std::string& key, const std::string& value) {
        try {
            file.WriteString(section, key, value);
        } catch (const EWriteError&) {
            Check(writeMayFail(section, key, value), "a writable key was refused");
            return;
        }
        written = true;
        names.sections.push_back(section);
        const std::string expected(Trim(value));
        Check(file.ReadString(section, key, "\x01") == expected, "a value written does not read back");
        Check(other.ReadString(section, key, "\x01") == expected, "a second object does not see a write");
    };

    if (!scripted) {
        std::vector<std::string> sections = names.sections;
        sections.resize(std::min<std::size_t>(sections.size(), 32));
        for (const auto& section : sections) {
            (void)file.ReadInteger(section, "Width", 7);
            (void)file.ReadBool(section, "Visible", true);
        }
        if (!sections.empty()) {
            checkWrite(sections[0], "FuzzKey", " \"quoted\" ");
            if (sections.size() > 1) {
                try {
                    file.EraseSection(sections[1]);
                    written = true;
                } catch (const EWriteError&) {
                    Check(unwritableFile || breaksLines(sections[1]), "erasing a section was refused");
                }
            }
        }
    }

    while (scripted && fdp.remaining_bytes() > 0) {
        switch (fdp.ConsumeIntegralInRange<int>(0, 12)) {
        case 0: {
            const std::string section = pick(fdp, names.sections), key = pick(fdp, names.keys);
            Check(!breaksLines(file.ReadString(section, key, "")), "a value read spans lines");
            break;
        }
        case 1: {
            const std::string section = pick(fdp, names.sections), key = pick(fdp, names.keys);
            checkWrite(section, key, fdp.ConsumeRandomLengthString(64));
            break;
        }
        case 2: {
            const std::string section = pick(fdp, names.sections), key = pick(fdp, names.keys);
            const auto value = fdp.ConsumeIntegral<int32_t>();
            try {
                file.WriteInteger(section, key, value);
                written = true;
                names.sections.push_back(section);
                Check(file.ReadInteger(section, key, value ^ 1) == value,
                      "an integer written does not read back");
            } catch (const EWriteError&) {
                Check(writeMayFail(section, key, "0"), "a writable integer was refused");
            }
            break;
        }
        case 3: {
            const std::string section = pick(fdp, names.sections), key = pick(fdp, names.keys);
            const bool value = fdp.ConsumeBool();
            try {
                file.WriteBool(section, key, value);
                written = true;
                Check(file.ReadBool(section, key, !value) == value, "a boolean written does not read back");
            } catch (const EWriteError&) {
                Check(writeMayFail(section, key, "0"), "a writable boolean was refused");
            }
            break;
        }
        case 4: {
            const std::string section = pick(fdp, names.sections);
            try {
                file.EraseSection(section);
                written = true;
            } catch (const EWriteError&) {
                Check(unwritableFile || breaksLines(section), "erasing a section was refused");
            }
            break;
        }
        case 5: {
            TStrings keys;
            file.ReadSection(pick(fdp, names.sections), keys);
            for (const auto& key : keys)
                Check(!key.empty(), "an empty key was listed");
            break;
        }
        case 6: {
            TStrings entries{"a=1", "b=2"};
            file.ReadSectionValues(pick(fdp, names.sections), entries);
            break;
        }
        case 7:
            if (depth < 4) {
                file.BeginUpdate();
                ++depth;
            }
            break;
        case 8:
            if (depth > 0) {
                file.EndUpdate();
                --depth;
            }
            break;
        case 9:
            if (depth > 0) {
                file.DiscardUpdate();
                --depth;
            }
            break;
        case 10:
            file.Flush();
            break;
        case 11: {
            const std::string section = pick(fdp, names.sections), key = pick(fdp, names.keys);
            Check(file.ReadString(section, key, "\x01") == other.ReadString(section, key, "\x01"),
                  "two objects on one file disagree");
            break;
        }
        default:
            if (depth == 0)
                ClearProfileCache();
            break;
        }
    }
    while (depth-- > 0)
        file.EndUpdate();

    if (!written)
        Check(ReadBytes(path) == content, "reading changed the file");
    std::vector<std::string> sections = names.sections;
    sections.resize(std::min<std::size_t>(sections.size(), 64));
    const Snapshot held = snapshot(file, sections);
    ClearProfileCache();
    Check(snapshot(file, sections) == held, "the file on disk differs from what the store held");
}

// The settings file: reading the eight options, typed reads and writes that read back.
void runSettings(std::string_view content, FuzzedDataProvider& fdp) {
    const std::string path = FuzzPath("settings.conf");
    WriteBytes(path, content);
    std::vector<std::string> names = {"AppletViewer",     "PathnamesKind",  "RealNames",       "UseWebAsAV",
                                      "WaitForAVToClose", "DefaultWebRoot", "DefaultCodeBase", "ShowHints"};
    FileSettingsStore store(path);
    Check(store.Open(), "a readable settings file did not open");
    TAppSettings settings;
    ReadSettings(settings, store,
                 [](const std::string& message) { Check(!message.empty(), "an empty report"); });
    bool written = false;
    while (fdp.remaining_bytes() > 0) {
        const std::string name = pick(fdp, names);
        switch (fdp.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            try {
                (void)store.ReadString(name);
                Check(store.ValueType(name) == TSettingType::Text,
                      "a text read from a value of another type");
            } catch (const EZarnError&) {
            }
            break;
        case 1:
            try {
                (void)store.ReadInteger(name);
                Check(store.ValueType(name) == TSettingType::Integer,
                      "an integer read from a value of another type");
            } catch (const EZarnError&) {
            }
            break;
        case 2: {
            const std::string value = fdp.ConsumeRandomLengthString(64);
            try {
                store.WriteString(name, value);
            } catch (const EZarnError&) {
                Check(breaksLines(value) || breaksLines(name), "a text setting was refused");
                break;
            }
            written = true;
            Check(store.ReadString(name) == value, "a text setting does not read back");
            FileSettingsStore again(path);
            Check(again.Open() && again.ReadString(name) == value, "a text setting is not in the file");
            break;
        }
        default: {
            const auto value = fdp.ConsumeIntegral<int32_t>();
            try {
                store.WriteInteger(name, value);
            } catch (const EZarnError&) {
                Check(breaksLines(name), "an integer setting was refused");
                break;
            }
            written = true;
            FileSettingsStore again(path);
            Check(again.Open() && again.ReadInteger(name) == value, "an integer setting does not read back");
            break;
        }
        }
    }
    if (!written)
        Check(ReadBytes(path) == content, "reading the settings changed the file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view content = input;
    std::string_view script;
    if (auto at = input.find(OpsMarker); at != std::string_view::npos) {
        content = input.substr(0, at);
        script = input.substr(at + OpsMarker.size());
    }
    FuzzedDataProvider fdp(reinterpret_cast<const uint8_t*>(script.data()), script.size());
    ClearFuzzDir();
    if (!script.empty() && script.front() == 'S')
        runSettings(content, fdp);
    else
        runProfile(content, fdp, !script.empty());
    return 0;
}
