#include "model/KelmFile.h"

#include "model/AppletParam.h"
#include "profile/Errors.h"

namespace zarn {

namespace {
const char* const ParamSection = "Applet Parameters";
}

std::unique_ptr<TAppletParamList> TKelmFile::LoadParamList() {
    auto list = std::make_unique<TAppletParamList>();
    // Each parameter loads as its name is read: the list's lines are not copied out first.
    bool hadEntries = false;
    ForEachSectionValue(ParamSection, [&](const std::string&, const std::string& name) {
        hadEntries = true;
        std::string className;
        try {
            className = ReadString(ParamSectionName(name), "Class", "TAppletParam");
            auto param = FindParamClass(className)();
            param->Name = name;
            param->LoadFromFile(*this);
            list->Add(std::move(param));
        } catch (EZarnError& error) {
            std::string message =
                error.Message() + " in section [" + name + " parameter] loading class " + className;
            if (className == "TAppletParam")
                message += " (should be any class but that one)";
            error.SetMessage(std::move(message));
            throw;
        }
    });
    if (!hadEntries)
        throw EListError("Could not get the [Applet parameters] section");
    return list;
}

void TKelmFile::SaveParamList(const TAppletParamList& list) {
    TIniUpdate update(*this);
    auto keyAt = [&](std::size_t i, std::string& key, std::string& value) {
        key = "Param" + std::to_string(i);
        value = list[i].Name;
    };
    // Same keys as erasing and rewriting the section, but the section keeps its place in the file.
    // A list saved as it was read is left as it stands.
    if (!KeysStandAsWritten(ParamSection, list.Count(), keyAt)) {
        ClearSection(ParamSection);
        std::string key, value;
        for (std::size_t i = 0; i < list.Count(); ++i) {
            keyAt(i, key, value);
            WriteString(ParamSection, key, value);
        }
    }
    for (std::size_t i = 0; i < list.Count(); ++i) {
        TAppletParam& param = list[i];
        WriteString(param.SectionName(), "Class", param.ClassName());
        param.SaveToFile(*this);
    }
    update.Commit();
}

} // namespace zarn
