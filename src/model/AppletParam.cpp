#include "model/AppletParam.h"

#include "model/HtmlValue.h"
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

std::string ParamLineText(const TParamLine& line) {
    return "<PARAM NAME=" + HtmlValue(line.Name) + " VALUE=" + HtmlValue(line.Value) + ">";
}

bool TAppletParam::CompileParamLines(const std::string& webRoot, int purpose, std::vector<TParamLine>& lines,
                                     TStrings* names, TStrings* values) {
    std::string value = GetHTMLValue(webRoot, purpose);
    if (names)
        names->push_back(Name);
    if (values)
        values->push_back(value);
    if (!value.empty())
        lines.push_back({Name, std::move(value)});
    return false;
}

std::string TAppletParam::CompileParam(const std::string& webRoot, int purpose, bool tagForm, TStrings* names,
                                       TStrings* values) {
    if (!tagForm)
        return GetHTMLValue(webRoot, purpose);
    std::vector<TParamLine> lines;
    const bool group = CompileParamLines(webRoot, purpose, lines, names, values);
    std::string text;
    for (const TParamLine& line : lines) {
        if (!text.empty() && !group)
            text += '\r';
        text += ParamLineText(line);
        if (group)
            text += '\r';
    }
    return text;
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

std::optional<TParamValue> TAppletParam::DefaultParamValue() {
    if (DefaultValue == NoDefaultMarker || !HoldsValue())
        return std::nullopt;
    const TParamValue old = CaptureValue();
    std::optional<TParamValue> result;
    try {
        if (ReadHTMLValue(DefaultValue, {}) && GetHTMLValue({}, 0).empty())
            result = CaptureValue();
    } catch (const EZarnError&) {
    }
    RestoreValue(old);
    return result;
}

bool TAppletParam::AtDefault() {
    const std::optional<TParamValue> value = DefaultParamValue();
    return value && *value == CaptureValue();
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
