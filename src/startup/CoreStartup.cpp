#include "startup/CoreStartup.h"

#include "model/AppletParam.h"
#include "model/ColorParams.h"
#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "plugins/Plugin.h"

namespace zarn {

void RegisterStandardParamClasses() {
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterParamClass<TAPString>();
    RegisterParamClass<TAPNumeric>();
    RegisterParamClass<TAPFloat>();
    RegisterParamClass<TAPColor>();
    RegisterParamClass<TAPColorCombo>();
    RegisterParamClass<TAPFileName>();
    RegisterParamClass<TAPBoolean>();
    RegisterParamClass<TAPComboList>();
    RegisterParamClass<TAPBevel>();
    RegisterParamClass<TAPColorOption>();
    RegisterParamClass<TAPPlugin>();
    RegisterParamClass<TAPParamVector>();
}

} // namespace zarn
