#include "tag/Scaffold.h"

#include "profile/Codepage.h"
#include "profile/Errors.h"
#include "profile/FileBytes.h"
#include "profile/FileReplace.h"
#include "tag/ClassFile.h"
#include "tag/ClassLookup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <regex>

#ifdef ZARN_ARCHIVES
#include <zip.h>
#endif

namespace zarn {

namespace {

namespace fs = std::filesystem;

// Bounds on what one source may hold, so a hostile jar or folder ends in a message, not a stall.
constexpr std::size_t MaxClassFiles = 100000;
constexpr uintmax_t MaxTotalBytes = 256ull << 20;
constexpr int MaxFolderDepth = 64;

bool isClassEntry(std::string_view name) {
    return name.size() > 6 && SameText(name.substr(name.size() - 6), ".class");
}

std::string tooLarge(const std::string& entry) {
    return entry + ": the class file is larger than " + std::to_string(MaxClassFileSize >> 20) + " MB";
}

#ifdef ZARN_ARCHIVES
struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

std::vector<TClassBytes> archiveClasses(const std::string& path, TStrings& problems) {
    std::error_code ec;
    if (fs::file_size(path, ec) == 0 && !ec)
        throw EZarnError(path + " cannot be read: the file is empty");
    int code = 0;
    const std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open(path.c_str(), ZIP_RDONLY, &code));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string text = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw EZarnError(path + " cannot be read: " + text);
    }
    std::vector<TClassBytes> classes;
    uintmax_t total = 0;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* rawName = zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW);
        if (!rawName || !isClassEntry(rawName))
            continue;
        const std::string entry = rawName;
        if (classes.size() == MaxClassFiles)
            throw EZarnError(path + " holds more than " + std::to_string(MaxClassFiles) + " class files");
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
            problems.push_back(entry + ": " + zip_strerror(archive.get()));
            continue;
        }
        if (stat.size > MaxClassFileSize) {
            problems.push_back(tooLarge(entry));
            continue;
        }
        if ((total += stat.size) > MaxTotalBytes)
            throw EZarnError(path + " holds more than " + std::to_string(MaxTotalBytes >> 20) +
                             " MB of class files");
        const std::unique_ptr<zip_file_t, EntryCloser> file(
            zip_fopen_index(archive.get(), zip_uint64_t(i), 0));
        TClassBytes item{entry, std::vector<uint8_t>(std::size_t(stat.size))};
        const zip_int64_t read = file ? zip_fread(file.get(), item.bytes.data(), item.bytes.size()) : -1;
        if (read < 0 || zip_uint64_t(read) != stat.size) {
            problems.push_back(entry + ": cannot be read from the archive: " +
                               (file ? zip_file_strerror(file.get()) : zip_strerror(archive.get())));
            continue;
        }
        classes.push_back(std::move(item));
    }
    return classes;
}
#else
std::vector<TClassBytes> archiveClasses(const std::string& path, TStrings&) {
    throw EZarnError(path +
                     ": this build of ZARN does not look into archives; give the folder of the class files");
}
#endif

std::vector<TClassBytes> folderClasses(const std::string& path, TStrings& problems) {
    TStrings entries;
    std::error_code ec;
    fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
    if (ec)
        throw EZarnError(path + " cannot be read: " + ec.message());
    for (; it != end; it.increment(ec)) {
        if (ec)
            throw EZarnError(path + " cannot be read: " + ec.message());
        if (it.depth() >= MaxFolderDepth)
            it.disable_recursion_pending();
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !isClassEntry(it->path().filename().string()))
            continue;
        if (entries.size() == MaxClassFiles)
            throw EZarnError(path + " holds more than " + std::to_string(MaxClassFiles) + " class files");
        entries.push_back(it->path().lexically_relative(path).generic_string());
    }
    std::sort(entries.begin(), entries.end());
    std::vector<TClassBytes> classes;
    uintmax_t total = 0;
    for (const std::string& entry : entries) {
        const fs::path file = fs::path(path) / entry;
        const uintmax_t size = fs::file_size(file, ec);
        if (ec) {
            problems.push_back(entry + ": " + ec.message());
            continue;
        }
        if (size > MaxClassFileSize) {
            problems.push_back(tooLarge(entry));
            continue;
        }
        if ((total += size) > MaxTotalBytes)
            throw EZarnError(path + " holds more than " + std::to_string(MaxTotalBytes >> 20) +
                             " MB of class files");
        std::string content;
        if (const std::error_code readError = ReadFileBytes(file.string(), content)) {
            problems.push_back(entry + ": " + readError.message());
            continue;
        }
        classes.push_back({entry, std::vector<uint8_t>(content.begin(), content.end())});
    }
    return classes;
}

// Class file text is Java's UTF-8; templates hold Windows-1252 on one line.
std::string fileText(std::string_view text, std::size_t limit) {
    std::string converted = Utf8ToWin1252(text);
    for (char& c : converted)
        if (uint8_t(c) < 0x20 || c == 0x7f)
            c = ' ';
    const auto first = converted.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    converted = converted.substr(first, converted.find_last_not_of(' ') - first + 1);
    if (converted.size() > limit)
        converted.resize(limit);
    return converted;
}

bool hasWord(const TStrings& words, std::initializer_list<const char*> wanted) {
    for (const std::string& word : words)
        for (const char* w : wanted)
            if (word == w)
                return true;
    return false;
}

std::string join(const TStrings& items, char separator) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty())
            text += separator;
        text += item;
    }
    return text;
}

} // namespace

TAppletSource ReadAppletSource(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    TStrings problems;
    std::vector<TClassBytes> classes;
    bool archive = false;
    if (fs::is_directory(status)) {
        classes = folderClasses(path, problems);
    } else if (fs::is_regular_file(status)) {
        archive = true;
        classes = archiveClasses(path, problems);
    } else {
        throw EZarnError(path + ": no such archive or folder");
    }
    if (classes.empty())
        throw EZarnError(path + " holds no class file" +
                         (problems.empty() ? "" : " that can be read (" + problems[0] + ")"));
    TAppletSource source = AnalyseClasses(classes);
    source.path = path;
    source.archive = archive;
    source.problems.insert(source.problems.begin(), problems.begin(), problems.end());
    return source;
}

std::string ScaffoldSourceFor(const std::string& chosenFile) {
    if (!isClassEntry(chosenFile))
        return chosenFile;
    fs::path folder = fs::path(chosenFile).parent_path();
    std::error_code ec;
    std::string content;
    if (fs::file_size(chosenFile, ec) > MaxClassFileSize || ec || ReadFileBytes(chosenFile, content))
        return folder.string();
    try {
        const TClassFile file =
            ReadClassFile(std::span(reinterpret_cast<const uint8_t*>(content.data()), content.size()));
        for (std::size_t depth = std::count(file.name.begin(), file.name.end(), '/'); depth > 0; --depth)
            if (folder.has_relative_path())
                folder = folder.parent_path();
    } catch (const EClassFormat&) {
    }
    return folder.string();
}

const TFoundApplet& ChooseApplet(const TAppletSource& source, std::string_view className) {
    if (source.applets.empty())
        throw EZarnError("no class of " + source.path + " is an applet (none reaches java.applet.Applet or " +
                         "javax.swing.JApplet within it; " + std::to_string(source.classEntries.size()) +
                         " class files" + (source.problems.empty() ? "" : ", " + source.problems[0]) + ")");
    if (className.empty()) {
        if (source.applets.size() == 1)
            return source.applets[0];
        throw EZarnError(source.path + " holds " + std::to_string(source.applets.size()) +
                         " applet classes: choose one");
    }
    const std::string wanted = AppletClassName(className).name;
    for (const TFoundApplet& applet : source.applets)
        if (applet.name == wanted)
            return applet;
    throw EZarnError(std::string(className) + " is not an applet class of " + source.path);
}

TGuessedKind GuessKind(std::string_view typeText) {
    TGuessedKind kind;
    const std::string lower = LowerCase(typeText);
    TStrings words;
    for (std::size_t i = 0; i < lower.size();) {
        if (!std::isalpha(uint8_t(lower[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < lower.size() && std::isalpha(uint8_t(lower[end])))
            ++end;
        words.push_back(lower.substr(i, end - i));
        i = end;
    }

    // A pair of switch words as written, "yes/no" or "true|false".
    static const std::regex pair(R"(^\s*([A-Za-z]+)\s*[/|]\s*([A-Za-z]+)\s*$)");
    std::cmatch match;
    const std::string text(typeText);
    if (std::regex_match(text.c_str(), match, pair)) {
        static const std::pair<const char*, const char*> switches[] = {
            {"true", "false"}, {"yes", "no"}, {"on", "off"}};
        for (const auto& [on, off] : switches) {
            const bool forward = SameText(match.str(1), on) && SameText(match.str(2), off);
            const bool backward = SameText(match.str(1), off) && SameText(match.str(2), on);
            if (forward || backward) {
                kind.className = "TAPBoolean";
                kind.trueText = match.str(forward ? 1 : 2);
                kind.falseText = match.str(forward ? 2 : 1);
                return kind;
            }
        }
    }
    if (text.find('|') != std::string::npos) {
        for (const std::string& item : SplitList(text, '|'))
            if (const std::string trimmed = fileText(item, 200); !trimmed.empty())
                kind.items.push_back(trimmed);
        if (kind.items.size() >= 2) {
            kind.className = "TAPComboList";
            return kind;
        }
        kind.items.clear();
    }
    if (hasWord(words, {"boolean", "bool"})) {
        kind.className = "TAPBoolean";
        kind.trueText = "true";
        kind.falseText = "false";
    } else if (hasWord(words, {"color", "colour"})) {
        kind.className = "TAPColor";
    } else if (hasWord(words, {"float", "double", "real"})) {
        kind.className = "TAPFloat";
    } else if (hasWord(words, {"url", "file", "image", "filename", "path"})) {
        kind.className = "TAPFileName";
    } else {
        static const std::regex range(R"((-?\d{1,10})\s*(?:-|\.\.|to)\s*(-?\d{1,10}))");
        const bool ranged = std::regex_search(text.c_str(), match, range);
        const bool whole = hasWord(words, {"int", "integer", "long", "short", "byte", "number"});
        if (!ranged && !whole)
            return kind;
        kind.className = "TAPNumeric";
        if (ranged) {
            const long long low = std::stoll(match.str(1)), high = std::stoll(match.str(2));
            if (low <= high && low >= INT32_MIN + 1 && high <= INT32_MAX) {
                kind.ranged = true;
                kind.min = int32_t(low);
                kind.max = int32_t(high);
            } else if (!whole) {
                kind.className = "TAPString";
            }
        }
    }
    return kind;
}

std::string SpelledOut(std::string_view name) {
    std::string text;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '_' || c == '-' || c == '.' || c == ' ') {
            if (!text.empty() && text.back() != ' ')
                text += ' ';
            continue;
        }
        const bool upper = std::isupper(uint8_t(c)) != 0;
        const bool afterLower =
            i > 0 && (std::islower(uint8_t(name[i - 1])) || std::isdigit(uint8_t(name[i - 1])));
        const bool acronymEnd = i > 0 && std::isupper(uint8_t(name[i - 1])) && i + 1 < name.size() &&
                                std::islower(uint8_t(name[i + 1]));
        if (upper && (afterLower || acronymEnd) && !text.empty() && text.back() != ' ')
            text += ' ';
        text += c;
    }
    // Lower case after the first letter, except within acronyms ("URL").
    for (std::size_t i = 1; i < text.size(); ++i) {
        const bool wordStart = text[i - 1] == ' ';
        const bool nextUpper = i + 1 < text.size() && std::isupper(uint8_t(text[i + 1]));
        const bool prevUpper = !wordStart && std::isupper(uint8_t(text[i - 1]));
        if (std::isupper(uint8_t(text[i])) && !nextUpper && !prevUpper)
            text[i] = char(std::tolower(uint8_t(text[i])));
    }
    if (!text.empty())
        text[0] = char(std::toupper(uint8_t(text[0])));
    return text;
}

std::string TemplateText(const TAppletSource& source, const TFoundApplet& applet) {
    std::string text;
    const auto line = [&text](const std::string& content) { text += content + "\r\n"; };
    const std::string archiveName =
        source.archive ? fs::path(source.path).filename().string() : std::string();
    TStrings copy;
    if (source.archive)
        copy.push_back(archiveName);
    else
        for (const std::string& entry : source.classEntries)
            if (entry.find(' ') == std::string::npos)
                copy.push_back(entry);

    line("[Applet Basic Parameters]");
    line("Code=" + fileText(applet.name, 1000));
    line("Width=" + std::to_string(applet.width));
    line("Height=" + std::to_string(applet.height));
    line("CodeBase=");
    line("TemplateFile=1");
    if (source.archive)
        line("Archive=" + fileText(archiveName, 1000));
    line("Copy=" + fileText(join(copy, ' '), 1u << 20));
    line("");
    line("[Description]");
    line("Comment=" + fileText(applet.info, 4000));
    line("");
    line("[Pages]");
    line("Page0=Parameters");
    line("");
    line("[Applet Parameters]");
    for (std::size_t i = 0; i < applet.params.size(); ++i)
        line("Param" + std::to_string(i) + "=" + fileText(applet.params[i].name, 200));
    for (const TScaffoldParam& param : applet.params) {
        const TGuessedKind kind = GuessKind(param.type);
        const std::string caption = fileText(param.description, 400);
        line("");
        line("[" + fileText(param.name, 200) + " parameter]");
        line("Class=" + kind.className);
        line("UFName=" + (caption.empty() ? fileText(SpelledOut(param.name), 400) : caption));
        line("Page=0");
        if (kind.className == "TAPNumeric") {
            // A whole number needs a value to load; the range's nearest to 0 states nothing new.
            const int32_t value = kind.ranged ? std::clamp(0, kind.min, kind.max) : 0;
            line("Value=" + std::to_string(value));
            if (kind.ranged) {
                line("Min=" + std::to_string(kind.min));
                line("Max=" + std::to_string(kind.max));
            }
        } else if (kind.className == "TAPFloat") {
            line("Value=0");
        } else if (kind.className == "TAPBoolean") {
            line("Value=0");
            line("True=" + fileText(kind.trueText, 100));
            line("False=" + fileText(kind.falseText, 100));
        } else if (kind.className == "TAPComboList") {
            // No item chosen: the block leaves the parameter to the applet until the user picks one.
            line("Value=-1");
            line("Items=" + join(kind.items, '|'));
        }
    }
    return text;
}

void WriteTemplate(const TAppletSource& source, const TFoundApplet& applet, const std::string& outPath,
                   bool replace) {
    const std::string content = TemplateText(source, applet);
    TSiblingFile file;
    std::error_code ec = file.Create(outPath, content, ".zrt");
    if (!ec)
        ec = replace ? file.ReplaceTarget(outPath) : file.CreateTarget(outPath);
    if (ec == std::errc::file_exists)
        throw EZarnError(outPath + " already exists");
    if (ec)
        throw EZarnError("Unable to write to " + outPath + ": " + ec.message());
}

} // namespace zarn
