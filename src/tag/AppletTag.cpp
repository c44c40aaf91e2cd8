#include "tag/AppletTag.h"

#include "model/Errors.h"
#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "tag/MacroPass.h"
#include "tag/PathForms.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace zarn {

namespace fs = std::filesystem;

const AlignmentEntry AlignmentTable[8] = {
    {"Left", "LEFT"},     {"Right", "RIGHT"},           {"Top", "TOP"},          {"TextTop", "TEXTTOP"},
    {"Middle", "MIDDLE"}, {"Absolute Middle", "ABSMIDDLE"}, {"Baseline", "BASELINE"}, {"Absolute Bottom", "ABSBOTTOM"},
};

const char* AlignHTMLWord(uint8_t align) {
    return align < std::size(AlignmentTable) ? AlignmentTable[align].html : AlignmentTable[BaselineAlign].html;
}

namespace {

const char* const BasicSection = "Applet Basic Parameters";
const char* const DescriptionSection = "Description";
const char* const PagesSection = "Pages";

// "Copy": names cut at single spaces; two spaces in a row give an empty name, a trailing one none.
TStrings splitCopyList(const std::string& text) {
    TStrings files;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t space = text.find(' ', start);
        if (space == std::string::npos) {
            files.push_back(text.substr(start));
            break;
        }
        files.push_back(text.substr(start, space - start));
        start = space + 1;
    }
    return files;
}

// POSIX paths name different folders when only their letter case differs.
bool sameCodeBase(const std::string& baseDirectory, const std::string& codeBase, bool withCase) {
    if (withCase || IsPosixPath(baseDirectory) || IsPosixPath(codeBase))
        return baseDirectory == codeBase;
    return SameText(baseDirectory, codeBase);
}

std::string compiledCodeBase(int purpose, const std::string& baseDirectory, const std::string& codeBase) {
    switch (purpose) {
    case PurposeDos:
        return sameCodeBase(baseDirectory, codeBase, false) ? std::string() : RelativeCodeBase(baseDirectory, codeBase);
    case PurposeClipboard:
        return sameCodeBase(baseDirectory, codeBase, true) ? std::string() : RelativeCodeBase(baseDirectory, codeBase);
    case PurposeDisplay:
        return sameCodeBase(baseDirectory, codeBase, false) ? std::string()
                                                            : ToFileURL(RelativeCodeBase(baseDirectory, codeBase));
    default:
        return {};
    }
}

[[noreturn]] void failWrite(const std::string& fileName) {
    throw EWriteError(FormatMessage("Unable to write to %s", fileName));
}

// The copy the save writes into: created exclusively beside the document, so a rename can put it in
// the document's place in one step.
class SaveCopy {
public:
    SaveCopy(const fs::path& target, const std::string& content, const std::string& documentName) {
        std::random_device rd;
        const fs::path dir = target.parent_path();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const fs::path candidate =
                dir / ("." + target.filename().string() + "." + std::to_string(rd() % 1000000000u) + ".saving");
            if (std::FILE* out = std::fopen(candidate.string().c_str(), "wbx")) {
                path_ = candidate;
                const bool written = std::fwrite(content.data(), 1, content.size(), out) == content.size();
                if (std::fclose(out) != 0 || !written) {
                    discard();
                    failWrite(documentName);
                }
            } else if (errno != EEXIST) {
                break;
            }
        }
        if (path_.empty())
            failWrite(documentName);
    }
    ~SaveCopy() { discard(); }
    SaveCopy(const SaveCopy&) = delete;
    SaveCopy& operator=(const SaveCopy&) = delete;

    std::string name() const { return path_.string(); }
    // Puts the copy in the target's place; afterwards there is nothing left to remove.
    void replace(const fs::path& target, bool keepPermissions) {
        std::error_code ec;
        if (keepPermissions) {
            const auto perms = fs::status(target, ec).permissions();
            if (!ec)
                fs::permissions(path_, perms, ec);
            if (ec)
                throw fs::filesystem_error("permissions", path_, ec);
        }
        fs::rename(path_, target);
        path_.clear();
    }

private:
    void discard() {
        if (path_.empty())
            return;
        std::error_code ec;
        fs::remove(path_, ec);
        path_.clear();
    }
    fs::path path_;
};

bool readBytes(const fs::path& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

void TAppletBasicParams::Load(TKelmFile& file) {
    Width = file.ReadInteger(BasicSection, "Width", 250);
    Height = file.ReadInteger(BasicSection, "Height", 100);
    HSpace = file.ReadInteger(BasicSection, "HSpace", 0);
    VSpace = file.ReadInteger(BasicSection, "VSpace", 0);
    Code = file.ReadString(BasicSection, "Code", "No code specified !");
    CodeBase = file.ReadString(BasicSection, "CodeBase", "");
    WebRoot = file.ReadString(BasicSection, "WebRoot", "");
    Align = uint8_t(file.ReadInteger(BasicSection, "Align", BaselineAlign) & 0xFF);
    TemplateFile = file.ReadBool(BasicSection, "TemplateFile", false);
    Doc = file.ReadString(BasicSection, "Doc", "");
}

void TAppletBasicParams::Save(TKelmFile& file) const {
    file.WriteInteger(BasicSection, "Width", Width);
    file.WriteInteger(BasicSection, "Height", Height);
    file.WriteInteger(BasicSection, "HSpace", HSpace);
    file.WriteInteger(BasicSection, "VSpace", VSpace);
    file.WriteString(BasicSection, "Code", Code);
    file.WriteString(BasicSection, "CodeBase", CodeBase);
    file.WriteString(BasicSection, "WebRoot", WebRoot);
    file.WriteInteger(BasicSection, "Align", Align);
    // Whatever was loaded, a file written here is a document.
    file.WriteBool(BasicSection, "TemplateFile", false);
    file.WriteString(BasicSection, "Doc", Doc);
}

TJavaAppletTag::TJavaAppletTag() : ObsoleteText(std::make_unique<TAPString>()) {
    ObsoleteText->UFName = "Alternate text for Obsolete browsers : ";
}

TJavaAppletTag::~TJavaAppletTag() = default;

void TJavaAppletTag::Load(TKelmFile& file) {
    // Everything is read first and taken over only when all of it succeeded.
    TAppletBasicParams basic;
    basic.Load(file);
    std::unique_ptr<TAppletParamList> params = file.LoadParamList();

    TStrings pages;
    file.ReadSectionValues(PagesSection, pages);
    for (auto& page : pages)
        page = ValueOfEntry(page);
    if (pages.empty())
        pages.push_back("Parameters");

    std::string alternateText = file.ReadString(BasicSection, "AlternateText", "");
    std::string comment = file.ReadString(DescriptionSection, "Comment", "");
    std::string javaAuthor = file.ReadString(DescriptionSection, "JavaAuthor", "unknown");
    std::string zarnifier = file.ReadString(DescriptionSection, "Zarnifier", "unknown");
    std::string copyright = file.ReadString(DescriptionSection, "Copyright", "");
    TStrings files = splitCopyList(file.ReadString(BasicSection, "Copy", ""));

    FileName = file.FileName();
    BasicParams = std::move(basic);
    ParamList = std::move(params);
    PageNames = std::move(pages);
    ObsoleteText->Value = std::move(alternateText);
    Comment = std::move(comment);
    JavaAuthor = std::move(javaAuthor);
    Zarnifier = std::move(zarnifier);
    Copyright = std::move(copyright);
    FileList = std::move(files);
}

void TJavaAppletTag::Save(TKelmFile& file) {
    const std::string documentName = file.FileName();
    // Changes still pending on the document belong to what is copied.
    file.Flush();

    std::error_code ec;
    fs::path target = fs::absolute(documentName, ec);
    if (ec)
        failWrite(documentName);
    if (fs::is_symlink(target, ec)) {
        target = fs::canonical(target, ec); // the link stays a link; its file gets the new content
        if (ec)
            failWrite(documentName);
    }
    const bool exists = fs::exists(target, ec);
    std::string content;
    if (exists && !readBytes(target, content))
        failWrite(documentName);

    SaveCopy copy(target, content, documentName);
    static const TAppletParamList noParams;
    const TAppletParamList& params = ParamList ? *ParamList : noParams;
    try {
        TKelmFile temp(copy.name());
        {
            TIniUpdate update(temp);
            BasicParams.Save(temp);
            temp.SaveParamList(params);
            temp.WriteString(BasicSection, "AlternateText", ObsoleteText->Value);
            temp.WriteString(DescriptionSection, "Comment", Comment);
            temp.WriteString(DescriptionSection, "JavaAuthor", JavaAuthor);
            temp.WriteString(DescriptionSection, "Zarnifier", Zarnifier);
            temp.WriteString(DescriptionSection, "Copyright", Copyright);
            update.Commit();
        }
        copy.replace(target, exists);
    } catch (EZarnError& error) {
        // The user knows the document, not the copy.
        const std::string copyName = copy.name();
        std::string message = error.Message();
        if (auto at = message.find(copyName); at != std::string::npos) {
            message.replace(at, copyName.size(), documentName);
            error.SetMessage(std::move(message));
        }
        throw;
    } catch (const fs::filesystem_error&) {
        failWrite(documentName);
    }

    FileName = documentName;
    if (ParamList)
        RepointSourceFiles(*ParamList, file);
}

std::string TJavaAppletTag::CompileToHTML(int purpose, const std::string& baseDirectory) {
    const TAppletBasicParams& basic = BasicParams;
    TMacroText text;
    TMacroTable macros;

    // Values the program composes (the class name, the code base path) pass the escape pass as
    // they are: a path's backslashes are not escapes.
    text.Append("<APPLET CODE=\"");
    text.AppendVerbatim(basic.Code);
    text.Append("\" ");
    macros.Add("CODE", basic.Code, true);

    text.Append("WIDTH=" + IntToStr(basic.Width) + " HEIGHT=" + IntToStr(basic.Height) + " ");
    macros.Add("WIDTH", IntToStr(basic.Width));
    macros.Add("HEIGHT", IntToStr(basic.Height));

    // Values beyond the table have no word of their own and compile as baseline.
    if (basic.Align != BaselineAlign && basic.Align < std::size(AlignmentTable))
        text.Append(std::string("ALIGN=") + AlignHTMLWord(basic.Align) + " ");
    macros.Add("ALIGN", AlignHTMLWord(basic.Align));

    if (basic.HSpace != 0 || basic.VSpace != 0)
        text.Append("HSPACE=" + IntToStr(basic.HSpace) + " VSPACE=" + IntToStr(basic.VSpace) + " ");
    macros.Add("HSPACE", IntToStr(basic.HSpace));
    macros.Add("VSPACE", IntToStr(basic.VSpace));

    const std::string codeBase = compiledCodeBase(purpose, baseDirectory, basic.CodeBase);
    if (!codeBase.empty()) {
        text.Append("CODEBASE=\"");
        text.AppendVerbatim(codeBase);
        text.Append("\" ");
    }
    macros.Add("CODEBASE", codeBase, true);
    text.Append(">\r");

    if (ParamList) {
        TStrings names;
        TStrings values;
        for (const auto& param : *ParamList) {
            const std::string line = param->CompileParam(basic.WebRoot, purpose, true, &names, &values);
            if (!line.empty())
                text.Append(line + "\r");
        }
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
            macros.Add(names[i], std::move(values[i]));
    }

    text.Append(ObsoleteText->Value + "\r");
    text.Append("</APPLET>\r");
    return ExpandMacros(text, macros);
}

} // namespace zarn
