#pragma once
// Platform actions for tests: every request recorded, preset results.

#include "platform/PlatformActions.h"

#include <string>
#include <vector>

namespace zarn {

// Records every request and answers with preset results.
class RecordingActions : public PlatformActions {
public:
    struct Start {
        std::string program;
        TStrings arguments;
        bool wait;
    };

    bool clipboardWorks = true;
    bool startWorks = true;
    bool openWorks = true;

    std::vector<std::string> clipboard; // texts set, in order
    std::vector<Start> starts;
    std::vector<std::string> opened;

    bool SetClipboardText(const std::string& text) override {
        if (clipboardWorks)
            clipboard.push_back(text);
        return clipboardWorks;
    }
    bool StartProgram(const std::string& program, const TStrings& arguments, bool wait) override {
        starts.push_back({program, arguments, wait});
        return startWorks;
    }
    bool OpenWithDefault(const std::string& target) override {
        opened.push_back(target);
        return openWorks;
    }
};

} // namespace zarn
