#pragma once
// The plug-in parameter kind: a parameter whose data, editor and HTML value belong to a plug-in
// library (the contract is plugins/ZarnPlugin.h).

#include "model/AppletParam.h"
#include "plugins/DynamicLibrary.h"
#include "plugins/ZarnPlugin.h"

#include <memory>
#include <string>

namespace zarn {

// The exports of one loaded library, bound by name. Does not own the library.
class TPlugin {
public:
    explicit TPlugin(const DynamicLibrary& library);

    ZarnCreateInstanceFn CreateInstance = nullptr;
    ZarnFreeInstanceFn FreeInstance = nullptr;
    ZarnEditPropertiesFn EditProperties = nullptr;
    ZarnSaveDataFn SaveData = nullptr;
    ZarnLoadDataFn LoadData = nullptr;
    ZarnCompileToHTMLFn CompileToHTML = nullptr;
    ZarnLastErrorTextFn LastErrorText = nullptr; // optional

    // The required exports the library lacks, separated by ", "; empty when it has all six.
    std::string MissingExports() const;
    // The library's message for the call just made; empty when it reports none.
    std::string TakeError() const;
};

// While one exists on this thread, plug-ins compile their value without a web root: a look at the
// block must write nothing, and a plug-in may write its data into the web root as it compiles.
class TPluginWritesOff {
public:
    TPluginWritesOff();
    ~TPluginWritesOff();
    TPluginWritesOff(const TPluginWritesOff&) = delete;
    TPluginWritesOff& operator=(const TPluginWritesOff&) = delete;
    static bool Active();
};

class TAPPlugin : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TAPPlugin";

    TAPPlugin() = default;
    ~TAPPlugin() override;

    std::string Plugin;                   // "Plugin": bare library name
    std::unique_ptr<TPlugin> PluginFuncs; // none until loaded
    DynamicLibrary LibHandle;             // closed until loaded
    ZarnInstance Instance = nullptr;      // the library's instance for this parameter
    std::string PClass;                   // "pclass": the plug-in class asked for

    std::string ClassName() const override { return StaticClassName; }
    // The value lives in the plug-in's instance; "Value" is written empty.
    std::string GetValue() const override { return {}; }
    void SetValue(const std::string& /*text*/) override {}
    bool HoldsValue() const override { return false; }
    void SaveToFile(TKelmFile& file) override;
    void LoadFromFile(TKelmFile& file) override;
    // The plug-in's value; DefaultValue is not consulted.
    std::string GetHTMLValue(const std::string& webRoot, int purpose) override;

    // Loads the library, binds its exports and creates the instance, once. Raises
    // "could not load plugin <Plugin>: <reason>" and keeps nothing when any step fails, so a
    // later call tries again.
    void EnsureLoaded();
    // Runs the plug-in's editor; true when the user confirmed.
    bool EditPlugin();

private:
    void Unload() noexcept;
    void RaisePluginError() const;
};

} // namespace zarn
