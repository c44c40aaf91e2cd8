#include "model/ScalarParams.h"

#include "model/KelmFile.h"
#include "paths/PathForms.h"
#include "profile/Errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zarn {

namespace {

constexpr int kSignificantDigits = 15;

// The folder of the profile file with its trailing separator. A relative name is made absolute first,
// so the expanded file name does not depend on the current folder later on.
std::string FolderOfFile(const TKelmFile& file) {
    std::string name = file.FileName();
    if (!name.empty() && IsRelativePath(name)) {
        std::error_code ec;
        auto absolute = std::filesystem::absolute(std::filesystem::path(name), ec);
        if (!ec)
            name = absolute.string();
    }
    return ExtractFilePath(name);
}

// Each "><" of the original value is replaced once; the inserted folder is never searched again,
// since a folder may itself contain "><".
std::string SubstituteFolder(const std::string& value, const std::string& folder) {
    static const std::string marker = "><";
    std::string result;
    std::size_t start = 0;
    for (std::size_t at = value.find(marker); at != std::string::npos; at = value.find(marker, start)) {
        result.append(value, start, at - start);
        result += folder;
        start = at + marker.size();
    }
    result.append(value, start, std::string::npos);
    return result;
}

} // namespace

std::string FloatToStr(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0.0)
        return "0"; // also for -0

    // Scientific form with 15 significant digits gives the correctly rounded digits and the exponent
    // after rounding ("-9.99999999999999e+02"), independent of the locale.
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                   kSignificantDigits - 1);
    if (ec != std::errc())
        return "0";
    std::string_view text(buffer, std::size_t(end - buffer));
    std::string sign;
    if (text.front() == '-') {
        sign = "-";
        text.remove_prefix(1);
    }
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(0, ePos))
        if (IsDigit(c))
            digits += c;
    const int exponent = std::atoi(std::string(text.substr(ePos + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string result = sign;
    if (exponent < -4 || exponent >= kSignificantDigits) {
        result += digits[0];
        if (digits.size() > 1)
            result += "." + digits.substr(1);
        result += "E" + std::to_string(exponent);
    } else if (exponent >= 0) {
        const std::size_t intDigits = std::size_t(exponent) + 1;
        if (digits.size() <= intDigits) {
            result += digits + std::string(intDigits - digits.size(), '0');
        } else {
            result += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
        }
    } else {
        result += "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
    }
    return result;
}

std::optional<double> TryStrToFloat(std::string_view text) {
    // Checked by hand first: from_chars alone would also take "inf", "nan" and hexadecimal forms.
    std::string normal;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            normal += '-';
        ++i;
    }
    std::size_t mantissaDigits = 0;
    bool separatorSeen = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            ++mantissaDigits;
            normal += c;
        } else if ((c == '.' || c == ',') && !separatorSeen) {
            separatorSeen = true;
            normal += '.';
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            normal += text[i++];
        std::size_t exponentDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++exponentDigits)
            normal += text[i];
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;

    double value = 0.0;
    const char* first = normal.data();
    const char* last = normal.data() + normal.size();
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double StrToFloat(std::string_view text) {
    if (auto value = TryStrToFloat(text))
        return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

void TAPFileName::LoadFromFile(TKelmFile& file) {
    TAppletParam::LoadFromFile(file);
    FilterExt = file.ReadString(SectionName(), "FilterExt", "Any file (*.*)|*.*");
    if (Value.find("><") != std::string::npos)
        Value = SubstituteFolder(Value, FolderOfFile(file));
}

void TAPFileName::SaveToFile(TKelmFile& file) {
    TAppletParam::SaveToFile(file);
    file.WriteString(SectionName(), "FilterExt", FilterExt);
}

std::string TAPFileName::GetHTMLValue(const std::string& webRoot, int /*purpose*/) {
    if (Value.empty())
        return {};
    if (IsURL(Value))
        return Value;
    return ToFileURL(MakeRelativePath(webRoot, ExtractFilePath(Value)) + ExtractFileName(Value));
}

bool TAPFileName::ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) {
    if (htmlValue.empty() || IsURL(htmlValue)) {
        Value = htmlValue;
        return true;
    }
    // A name from the site's root or with a drive cannot be made relative to the page again.
    if (!IsRelativePath(htmlValue) || webRoot.empty())
        return false;
    std::filesystem::path joined = std::filesystem::path(WithTrailingBackslash(webRoot)) / htmlValue;
    Value = joined.lexically_normal().string();
    return true;
}

bool TAPNumeric::ReadHTMLValue(const std::string& htmlValue, const std::string& /*webRoot*/) {
    const std::size_t digitsFrom = !htmlValue.empty() && (htmlValue[0] == '+' || htmlValue[0] == '-') ? 1 : 0;
    if (digitsFrom == htmlValue.size())
        return false;
    for (std::size_t i = digitsFrom; i < htmlValue.size(); ++i)
        if (!IsDigit(htmlValue[i]))
            return false;
    const auto number = TryStrToInt(htmlValue);
    if (!number)
        return false;
    Value = *number;
    return true;
}

bool TAPFloat::ReadHTMLValue(const std::string& htmlValue, const std::string& /*webRoot*/) {
    const auto number = TryStrToFloat(htmlValue);
    if (!number)
        return false;
    Value = *number;
    return true;
}

void TAPNumeric::LoadFromFile(TKelmFile& file) {
    TAppletParam::LoadFromFile(file);
    const std::string section = SectionName();
    Min = file.ReadInteger(section, "Min", -2147483647);
    Max = file.ReadInteger(section, "Max", 2147483647);
    Step = file.ReadInteger(section, "Step", 10);
}

void TAPNumeric::SaveToFile(TKelmFile& file) {
    TAppletParam::SaveToFile(file);
    const std::string section = SectionName();
    file.WriteInteger(section, "Min", Min);
    file.WriteInteger(section, "Max", Max);
    file.WriteInteger(section, "Step", Step);
}

std::string TAPNumeric::RefusedValueReason() const {
    const int32_t low = std::min(Min, Max);
    const int32_t high = std::max(Min, Max);
    if (Value < low || Value > high)
        return IntToStr(Value) + " is not between " + IntToStr(low) + " and " + IntToStr(high);
    return {};
}

void TAPComboList::LoadFromFile(TKelmFile& file) {
    const std::string section = SectionName();
    Separator = static_cast<char>(file.ReadInteger(section, "Separator", 124) & 0xFF);
    Items = SplitList(file.ReadString(section, "Items", ""), Separator);
    UFItems = SplitList(file.ReadString(section, "UFItems", ""), Separator);
    if (UFItems.size() != Items.size())
        UFItems = Items;
    Width = file.ReadInteger(section, "Width", -1);
    TAppletParam::LoadFromFile(file);
}

void TAPComboList::SaveToFile(TKelmFile& file) {
    TAppletParam::SaveToFile(file);
    const std::string section = SectionName();
    file.WriteInteger(section, "Separator", static_cast<unsigned char>(Separator));
    file.WriteInteger(section, "Width", Width);
    const std::string separator(1, Separator);
    const std::string items = JoinList(Items, separator);
    std::string ufItems = JoinList(UFItems, separator);
    if (ufItems == items)
        ufItems.clear();
    file.WriteString(section, "Items", items);
    file.WriteString(section, "UFItems", ufItems);
}

std::string TAPComboList::GetHTMLValue(const std::string& /*webRoot*/, int /*purpose*/) {
    std::string result;
    if (ItemIndex >= 0 && static_cast<std::size_t>(ItemIndex) < Items.size())
        result = Items[static_cast<std::size_t>(ItemIndex)];
    return result == DefaultValue ? std::string() : result;
}

bool TAPComboList::ReadHTMLValue(const std::string& htmlValue, const std::string& /*webRoot*/) {
    for (std::size_t i = 0; i < Items.size(); ++i) {
        if (Items[i] == htmlValue) {
            ItemIndex = int32_t(i);
            return true;
        }
    }
    return false;
}

std::string TAPComboList::RefusedValueReason() const {
    if (ItemIndex < 0 || std::size_t(ItemIndex) >= Items.size())
        return "entry " + IntToStr(ItemIndex) + " is not in the list";
    return {};
}

bool TAPBoolean::ReadHTMLValue(const std::string& htmlValue, const std::string& /*webRoot*/) {
    if (htmlValue == TrueText)
        Value = true;
    else if (htmlValue == FalseText)
        Value = false;
    else
        return false;
    return true;
}

void TAPBoolean::LoadFromFile(TKelmFile& file) {
    TAppletParam::LoadFromFile(file);
    const std::string section = SectionName();
    FalseText = file.ReadString(section, "False", "False");
    TrueText = file.ReadString(section, "True", "True");
}

void TAPBoolean::SaveToFile(TKelmFile& file) {
    TAppletParam::SaveToFile(file);
    const std::string section = SectionName();
    file.WriteString(section, "False", FalseText);
    file.WriteString(section, "True", TrueText);
}

std::string TAPBoolean::GetHTMLValue(const std::string& /*webRoot*/, int /*purpose*/) {
    return Value ? TrueText : FalseText;
}

void TAPBevel::LoadFromFile(TKelmFile& file) {
    TAppletParam::LoadFromFile(file);
    DontShowName = true;
    if (UFName == Name)
        UFName.clear();
    DontShowUFName = true;
}

} // namespace zarn
