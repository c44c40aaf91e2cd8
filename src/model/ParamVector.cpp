#include "model/ParamVector.h"

#include "model/FormatPattern.h"
#include "profile/Errors.h"
#include "profile/IniFile.h"

#include <algorithm>

namespace zarn {

namespace {

std::string templateStem(const std::string& templateName) {
    return templateName + " template";
}

std::string withoutStar(const std::string& entry) {
    return !entry.empty() && entry.back() == '*' ? entry.substr(0, entry.size() - 1) : entry;
}

// Nesting comes from the file: a bound keeps a hostile file from exhausting the stack.
thread_local int vectorNesting = 0;

class NestingGuard {
public:
    NestingGuard() {
        if (vectorNesting >= MaxVectorNesting)
            throw EZarnError("Parameter vectors nested deeper than " + std::to_string(MaxVectorNesting) +
                             " levels");
        ++vectorNesting;
    }
    ~NestingGuard() { --vectorNesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

std::unique_ptr<TAppletParam> createElement(TKelmFile& file, const std::string& stem) {
    auto field = FindParamClass(file.ReadString(ParamSectionName(stem), "Class", "TAppletParam"))();
    field->Name = stem;
    field->LoadFromFile(file);
    return field;
}

} // namespace

std::unique_ptr<TAPContainer> TAPContainer::CreateFromFile(TKelmFile& file, const std::string& stem) {
    auto container = std::make_unique<TAPContainer>();
    const std::string section = ParamSectionName(stem);
    container->SubName = file.ReadString(section, "subname", "");
    container->Template = file.ReadString(section, "Template", "");
    container->Field = createElement(file, stem);
    return container;
}

std::unique_ptr<TAPContainer> TAPContainer::CreateFromTemplate(TKelmFile& file,
                                                               const std::string& templateName) {
    auto container = std::make_unique<TAPContainer>();
    const std::string stem = templateStem(templateName);
    const std::string section = ParamSectionName(stem);
    container->SubName = file.ReadString(section, "subname", "");
    container->Template = templateName;
    container->Field = createElement(file, stem);
    // The base reading would caption the element with the template's stem.
    if (file.ReadString(section, "UFName", "").empty())
        container->Field->UFName.clear();
    container->Field->Name = templateName;
    return container;
}

void TAPContainer::Save(TKelmFile& file, const std::string& stem) {
    const std::string section = ParamSectionName(stem);
    file.WriteString(section, "subname", SubName);
    file.WriteString(section, "Template", Template);
    Field->Name = stem;
    Field->SaveToFile(file);
}

void TAPParamVector::LoadFromFile(TKelmFile& file) {
    NestingGuard nesting;
    TAppletParam::LoadFromFile(file);
    Containers.clear();

    const std::string section = SectionName();
    ShowBevel = file.ReadBool(section, "ShowBevel", true);
    CanAdd = file.ReadBool(section, "CanAdd", true);
    CanDelete = file.ReadBool(section, "CanDelete", true);
    CanMove = file.ReadBool(section, "CanMove", true);
    CanBeforeListText = file.ReadBool(section, "CanBeforeListText", false);
    BeforeListText = file.ReadString(section, "BeforeListText", "");
    AddTitle = file.ReadString(section, "AddTitle", "Add");
    DelTitle = file.ReadString(section, "DelTitle", "Del");
    DontKill = file.ReadBool(section, "DontKill", false);
    StandaloneFields = file.ReadBool(section, "StandaloneFields", false);
    CounterParamName = file.ReadString(section, "CounterParamName", Name + "Count");
    NamePattern = file.ReadString(section, "NamePattern", "%0:s%1:d");
    BaseIndex = file.ReadInteger(section, "BaseIndex", 0);
    if (StandaloneFields)
        CanBeforeListText = false;
    ValidTemplates = SplitList(file.ReadString(section, "ValidTemplates", ""), '|');
    ShowNames = file.ReadBool(section, "ShowNames", true);
    ShowValues = file.ReadBool(section, "ShowValues", true);
    CoupleOpen = StripGuards(file.ReadString(section, "CoupleOpen", ".."));
    CoupleSeparator = StripGuards(file.ReadString(section, "CoupleSeparator", ".=."));
    CoupleClose = StripGuards(file.ReadString(section, "CoupleClose", ".."));
    Separator = StripGuards(file.ReadString(section, "Separator", ". | ."));

    // No room is reserved from the count: it comes from the file, and a missing element section
    // ends the load at once.
    const int32_t fieldCount = file.ReadInteger(section, "FieldCount", -1);
    for (int32_t i = 0; i < fieldCount; ++i) {
        const std::string stem = ElementStem(std::size_t(i));
        Containers.push_back(TAPContainer::CreateFromFile(file, stem));
        Containers.back()->Field->Name = stem;
    }
    SourceFile = file;
}

void TAPParamVector::SaveToFile(TKelmFile& file) {
    TIniUpdate update(file);
    TAppletParam::SaveToFile(file);
    const std::string section = SectionName();
    file.WriteBool(section, "ShowBevel", ShowBevel);
    file.WriteBool(section, "CanAdd", CanAdd);
    file.WriteBool(section, "CanDelete", CanDelete);
    file.WriteBool(section, "CanMove", CanMove);
    file.WriteBool(section, "CanBeforeListText", CanBeforeListText);
    file.WriteString(section, "BeforeListText", BeforeListText);
    file.WriteString(section, "AddTitle", AddTitle);
    file.WriteString(section, "DelTitle", DelTitle);
    file.WriteBool(section, "StandaloneFields", StandaloneFields);
    file.WriteString(section, "CounterParamName", CounterParamName);
    file.WriteString(section, "NamePattern", NamePattern);
    file.WriteInteger(section, "BaseIndex", BaseIndex);
    file.WriteString(section, "ValidTemplates", JoinList(ValidTemplates, "|"));
    file.WriteBool(section, "ShowNames", ShowNames);
    file.WriteBool(section, "ShowValues", ShowValues);
    file.WriteBool(section, "DontKill", DontKill);
    file.WriteString(section, "CoupleOpen", AddGuards(CoupleOpen));
    file.WriteString(section, "CoupleSeparator", AddGuards(CoupleSeparator));
    file.WriteString(section, "CoupleClose", AddGuards(CoupleClose));
    file.WriteString(section, "Separator", AddGuards(Separator));
    file.WriteInteger(section, "FieldCount", int32_t(Containers.size()));
    // Sections of elements beyond the count stay in the file; FieldCount keeps them from being read.
    for (std::size_t i = 0; i < Containers.size(); ++i)
        Containers[i]->Save(file, ElementStem(i));
    update.Commit();
}

std::string TAPParamVector::GetHTMLValue(const std::string& webRoot, int purpose) {
    std::string result = CanBeforeListText ? BeforeListText : std::string();
    for (std::size_t i = 0; i < Containers.size(); ++i) {
        const TAPContainer& container = *Containers[i];
        std::string value = container.Field->GetHTMLValue(webRoot, purpose);
        if (value.empty() && !DontKill)
            continue;
        // The position decides, not whether anything came before: a skipped first element still
        // leaves the separator in front of the second.
        if (i != 0)
            result += Separator;
        result += CoupleOpen;
        if (ShowNames)
            result += container.SubName;
        if (ShowNames && ShowValues)
            result += CoupleSeparator;
        if (ShowValues)
            result += value;
        result += CoupleClose;
    }
    return result;
}

std::string TAPParamVector::CompileParam(const std::string& webRoot, int purpose, bool tagForm,
                                         TStrings* names, TStrings* values) {
    if (!tagForm && StandaloneFields)
        throw EZarnError("Cannot make " + Name + "'s subfields standalone");
    return TAppletParam::CompileParam(webRoot, purpose, tagForm, names, values);
}

bool TAPParamVector::CompileParamLines(const std::string& webRoot, int purpose,
                                       std::vector<TParamLine>& lines, TStrings* names, TStrings* values) {
    if (names) {
        names->push_back(Name + "Count");
        if (values)
            values->push_back(std::to_string(Containers.size()));
    }
    if (!StandaloneFields)
        return TAppletParam::CompileParamLines(webRoot, purpose, lines, names, values);

    if (!CounterParamName.empty())
        lines.push_back({CounterParamName, std::to_string(Containers.size())});
    for (std::size_t i = 0; i < Containers.size(); ++i) {
        std::string value = Containers[i]->Field->CompileParam(webRoot, purpose, false, nullptr, nullptr);
        if (value.empty() && !DontKill)
            continue;
        // The index wraps in 32 bits, as the applets count, rather than overflowing.
        const auto index = int32_t(uint32_t(BaseIndex) + uint32_t(i));
        lines.push_back({FormatPattern(NamePattern, {Name, index}), std::move(value)});
    }
    return true;
}

std::string TAPParamVector::RepeatableTemplate() const {
    for (const std::string& entry : ValidTemplates)
        if (!entry.empty() && entry.back() == '*')
            return entry;
    return {};
}

bool TAPParamVector::ReadElements(const std::vector<std::optional<std::string>>& values,
                                  const std::string& webRoot) {
    const std::string element = RepeatableTemplate();
    if (!SourceFile || (element.empty() && !values.empty()))
        return false;
    // One read session: the template file is checked once, not once per element.
    TIniReadSession session(*SourceFile);
    TAPContainerList old = std::move(Containers);
    Containers.clear();
    try {
        for (const auto& value : values) {
            TAppletParam& field = *AddFromTemplate(element).Field;
            if (!(value ? field.ReadHTMLValue(*value, webRoot) : field.ReadHTMLAbsent())) {
                Containers = std::move(old);
                return false;
            }
        }
    } catch (const EZarnError&) {
        // An element template the file lacks.
        Containers = std::move(old);
        return false;
    }
    return true;
}

bool TAPParamVector::ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) {
    if (StandaloneFields || ShowNames || !ShowValues || Separator.empty() || !CoupleOpen.empty() ||
        !CoupleClose.empty())
        return false;
    std::string_view rest = htmlValue;
    if (CanBeforeListText) {
        if (rest.substr(0, BeforeListText.size()) != BeforeListText)
            return false;
        rest.remove_prefix(BeforeListText.size());
    }
    std::vector<std::optional<std::string>> values;
    if (!rest.empty()) {
        for (std::size_t at = rest.find(Separator);; at = rest.find(Separator)) {
            values.emplace_back(std::string(rest.substr(0, at)));
            if (at == std::string_view::npos)
                break;
            rest.remove_prefix(at + Separator.size());
        }
    }
    return ReadElements(values, webRoot);
}

bool TAPParamVector::ReadHTMLAbsent() {
    if (CanBeforeListText && !BeforeListText.empty() && !StandaloneFields)
        return false;
    if (!CounterParamName.empty() && StandaloneFields)
        return false; // the counter line is always written
    return ReadElements({}, {});
}

void TAPParamVector::SetSourceFile(const TKelmFile& file) {
    SourceFile = file;
    for (auto& container : Containers)
        if (auto* nested = dynamic_cast<TAPParamVector*>(container->Field.get()))
            nested->SetSourceFile(file);
}

TStrings TAPParamVector::AddableTemplates() const {
    TStrings choices = ValidTemplates;
    for (const auto& container : Containers) {
        for (auto it = choices.begin(); it != choices.end(); ++it) {
            if (SameText(*it, container->Template)) {
                if (*it == container->Template)
                    choices.erase(it);
                break;
            }
        }
    }
    return choices;
}

std::string TAPParamVector::TemplateDescription(const std::string& entry) const {
    const std::string name = withoutStar(entry);
    if (!SourceFile)
        return name;
    return SourceFile->ReadString(ParamSectionName(templateStem(name)), "Description", name);
}

std::string TAPParamVector::TemplateCaption(const std::string& entry) const {
    const std::string name = withoutStar(entry);
    if (!SourceFile)
        return name;
    const std::string caption = SourceFile->ReadString(ParamSectionName(templateStem(name)), "UFName", "");
    return caption.empty() ? name : caption;
}

TAPContainer& TAPParamVector::AddFromTemplate(const std::string& templateName) {
    return InsertFromTemplate(templateName, Containers.size());
}

TAPContainer& TAPParamVector::InsertFromTemplate(const std::string& templateName, std::size_t position) {
    if (!SourceFile)
        throw EZarnError("No element templates for " + Name);
    auto container = TAPContainer::CreateFromTemplate(*SourceFile, withoutStar(templateName));
    TAPContainer& added = *container;
    InsertElement(position, std::move(container));
    return added;
}

TAPContainer& TAPParamVector::AddElement(const std::string& templateName, std::size_t position, int level) {
    if (position > Containers.size())
        position = Containers.size();
    TAPContainer& added = InsertFromTemplate(templateName, position);
    if (level + VectorDepth(*added.Field) > MaxVectorNesting) {
        TakeElement(position);
        throw EZarnError("Cannot add this element: lists may be nested at most " +
                         std::to_string(MaxVectorNesting) + " levels deep, and it would make level " +
                         std::to_string(level + 1));
    }
    return added;
}

void TAPParamVector::InsertElement(std::size_t position, std::unique_ptr<TAPContainer> element) {
    if (!element)
        return;
    if (position > Containers.size())
        position = Containers.size();
    Containers.insert(Containers.begin() + std::ptrdiff_t(position), std::move(element));
    // Those before it keep their names: appending one by one stays linear.
    for (std::size_t i = position; i < Containers.size(); ++i)
        Containers[i]->Field->Name = ElementStem(i);
}

std::unique_ptr<TAPContainer> TAPParamVector::TakeElement(std::size_t index) {
    if (index >= Containers.size())
        return nullptr;
    std::unique_ptr<TAPContainer> element = std::move(Containers[index]);
    Delete(index);
    RenameElements();
    return element;
}

bool TAPParamVector::MoveElement(std::size_t from, std::size_t to) {
    if (from >= Containers.size() || to >= Containers.size())
        return false;
    Move(from, to);
    RenameElements();
    return true;
}

std::string TAPParamVector::RefusedValueReason() const {
    for (std::size_t i = 0; i < Containers.size(); ++i) {
        const TAppletParam* field = Containers[i]->Field.get();
        if (!field)
            continue;
        if (std::string reason = field->RefusedValueReason(); !reason.empty())
            return "element " + std::to_string(i + 1) + ": " + reason;
    }
    return {};
}

void TAPParamVector::Delete(std::size_t index) {
    if (index < Containers.size())
        Containers.erase(Containers.begin() + std::ptrdiff_t(index));
}

void TAPParamVector::Move(std::size_t from, std::size_t to) {
    if (from >= Containers.size() || to >= Containers.size() || from == to)
        return;
    auto container = std::move(Containers[from]);
    Containers.erase(Containers.begin() + std::ptrdiff_t(from));
    Containers.insert(Containers.begin() + std::ptrdiff_t(to), std::move(container));
}

void TAPParamVector::RenameElements() {
    for (std::size_t i = 0; i < Containers.size(); ++i)
        Containers[i]->Field->Name = ElementStem(i);
}

int VectorDepth(const TAppletParam& param) {
    const auto* vector = dynamic_cast<const TAPParamVector*>(&param);
    if (!vector)
        return 0;
    int deepest = 0;
    for (const auto& container : vector->Containers)
        if (container && container->Field)
            deepest = std::max(deepest, VectorDepth(*container->Field));
    return deepest + 1;
}

void RepointSourceFiles(TAppletParamList& list, const TKelmFile& file) {
    for (const auto& param : list)
        if (auto* vector = dynamic_cast<TAPParamVector*>(param.get()))
            vector->SetSourceFile(file);
}

} // namespace zarn
