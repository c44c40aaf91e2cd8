#include "tag/CoreStartup.h"

#include "model/AppletParam.h"
#include "model/ColorParams.h"
#include "model/ScalarParams.h"
// #include plug-in kind
// #include vector kind

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
    // register plug-in kind
    // register vector kind
}

} // namespace zarn
