#include "model/ColorParams.h"

#include "model/KelmFile.h"

#include <optional>

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

namespace {
std::optional<TColor> sixHexDigits(std::string_view digits) {
    if (digits.size() != 6)
        return std::nullopt;
    uint32_t n = 0;
    for (char c : digits) {
        const int v = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (v < 0)
            return std::nullopt;
        n = n * 16 + uint32_t(v);
    }
    return RGBColor(uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n));
}
} // namespace

bool TAPColor::ReadHTMLValue(const std::string& htmlValue, const std::string& /*webRoot*/) {
    std::optional<TColor> color;
    if (htmlValue.size() >= HexPrefix.size() && SameText(htmlValue.substr(0, HexPrefix.size()), HexPrefix))
        color = sixHexDigits(std::string_view(htmlValue).substr(HexPrefix.size()));
    if (!color && !htmlValue.empty() && htmlValue[0] == '#')
        color = sixHexDigits(std::string_view(htmlValue).substr(1));
    for (std::size_t i = 0; !color && i < ColorNames.size(); ++i)
        if (SameText(htmlValue, ColorNames[i].name))
            color = ColorNames[i].color;
    if (!color)
        return false;
    Color = *color;
    return true;
}

bool TAPColorOption::ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) {
    if (!TAPColor::ReadHTMLValue(htmlValue, webRoot))
        return false;
    Unspecified = false;
    return true;
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
