#pragma once
// One open template or document: its profile file, its applet tag and its name, with the load, New
// from a template, Save and Save As that the editor and the command line share.

#include "tag/AppletTag.h"
#include "tag/CodeBaseCheck.h"

#include <functional>
#include <memory>
#include <string>

namespace zarn {

class Prompt;
class TKelmFile;

class TDocument {
public:
    TDocument();
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    // The profile file of the file loaded last; null before the first load.
    std::unique_ptr<TKelmFile> DocFile;
    // Never null; replaced only by a load that succeeded.
    std::unique_ptr<TJavaAppletTag> AppletTag;
    // Kept pointing into the tag in force.
    TAppletBasicParams* BasicParams = nullptr;
    TAppletParamList* ParamList = nullptr;
    std::string FileName;

    bool IsOpen() const { return DocFile != nullptr; }
    bool IsTemplate() const { return BasicParams->TemplateFile; }

    // Reads a template or document into fresh objects, lets `adjust` change the fresh tag, and takes
    // them over only when all of it succeeded: a failure raises and changes nothing.
    void Load(const std::string& path, const std::function<void(TJavaAppletTag&)>& adjust = {});
    // Writes the values over the loaded document (never a template: Save As makes the document).
    void Save();
    // Makes `target` from the loaded file (a template or a document) and the values: the file is
    // copied beside the name the target resolves to, the values written into the copy, and the copy
    // renamed over it only when all of that succeeded. For a template the code base check asks
    // `prompt` first (none: no check); the values it changes are added to `changes`, also when the
    // save then fails. A target that is a link keeps the link and the file it points
    // to is written.
    // Without `replace`, a file that appeared at the target meanwhile is kept and the save refused.
    // Afterwards the document is `target`.
    void SaveAs(const std::string& target, Prompt* prompt, bool replace = true,
                TValueChanges* changes = nullptr);
};

} // namespace zarn
