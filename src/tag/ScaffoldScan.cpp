// The analysis half of the scaffold: what each method's code passes to getParameter, what
// getParameterInfo and getAppletInfo return, and which classes are applets.

#include "tag/ClassFile.h"
#include "tag/Scaffold.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <unordered_map>

namespace zarn {

namespace {

// A value on the operand stack or in a local, as far as a linear scan can know it.
struct TValue {
    enum Kind : uint8_t { Other, Text, Param, Number } kind = Other;
    int32_t number = 0; // Param: the argument's index; Number: the value
    const std::string* text = nullptr;
};

// Texts point into the class file's pool, which the analysis keeps: a hostile class that loads
// one long text a million times costs a million pointers, not a million copies.
using TRow = std::array<const std::string*, 3>;

struct TCall {
    const std::string* name;
    const std::string* descriptor;
    std::vector<TValue> args;
};

struct TMethodScan {
    const std::string* name;
    const std::string* descriptor;
    std::vector<TCall> calls; // those with a text or a String argument, and resize
    std::vector<TRow> rows;   // String arrays of three built here
    std::string texts;        // the text constants, joined, up to MaxTexts
};

struct TScannedClass {
    TClassFile file;
    bool isAbstract = false;
    std::vector<TMethodScan> methods;
};

const char* const GetParameterDescriptor = "(Ljava/lang/String;)Ljava/lang/String;";
constexpr std::size_t MaxStack = 1024;
constexpr std::size_t MaxCallsPerClass = 100000;
constexpr std::size_t MaxRowsPerClass = 100000;
constexpr std::size_t MaxTexts = 4000;
// No page shows more; the rest of a larger list would only slow every applet of the archive.
constexpr std::size_t MaxParams = 1000;

class TStack {
public:
    void Push(TValue value) {
        if (values_.size() == MaxStack)
            values_.erase(values_.begin());
        values_.push_back(std::move(value));
    }
    TValue Pop() {
        if (values_.empty())
            return {};
        TValue value = std::move(values_.back());
        values_.pop_back();
        return value;
    }
    TValue Top() const { return values_.empty() ? TValue() : values_.back(); }
    void Clear() { values_.clear(); }

private:
    std::vector<TValue> values_;
};

uint16_t u2(std::span<const uint8_t> code, std::size_t at) {
    return uint16_t(code[at] << 8 | code[at + 1]);
}

// A linear pass: branches are not followed, so a value is known only along straight code, which is
// how compilers emit a call with constant arguments.
TMethodScan scanMethod(const TClassFile& file, const TClassMethod& method, std::size_t& budget) {
    TMethodScan scan{&method.name, &method.descriptor, {}, {}, {}};
    const std::span<const uint8_t> code(method.code);
    TStack stack;
    std::unordered_map<int, TValue> locals;
    const int argumentCount = ArgumentCount(method.descriptor);
    for (int i = 0; i < argumentCount; ++i)
        if (int slot = 0; StringArgument(method.descriptor, i, method.IsStatic(), slot))
            locals[slot] = TValue{TValue::Param, i, {}};
    const auto local = [&locals](int slot) {
        const auto found = locals.find(slot);
        return found == locals.end() ? TValue() : found->second;
    };
    const auto pushText = [&](uint16_t index) {
        TValue value;
        if ((value.text = file.StringAt(index))) {
            value.kind = TValue::Text;
            if (scan.texts.size() < MaxTexts)
                scan.texts += value.text->substr(0, MaxTexts - scan.texts.size());
        }
        stack.Push(value);
    };
    std::size_t row = SIZE_MAX;

    for (std::size_t pos = 0; pos < code.size();) {
        const std::size_t length = InstructionLength(code, pos);
        if (length == 0)
            break;
        const uint8_t op = code[pos];
        if (op == 0x01 || (op >= 0x09 && op <= 0x0f) || op == 0x14 || op == 0xb2 || op == 0xbb) {
            stack.Push({});
        } else if (op >= 0x02 && op <= 0x08) {
            stack.Push({TValue::Number, op - 0x03, {}});
        } else if (op == 0x10) {
            stack.Push({TValue::Number, int8_t(code[pos + 1]), {}});
        } else if (op == 0x11) {
            stack.Push({TValue::Number, int16_t(u2(code, pos + 1)), {}});
        } else if (op == 0x12) {
            pushText(code[pos + 1]);
        } else if (op == 0x13) {
            pushText(u2(code, pos + 1));
        } else if (op >= 0x15 && op <= 0x19) {
            stack.Push(local(code[pos + 1]));
        } else if (op >= 0x1a && op <= 0x2d) {
            stack.Push(local((op - 0x1a) % 4));
        } else if (op >= 0x36 && op <= 0x3a) {
            locals[code[pos + 1]] = stack.Pop();
        } else if (op >= 0x3b && op <= 0x4e) {
            locals[(op - 0x3b) % 4] = stack.Pop();
        } else if (op == 0x53) { // aastore
            const TValue value = stack.Pop(), index = stack.Pop();
            stack.Pop();
            if (row < scan.rows.size() && value.kind == TValue::Text && index.kind == TValue::Number &&
                index.number >= 0 && index.number < 3)
                scan.rows[row][std::size_t(index.number)] = value.text;
        } else if (op == 0x57) {
            stack.Pop();
        } else if (op == 0x59) {
            stack.Push(stack.Top());
        } else if (op == 0xb3) {
            stack.Pop();
        } else if (op == 0xb4) {
            stack.Pop();
            stack.Push({});
        } else if (op == 0xb5) {
            stack.Pop();
            stack.Pop();
        } else if (op >= 0xb6 && op <= 0xb9) {
            TClassFile::MemberRef ref;
            const int count = file.Member(u2(code, pos + 1), ref) ? ArgumentCount(*ref.descriptor) : -1;
            if (count < 0) {
                stack.Clear();
            } else {
                TCall call{ref.name, ref.descriptor, std::vector<TValue>(std::size_t(count))};
                bool worthKeeping = *ref.name == "resize";
                for (int i = count - 1; i >= 0; --i) {
                    call.args[std::size_t(i)] = stack.Pop();
                    worthKeeping |= call.args[std::size_t(i)].kind == TValue::Text ||
                                    call.args[std::size_t(i)].kind == TValue::Param;
                }
                if (op != 0xb8)
                    stack.Pop();
                if (!ref.descriptor->ends_with(")V"))
                    stack.Push({});
                if (worthKeeping && budget > 0) {
                    --budget;
                    scan.calls.push_back(std::move(call));
                }
            }
        } else if (op == 0xbd) { // anewarray
            stack.Pop();
            stack.Push({});
            if (file.ClassName(u2(code, pos + 1)) == "java/lang/String" &&
                scan.rows.size() < MaxRowsPerClass) {
                row = scan.rows.size();
                scan.rows.push_back({});
            }
        } else if (op == 0xc0) { // checkcast leaves the value
        } else {
            stack.Clear();
        }
        pos += length;
    }
    return scan;
}

// The class file moves into the result: the scans point into its pool.
TScannedClass scanClass(TClassFile file) {
    TScannedClass scanned{std::move(file), false, {}};
    scanned.isAbstract = (scanned.file.access & 0x0600) != 0;
    scanned.methods.reserve(scanned.file.methods.size());
    std::size_t budget = MaxCallsPerClass;
    for (const TClassMethod& method : scanned.file.methods)
        scanned.methods.push_back(scanMethod(scanned.file, method, budget));
    return scanned;
}

bool isAppletBase(const std::string& name) {
    return name == "java/applet/Applet" || name == "javax/swing/JApplet";
}

// A name that can stand as a key's value and in a section's name of the template.
bool usableName(const std::string& name) {
    if (name.empty() || name.size() > 200 || name.front() == ' ' || name.front() == ';' || name.back() == ' ')
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return uint8_t(c) < 0x20 || c == 0x7f || c == '=' || c == '[' || c == ']';
    });
}

struct TShared {
    std::string lower;
    const std::string* name;
};

// A method argument that reaches getParameter: getParameter's own, or a helper's.
struct THelper {
    std::string_view name;
    std::string_view descriptor;
    int argument;
    auto operator<=>(const THelper&) const = default;
};

class TAnalysis {
public:
    explicit TAnalysis(std::vector<TScannedClass> classes) : classes_(std::move(classes)) {
        for (std::size_t i = 0; i < classes_.size(); ++i)
            byName_.emplace(classes_[i].file.name, i);
        FindHelpers();
        for (const TScannedClass& scanned : classes_)
            namesByClass_.push_back(NamesIn(scanned));
    }

    // The class's chain within the archive, itself first; `reachesApplet` tells whether it ends
    // at an applet base class. A cycle ends the chain.
    std::vector<std::size_t> Chain(std::size_t index, bool& reachesApplet) const {
        std::vector<std::size_t> chain{index};
        reachesApplet = false;
        for (std::size_t steps = 0; steps <= classes_.size(); ++steps) {
            const std::string& superName = classes_[chain.back()].file.superName;
            if (isAppletBase(superName)) {
                reachesApplet = true;
                break;
            }
            const auto found = byName_.find(superName);
            if (found == byName_.end() || std::find(chain.begin(), chain.end(), found->second) != chain.end())
                break;
            chain.push_back(found->second);
        }
        return chain;
    }

    std::vector<TFoundApplet> Applets() const {
        std::vector<bool> appletFamily(classes_.size());
        std::vector<std::size_t> applets;
        for (std::size_t i = 0; i < classes_.size(); ++i) {
            bool reaches = false;
            Chain(i, reaches);
            appletFamily[i] = reaches;
            if (reaches && !classes_[i].isAbstract)
                applets.push_back(i);
        }
        // Names met in classes that are no applet serve every applet: gathered once, each once.
        std::vector<TShared> shared;
        std::set<std::string> sharedSeen;
        for (std::size_t i = 0; i < classes_.size(); ++i)
            if (!appletFamily[i])
                for (const std::string* name : namesByClass_[i])
                    if (std::string lower = LowerCase(*name);
                        usableName(*name) && sharedSeen.insert(lower).second)
                        shared.push_back({std::move(lower), name});

        std::vector<TFoundApplet> found;
        for (const std::size_t index : applets)
            found.push_back(Describe(index, shared));
        std::sort(found.begin(), found.end(),
                  [](const TFoundApplet& a, const TFoundApplet& b) { return a.name < b.name; });
        return found;
    }

private:
    // Walks back from getParameter through every method that hands its String argument on; each
    // method argument is visited once, so a long chain of helpers costs no more than its calls.
    void FindHelpers() {
        std::map<THelper, std::vector<THelper>> passedBy;
        for (const TScannedClass& scanned : classes_)
            for (const TMethodScan& method : scanned.methods)
                for (const TCall& call : method.calls)
                    for (std::size_t a = 0; a < call.args.size(); ++a)
                        if (call.args[a].kind == TValue::Param)
                            passedBy[{*call.name, *call.descriptor, int(a)}].push_back(
                                {*method.name, *method.descriptor, call.args[a].number});
        std::vector<THelper> work{{"getParameter", GetParameterDescriptor, 0}};
        helpers_.insert(work.front());
        while (!work.empty()) {
            const THelper callee = work.back();
            work.pop_back();
            const auto callers = passedBy.find(callee);
            if (callers == passedBy.end())
                continue;
            for (const THelper& caller : callers->second)
                if (helpers_.insert(caller).second)
                    work.push_back(caller);
        }
    }

    bool Takes(const TCall& call, std::size_t argument) const {
        return helpers_.contains({*call.name, *call.descriptor, int(argument)});
    }

    std::vector<const std::string*> NamesIn(const TScannedClass& scanned) const {
        std::vector<const std::string*> names;
        for (const TMethodScan& method : scanned.methods)
            for (const TCall& call : method.calls)
                for (std::size_t a = 0; a < call.args.size(); ++a)
                    if (call.args[a].kind == TValue::Text && !call.args[a].text->empty() && Takes(call, a))
                        names.push_back(call.args[a].text);
        return names;
    }

    const TMethodScan* FindMethod(const std::vector<std::size_t>& chain, std::string_view name,
                                  std::string_view descriptor) const {
        for (const std::size_t index : chain)
            for (const TMethodScan& method : classes_[index].methods)
                if (*method.name == name && *method.descriptor == descriptor)
                    return &method;
        return nullptr;
    }

    TFoundApplet Describe(std::size_t index, const std::vector<TShared>& shared) const {
        bool reaches = false;
        const std::vector<std::size_t> chain = Chain(index, reaches);
        TFoundApplet applet;
        applet.name = classes_[index].file.name;
        std::replace(applet.name.begin(), applet.name.end(), '/', '.');

        // HTML matches PARAM names without letter case, and so does the profile store's sections.
        std::set<std::string> seen;
        const auto add = [&](const std::string& name, const std::string* type,
                             const std::string* description) {
            if (applet.params.size() < MaxParams && usableName(name) && seen.insert(LowerCase(name)).second)
                applet.params.push_back(
                    {name, type ? *type : std::string(), description ? *description : std::string()});
        };
        if (const TMethodScan* info = FindMethod(chain, "getParameterInfo", "()[[Ljava/lang/String;")) {
            const std::vector<TRow>* rows = &info->rows;
            // An array kept in a static field is built in the class initialiser.
            for (const std::size_t c : chain)
                if (const TMethodScan* init = FindMethod({c}, "<clinit>", "()V"); init && rows->empty())
                    rows = &init->rows;
            for (const TRow& row : *rows)
                if (row[0])
                    add(*row[0], row[1], row[2]);
        }
        if (applet.params.empty()) {
            for (const std::size_t c : chain)
                for (const std::string* name : namesByClass_[c])
                    add(*name, nullptr, nullptr);
            for (const TShared& name : shared)
                if (applet.params.size() < MaxParams && !seen.contains(name.lower))
                    applet.params.push_back({*name.name, {}, {}});
        }
        if (const TMethodScan* info = FindMethod(chain, "getAppletInfo", "()Ljava/lang/String;"))
            applet.info = info->texts;
        if (const TMethodScan* init = FindMethod(chain, "init", "()V"))
            for (const TCall& call : init->calls)
                if (*call.name == "resize" && *call.descriptor == "(II)V" &&
                    call.args[0].kind == TValue::Number && call.args[1].kind == TValue::Number &&
                    call.args[0].number > 0 && call.args[1].number > 0) {
                    applet.width = call.args[0].number;
                    applet.height = call.args[1].number;
                    break;
                }
        return applet;
    }

    std::vector<TScannedClass> classes_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::set<THelper> helpers_;
    std::vector<std::vector<const std::string*>> namesByClass_;
};

} // namespace

TAppletSource AnalyseClasses(const std::vector<TClassBytes>& classes) {
    TAppletSource source;
    std::vector<TScannedClass> scanned;
    std::set<std::string> names;
    for (const TClassBytes& item : classes) {
        source.classEntries.push_back(item.entry);
        try {
            TClassFile file = ReadClassFile(item.bytes);
            // Two files of one class (a stray copy in another folder): the first counts.
            if (names.insert(file.name).second)
                scanned.push_back(scanClass(std::move(file)));
        } catch (const EClassFormat& error) {
            source.problems.push_back(item.entry + ": " + error.Message());
        }
    }
    source.applets = TAnalysis(std::move(scanned)).Applets();
    return source;
}

} // namespace zarn
