#include "tag/CoreStartup.h"

#include "model/AppletParam.h"
// #include scalar kinds
// #include plug-in kind
// #include vector kind

namespace zarn {

void RegisterStandardParamClasses() {
    static bool done = false;
    if (done)
        return;
    done = true;
    // register scalar kinds
    // register plug-in kind
    // register vector kind
}

} // namespace zarn
