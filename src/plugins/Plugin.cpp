#include "plugins/Plugin.h"

#include "model/KelmFile.h"
#include "plugins/PluginFolders.h"
#include "profile/Errors.h"

namespace zarn {

namespace {

thread_local int writesOffDepth = 0;

// Keys read from the template go back as read, so a section written afresh (a vector element
// made from an element template, or moved) still names its library. A line that already says
// the same stays untouched, as does an absent key whose default means the same.
void writeBack(TKelmFile& file, const std::string& section, const char* key, const std::string& value,
               const std::string& absentMeaning) {
    if (file.ReadString(section, key, absentMeaning) != value)
        file.WriteString(section, key, value);
}

} // namespace

TPlugin::TPlugin(const DynamicLibrary& library)
    : CreateInstance(library.Function<ZarnCreateInstanceFn>(ZARN_EXPORT_CREATE_INSTANCE)),
      FreeInstance(library.Function<ZarnFreeInstanceFn>(ZARN_EXPORT_FREE_INSTANCE)),
      EditProperties(library.Function<ZarnEditPropertiesFn>(ZARN_EXPORT_EDIT_PROPERTIES)),
      SaveData(library.Function<ZarnSaveDataFn>(ZARN_EXPORT_SAVE_DATA)),
      LoadData(library.Function<ZarnLoadDataFn>(ZARN_EXPORT_LOAD_DATA)),
      CompileToHTML(library.Function<ZarnCompileToHTMLFn>(ZARN_EXPORT_COMPILE_TO_HTML)),
      LastErrorText(library.Function<ZarnLastErrorTextFn>(ZARN_EXPORT_LAST_ERROR_TEXT)) {}

std::string TPlugin::MissingExports() const {
    TStrings missing;
    if (!CreateInstance)
        missing.push_back(ZARN_EXPORT_CREATE_INSTANCE);
    if (!FreeInstance)
        missing.push_back(ZARN_EXPORT_FREE_INSTANCE);
    if (!EditProperties)
        missing.push_back(ZARN_EXPORT_EDIT_PROPERTIES);
    if (!SaveData)
        missing.push_back(ZARN_EXPORT_SAVE_DATA);
    if (!LoadData)
        missing.push_back(ZARN_EXPORT_LOAD_DATA);
    if (!CompileToHTML)
        missing.push_back(ZARN_EXPORT_COMPILE_TO_HTML);
    return JoinList(missing, ", ");
}

std::string TPlugin::TakeError() const {
    if (!LastErrorText)
        return {};
    const char* text = LastErrorText();
    return text ? std::string(text) : std::string();
}

TAPPlugin::~TAPPlugin() {
    Unload();
}

void TAPPlugin::Unload() noexcept {
    // The instance goes first, while the library that made it is still there.
    if (Instance && PluginFuncs && PluginFuncs->FreeInstance)
        PluginFuncs->FreeInstance(Instance);
    Instance = nullptr;
    PluginFuncs.reset();
    LibHandle.Close();
}

void TAPPlugin::RaisePluginError() const {
    if (std::string error = PluginFuncs->TakeError(); !error.empty())
        throw EZarnError(std::move(error));
}

void TAPPlugin::EnsureLoaded() {
    if (LibHandle.IsOpen())
        return;
    auto fail = [this](const std::string& reason) {
        throw EZarnError("could not load plugin " + Plugin + (reason.empty() ? "" : ": " + reason));
    };
    std::string reason;
    const std::string path = FindPluginLibrary(Plugin, reason);
    if (path.empty())
        fail(reason);
    DynamicLibrary library;
    if (!library.Open(path))
        fail(library.Error());
    auto funcs = std::make_unique<TPlugin>(library);
    if (std::string missing = funcs->MissingExports(); !missing.empty())
        fail("the library does not export " + missing);
    ZarnInstance instance = funcs->CreateInstance(PClass.c_str());
    if (!instance) {
        std::string error = funcs->TakeError();
        fail(error.empty() ? "the library has no plug-in class " + PClass : error);
    }
    LibHandle = std::move(library);
    PluginFuncs = std::move(funcs);
    Instance = instance;
}

void TAPPlugin::LoadFromFile(TKelmFile& file) {
    TAppletParam::LoadFromFile(file);
    const std::string section = SectionName();
    Plugin = file.ReadString(section, "Plugin", "");
    PClass = file.ReadString(section, "pclass", "Edit");
    EnsureLoaded();
    // The library reads the file by name: what is still pending in memory must be on disk first.
    file.Flush();
    PluginFuncs->LoadData(Instance, file.FileName().c_str(), section.c_str());
    RaisePluginError();
}

void TAPPlugin::SaveToFile(TKelmFile& file) {
    TAppletParam::SaveToFile(file);
    const std::string section = SectionName();
    writeBack(file, section, "Plugin", Plugin, "");
    writeBack(file, section, "pclass", PClass, "Edit");
    EnsureLoaded();
    file.Flush();
    PluginFuncs->SaveData(Instance, file.FileName().c_str(), section.c_str());
    RaisePluginError();
}

TPluginWritesOff::TPluginWritesOff() {
    ++writesOffDepth;
}

TPluginWritesOff::~TPluginWritesOff() {
    --writesOffDepth;
}

bool TPluginWritesOff::Active() {
    return writesOffDepth > 0;
}

std::string TAPPlugin::GetHTMLValue(const std::string& webRoot, int /*purpose*/) {
    EnsureLoaded();
    const char* root = TPluginWritesOff::Active() ? "" : webRoot.c_str();
    const char* compiled = PluginFuncs->CompileToHTML(Instance, root, root);
    // Copied before any other call into the library, which may reuse the buffer.
    std::string value = compiled ? std::string(compiled) : std::string();
    RaisePluginError();
    return value;
}

bool TAPPlugin::EditPlugin() {
    EnsureLoaded();
    const int32_t result = PluginFuncs->EditProperties(Instance);
    RaisePluginError();
    return (result & 0xFF) != 0;
}

} // namespace zarn
