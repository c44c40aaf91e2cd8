#pragma once
// The parameter base class, the ordered parameter list and the process-wide class registry.

#include "profile/TextConv.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarn {

class TKelmFile;

// The "DefaultValue" of a parameter whose template gives none: no real value equals it.
extern const std::string NoDefaultMarker; // bytes 23 A4 26 21 22 07 2E 2E 2E

// The section holding a parameter's keys: its name followed by " parameter".
inline std::string ParamSectionName(const std::string& name) {
    return name + " parameter";
}

// A parameter's value as undo keeps it: kinds whose text form loses something keep it exact (a
// typed real's digits, a colour's top byte, whether a colour is unspecified).
struct TParamValue {
    std::string Text;
    double Number = 0;
    uint32_t Color = 0;
    bool Unspecified = false;
    bool operator==(const TParamValue&) const = default;
};

// One PARAM of a block: name and value as the parameter gives them, before the escape and macro pass.
struct TParamLine {
    std::string Name;
    std::string Value;
};

// The PARAM line as written without the pass: both values in their HTML form.
std::string ParamLineText(const TParamLine& line);

// Abstract base of every parameter kind. Objects are created empty by their class's factory;
// LoadFromFile establishes the whole state (Name must be set first).
class TAppletParam {
public:
    TAppletParam() = default;
    virtual ~TAppletParam() = default;
    TAppletParam(const TAppletParam&) = delete;
    TAppletParam& operator=(const TAppletParam&) = delete;

    std::string UFName;
    std::string Name;
    std::string DefaultValue;
    // Together after the strings: a document may hold a hundred thousand parameters.
    int32_t Page = 0;
    bool Visible = false;
    bool DontShowName = false;
    bool DontShowUFName = false;

    // The registered class name ("TAPString"), written under "Class".
    virtual std::string ClassName() const = 0;

    virtual std::string GetValue() const = 0;
    virtual void SetValue(const std::string& text) = 0;
    virtual void SaveToFile(TKelmFile& file);
    virtual void LoadFromFile(TKelmFile& file);
    virtual std::string GetHTMLValue(const std::string& webRoot, int purpose);
    // The PARAM lines (none for an empty value), each name and value appended to the two macro lists
    // when given. True when the lines form a group that an empty line closes.
    virtual bool CompileParamLines(const std::string& webRoot, int purpose, std::vector<TParamLine>& lines,
                                   TStrings* names, TStrings* values);
    // Tag form: the text of the PARAM lines without the macro pass, a line break after each line of a
    // group. Bare form: the HTML value alone.
    virtual std::string CompileParam(const std::string& webRoot, int purpose, bool tagForm, TStrings* names,
                                     TStrings* values);
    // Takes a value from an existing page, given in the form GetHTMLValue writes (escapes of the
    // macro pass included). False, leaving the value unchanged, for a form this kind never writes.
    virtual bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot);
    // The page gives no PARAM: true when a value was set that compiles to no PARAM line either.
    virtual bool ReadHTMLAbsent();
    // What the kind holds after taking the template's default, when that compiles to no PARAM line;
    // none without a default or for a kind that writes its line whatever the value.
    std::optional<TParamValue> DefaultParamValue();
    // The value is that default, so it writes no PARAM line.
    bool AtDefault();

    virtual TParamValue CaptureValue() const { return {GetValue()}; }
    virtual void RestoreValue(const TParamValue& value) { SetValue(value.Text); }
    // Why the kind would refuse the value it holds (a number outside its range, a choice that names
    // no entry); empty when it would not.
    virtual std::string RefusedValueReason() const { return {}; }
    // False for kinds whose SetValue keeps nothing (a vector, a separator, a plug-in).
    virtual bool HoldsValue() const { return true; }

    std::string SectionName() const { return ParamSectionName(Name); }
};

// The parameters of one applet, in template order. The list owns its parameters.
class TAppletParamList {
public:
    using Items = std::vector<std::unique_ptr<TAppletParam>>;

    std::size_t Count() const { return items_.size(); }
    TAppletParam& operator[](std::size_t index) const { return *items_[index]; }
    void Add(std::unique_ptr<TAppletParam> param) { items_.push_back(std::move(param)); }
    void Clear() { items_.clear(); }
    Items::const_iterator begin() const { return items_.begin(); }
    Items::const_iterator end() const { return items_.end(); }
    Items& items() { return items_; }

private:
    Items items_;
};

using ParamFactory = std::function<std::unique_ptr<TAppletParam>()>;

// Process-wide list of parameter classes, searched by name without letter case, first entry wins.
class ParamClassRegistry {
public:
    struct Entry {
        std::string name;
        ParamFactory create;
    };
    static ParamClassRegistry& Instance();
    void Register(std::string name, ParamFactory create);
    // Raises EListError "List index out of bounds" for a name that is not registered.
    const Entry& Find(const std::string& name) const;
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

void RegisterParamClass(std::string name, ParamFactory create);
template <class T> void RegisterParamClass() {
    RegisterParamClass(T::StaticClassName, [] { return std::make_unique<T>(); });
}
const ParamFactory& FindParamClass(const std::string& name);

// Quotes a value that holds a blank, as PARAM values are written.

} // namespace zarn
