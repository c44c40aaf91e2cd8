#include "cli/CliDocument.h"

#include "cli/CliArgs.h"
#include "model/KelmFile.h"
#include "profile/FileBytes.h"
#include "profile/FileReplace.h"
#include "tag/BasicAttributes.h"
#include "tag/Document.h"

#include <filesystem>
#include <iterator>
#include <memory>
#include <system_error>
#include <vector>

namespace zarn::cli {

namespace fs = std::filesystem;

namespace {

// The message of a refused conversion, for the terminal.
[[noreturn]] void refuse(const std::string& shownName, const std::string& fileMessage) {
    throw ECliError(shownName + ": " + FileTextToOutput(fileMessage));
}

// Refuses what a new document must not replace: without `replace` anything, with it a folder, a
// special file, a link to nothing, the template itself; and a folder that is not there.
void checkTarget(const std::string& templatePath, const std::string& document, bool replace) {
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
}

} // namespace

TDocument& CommandDocument() {
    static auto* kept = new std::vector<std::unique_ptr<TDocument>>;
    return *kept->emplace_back(std::make_unique<TDocument>());
}

void LoadDocument(TDocument& document, const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        throw ECliError(path + ": no such file");
    if (fs::is_directory(status))
        throw ECliError(path + ": is a folder");
    if (!fs::is_regular_file(status))
        throw ECliError(path + ": is not a regular file");
    // The profile file reads a file it cannot open as empty; say why instead.
    if (const std::error_code error = ProbeReadable(path))
        throw ECliError(path + ": cannot be read (" + error.message() + ")");

    try {
        document.Load(path);
    } catch (const ECliError&) {
        throw;
    } catch (const EZarnError& error) {
        throw ECliError(path + ": " + MessageLine(error.Message()));
    }
}

TValueTarget FindValueTarget(TDocument& document, const std::string& name, const std::string& shownName,
                             const std::string& path) {
    TValueTarget target;
    if ((target.basic = FindBasicAttribute(name)))
        return target;
    if (document.ParamList && !name.empty())
        for (const auto& param : *document.ParamList)
            if (SameText(param->Name, name)) {
                target.param = param.get();
                return target;
            }
    throw ECliError(path + ": no parameter '" + shownName + "'");
}

std::string GetTargetValue(const TDocument& document, const TValueTarget& target) {
    if (target.basic)
        return BasicValueText(*target.basic, *document.BasicParams);
    return target.param ? target.param->GetValue() : std::string();
}

void SetTargetValue(TDocument& document, const TValueTarget& target, const std::string& value,
                    const std::string& shownName) {
    // A profile file keeps one line per value; the save would fail later with a vaguer message.
    if (value.find_first_of("\r\n") != std::string::npos)
        throw ECliError(shownName + ": a value cannot hold line breaks");
    if (target.basic) {
        try {
            SetBasicValueText(*target.basic, *document.BasicParams, value);
        } catch (const EZarnError& error) {
            refuse(shownName, error.Message());
        }
        return;
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

void CreateDocument(TDocument& document, const std::string& target, bool replace) {
    checkTarget(document.FileName, target, replace);
    try {
        document.SaveAs(target, nullptr, replace);
    } catch (const ECliError&) {
        throw;
    } catch (const EZarnError& error) {
        throw ECliError(MessageLine(error.Message()));
    }
}

} // namespace zarn::cli
