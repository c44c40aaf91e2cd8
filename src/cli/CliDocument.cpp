#include "cli/CliDocument.h"

#include "cli/CliArgs.h"
#include "model/KelmFile.h"
#include "tag/AppletTag.h"
#include "model/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <system_error>
#include <vector>


namespace zarn::cli {

namespace fs = std::filesystem;

namespace {

struct TBasicName {
    const char* name;
    TBasicField field;
};

constexpr TBasicName BasicNames[] = {
    {"WIDTH", TBasicField::Width},   {"HEIGHT", TBasicField::Height},     {"HSPACE", TBasicField::HSpace},
    {"VSPACE", TBasicField::VSpace}, {"ALIGN", TBasicField::Align},       {"CODE", TBasicField::Code},
    {"CODEBASE", TBasicField::CodeBase}, {"WEBROOT", TBasicField::WebRoot},
};

std::string systemError(int error) { return std::strerror(error); }

// The message of a refused conversion, for the terminal.
[[noreturn]] void refuse(const std::string& shownName, const std::string& fileMessage) {
    throw ECliError(shownName + ": " + FileTextToOutput(fileMessage));
}

uint8_t parseAlign(const std::string& value, const std::string& shownName) {
    if (const auto number = TryStrToInt(value); number && *number >= 0 && *number < 8)
        return uint8_t(*number);
    for (uint8_t i = 0; i < 8; ++i)
        if (SameText(value, AlignmentTable[i].caption) || SameText(value, AlignmentTable[i].html))
            return i;
    std::string choices;
    for (const AlignmentEntry& entry : AlignmentTable)
        choices += std::string(", ") + entry.caption;
    refuse(shownName, "'" + value + "' is not an alignment: 0 to 7" + choices + ", or an HTML word");
}

int32_t parseInteger(const std::string& value, const std::string& shownName) {
    try {
        return StrToInt(value);
    } catch (const EZarnError& error) {
        refuse(shownName, error.Message());
    }
}


std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty())
        return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Gives the new document its name. Without `replace` a file that appeared there meanwhile is kept
// and the document refused.
void publish(TSiblingFile& pending, const fs::path& target, bool replace, const std::string& shownName) {
    const int error = replace ? pending.ReplaceTarget(target) : pending.CreateTarget(target);
    if (error == EEXIST && !replace)
        throw ECliError(shownName + ": exists already (--force replaces it)");
    if (error != 0)
        throw ECliError(shownName + ": cannot be written (" + systemError(error) + ")");
}

// Where the new document goes: its own name, or the file a link there points to.
fs::path documentTarget(const std::string& templatePath, const std::string& document, bool replace) {
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(document, ec);
    fs::path target = document;
    if (fs::exists(own)) {
        if (!replace)
            throw ECliError(document + ": exists already (--force replaces it)");
        if (fs::is_symlink(own)) {
            target = SaveTarget(document, ec);
            if (ec)
                throw ECliError(document + ": is a link to nothing");
        }
        const fs::file_status status = fs::status(target, ec);
        if (fs::is_directory(status))
            throw ECliError(document + ": is a folder");
        if (!fs::is_regular_file(status))
            throw ECliError(document + ": is not a regular file");
        if (fs::equivalent(templatePath, target, ec))
            throw ECliError(document + ": is the template itself");
    }
    const fs::path folder = target.parent_path();
    if (!folder.empty() && !fs::is_directory(folder, ec))
        throw ECliError(document + ": the folder " + folder.string() + " does not exist");
    return target;
}

} // namespace

TJavaAppletTag& CommandDocument() {
    static auto* kept = new std::vector<std::unique_ptr<TJavaAppletTag>>;
    return *kept->emplace_back(std::make_unique<TJavaAppletTag>());
}

void LoadTag(TJavaAppletTag& tag, const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        throw ECliError(path + ": no such file");
    if (fs::is_directory(status))
        throw ECliError(path + ": is a folder");
    if (!fs::is_regular_file(status))
        throw ECliError(path + ": is not a regular file");
    // The profile file reads a file it cannot open as empty; say why instead.
    if (std::FILE* probe = std::fopen(path.c_str(), "rb"))
        std::fclose(probe);
    else
        throw ECliError(path + ": cannot be read (" + systemError(errno) + ")");

    TKelmFile file(path);
    try {
        tag.Load(file);
    } catch (const ECliError&) {
        throw;
    } catch (const EZarnError& error) {
        throw ECliError(path + ": " + MessageLine(error.Message()));
    }
}

TValueTarget FindValueTarget(TJavaAppletTag& tag, const std::string& name, const std::string& shownName,
                             const std::string& path) {
    TValueTarget target;
    for (const TBasicName& basic : BasicNames)
        if (SameText(name, basic.name)) {
            target.basic = basic.field;
            return target;
        }
    if (tag.ParamList && !name.empty())
        for (const auto& param : *tag.ParamList)
            if (SameText(param->Name, name)) {
                target.param = param.get();
                return target;
            }
    throw ECliError(path + ": no parameter '" + shownName + "'");
}

std::string GetTargetValue(const TJavaAppletTag& tag, const TValueTarget& target) {
    const TAppletBasicParams& basic = tag.BasicParams;
    switch (target.basic) {
    case TBasicField::Width: return IntToStr(basic.Width);
    case TBasicField::Height: return IntToStr(basic.Height);
    case TBasicField::HSpace: return IntToStr(basic.HSpace);
    case TBasicField::VSpace: return IntToStr(basic.VSpace);
    case TBasicField::Align: return IntToStr(basic.Align);
    case TBasicField::Code: return basic.Code;
    case TBasicField::CodeBase: return basic.CodeBase;
    case TBasicField::WebRoot: return basic.WebRoot;
    case TBasicField::None: break;
    }
    return target.param ? target.param->GetValue() : std::string();
}

void SetTargetValue(TJavaAppletTag& tag, const TValueTarget& target, const std::string& value,
                    const std::string& shownName) {
    // A profile file keeps one line per value; the save would fail later with a vaguer message.
    if (value.find_first_of("\r\n") != std::string::npos)
        throw ECliError(shownName + ": a value cannot hold line breaks");
    TAppletBasicParams& basic = tag.BasicParams;
    switch (target.basic) {
    case TBasicField::Width: basic.Width = parseInteger(value, shownName); return;
    case TBasicField::Height: basic.Height = parseInteger(value, shownName); return;
    case TBasicField::HSpace: basic.HSpace = parseInteger(value, shownName); return;
    case TBasicField::VSpace: basic.VSpace = parseInteger(value, shownName); return;
    case TBasicField::Align: basic.Align = parseAlign(value, shownName); return;
    case TBasicField::Code: basic.Code = value; return;
    case TBasicField::CodeBase: basic.CodeBase = value; return;
    case TBasicField::WebRoot: basic.WebRoot = value; return;
    case TBasicField::None: break;
    }
    if (!target.param)
        return;
    try {
        target.param->SetValue(value);
    } catch (const EZarnError& error) {
        refuse(shownName, error.Message());
    }
    // Saying nothing would report a change that never happened.
    if (!value.empty() && !target.param->HoldsValue())
        throw ECliError(shownName + ": a " + target.param->ClassName() +
                        " parameter keeps no value that can be set here");
}

void CreateDocument(TJavaAppletTag& tag, const std::string& templatePath, const std::string& document,
                    bool replace) {
    const fs::path target = documentTarget(templatePath, document, replace);

    // The document is made in a file of its own beside the final name, removed unless put in place.
    TSiblingFile pending;
    if (int error = pending.Create(target, "", ".new"); error != 0)
        throw ECliError(document + ": cannot be created (" + systemError(error) + ")");
    TKelmFile file(pending.Name());
    tag.BasicParams.TemplateFile = false;
    int written = 0;
    try {
        // The document starts as a copy of the whole template, as the editor's Save As makes it.
        written = tag.SaveContent(file, TIniFile(templatePath), pending);
    } catch (const EZarnError& error) {
        if (std::FILE* probe = std::fopen(templatePath.c_str(), "rb"))
            std::fclose(probe);
        else
            throw ECliError(templatePath + ": cannot be read (" + systemError(errno) + ")");
        // The user knows the document, not the file it is made in.
        throw ECliError(MessageLine(replaceAll(error.Message(), pending.Name(), document)));
    }
    if (written != 0)
        throw ECliError(document + ": cannot be written (" + systemError(written) + ")");
    publish(pending, target, replace, document);
}

} // namespace zarn::cli
