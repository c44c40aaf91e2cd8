#pragma once
// The text plug-in class "Edit": a multi-line text kept line by line in the parameter's section
// and written, at compile time, into a data file in the web root whose name becomes the value.

#include "memlet/ZarnPluginBase.h"
#include "model/TextConv.h"

#include <cstdint>
#include <string>

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

// True for a name that stays inside the folder it is joined to: no separator, drive or "..".
bool IsSafeDataName(const std::string& name);

// The web root and a file name joined, with the root's own separator added when it lacks one:
// "/" for a POSIX root (or a relative one written with "/" only), "\" otherwise.
std::string JoinWebRoot(const std::string& webRoot, const std::string& name);

// How many "Line%d" keys to read for a "LineCount" of `count`, in a section holding `keys`:
// exactly `count` whenever the section has that many keys; beyond that, lines after the last
// "Line%d" key present are dropped, so a huge count costs nothing.
int32_t BoundedLineCount(int32_t count, const TStrings& keys);

} // namespace zarn
