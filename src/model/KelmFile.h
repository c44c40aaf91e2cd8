#pragma once
// The profile file of a template or document: TIniFile plus the parameter list's load and save.

#include "profile/IniFile.h"

namespace zarn {

class TAppletParamList;

class TKelmFile : public TIniFile {
public:
    using TIniFile::TIniFile;

    // Reads "Applet Parameters" and creates each parameter through the class registry. Failures
    // carry the section and class that failed, or "Could not get the [Applet parameters] section".
    virtual std::unique_ptr<TAppletParamList> LoadParamList();
    // Rewrites "Applet Parameters" as Param0, Param1, ... and lets each parameter save its section.
    virtual void SaveParamList(const TAppletParamList& list);
};

} // namespace zarn
