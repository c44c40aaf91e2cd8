#pragma once
// The user's options, kept between runs in the settings store.
//
// Problems with the store never stop the program: a value of the wrong type or one that cannot be
// read keeps its default and is reported, the next write stores every value with the right type, and
// the write at exit reports a failure instead of raising it.

#include "platform/SettingsStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zarn {

// Receives a message for the user (a warning box in the program, stderr in the command line).
using TSettingsReport = std::function<void(const std::string& message)>;

// "AppletViewer.exe" on Windows, the platform's applet viewer command ("appletviewer") elsewhere.
std::string DefaultAppletViewer();

// The AppletViewer value that stands for ZARN's own applet viewer (a Java program beside ZARN).
inline constexpr const char* ZarnAppletViewer = "ZARN applet viewer";

// Fields in the order they are read and written; the initial values are the built-in defaults.
struct TAppSettings {
    std::string AppletViewer = DefaultAppletViewer();
    int32_t PathnamesKind = 1; // 0 DOS and UNC, 1 Netscape URL, 2 Sun's DOS names
    bool RealNames = true;
    bool UseWebAsAV = true;
    bool WaitForAVToClose = true;
    std::string DefaultWebRoot;
    std::string DefaultCodeBase;
    bool ShowHints = true;
    // Beyond the eight of the first versions, written after them.
    bool UseCheerpJ = false; // browser previews load an in-browser Java runtime from the internet

    bool operator==(const TAppSettings&) const = default;
};

// Reads every value present in the store into its field; a missing value leaves the field as it is,
// and an empty AppletViewer becomes the default viewer. Values that have the wrong type or cannot be
// read keep their field and are named in one report.
void ReadSettings(TAppSettings& settings, const SettingsStore& store, const TSettingsReport& report = {});
// Whether the preview runs the ZARN applet viewer.
bool UsesZarnViewer(const TAppSettings& settings);
// A fresh install (a store with neither a viewer nor the browser choice) previews in the ZARN applet
// viewer when it can run (asked only then); a stored choice is never changed. Returns whether it was chosen.
bool ChooseZarnViewerWhenFresh(TAppSettings& settings, const SettingsStore& store,
                               const std::function<bool()>& viewerRuns);

// Writes every value, changed or not; raises EZarnError "Failed to set data for '%s'".
void WriteSettings(const TAppSettings& settings, SettingsStore& store);
// As WriteSettings, but a failure is reported (with the store's location) and false returned.
bool TryWriteSettings(const TAppSettings& settings, SettingsStore& store,
                      const TSettingsReport& report) noexcept;

// The process-wide record, filled at start-up before any window exists.
extern TAppSettings AppSettings;

// Start-up: opens the user's store (or the given one, for tests), creating it when missing, and reads
// AppSettings from it. A store that cannot be opened is reported; the defaults then stay.
void OpenAppSettings(const TSettingsReport& report);
void OpenAppSettings(std::unique_ptr<SettingsStore> store, const TSettingsReport& report);
// The process-wide store opened at start-up; null before OpenAppSettings and after CloseAppSettings.
SettingsStore* AppSettingsStore();
// Reads AppSettings from the process-wide store.
void ReadSettings(const TSettingsReport& report = {});
// Writes AppSettings to the process-wide store (the options dialog's OK); raises EZarnError.
void WriteSettings();
// Exit: writes AppSettings, reporting a failure, then closes and frees the store.
void CloseAppSettings(const TSettingsReport& report) noexcept;

} // namespace zarn
