#include "tag/Document.h"

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "profile/Errors.h"
#include "profile/FileBytes.h"
#include "profile/FileReplace.h"
#include "tag/CodeBaseCheck.h"

#include <filesystem>

namespace zarn {

namespace fs = std::filesystem;

namespace {

// The user knows the document, not the file it is made in.
void renameInMessage(EZarnError& error, const std::string& from, const std::string& to) {
    std::string message = error.Message();
    for (auto at = message.find(from); at != std::string::npos; at = message.find(from, at + to.size()))
        message.replace(at, from.size(), to);
    error.SetMessage(std::move(message));
}

} // namespace

TDocument::TDocument() : AppletTag(std::make_unique<TJavaAppletTag>()) {
    BasicParams = &AppletTag->BasicParams;
    ParamList = AppletTag->ParamList.get();
}

TDocument::~TDocument() = default;

void TDocument::Load(const std::string& path, const std::function<void(TJavaAppletTag&)>& adjust) {
    auto file = std::make_unique<TKelmFile>(path);
    auto tag = std::make_unique<TJavaAppletTag>();
    tag->Load(*file);
    if (adjust)
        adjust(*tag);
    DocFile = std::move(file);
    FileName = path;
    AppletTag = std::move(tag);
    BasicParams = &AppletTag->BasicParams;
    ParamList = AppletTag->ParamList.get();
}

void TDocument::Save() {
    if (!DocFile)
        throw EZarnError("No document to save");
    AppletTag->Save(*DocFile);
}

void TDocument::SaveAs(const std::string& target, Prompt* prompt, bool replace, TValueChanges* changes) {
    if (!DocFile)
        throw EZarnError("No document to save");
    // The name means what it means to the system: a link stays a link and its file gets the save.
    std::error_code ec;
    fs::path written = target;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        written = SaveTarget(SystemAbsolutePath(target), ec);
        if (ec)
            throw UnableToWrite(target);
    }

    // A template replaced by a document is lost to New; the replace question did not say so.
    if (fs::is_regular_file(written, ec) &&
        TIniFile(written.string()).ReadBool("Applet Basic Parameters", "TemplateFile", false))
        throw EZarnError(target + " is a template. A document is never saved over a template: choose "
                                  "another name");

    // The document starts as a copy of the whole loaded file, which must still be there to read.
    if (const std::error_code error = ProbeReadable(FileName))
        throw EZarnError("Could not copy " + FileName + " to " + target + ": " + error.message());
    TSiblingFile pending;
    if (const std::error_code error = pending.Create(written, "", ".new"))
        throw EZarnError("Could not copy " + FileName + " to " + target + ": " + error.message());
    const bool wasTemplate = BasicParams->TemplateFile;
    try {
        TKelmFile pendingFile(pending.Name());
        if (wasTemplate && prompt)
            CheckFiles(*AppletTag, *prompt, changes);
        BasicParams->TemplateFile = false;
        if (const std::error_code error = AppletTag->SaveContent(pendingFile, TIniFile(FileName), pending))
            throw EZarnError(std::string(UnableToWrite(target).what()) + ": " + error.message());
        const std::error_code error =
            replace ? pending.ReplaceTarget(written) : pending.CreateTarget(written);
        if (error == std::errc::file_exists && !replace)
            throw EZarnError(target + ": exists already");
        if (error)
            throw EZarnError(std::string(UnableToWrite(target).what()) + ": " + error.message());
    } catch (EZarnError& error) {
        BasicParams->TemplateFile = wasTemplate;
        renameInMessage(error, pending.Name(), target);
        throw;
    } catch (...) {
        BasicParams->TemplateFile = wasTemplate;
        throw;
    }
    DocFile = std::make_unique<TKelmFile>(target);
    FileName = target;
    AppletTag->FileName = target;
    // Adding elements reads their templates from the file just written, not from the old one.
    if (ParamList)
        RepointSourceFiles(*ParamList, *DocFile);
}

} // namespace zarn
