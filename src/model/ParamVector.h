#pragma once
// Parameter vectors: a growable list of elements, each a complete parameter wrapped in a container,
// compiled either into one joined PARAM line or into one PARAM line per element.

#include "model/AppletParam.h"
#include "model/KelmFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarn {

// One element of a vector: the parameter itself, its sub-name and the element template it came from.
class TAPContainer {
public:
    // The element stored in the section "<stem> parameter"; its Name is the stem.
    static std::unique_ptr<TAPContainer> CreateFromFile(TKelmFile& file, const std::string& stem);
    // A new element made from the section "<T> template parameter"; its Name is T until renamed.
    static std::unique_ptr<TAPContainer> CreateFromTemplate(TKelmFile& file, const std::string& templateName);
    // Writes the element under the stem, which becomes its Name.
    void Save(TKelmFile& file, const std::string& stem);

    std::unique_ptr<TAppletParam> Field;
    std::string SubName;
    std::string Template;
};

using TAPContainerList = std::vector<std::unique_ptr<TAPContainer>>;

// Deepest nesting of vectors that a file may describe.
inline constexpr int MaxVectorNesting = 32;

// Levels of vectors in a parameter: 0 for any other kind, 1 for a vector of such.
int VectorDepth(const TAppletParam& param);

class TAPParamVector : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPParamVector";
    std::string ClassName() const override { return StaticClassName; }

    bool CanAdd = false;
    bool CanDelete = false;
    bool CanMove = false;
    bool CanBeforeListText = false;
    std::string BeforeListText;
    // Entries ending in "*" may be added any number of times, others once.
    TStrings ValidTemplates;
    bool ShowNames = false;
    bool ShowValues = false;
    std::string CoupleOpen;
    std::string CoupleSeparator;
    std::string CoupleClose;
    std::string Separator;
    bool ShowBevel = false;
    std::string AddTitle;
    std::string DelTitle;
    TAPContainerList Containers;
    // The file that holds the element templates: the one last loaded from, or the one the document
    // was saved into since (SetSourceFile). Held by value: a profile file is only its name.
    std::optional<TKelmFile> SourceFile;
    bool StandaloneFields = false;
    std::string CounterParamName;
    std::string NamePattern;
    int32_t BaseIndex = 0;
    bool DontKill = false;

    // The vector's own value has no meaning.
    std::string GetValue() const override { return {}; }
    void SetValue(const std::string&) override {}
    void SaveToFile(TKelmFile& file) override;
    // Replaces every element. Fails on vectors nested deeper than MaxVectorNesting.
    void LoadFromFile(TKelmFile& file) override;
    // The joined form.
    std::string GetHTMLValue(const std::string& webRoot, int purpose) override;
    // The standalone form needs the tag form.
    std::string CompileParam(const std::string& webRoot, int purpose, bool tagForm, TStrings* names,
                             TStrings* values) override;
    // Appends "<Name>Count" first when lists are given; standalone fields are a group of lines.
    bool CompileParamLines(const std::string& webRoot, int purpose, std::vector<TParamLine>& lines,
                           TStrings* names, TStrings* values) override;

    // The joined form of plain values (no names, no couples around them), one element each.
    bool ReadHTMLValue(const std::string& htmlValue, const std::string& webRoot) override;
    bool ReadHTMLAbsent() override;
    // Replaces the elements by new ones made from the repeatable template, each taking its value
    // (nothing: absent). All or nothing: false, leaving the elements as they were, when there is
    // no such template or an element refuses its value.
    bool ReadElements(const std::vector<std::optional<std::string>>& values, const std::string& webRoot);
    // The first entry of ValidTemplates that may be added any number of times; empty when none.
    std::string RepeatableTemplate() const;

    // Points this vector and every vector nested in its elements at another file.
    void SetSourceFile(const TKelmFile& file);

    // The entries of ValidTemplates that may still be added: an entry without "*" is gone once an
    // element made from it exists.
    TStrings AddableTemplates() const;
    // The text under which an element template is offered (its "Description", else its name).
    std::string TemplateDescription(const std::string& entry) const;
    // The caption of an element template (its "UFName", else its name).
    std::string TemplateCaption(const std::string& entry) const;
    // Creates an element from a template of SourceFile (a trailing "*" of the name is ignored),
    // inserts it at the position (appends when it is beyond the end) and renames every element.
    TAPContainer& AddFromTemplate(const std::string& templateName);
    TAPContainer& InsertFromTemplate(const std::string& templateName, std::size_t position);
    // Deleting and moving keep the elements' names; saving renames them.
    void Delete(std::size_t index);
    void Move(std::size_t from, std::size_t to);
    // Element i gets the Name "<Name>.i".
    void RenameElements();

    // The editor's element operations; each renames every element, so names follow positions.
    // InsertFromTemplate for a vector at `level` (the vectors that hold its elements, itself
    // included): an element that would nest vectors deeper than MaxVectorNesting is refused with
    // EZarnError, as the loader would refuse the document.
    TAPContainer& AddElement(const std::string& templateName, std::size_t position, int level);
    // Puts an element (one taken before) in at the position, at the end when beyond it.
    void InsertElement(std::size_t position, std::unique_ptr<TAPContainer> element);
    // Null when there is no such element.
    std::unique_ptr<TAPContainer> TakeElement(std::size_t index);
    // False, changing nothing, when a position is out of range.
    bool MoveElement(std::size_t from, std::size_t to);

    // The text before the list is the vector's value for undo.
    TParamValue CaptureValue() const override { return {BeforeListText}; }
    void RestoreValue(const TParamValue& value) override { BeforeListText = value.Text; }
    // The first refused element's reason.
    std::string RefusedValueReason() const override;
    bool HoldsValue() const override { return false; }

    std::string ElementStem(std::size_t index) const { return Name + "." + std::to_string(index); }
};

// Re-points every vector of the list (and those nested in them) at the file a document was just
// saved into, so that adding elements keeps working after the old file is gone.
void RepointSourceFiles(TAppletParamList& list, const TKelmFile& file);

} // namespace zarn
