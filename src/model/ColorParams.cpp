#include "model/ColorParams.h"

#include "model/KelmFile.h"

namespace zarn {

const std::array<TColorName, 16> ColorNames = {{
    {"Black", RGBColor(0x00, 0x00, 0x00)},
    {"Olive", RGBColor(0x80, 0x80, 0x00)},
    {"Teal", RGBColor(0x00, 0x80, 0x80)},
    {"Red", RGBColor(0xFF, 0x00, 0x00)},
    {"Blue", RGBColor(0x00, 0x00, 0xFF)},
    {"Maroon", RGBColor(0x80, 0x00, 0x00)},
    {"Navy", RGBColor(0x00, 0x00, 0x80)},
    {"Gray", RGBColor(0x80, 0x80, 0x80)},
    {"Lime", RGBColor(0x00, 0xFF, 0x00)},
    {"Fuchsia", RGBColor(0xFF, 0x00, 0xFF)},
    {"White", RGBColor(0xFF, 0xFF, 0xFF)},
    {"Green", RGBColor(0x00, 0x80, 0x00)},
    {"Purple", RGBColor(0x80, 0x00, 0x80)},
    {"Silver", RGBColor(0xC0, 0xC0, 0xC0)},
    {"Yellow", RGBColor(0xFF, 0xFF, 0x00)},
    {"Aqua", RGBColor(0x00, 0xFF, 0xFF)},
}};

namespace {

void AppendHexByte(std::string& text, uint8_t byte) {
    static const char digits[] = "0123456789ABCDEF";
    text += digits[byte >> 4];
    text += digits[byte & 0x0F];
}

} // namespace

std::string ColorToText(TColor color) {
    std::string text = "#";
    AppendHexByte(text, RedOf(color));
    AppendHexByte(text, GreenOf(color));
    AppendHexByte(text, BlueOf(color));
    return text;
}

TColor TextToColor(std::string_view text) {
    if (!text.empty() && (text[0] == '#' || text[0] == '$')) {
        if (auto number = TryStrToInt("$" + std::string(text.substr(1, 10)))) {
            const auto n = static_cast<uint32_t>(*number);
            return RGBColor(uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n));
        }
    }
    for (const auto& entry : ColorNames)
        if (SameText(text, entry.name))
            return entry.color;
    return 0;
}

void TAPColor::LoadFromFile(TKelmFile& file) {
    // The prefix guards keep a prefix with outer blanks; an absent key means "#".
    HexPrefix = StripGuards(file.ReadString(SectionName(), "HexPrefix", ".#."));
    TAppletParam::LoadFromFile(file);
}

void TAPColor::SaveToFile(TKelmFile& file) {
    file.WriteString(SectionName(), "HexPrefix", AddGuards(HexPrefix));
    TAppletParam::SaveToFile(file);
}

std::string TAPColor::GetHTMLValue(const std::string& /*webRoot*/, int /*purpose*/) {
    const std::string value = GetValue();
    std::string prefixed = HexPrefix + value.substr(1);
    if (prefixed == DefaultValue || value == DefaultValue)
        return {};
    return prefixed;
}

void TAPColorOption::LoadFromFile(TKelmFile& file) {
    TAPColor::LoadFromFile(file);
    Unspecified = file.ReadBool(SectionName(), "Unspecified", false);
}

void TAPColorOption::SaveToFile(TKelmFile& file) {
    TAPColor::SaveToFile(file);
    file.WriteBool(SectionName(), "Unspecified", Unspecified);
}

std::string TAPColorOption::GetHTMLValue(const std::string& webRoot, int purpose) {
    if (Unspecified)
        return {};
    return TAPColor::GetHTMLValue(webRoot, purpose);
}

} // namespace zarn
