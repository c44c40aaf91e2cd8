#include "model/AppletParam.h"

#include "model/KelmFile.h"
#include "profile/Errors.h"

namespace zarn {

const std::string NoDefaultMarker("#\xA4&!\"\x07...", 9);

void TAppletParam::SaveToFile(TKelmFile& file) {
    const std::string section = SectionName();
    file.WriteString(section, "class", ClassName());
    // A text's outer blanks are part of what the applet receives.
    file.WriteText(section, "Value", GetValue());
    file.WriteString(section, "UFName", UFName);
    file.WriteBool(section, "DontShowName", DontShowName);
    file.WriteBool(section, "DontShowUFName", DontShowUFName);
    file.WriteBool(section, "Visible", Visible);
    file.WriteString(section, "DefaultValue", DefaultValue);
    file.WriteInteger(section, "Page", Page);
}

void TAppletParam::LoadFromFile(TKelmFile& file) {
    const std::string section = SectionName();
    // The value is set before the other keys are read: kinds that read their own keys first rely on it.
    SetValue(file.ReadString(section, "Value", ""));
    UFName = file.ReadString(section, "UFName", Name);
    DontShowName = file.ReadBool(section, "DontShowName", false);
    DontShowUFName = file.ReadBool(section, "DontShowUFName", false);
    Visible = file.ReadBool(section, "Visible", true);
    DefaultValue = file.ReadString(section, "DefaultValue", NoDefaultMarker);
    Page = file.ReadInteger(section, "Page", 0);
}

std::string TAppletParam::GetHTMLValue(const std::string& /*webRoot*/, int /*purpose*/) {
    std::string value = GetValue();
    if (value == DefaultValue)
        return {};
    return value;
}

std::string QuoteIfBlank(const std::string& value) {
    return value.find(' ') != std::string::npos ? "\"" + value + "\"" : value;
}

std::string TAppletParam::CompileParam(const std::string& webRoot, int purpose, bool tagForm, TStrings* names,
                                       TStrings* values) {
    std::string value = GetHTMLValue(webRoot, purpose);
    if (!tagForm)
        return value;
    std::string line;
    if (!value.empty()) {
        value = QuoteIfBlank(value);
        line.reserve(20 + Name.size() + value.size());
        line.append("<PARAM NAME=").append(Name).append(" VALUE=").append(value).append(">");
    }
    if (names)
        names->push_back(Name);
    if (values)
        values->push_back(std::move(value));
    return line;
}

bool TAppletParam::ReadHTMLValue(const std::string& htmlValue, const std::string& /*webRoot*/) {
    const std::string old = GetValue();
    try {
        SetValue(htmlValue);
        if (GetValue() == htmlValue)
            return true;
    } catch (const EZarnError&) {
    }
    SetValue(old);
    return false;
}

bool TAppletParam::ReadHTMLAbsent() {
    // Only the template's default can leave the line out; a kind without one keeps its value.
    if (DefaultValue == NoDefaultMarker)
        return false;
    const std::string old = GetValue();
    if (ReadHTMLValue(DefaultValue, {}) && GetHTMLValue({}, 0).empty())
        return true;
    SetValue(old);
    return false;
}

ParamClassRegistry& ParamClassRegistry::Instance() {
    static ParamClassRegistry registry;
    return registry;
}

void ParamClassRegistry::Register(std::string name, ParamFactory create) {
    entries_.push_back(Entry{std::move(name), std::move(create)});
}

const ParamClassRegistry::Entry& ParamClassRegistry::Find(const std::string& name) const {
    for (const auto& entry : entries_)
        if (SameText(entry.name, name))
            return entry;
    throw EListError("List index out of bounds");
}

void RegisterParamClass(std::string name, ParamFactory create) {
    ParamClassRegistry::Instance().Register(std::move(name), std::move(create));
}

const ParamFactory& FindParamClass(const std::string& name) {
    return ParamClassRegistry::Instance().Find(name).create;
}

} // namespace zarn
