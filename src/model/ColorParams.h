#pragma once
// The colour kinds: a colour with a free choice, with a drop-down of named colours, and a colour
// that may be left unspecified. Colours hold red in the low byte, green in the second, blue in the third.

#include "model/AppletParam.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

using TColor = uint32_t;

constexpr TColor RGBColor(uint8_t red, uint8_t green, uint8_t blue) {
    return TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
}
constexpr uint8_t RedOf(TColor color) {
    return uint8_t(color & 0xFF);
}
constexpr uint8_t GreenOf(TColor color) {
    return uint8_t((color >> 8) & 0xFF);
}
constexpr uint8_t BlueOf(TColor color) {
    return uint8_t((color >> 16) & 0xFF);
}

struct TColorName {
    const char* name;
    TColor color;
};

// The names a colour value may be given by, matched without letter case, first match wins.
extern const std::array<TColorName, 16> ColorNames;

// "#" and red, green, blue as two upper-case hexadecimal digits each ("#FF8000").
std::string ColorToText(TColor color);
// "#" or "$" and up to 8 hexadecimal digits (red, green, blue from the high to the low byte of the
// lowest 24 bits), else one of ColorNames; anything else is black. Never raises.
TColor TextToColor(std::string_view text);

class TAPColor : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPColor";
    std::string ClassName() const override { return StaticClassName; }

    TColor Color = 0;
    std::string HexPrefix; // put before the six digits the applet receives ("#", "0x" or nothing)

    std::string GetValue() const override { return ColorToText(Color); }
    void SetValue(const std::string& text) override { Color = TextToColor(text); }
    // "HexPrefix" is read before the base keys and written before them.
    void LoadFromFile(TKelmFile& file) override;
    void SaveToFile(TKelmFile& file) override;
    // HexPrefix and the six digits; empty when DefaultValue is given in that form or as "#RRGGBB".
    std::string GetHTMLValue(const std::string& webRoot, int purpose) override;
    // HexPrefix (letter case ignored) or "#" and six hexadecimal digits, or one of ColorNames.
    bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) override;
    TParamValue CaptureValue() const override { return {{}, 0, Color}; }
    void RestoreValue(const TParamValue& value) override { Color = value.Color; }
};

// A colour chosen from a drop-down of named colours; only its view differs.
class TAPColorCombo : public TAPColor {
public:
    static constexpr const char* StaticClassName = "TAPColorCombo";
    std::string ClassName() const override { return StaticClassName; }
};

// A colour that may be left to the applet: when Unspecified, no PARAM line is written.
class TAPColorOption : public TAPColor {
public:
    static constexpr const char* StaticClassName = "TAPColorOption";
    std::string ClassName() const override { return StaticClassName; }

    bool Unspecified = false;

    void LoadFromFile(TKelmFile& file) override;
    void SaveToFile(TKelmFile& file) override;
    std::string GetHTMLValue(const std::string& webRoot, int purpose) override;
    bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) override;
    bool ReadHTMLAbsent() override {
        Unspecified = true;
        return true;
    }
    TParamValue CaptureValue() const override { return {{}, 0, Color, Unspecified}; }
    void RestoreValue(const TParamValue& value) override {
        Color = value.Color;
        Unspecified = value.Unspecified;
    }
};

} // namespace zarn
