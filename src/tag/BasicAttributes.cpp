#include "tag/BasicAttributes.h"

#include "model/KelmFile.h"
#include "profile/Errors.h"
#include "profile/TextConv.h"

#include <algorithm>
#include <iterator>

namespace zarn {

namespace {

const char* const BasicSection = "Applet Basic Parameters";

template <int32_t TAppletBasicParams::*Member> TBasicValue getInteger(const TAppletBasicParams& basic) {
    return int64_t(basic.*Member);
}
template <int32_t TAppletBasicParams::*Member>
void putInteger(TAppletBasicParams& basic, const TBasicValue& value) {
    basic.*Member = int32_t(std::get<int64_t>(value));
}
template <std::string TAppletBasicParams::*Member> TBasicValue getText(const TAppletBasicParams& basic) {
    return basic.*Member;
}
template <std::string TAppletBasicParams::*Member>
void putText(TAppletBasicParams& basic, const TBasicValue& value) {
    basic.*Member = std::get<std::string>(value);
}

TBasicValue getAlign(const TAppletBasicParams& basic) {
    return int64_t(basic.Align);
}
void putAlign(TAppletBasicParams& basic, const TBasicValue& value) {
    basic.Align = uint8_t(std::get<int64_t>(value));
}
TBasicValue getTemplateFile(const TAppletBasicParams& basic) {
    return int64_t(basic.TemplateFile);
}
void putTemplateFile(TAppletBasicParams& basic, const TBasicValue& value) {
    basic.TemplateFile = std::get<int64_t>(value) != 0;
}
TBasicValue getTrusted(const TAppletBasicParams& basic) {
    return int64_t(basic.Trusted);
}
void putTrusted(TAppletBasicParams& basic, const TBasicValue& value) {
    basic.Trusted = std::get<int64_t>(value) != 0;
}

const TBasicAttribute Rows[] = {
    {TBasicField::Width, TBasicKind::Integer, "Width", "WIDTH", "width", "250", nullptr,
     getInteger<&TAppletBasicParams::Width>, putInteger<&TAppletBasicParams::Width>},
    {TBasicField::Height, TBasicKind::Integer, "Height", "HEIGHT", "height", "100", nullptr,
     getInteger<&TAppletBasicParams::Height>, putInteger<&TAppletBasicParams::Height>},
    {TBasicField::HSpace, TBasicKind::Integer, "HSpace", "HSPACE", "horizontal spacing", "0", "0",
     getInteger<&TAppletBasicParams::HSpace>, putInteger<&TAppletBasicParams::HSpace>},
    {TBasicField::VSpace, TBasicKind::Integer, "VSpace", "VSPACE", "vertical spacing", "0", "0",
     getInteger<&TAppletBasicParams::VSpace>, putInteger<&TAppletBasicParams::VSpace>},
    {TBasicField::Code, TBasicKind::Text, "Code", "CODE", "code", "No code specified !", nullptr,
     getText<&TAppletBasicParams::Code>, putText<&TAppletBasicParams::Code>},
    {TBasicField::CodeBase, TBasicKind::Text, "CodeBase", "CODEBASE", "code base", "", nullptr,
     getText<&TAppletBasicParams::CodeBase>, putText<&TAppletBasicParams::CodeBase>},
    {TBasicField::Archive, TBasicKind::Text, "Archive", "ARCHIVE", "archive", "", "",
     getText<&TAppletBasicParams::Archive>, putText<&TAppletBasicParams::Archive>},
    {TBasicField::WebRoot, TBasicKind::Text, "WebRoot", "WEBROOT", "web site root", "", nullptr,
     getText<&TAppletBasicParams::WebRoot>, putText<&TAppletBasicParams::WebRoot>},
    {TBasicField::Align, TBasicKind::Align, "Align", "ALIGN", "align", "6", "6", getAlign, putAlign},
    {TBasicField::TemplateFile, TBasicKind::Flag, "TemplateFile", nullptr, "template", "0", nullptr,
     getTemplateFile, putTemplateFile},
    {TBasicField::Doc, TBasicKind::Text, "Doc", nullptr, "help page", "", nullptr,
     getText<&TAppletBasicParams::Doc>, putText<&TAppletBasicParams::Doc>},
    // Never taken from an imported page: only the user trusts an applet.
    {TBasicField::Trusted, TBasicKind::Flag, "Trusted", "TRUSTED", "trust this applet (full access)", "0",
     nullptr, getTrusted, putTrusted},
};

uint8_t parseAlign(const std::string& value) {
    if (const auto number = TryStrToInt(value); number && *number >= 0 && *number < 8)
        return uint8_t(*number);
    for (uint8_t i = 0; i < 8; ++i)
        if (SameText(value, AlignmentTable[i].caption) || SameText(value, AlignmentTable[i].html))
            return i;
    std::string choices;
    for (const AlignmentEntry& entry : AlignmentTable)
        choices += std::string(", ") + entry.caption;
    throw EZarnError("'" + value + "' is not an alignment: 0 to 7" + choices + ", or an HTML word");
}

} // namespace

std::span<const TBasicAttribute> BasicAttributes() {
    return Rows;
}

const TBasicAttribute& BasicAttribute(TBasicField field) {
    return *std::find_if(std::begin(Rows), std::end(Rows),
                         [&](const TBasicAttribute& row) { return row.field == field; });
}

const TBasicAttribute* FindBasicAttribute(std::string_view name) {
    for (const TBasicAttribute& row : Rows)
        if (row.name && SameText(name, row.name))
            return &row;
    return nullptr;
}

std::string BasicValueText(const TBasicAttribute& row, const TAppletBasicParams& basic) {
    const TBasicValue value = row.get(basic);
    if (const auto* number = std::get_if<int64_t>(&value))
        return IntToStr(*number);
    return std::get<std::string>(value);
}

void SetBasicValueText(const TBasicAttribute& row, TAppletBasicParams& basic, const std::string& text) {
    switch (row.kind) {
    case TBasicKind::Integer:
    case TBasicKind::Flag:
        return row.put(basic, int64_t(StrToInt(text)));
    case TBasicKind::Align:
        return row.put(basic, int64_t(parseAlign(text)));
    case TBasicKind::Text:
        return row.put(basic, text);
    }
}

void TAppletBasicParams::Load(TKelmFile& file) {
    for (const TBasicAttribute& row : Rows) {
        switch (row.kind) {
        case TBasicKind::Integer:
            row.put(*this, int64_t(file.ReadInteger(BasicSection, row.key, StrToInt(row.defaultValue))));
            break;
        case TBasicKind::Align:
            row.put(*this,
                    int64_t(file.ReadInteger(BasicSection, row.key, StrToInt(row.defaultValue)) & 0xFF));
            break;
        case TBasicKind::Flag:
            row.put(*this, int64_t(file.ReadBool(BasicSection, row.key, StrToInt(row.defaultValue) != 0)));
            break;
        case TBasicKind::Text:
            row.put(*this, file.ReadString(BasicSection, row.key, row.defaultValue));
            break;
        }
    }
    // Trust is the user's choice for one document, never something a template hands on.
    if (TemplateFile)
        Trusted = false;
}

void TAppletBasicParams::Save(TKelmFile& file) const {
    // Whatever was loaded, a file written here is a document.
    TAppletBasicParams saved = *this;
    saved.TemplateFile = false;
    for (const TBasicAttribute& row : Rows) {
        const TBasicValue value = row.get(saved);
        switch (row.kind) {
        case TBasicKind::Integer:
        case TBasicKind::Align:
            file.WriteInteger(BasicSection, row.key, int32_t(std::get<int64_t>(value)));
            break;
        case TBasicKind::Flag:
            file.WriteBool(BasicSection, row.key, std::get<int64_t>(value) != 0);
            break;
        case TBasicKind::Text:
            file.WriteString(BasicSection, row.key, std::get<std::string>(value));
            break;
        }
    }
}

} // namespace zarn
