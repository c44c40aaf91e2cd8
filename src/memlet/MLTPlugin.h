#pragma once
// The text plug-in class "Edit": a multi-line text kept line by line in the parameter's section
// and written, at compile time, into a data file in the web root whose name becomes the value.

#include "memlet/ZarnPluginBase.h"
#include "profile/TextConv.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zarn {

class TMLTPlugin : public TZarnPlugin {
public:
    // The editor window's design caption, its caption when "Caption" is absent.
    static constexpr const char* DesignCaption = "mlt_main";

    void LoadFromIni(const std::string& fileName, const std::string& section) override;
    // Writes nothing for an instance that was neither loaded nor edited.
    void SaveToIni(const std::string& fileName, const std::string& section) override;
    // Writes the lines (CR LF ends) to web root + FName + ext and returns FName + ext. Empty, writing
    // nothing, for an instance that was neither loaded nor edited; an empty web root writes nothing.
    // The file is written beside its name and renamed over it, so a link of that name is replaced,
    // never written through.
    std::string CompileToHTML(const std::string& webRoot, const std::string& secondText) override;
    // Runs the editor window on a copy of the text; only OK keeps the edits. Raises an error when
    // the host runs no window system.
    bool EditProperties() override;

    const TStrings& Lines() const { return lines_; }
    const std::string& FName() const { return fName_; }
    const std::string& Ext() const { return ext_; }
    const std::string& Caption() const { return caption_; }
    bool HasData() const { return hasData_; }

private:
    TStrings lines_;
    std::string fName_;
    std::string ext_ = ".";
    std::string caption_ = DesignCaption;
    bool hasData_ = false;
};

// "MLT" and the low 20 bits of the millisecond tick count in upper-case hexadecimal; never the
// same name twice in one run, so two parameters loaded in the same millisecond keep apart.
std::string GenerateDataName();

// True for a data file's base name ("FName"): a plain visible name inside the folder it is joined
// to, so not empty, no leading ".", no "..", separator, drive or control character.
bool IsSafeDataName(const std::string& name);
// True for a data file's extension ("ext"): "." alone or "." followed by ASCII letters and digits.
bool IsSafeDataExtension(const std::string& ext);

// The web root and a file name joined, with the root's own separator added when it lacks one:
// "/" for a POSIX root (or a relative one written with "/" only), "\" otherwise. A POSIX root
// ends with "/" only: "/srv/my\dir" gives "/srv/my\dir/" and the name.
std::string JoinWebRoot(const std::string& webRoot, const std::string& name);

// Which "Line%d" keys to read, in order, for a "LineCount" of `count` in a section holding `keys`
// (a missing key reads as an empty line): exactly 0 to `count` - 1 whenever the section has that
// many keys; beyond that, up to the last "Line%d" key present while the section holds as many
// keys; past even that, only the keys present, one after the other. The work stays in line with
// the file, whatever the numbers in it.
std::vector<int64_t> LineIndexesToRead(int32_t count, const TStrings& keys);

} // namespace zarn
