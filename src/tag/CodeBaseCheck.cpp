#include "tag/CodeBaseCheck.h"

#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "paths/PathForms.h"
#include "tag/AppletTag.h"
#include "tag/ClassLookup.h"
#include "tag/Prompt.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zarn {

namespace {

namespace fs = std::filesystem;

std::string CodeBaseOf(const TJavaAppletTag& tag) {
    return WithTrailingBackslash(tag.BasicParams.CodeBase);
}

std::string MissingFilesQuestion(const TStrings& missing) {
    std::string text = "ZARN has found that your code base lacks the following files : \r";
    for (const std::string& name : missing)
        text += name + "\r";
    text += "which are very likely to be required by your Applet to run.\r";
    text += "Do you want ZARN to copy them into your Code Base ? ";
    return text;
}

std::string NoCodeBaseWarning(const TStrings& missing) {
    std::string text = "Your applet will very likely need the following files in its code base : \r";
    for (const std::string& name : missing)
        text += name + "\r";
    text += "ZARN did not copy them, because no Code Base is set. Enter the Code Base folder on the "
            "Main page and copy them there.";
    return text;
}

std::string RefusedFilesWarning(const TStrings& refused) {
    std::string text = "ZARN did not copy the following files, because their names lead out of the "
                       "template's folder : \r";
    for (const std::string& name : refused)
        text += name + "\r";
    return text;
}

bool CopyReplacing(const std::string& source, const std::string& target, const std::string& codeBase) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec))
        return false;
    // "lib/viewer.jar" goes into the code base's own "lib" folder, made when missing; the name is
    // known safe, so the folders stay inside the code base.
    if (const std::string folder = ExtractFilePath(target); folder.size() > codeBase.size())
        CreateDirectoryLevels(folder);
    // Remove what is there first: copying onto a planted link would write wherever it points.
    const fs::file_status existing = fs::symlink_status(target, ec);
    if (fs::is_symlink(existing) || fs::is_regular_file(existing))
        fs::remove(target, ec);
    return fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec) && !ec;
}

// True when the file's real location, links resolved, lies inside the folder's real location: a
// link in a template pack (the file itself or a folder on its way) must not publish a file from
// elsewhere. A source that cannot be resolved is not inside.
bool StaysInsideFolder(const std::string& folder, const std::string& path) {
    std::error_code ec;
    const fs::path root = fs::canonical(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec)
        return false;
    const fs::path real = fs::weakly_canonical(fs::path(path), ec);
    if (ec)
        return false;
    auto step = real.begin();
    for (const fs::path& part : root) {
        if (step == real.end() || *step != part)
            return false;
        ++step;
    }
    return true;
}

std::string TemplateValuesQuestion(const std::vector<TTemplateFileValue>& values) {
    std::string text = "The following parameters name files of the template's folder, which the page "
                       "will not find : \r";
    for (const TTemplateFileValue& value : values)
        text += (value.param->UFName.empty() ? value.param->Name : value.param->UFName) + " : " + value.name +
                "\r";
    text += "Do you want ZARN to copy them into your Code Base and set the parameters to the copies ? ";
    return text;
}

void VisitFileFields(TAppletParam& param, TAppletParam& owner,
                     const std::function<void(TAPFileName&, TAppletParam&)>& visit) {
    if (auto* file = dynamic_cast<TAPFileName*>(&param))
        visit(*file, owner);
    else if (auto* vector = dynamic_cast<TAPParamVector*>(&param))
        for (const auto& element : vector->Containers)
            if (element && element->Field)
                VisitFileFields(*element->Field, owner, visit);
}

// Names relative to a folder compare as the folder's path family does: ignoring case off POSIX.
bool StartsWithFolder(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() <= folder.size())
        return false;
    return IsPosixPath(folder) ? path.compare(0, folder.size(), folder) == 0
                               : LowerCase(path.substr(0, folder.size())) == LowerCase(folder);
}

} // namespace

void ForEachFileValue(const TJavaAppletTag& tag,
                      const std::function<void(TAPFileName& field, TAppletParam& owner)>& visit) {
    if (tag.ParamList)
        for (const auto& param : *tag.ParamList)
            VisitFileFields(*param, *param, visit);
}

std::vector<TTemplateFileValue> TemplateFileValues(const TJavaAppletTag& tag) {
    std::vector<TTemplateFileValue> found;
    const std::string folder = ExtractFilePath(tag.FileName);
    const std::string cb = CodeBaseOf(tag);
    if (!tag.BasicParams.TemplateFile || IsURLCodeBase(tag))
        return found;
    ForEachFileValue(tag, [&](TAPFileName& field, TAppletParam&) {
        const std::string& value = field.Value;
        if (IsURL(value) || !StartsWithFolder(value, folder) || (!cb.empty() && StartsWithFolder(value, cb)))
            return;
        const std::string name = value.substr(folder.size());
        if (IsSafeSupportFileName(name) && FileExists(value))
            found.push_back({&field, name});
    });
    return found;
}

// Judged on the code base as entered: a bare scheme word ("news") counts as a URL, as it does when
// the CODEBASE attribute is written, but would not once a separator is added.
bool IsURLCodeBase(const TJavaAppletTag& tag) {
    return IsURL(tag.BasicParams.CodeBase);
}

bool CodeBaseFolderMissing(const TJavaAppletTag& tag) {
    // An empty code base is the current folder, which exists.
    const std::string cb = CodeBaseOf(tag);
    return !cb.empty() && !IsURLCodeBase(tag) && !DirectoryExists(cb);
}

TCopyReport CopyIntoCodeBase(const TJavaAppletTag& tag, const TStrings& missing, bool createCodeBase) {
    if (createCodeBase && CodeBaseFolderMissing(tag))
        CreateDirectoryLevels(CodeBaseOf(tag));
    return CopySupportFiles(tag, missing);
}

TStrings MissingSupportFiles(const TJavaAppletTag& tag) {
    const std::string cb = CodeBaseOf(tag);
    TStrings missing;
    if (IsURLCodeBase(tag))
        return missing;
    // The archives are support files too; one the template also copies is listed once.
    TStrings names = tag.FileList;
    for (std::string& archive : ArchiveNames(tag.BasicParams.Archive))
        if (!IsURL(archive) && std::find(names.begin(), names.end(), archive) == names.end())
            names.push_back(std::move(archive));
    for (const std::string& name : names)
        if (!FileExists(cb + name))
            missing.push_back(name);
    std::stable_sort(missing.begin(), missing.end(),
                     [](const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); });
    return missing;
}

TClassLookup LookForAppletClass(const TJavaAppletTag& tag) {
    return LookForClass(CodeBaseOf(tag), tag.BasicParams.Code, tag.BasicParams.Archive);
}

bool ClassFileMissing(const TJavaAppletTag& tag) {
    return !IsURLCodeBase(tag) && LookForAppletClass(tag).Missing();
}

bool IsSafeSupportFileName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return false;
    if (name.find(':') != std::string::npos)
        return false;
    size_t start = 0;
    for (;;) {
        const size_t end = name.find_first_of("/\\", start);
        const std::string_view step = std::string_view(name).substr(start, end - start);
        if (step == "..")
            return false;
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

TCopyReport CopySupportFiles(const TJavaAppletTag& tag, const TStrings& names) {
    const std::string cb = CodeBaseOf(tag);
    const std::string sourceDirectory = ExtractFilePath(tag.FileName);
    TCopyReport report;
    for (const std::string& name : names) {
        if (name.empty() || IsURLCodeBase(tag))
            report.failed.push_back(name);
        else if (!IsSafeSupportFileName(name) || !StaysInsideFolder(sourceDirectory, sourceDirectory + name))
            report.refused.push_back(name);
        else if (CopyReplacing(sourceDirectory + name, cb + name, cb))
            report.copied.push_back(name);
        else
            report.failed.push_back(name);
    }
    return report;
}

void CreateDirectoryLevels(const std::string& directory) {
    // A path holding a backslash is a DOS path, and the system takes "/" in it as well: "C:\site/java/".
    const char* separators =
        IsPosixPath(directory) || directory.find('\\') == std::string::npos ? "/" : "/\\";
    for (size_t pos = directory.find_first_of(separators); pos != std::string::npos;
         pos = directory.find_first_of(separators, pos + 1)) {
        if (pos == 0)
            continue;
        std::error_code ec;
        fs::create_directory(directory.substr(0, pos), ec);
    }
}

bool CheckFiles(TJavaAppletTag& tag, Prompt& prompt, TValueChanges* changes) {
    if (IsURLCodeBase(tag))
        return true;
    const std::string cb = CodeBaseOf(tag);

    const TStrings missing = MissingSupportFiles(tag);
    if (!missing.empty() && tag.BasicParams.TemplateFile && cb.empty()) {
        // Without a code base the copies would land in whatever folder the program runs in.
        prompt.Warning(NoCodeBaseWarning(missing));
    } else if (!missing.empty() && tag.BasicParams.TemplateFile &&
               prompt.Confirm(MissingFilesQuestion(missing))) {
        const bool create =
            CodeBaseFolderMissing(tag) &&
            prompt.Confirm("The directory " + cb + " does not exists. Should ZARN create it ? ");
        const TCopyReport report = CopyIntoCodeBase(tag, missing, create);
        if (!report.refused.empty())
            prompt.Warning(RefusedFilesWarning(report.refused));
    }

    // Without a code base the values would point at copies in whatever folder the program runs in.
    if (const auto values = TemplateFileValues(tag);
        !values.empty() && !cb.empty() && prompt.Confirm(TemplateValuesQuestion(values))) {
        const bool create =
            CodeBaseFolderMissing(tag) &&
            prompt.Confirm("The directory " + cb + " does not exists. Should ZARN create it ? ");
        TStrings names;
        for (const TTemplateFileValue& value : values)
            names.push_back(value.name);
        const TCopyReport report = CopyIntoCodeBase(tag, names, create);
        for (const TTemplateFileValue& value : values) {
            // A failed copy keeps its value: the page would not find the file either way, and the
            // template's copy still shows in the preview.
            if (std::find(report.copied.begin(), report.copied.end(), value.name) == report.copied.end())
                continue;
            if (changes)
                changes->push_back({value.param, value.param->CaptureValue()});
            value.param->Value = cb + value.name;
        }
        if (!report.refused.empty())
            prompt.Warning(RefusedFilesWarning(report.refused));
    }

    if (const TClassLookup lookup = LookForAppletClass(tag); lookup.Missing()) {
        const std::string& code = tag.BasicParams.Code;
        const std::string what = lookup.PlainFile(code)
                                     ? "the file " + code + " is missing from your Code Base. \r"
                                     : "the class " + lookup.className.name +
                                           " is missing from your Code Base. Looked for " + lookup.Where() +
                                           ". \r";
        return prompt.ConfirmWarning(
            "Warning : " + what +
            "Your applet is very unlikely to run in the current state. You will have "
            "to manually copy the files related to your applet into your code base. "
            "Continue anyway ?");
    }
    return true;
}

} // namespace zarn
