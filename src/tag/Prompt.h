#pragma once
// The questions and notices the core puts to the user. The main window answers them with message
// boxes, the tests with a scripted double (tests/support).

#include <string>

namespace zarn {

class Prompt {
public:
    virtual ~Prompt() = default;

    // A confirmation box with Yes and No; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // A warning box with Yes and No; true for Yes.
    virtual bool ConfirmWarning(const std::string& text) = 0;
    // A warning box with OK.
    virtual void Warning(const std::string& text) = 0;
    // An information box with OK.
    virtual void Information(const std::string& text) = 0;
    // A plain message box with OK.
    virtual void Message(const std::string& text) = 0;
};

} // namespace zarn
