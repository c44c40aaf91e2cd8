// The exports of memlet. Nothing may escape them: every failure becomes the last error text.

#define ZARN_PLUGIN_LIBRARY
#include "plugins/ZarnPlugin.h"

#include "memlet/MLTPlugin.h"
#include "profile/Errors.h"

#include <exception>
#include <memory>
#include <string>
#include <unordered_set>

using zarn::TZarnPlugin;

namespace {

std::string& lastError() {
    static std::string text;
    return text;
}

// The value handed back by CompileToHTML, valid until the next call.
std::string& compiled() {
    static std::string text;
    return text;
}

std::unordered_set<TZarnPlugin*>& liveInstances() {
    static std::unordered_set<TZarnPlugin*> instances;
    return instances;
}

void setError(const char* text) noexcept {
    try {
        lastError() = text;
    } catch (...) {
        lastError().clear(); // no memory for the message: a failure without one
    }
}

// A handle the host did not get from CreateInstance (or already freed) is refused, not followed.
TZarnPlugin& instanceOf(ZarnInstance handle) {
    auto* instance = static_cast<TZarnPlugin*>(handle);
    if (!instance || !liveInstances().count(instance))
        throw zarn::EZarnError("memlet: unknown instance");
    return *instance;
}

template <class Body> auto guarded(Body&& body, decltype(body()) failed) noexcept -> decltype(body()) {
    lastError().clear();
    try {
        return body();
    } catch (const std::exception& error) {
        setError(error.what());
    } catch (...) {
        setError("memlet: unexpected failure");
    }
    return failed;
}

} // namespace

extern "C" {

ZARN_PLUGIN_EXPORT ZarnInstance ZARN_PLUGIN_CALL CreateInstance(const char* className) {
    return guarded(
        [&]() -> ZarnInstance {
            if (!className || std::string(className) != "Edit")
                return nullptr;
            auto instance = std::make_unique<zarn::TMLTPlugin>();
            liveInstances().insert(instance.get());
            return instance.release();
        },
        nullptr);
}

ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL FreeInstance(ZarnInstance handle) {
    guarded(
        [&] {
            TZarnPlugin& instance = instanceOf(handle);
            liveInstances().erase(&instance);
            delete &instance;
            return 0;
        },
        0);
}

ZARN_PLUGIN_EXPORT int32_t ZARN_PLUGIN_CALL EditProperties(ZarnInstance handle) {
    return guarded([&] { return int32_t(instanceOf(handle).EditProperties() ? 1 : 0); }, 0);
}

ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL SaveData(ZarnInstance handle, const char* fileName,
                                                  const char* section) {
    guarded(
        [&] {
            TZarnPlugin& instance = instanceOf(handle);
            instance.SaveToIni(fileName ? fileName : "", section ? section : "");
            return 0;
        },
        0);
}

ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL LoadData(ZarnInstance handle, const char* fileName,
                                                  const char* section) {
    guarded(
        [&] {
            TZarnPlugin& instance = instanceOf(handle);
            instance.LoadFromIni(fileName ? fileName : "", section ? section : "");
            return 0;
        },
        0);
}

ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL CompileToHTML(ZarnInstance handle, const char* webRoot,
                                                              const char* secondText) {
    return guarded(
        [&]() -> const char* {
            TZarnPlugin& instance = instanceOf(handle);
            compiled() = instance.CompileToHTML(webRoot ? webRoot : "", secondText ? secondText : "");
            return compiled().c_str();
        },
        "");
}

ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL LastErrorText(void) {
    return lastError().c_str();
}

} // extern "C"
