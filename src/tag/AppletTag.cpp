#include "tag/AppletTag.h"

#include "model/HtmlValue.h"
#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "paths/PathForms.h"
#include "profile/Errors.h"
#include "profile/FileReplace.h"
#include "tag/MacroPass.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace zarn {

namespace fs = std::filesystem;

const AlignmentEntry AlignmentTable[8] = {
    {"Left", "LEFT"},         {"Right", "RIGHT"},
    {"Top", "TOP"},           {"TextTop", "TEXTTOP"},
    {"Middle", "MIDDLE"},     {"Absolute Middle", "ABSMIDDLE"},
    {"Baseline", "BASELINE"}, {"Absolute Bottom", "ABSBOTTOM"},
};

const char* AlignHTMLWord(uint8_t align) {
    return align < std::size(AlignmentTable) ? AlignmentTable[align].html
                                             : AlignmentTable[BaselineAlign].html;
}

namespace {

const char* const BasicSection = "Applet Basic Parameters";
const char* const DescriptionSection = "Description";
const char* const PagesSection = "Pages";

// POSIX paths name different folders when only their letter case differs.
bool sameCodeBase(const std::string& baseDirectory, const std::string& codeBase, bool withCase) {
    if (withCase || IsPosixPath(baseDirectory) || IsPosixPath(codeBase))
        return baseDirectory == codeBase;
    return SameText(baseDirectory, codeBase);
}

std::string compiledCodeBase(int purpose, const std::string& baseDirectory, const std::string& codeBase) {
    switch (purpose) {
    case PurposeDos:
        return sameCodeBase(baseDirectory, codeBase, false) ? std::string()
                                                            : RelativeCodeBase(baseDirectory, codeBase);
    case PurposeClipboard:
        return sameCodeBase(baseDirectory, codeBase, true) ? std::string()
                                                           : RelativeCodeBase(baseDirectory, codeBase);
    case PurposeDisplay:
        return sameCodeBase(baseDirectory, codeBase, false)
                   ? std::string()
                   : ToFileURL(RelativeCodeBase(baseDirectory, codeBase));
    default:
        return {};
    }
}

[[noreturn]] void failWrite(const std::string& fileName) {
    throw UnableToWrite(fileName);
}

} // namespace

TJavaAppletTag::TJavaAppletTag() : ObsoleteText(std::make_unique<TAPString>()) {
    ObsoleteText->UFName = "Alternate text for Obsolete browsers : ";
}

TJavaAppletTag::~TJavaAppletTag() = default;

void TJavaAppletTag::Load(TKelmFile& file) {
    // Everything is read first and taken over only when all of it succeeded.
    TIniReadSession session(file);
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
    TStrings files = SplitList(file.ReadString(BasicSection, "Copy", ""), ' ');
    TPageOrigin origin = ReadPageOrigin(file);

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
    Origin = std::move(origin);
}

void TJavaAppletTag::Save(TKelmFile& file) {
    const std::string documentName = file.FileName();
    // Changes still pending on the document belong to what is copied.
    file.Flush();

    // The name means what it means to the system; a link stays a link and its file gets the save.
    std::error_code ec;
    const fs::path target = SaveTarget(SystemAbsolutePath(documentName), ec);
    if (ec)
        failWrite(documentName);

    // The copy the save writes into, renamed over the document only when every write succeeded.
    TSiblingFile copy;
    if (copy.Create(target, "", ".saving"))
        failWrite(documentName);
    try {
        TKelmFile temp(copy.Name());
        if (SaveContent(temp, TIniFile(target.string()), copy) || copy.ReplaceTarget(target))
            failWrite(documentName);
    } catch (EZarnError& error) {
        // The user knows the document, not the copy.
        const std::string copyName = copy.Name();
        std::string message = error.Message();
        if (auto at = message.find(copyName); at != std::string::npos) {
            message.replace(at, copyName.size(), documentName);
            error.SetMessage(std::move(message));
        }
        throw;
    }

    FileName = documentName;
    if (ParamList)
        RepointSourceFiles(*ParamList, file);
}

std::error_code TJavaAppletTag::SaveContent(TKelmFile& copy, const TIniFile& base, TSiblingFile& into) {
    if (!copy.HoldCopyOf(base))
        failWrite(copy.FileName());
    static const TAppletParamList noParams;
    const TAppletParamList& params = ParamList ? *ParamList : noParams;
    TIniUpdate update(copy);
    BasicParams.Save(copy);
    copy.SaveParamList(params);
    copy.WriteString(BasicSection, "AlternateText", ObsoleteText->Value);
    copy.WriteString(DescriptionSection, "Comment", Comment);
    copy.WriteString(DescriptionSection, "JavaAuthor", JavaAuthor);
    copy.WriteString(DescriptionSection, "Zarnifier", Zarnifier);
    copy.WriteString(DescriptionSection, "Copyright", Copyright);
    if (!Origin.Empty())
        WritePageOrigin(copy, Origin);
    update.Commit();
    return copy.WriteHeldContent(into);
}

std::string TJavaAppletTag::CompileToHTML(int purpose, const std::string& baseDirectory,
                                          TCompileNotes* notes) {
    const TAppletBasicParams& basic = BasicParams;
    TMacroText text;
    TMacroTable macros;

    // Values the program composes (the class name, the code base path) pass the escape pass as
    // they are: a path's backslashes are not escapes.
    text.Append("<APPLET CODE=");
    text.AppendVerbatim(QuotedHtmlValue(basic.Code));
    text.Append(" ");
    macros.Add("CODE", basic.Code, true);
    // Archive names are written as the author typed them; a block without any reads as it always did.
    if (!basic.Archive.empty()) {
        text.Append("ARCHIVE=");
        text.AppendVerbatim(QuotedHtmlValue(basic.Archive));
        text.Append(" ");
    }

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
        text.Append("CODEBASE=");
        text.AppendVerbatim(QuotedHtmlValue(codeBase));
        text.Append(" ");
    }
    macros.Add("CODEBASE", codeBase, true);
    macros.Add("ARCHIVE", basic.Archive, true);
    text.Append(">\r");

    // Where each parameter's line ends in the text, so a name left as typed can be traced to it.
    std::vector<std::pair<std::size_t, const TAppletParam*>> lineEnds;
    if (ParamList) {
        TStrings names;
        TStrings values;
        std::vector<TParamLine> lines;
        for (const auto& param : *ParamList) {
            lines.clear();
            const bool group = param->CompileParamLines(basic.WebRoot, purpose, lines, &names, &values);
            for (const TParamLine& line : lines) {
                text.Append("<PARAM NAME=");
                text.AppendValue(line.Name);
                text.Append(" VALUE=");
                text.AppendValue(line.Value);
                text.Append(group ? ">\r" : ">");
            }
            if (!lines.empty())
                text.Append("\r");
            if (notes)
                lineEnds.emplace_back(text.Size(), param.get());
        }
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
            macros.Add(names[i], std::move(values[i]));
    }

    text.Append(ObsoleteText->Value + "\r");
    lineEnds.emplace_back(text.Size(), ObsoleteText.get());
    text.Append("</APPLET>\r");
    if (!notes)
        return ExpandMacros(text, macros);

    std::vector<TUnresolvedMacro> unresolved;
    std::string block = ExpandMacros(text, macros, &unresolved);
    for (TUnresolvedMacro& run : unresolved) {
        // The opening line holds no scanned text of the user's and the closing one is fixed: a name
        // lies on a parameter's line or in the alternate text.
        auto at = std::upper_bound(lineEnds.begin(), lineEnds.end(), run.offset,
                                   [](std::size_t offset, const auto& end) { return offset < end.first; });
        const TAppletParam* owner = at != lineEnds.end() ? at->second : nullptr;
        notes->unresolved.push_back({std::move(run.name), owner});
    }
    return block;
}

} // namespace zarn
