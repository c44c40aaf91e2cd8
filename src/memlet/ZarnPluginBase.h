#pragma once
// The base of memlet's plug-in classes: what the exports forward to. Failures are exceptions
// (EZarnError); the exports turn them into the library's last error text.

#include <string>

namespace zarn {

class TZarnPlugin {
public:
    TZarnPlugin() = default;
    virtual ~TZarnPlugin() = default;
    TZarnPlugin(const TZarnPlugin&) = delete;
    TZarnPlugin& operator=(const TZarnPlugin&) = delete;

    virtual void LoadFromIni(const std::string& /*fileName*/, const std::string& /*section*/) {}
    virtual void SaveToIni(const std::string& /*fileName*/, const std::string& /*section*/) {}
    virtual std::string CompileToHTML(const std::string& /*webRoot*/, const std::string& /*secondText*/) {
        return {};
    }
    virtual bool EditProperties() { return false; }
};

} // namespace zarn
