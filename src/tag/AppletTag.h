#pragma once
// The document: one applet block's basic attributes, parameters, alternate text, page captions,
// descriptions and support files, with its load, save and HTML compilation.

#include "model/AppletParam.h"
#include "tag/PageUpdate.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zarn {

class TIniFile;
class TKelmFile;
class TSiblingFile;
class TAPString;

// The eight alignment words, indexed by TAppletBasicParams::Align.
struct AlignmentEntry {
    const char* caption; // shown in the alignment list
    const char* html;    // written to the ALIGN attribute
};
extern const AlignmentEntry AlignmentTable[8];
constexpr uint8_t BaselineAlign = 6;
// The HTML word of an alignment; values above 7 have none and count as baseline.
const char* AlignHTMLWord(uint8_t align);

class TAppletBasicParams {
public:
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t HSpace = 0;
    int32_t VSpace = 0;
    std::string Code;
    std::string CodeBase;
    std::string Archive; // comma-separated, relative to the code base
    std::string WebRoot;
    std::string Doc;
    uint8_t Align = 0;
    bool TemplateFile = false;
    bool Trusted = false; // the applet runs with the user's rights, outside the viewer's sandbox

    void Load(TKelmFile& file);
    void Save(TKelmFile& file) const;
};

// Purposes of CompileToHTML; they follow the path-name kinds.
enum CompilePurpose : int { PurposeDos = 0, PurposeClipboard = 1, PurposeDisplay = 2 };

// What a compile noticed besides the block.
struct TCompileNotes {
    struct Unresolved {
        std::string name;                    // the "$" run that matched no macro, without its "$"
        const TAppletParam* param = nullptr; // whose line holds it; the alternate text or null
    };
    std::vector<Unresolved> unresolved; // in the order of the block
};

class TJavaAppletTag {
public:
    TJavaAppletTag();
    ~TJavaAppletTag();
    TJavaAppletTag(const TJavaAppletTag&) = delete;
    TJavaAppletTag& operator=(const TJavaAppletTag&) = delete;

    TAppletBasicParams BasicParams;
    std::unique_ptr<TAppletParamList> ParamList; // none until the first Load
    std::unique_ptr<TAPString> ObsoleteText;     // the alternate text; no Name, so no macro
    TStrings PageNames;
    std::string JavaAuthor;
    std::string Zarnifier;
    std::string Comment;
    std::string Copyright;
    TStrings FileList; // support files, relative to the template's folder
    std::string FileName;
    TPageOrigin Origin; // where an imported block came from; empty otherwise

    // Loads a template or a document. On failure the tag keeps what it held before.
    void Load(TKelmFile& file);
    // Writes the values over a file that already holds the template's sections. All or nothing:
    // the writes go to a temporary copy beside the file, renamed over it only when every write
    // succeeded; otherwise the file is untouched and the error travels on.
    void Save(TKelmFile& file);
    // A save over a copy of `base`, made in memory as the file `copy` (which exists, so a plug-in
    // library can write it by name), then written into `into` in pieces. Returns the failure of that
    // last write, if any; raises what a write to the store raises.
    [[nodiscard]] std::error_code SaveContent(TKelmFile& copy, const TIniFile& base, TSiblingFile& into);
    // The applet block with bare carriage returns as line ends. With `notes`, also what a web author
    // should look at (names that stay as typed).
    std::string CompileToHTML(int purpose, const std::string& baseDirectory, TCompileNotes* notes = nullptr);
};

} // namespace zarn
