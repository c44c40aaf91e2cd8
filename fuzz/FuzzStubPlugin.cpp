// The plug-in library of the fuzz tree: it keeps to the contract, writes no file and chooses its
// behaviour by plug-in class, so documents reach every path of the host. "Null" has no instance,
// "Fail" reports a failure from LoadData, "Long" gives a value longer than any fixed buffer,
// "Macro" a value full of macros and escapes; any other class gives "stub:" and its section.

#define ZARN_PLUGIN_LIBRARY
#include "plugins/ZarnPlugin.h"

#include <string>

namespace {

struct Instance {
    std::string className;
    std::string value;
};

std::string lastError;

} // namespace

extern "C" {

ZARN_PLUGIN_EXPORT ZarnInstance ZARN_PLUGIN_CALL CreateInstance(const char* className) {
    lastError.clear();
    const std::string name = className ? className : "";
    if (name == "Null")
        return nullptr;
    return new Instance{name, {}};
}

ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL FreeInstance(ZarnInstance instance) {
    lastError.clear();
    delete static_cast<Instance*>(instance);
}

ZARN_PLUGIN_EXPORT int32_t ZARN_PLUGIN_CALL EditProperties(ZarnInstance) {
    lastError.clear();
    return 0;
}

ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL SaveData(ZarnInstance, const char*, const char*) {
    lastError.clear();
}

ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL LoadData(ZarnInstance instance, const char*, const char* section) {
    lastError.clear();
    auto* self = static_cast<Instance*>(instance);
    if (self->className == "Fail")
        lastError = "stub failure in " + std::string(section);
    else if (self->className == "Long")
        self->value.assign(100000, 'v');
    else if (self->className == "Macro")
        self->value = "$WIDTH\\n$CODEBASE$$\\";
    else
        self->value = "stub:" + std::string(section);
}

ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL CompileToHTML(ZarnInstance instance, const char*,
                                                              const char*) {
    lastError.clear();
    return static_cast<Instance*>(instance)->value.c_str();
}

ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL LastErrorText(void) {
    return lastError.c_str();
}
}
