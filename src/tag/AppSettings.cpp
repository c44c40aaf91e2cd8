#include "tag/AppSettings.h"

#include "profile/Errors.h"

#include <utility>
#include <vector>

namespace zarn {

TAppSettings AppSettings;

namespace {

std::unique_ptr<SettingsStore> appStore;

// Looked up as "UseWebAsAV" but created as "UseWebAsAv"; names compare without case, so both reach
// the same value, and a value already stored keeps its spelling.
constexpr const char* kUseWebAsAVRead = "UseWebAsAV";
constexpr const char* kUseWebAsAVWrite = "UseWebAsAv";

void Report(const TSettingsReport& report, const std::string& message) noexcept {
    if (!report)
        return;
    try {
        report(message);
    } catch (...) {
        // A failing report must not turn a warning into a failure of start-up or exit.
    }
}

// Collects the values that keep their defaults, for one message at the end.
class TReadProblems {
public:
    explicit TReadProblems(const SettingsStore& store) : store_(store) {}

    void Text(const char* name, std::string& field) {
        if (Check(name, TSettingType::Text, "a text"))
            Read(name, [&] { field = store_.ReadString(name); });
    }
    void Integer(const char* name, int32_t& field) {
        if (Check(name, TSettingType::Integer, "a number"))
            Read(name, [&] { field = store_.ReadInteger(name); });
    }
    void Boolean(const char* name, bool& field) {
        if (Check(name, TSettingType::Integer, "a number (0 or 1)"))
            Read(name, [&] { field = store_.ReadInteger(name) != 0; });
    }

    std::string Message() const {
        std::string message;
        for (const auto& sentence : sentences_)
            message += (message.empty() ? "" : " ") + sentence;
        return message;
    }

private:
    bool Check(const char* name, TSettingType wanted, const char* kind) {
        TSettingType type = store_.ValueType(name);
        if (type == TSettingType::Missing)
            return false;
        if (type == wanted)
            return true;
        sentences_.push_back(Start(name) + " has the wrong type (it should be " + kind +
                             "); the default is used.");
        return false;
    }
    template <typename TRead> void Read(const char* name, TRead read) {
        try {
            read();
        } catch (const std::exception& error) {
            sentences_.push_back(Start(name) + " could not be read (" + error.what() +
                                 "); the default is used.");
        }
    }
    std::string Start(const char* name) const {
        return "The setting '" + std::string(name) + "' in " + store_.Location();
    }

    const SettingsStore& store_;
    std::vector<std::string> sentences_;
};

} // namespace

std::string DefaultAppletViewer() {
#ifdef _WIN32
    return "AppletViewer.exe";
#else
    return "appletviewer";
#endif
}

void ReadSettings(TAppSettings& settings, const SettingsStore& store, const TSettingsReport& report) {
    TReadProblems read(store);
    read.Text("AppletViewer", settings.AppletViewer);
    read.Integer("PathnamesKind", settings.PathnamesKind);
    read.Boolean("RealNames", settings.RealNames);
    read.Boolean(kUseWebAsAVRead, settings.UseWebAsAV);
    read.Boolean("WaitForAVToClose", settings.WaitForAVToClose);
    read.Text("DefaultWebRoot", settings.DefaultWebRoot);
    read.Text("DefaultCodeBase", settings.DefaultCodeBase);
    read.Boolean("ShowHints", settings.ShowHints);
    read.Boolean("UseCheerpJ", settings.UseCheerpJ);
    if (settings.AppletViewer.empty())
        settings.AppletViewer = DefaultAppletViewer();
    if (auto message = read.Message(); !message.empty())
        Report(report, message);
}

bool UsesZarnViewer(const TAppSettings& settings) {
    return !settings.UseWebAsAV && settings.AppletViewer == ZarnAppletViewer;
}

bool ChooseZarnViewerWhenFresh(TAppSettings& settings, const SettingsStore& store,
                               const std::function<bool()>& viewerRuns) {
    if (store.ValueType("AppletViewer") != TSettingType::Missing ||
        store.ValueType(kUseWebAsAVRead) != TSettingType::Missing || !viewerRuns())
        return false;
    settings.AppletViewer = ZarnAppletViewer;
    settings.UseWebAsAV = false;
    return true;
}

void WriteSettings(const TAppSettings& settings, SettingsStore& store) {
    auto text = [](const char* name, const std::string& value) {
        return TSettingValue{name, TSettingType::Text, value, 0};
    };
    auto number = [](const char* name, int32_t value) {
        return TSettingValue{name, TSettingType::Integer, {}, value};
    };
    store.WriteValues({
        text("AppletViewer", settings.AppletViewer),
        number("PathnamesKind", settings.PathnamesKind),
        number("RealNames", settings.RealNames ? 1 : 0),
        number(kUseWebAsAVWrite, settings.UseWebAsAV ? 1 : 0),
        number("WaitForAVToClose", settings.WaitForAVToClose ? 1 : 0),
        text("DefaultWebRoot", settings.DefaultWebRoot),
        text("DefaultCodeBase", settings.DefaultCodeBase),
        number("ShowHints", settings.ShowHints ? 1 : 0),
        number("UseCheerpJ", settings.UseCheerpJ ? 1 : 0),
    });
}

bool TryWriteSettings(const TAppSettings& settings, SettingsStore& store,
                      const TSettingsReport& report) noexcept {
    try {
        WriteSettings(settings, store);
        return true;
    } catch (const std::exception& error) {
        try {
            Report(report, std::string(error.what()) + " in " + store.Location() +
                               "; the settings of this session were not saved.");
        } catch (...) {
        }
    } catch (...) {
    }
    return false;
}

void OpenAppSettings(const TSettingsReport& report) {
    OpenAppSettings(CreateUserSettingsStore(), report);
}

void OpenAppSettings(std::unique_ptr<SettingsStore> store, const TSettingsReport& report) {
    appStore = std::move(store);
    if (!appStore)
        return;
    if (!appStore->Open())
        Report(report, appStore->OpenFailureMessage());
    ReadSettings(AppSettings, *appStore, report);
}

SettingsStore* AppSettingsStore() {
    return appStore.get();
}

void ReadSettings(const TSettingsReport& report) {
    if (appStore)
        ReadSettings(AppSettings, *appStore, report);
}

void WriteSettings() {
    if (!appStore)
        throw EZarnError(CreateUserSettingsStore()->OpenFailureMessage());
    WriteSettings(AppSettings, *appStore);
}

void CloseAppSettings(const TSettingsReport& report) noexcept {
    if (!appStore)
        return;
    TryWriteSettings(AppSettings, *appStore, report);
    appStore->Close();
    appStore.reset();
}

} // namespace zarn
