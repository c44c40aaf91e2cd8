// Plug-in libraries that bend the contract, for the host's tests. STUB_PARTIAL lacks four of the
// six exports. Otherwise the library has exactly the six (no last-error export): CreateInstance
// returns NULL except for the class "Long", whose value is far longer than any fixed buffer.

#include "plugins/ZarnPlugin.h"

#include <string>

extern "C" {

ZARN_PLUGIN_EXPORT ZarnInstance ZARN_PLUGIN_CALL CreateInstance(const char* className) {
    return std::string(className) == "Long" ? new std::string(100000, 'v') : nullptr;
}

ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL FreeInstance(ZarnInstance instance) {
    delete static_cast<std::string*>(instance);
}

#ifndef STUB_PARTIAL
ZARN_PLUGIN_EXPORT int32_t ZARN_PLUGIN_CALL EditProperties(ZarnInstance) {
    return 0;
}
ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL SaveData(ZarnInstance, const char*, const char*) {}
ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL LoadData(ZarnInstance, const char*, const char*) {}
ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL CompileToHTML(ZarnInstance instance, const char*,
                                                              const char*) {
    return static_cast<std::string*>(instance)->c_str();
}
#endif
}
