#include "tag/BlockCheck.h"

#include "model/ScalarParams.h"
#include "plugins/Plugin.h"
#include "tag/AppletTag.h"
#include "tag/CodeBaseCheck.h"

#include <algorithm>
#include <exception>
#include <set>

namespace zarn {

namespace {

std::string Caption(const TAppletParam& param) {
    return param.UFName.empty() ? param.Name : param.UFName;
}

// A file: URL works on the author's disk only; "../" climbs out of the web root, which the site
// does not publish.
bool LeavesWebRoot(const std::string& htmlValue) {
    return LowerCase(htmlValue.substr(0, 5)) == "file:" || htmlValue.starts_with("../");
}

} // namespace

TBlockLook LookAtBlock(TJavaAppletTag& tag) {
    TBlockLook look;
    TCompileNotes notes;
    try {
        const TPluginWritesOff writesOff;
        look.code = tag.CompileToHTML(PurposeClipboard, tag.BasicParams.WebRoot, &notes);
    } catch (const std::exception& error) {
        look.warnings.push_back(
            {TBlockWarningKind::CompileFailed, std::string("The block cannot be made: ") + error.what()});
    }

    // A name typed many times is one thing to fix for each parameter that holds it.
    std::set<std::pair<const TAppletParam*, std::string>> seen;
    for (const TCompileNotes::Unresolved& run : notes.unresolved) {
        if (!seen.insert({run.param, LowerCase(run.name)}).second)
            continue;
        const std::string where = run.param == tag.ObsoleteText.get() ? std::string("the alternate text")
                                  : run.param                         ? Caption(*run.param)
                                                                      : std::string("the block");
        look.warnings.push_back({TBlockWarningKind::UnresolvedMacro,
                                 "$" + run.name + " in " + where + " matches no value and stays as typed",
                                 run.param});
    }

    for (const std::string& name : MissingSupportFiles(tag))
        look.warnings.push_back({TBlockWarningKind::MissingSupportFile,
                                 "Support file " + (name.empty() ? std::string("(no name)") : name) +
                                     " is missing from the code base",
                                 nullptr});
    if (!IsURLCodeBase(tag)) {
        const TClassLookup lookup = LookForAppletClass(tag);
        for (const TClassLookup::Place& place : lookup.places)
            if (place.problem.starts_with(ArchiveUnreadable))
                look.warnings.push_back({TBlockWarningKind::UnreadableArchive,
                                         "Archive " + place.name + " " + place.problem, nullptr,
                                         TBasicField::Archive});
        const std::string& code = tag.BasicParams.Code;
        if (lookup.Missing())
            look.warnings.push_back({TBlockWarningKind::MissingClassFile,
                                     lookup.PlainFile(code)
                                         ? "Class file " + code + " is missing from the code base"
                                         : "Class " + lookup.className.name +
                                               " is missing from the code base. Looked for " + lookup.Where(),
                                     nullptr});
    }

    ForEachFileValue(tag, [&](TAPFileName& field, TAppletParam& owner) {
        const std::string value = field.GetHTMLValue(tag.BasicParams.WebRoot, PurposeClipboard);
        if (LeavesWebRoot(value))
            look.warnings.push_back(
                {TBlockWarningKind::FileOutsideWebRoot,
                 Caption(field) + ": the page will not find " + value + " (outside the web root)", &owner});
    });

    if (tag.ParamList)
        for (const auto& param : *tag.ParamList)
            if (std::string reason = param->RefusedValueReason(); !reason.empty())
                look.warnings.push_back(
                    {TBlockWarningKind::RefusedValue, Caption(*param) + ": " + reason, param.get()});
    return look;
}

} // namespace zarn
