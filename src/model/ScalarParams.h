#pragma once
// The parameter kinds that hold one value each: text, file name, whole number, real number, choice
// from a list, yes/no switch and the separator line. The colour kinds are in ColorParams.h.

#include "model/AppletParam.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarn {

// Real numbers in files: "." as decimal separator whatever the user's locale, so a document reads
// the same on every machine; "," is accepted on reading. At most 15 significant digits, no trailing
// zeros, exponent form ("1E20", "1.5E-7") only for exponents below -4 or from 15 on.
std::string FloatToStr(double value);
// Optional sign, digits with at most one decimal separator, optional exponent ("e"/"E", optional
// sign, digits); nothing else, no blanks. Values beyond the range of a double are not accepted.
std::optional<double> TryStrToFloat(std::string_view text);
// As TryStrToFloat, raising EConvertError "'%s' is not a valid floating point value".
double StrToFloat(std::string_view text);

class TAPString : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPString";
    std::string ClassName() const override { return StaticClassName; }

    std::string Value;

    std::string GetValue() const override { return Value; }
    void SetValue(const std::string& text) override { Value = text; }
    bool ReadHTMLAbsent() override {
        Value.clear();
        return true;
    }
};

// A file name; the applet receives it relative to the web root, as a URL.
class TAPFileName : public TAPString {
public:
    static constexpr const char* StaticClassName = "TAPFileName";
    std::string ClassName() const override { return StaticClassName; }

    std::string FilterExt; // filter of the view's file dialog: description|pattern pairs

    // "><" in the value stands for the folder of the file being read (a default beside the template).
    void LoadFromFile(TKelmFile& file) override;
    void SaveToFile(TKelmFile& file) override;
    // Never suppressed by DefaultValue: a non-empty file name always gives a PARAM line.
    std::string GetHTMLValue(const std::string& webRoot, int purpose) override;
    // A URL as it is; otherwise a path relative to the web root (the page's folder).
    bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) override;
};

class TAPNumeric : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPNumeric";
    std::string ClassName() const override { return StaticClassName; }

    // Min, Max and Step guide the view; the value itself is never clamped.
    int32_t Value = 0;
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t Step = 0;

    std::string GetValue() const override { return IntToStr(Value); }
    // Strict: "'%s' is not a valid integer value" for anything but the profile integer grammar.
    void SetValue(const std::string& text) override { Value = StrToInt(text); }
    // A decimal whole number with an optional sign; the block then writes it in its own form.
    bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) override;
    void LoadFromFile(TKelmFile& file) override;
    void SaveToFile(TKelmFile& file) override;
    // A value outside Min and Max (in either order).
    std::string RefusedValueReason() const override;
};

class TAPFloat : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPFloat";
    std::string ClassName() const override { return StaticClassName; }

    double Value = 0.0;

    std::string GetValue() const override { return FloatToStr(Value); }
    void SetValue(const std::string& text) override { Value = StrToFloat(text); }
    // Any real number; the block then writes it in its own form.
    bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) override;
    TParamValue CaptureValue() const override { return {{}, Value}; }
    void RestoreValue(const TParamValue& value) override { Value = value.Number; }
};

// A choice from a list: the view shows UFItems, the applet receives the Items entry at ItemIndex.
class TAPComboList : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPComboList";
    std::string ClassName() const override { return StaticClassName; }

    char Separator = 0;
    TStrings Items;
    int32_t ItemIndex = 0;
    TStrings UFItems;
    int32_t Width = 0; // width of the view's list when positive

    std::string GetValue() const override { return IntToStr(ItemIndex); }
    void SetValue(const std::string& text) override { ItemIndex = StrToInt(text); }
    // Reads its own keys before the base, so the lists exist when "Value" sets the index.
    void LoadFromFile(TKelmFile& file) override;
    void SaveToFile(TKelmFile& file) override;
    // The chosen entry; empty when ItemIndex is out of range.
    std::string GetHTMLValue(const std::string& webRoot, int purpose) override;
    // The first entry of Items equal to the value.
    bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) override;
    // An index that names no entry.
    std::string RefusedValueReason() const override;
};

// A yes/no switch that gives the applet TrueText or FalseText.
class TAPBoolean : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPBoolean";
    std::string ClassName() const override { return StaticClassName; }

    std::string FalseText;
    std::string TrueText;
    bool Value = false;

    std::string GetValue() const override { return Value ? "1" : "0"; }
    // Only a text that reads as exactly 1 switches on; anything else, unreadable text too, is off.
    void SetValue(const std::string& text) override { Value = TryStrToInt(text).value_or(0) == 1; }
    void LoadFromFile(TKelmFile& file) override;
    void SaveToFile(TKelmFile& file) override;
    // DefaultValue never suppresses a switch.
    std::string GetHTMLValue(const std::string& webRoot, int purpose) override;
    // TrueText or FalseText exactly; a switch always writes its line, so it cannot be absent.
    bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) override;
    bool ReadHTMLAbsent() override { return false; }
};

// A separator line on a property page: no value, no caption.
class TAPBevel : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPBevel";
    std::string ClassName() const override { return StaticClassName; }

    std::string GetValue() const override { return {}; }
    void SetValue(const std::string& /*text*/) override {}
    void LoadFromFile(TKelmFile& file) override;
    bool ReadHTMLValue(const std::string& /*htmlValue*/, const std::string& /*webRoot*/) override {
        return false;
    }
    bool ReadHTMLAbsent() override { return true; }
    bool HoldsValue() const override { return false; }
};

} // namespace zarn
