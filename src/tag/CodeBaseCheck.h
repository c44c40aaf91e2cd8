#pragma once
// The tag's code base check: are the applet's class file and the support files named by its
// template in the code base, and can they be copied there from the template's folder.

#include "profile/TextConv.h"
#include "tag/ClassLookup.h"

#include "model/AppletParam.h"

#include <functional>
#include <string>
#include <vector>

namespace zarn {

class TAPFileName;
class TJavaAppletTag;
class Prompt;

// A value the check changed: the parameter that holds it (an element's field, perhaps) and what it
// held before. The editor makes its undo step from these.
struct TValueChange {
    TAppletParam* param = nullptr;
    TParamValue before;
};
using TValueChanges = std::vector<TValueChange>;

// TJavaAppletTag::CheckFiles. Lists the missing support files and, for a document not yet saved,
// offers to copy them from the template's folder (creating the code base when the user agrees);
// likewise offers to copy the files of the template's folder that file values name and to point
// those values at the copies (each change is added to `changes`); then warns about a missing class
// file. False only when the user answers No to that warning's "Continue anyway ?"; the caller
// decides what that stops. A URL code base is not checked.
bool CheckFiles(TJavaAppletTag& tag, Prompt& prompt, TValueChanges* changes = nullptr);

// Calls `visit` for every file parameter of the tag, those in vector elements included, with the
// top-level parameter that holds it.
void ForEachFileValue(const TJavaAppletTag& tag,
                      const std::function<void(TAPFileName& field, TAppletParam& owner)>& visit);

struct TTemplateFileValue {
    TAPFileName* param = nullptr;
    std::string name; // relative to the template's folder
};
// The file values, not yet pointing into the code base, that name an existing file of the template's
// folder under a safe name; empty for a URL code base or a document already saved.
std::vector<TTemplateFileValue> TemplateFileValues(const TJavaAppletTag& tag);

// True when the code base is a URL, judged as entered: such a code base is never checked.
bool IsURLCodeBase(const TJavaAppletTag& tag);
// True when the code base names a folder that does not exist (an empty one is the current folder).
bool CodeBaseFolderMissing(const TJavaAppletTag& tag);

// The support files missing from the code base, the archives among them, sorted ignoring letter
// case; empty for a URL code base. An empty entry is always missing (it names the code base itself).
TStrings MissingSupportFiles(const TJavaAppletTag& tag);
// Where the applet's class was looked for in the code base folder and its archives.
TClassLookup LookForAppletClass(const TJavaAppletTag& tag);
// True when the code base is a folder and neither it nor an archive holds the applet's class.
bool ClassFileMissing(const TJavaAppletTag& tag);

// True for a support file name that stays inside the template's folder: not empty, not absolute,
// no drive, no ".." step.
bool IsSafeSupportFileName(const std::string& name);

struct TCopyReport {
    TStrings copied;
    TStrings refused; // names or links leading out of the template's folder
    TStrings failed;  // copies that did not succeed, empty names included
};
// Copies the named support files from the template's folder into the code base, replacing files of
// the same name. Names that are not safe, and files whose real location leaves the template's
// folder through a link, are refused and nothing is read or written for them.
TCopyReport CopySupportFiles(const TJavaAppletTag& tag, const TStrings& names);

// The copy the check offers: the code base folder is created first when it is missing and
// `createCodeBase` says so, then the missing support files are copied as CopySupportFiles does.
TCopyReport CopyIntoCodeBase(const TJavaAppletTag& tag, const TStrings& missing, bool createCodeBase);

// Creates every folder on the way to `directory`, one level at a time, splitting at the path's own
// separator; a level that cannot be created is passed over.
void CreateDirectoryLevels(const std::string& directory);

} // namespace zarn
