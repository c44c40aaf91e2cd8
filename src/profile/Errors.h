#pragma once
// Failures travel as exceptions that carry the message shown to the user.

#include <stdexcept>
#include <string>

namespace zarn {

class EZarnError : public std::exception {
public:
    explicit EZarnError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    // Loaders add context (section, class) to a failure that passes through them.
    void SetMessage(std::string message) { message_ = std::move(message); }

private:
    std::string message_;
};

// A text that does not convert to the number a kind needs.
class EConvertError : public EZarnError {
public:
    using EZarnError::EZarnError;
};

// A failed lookup in a name list (the class registry): "List index out of bounds".
class EListError : public EZarnError {
public:
    using EZarnError::EZarnError;
};

// A profile file that cannot be written: "Unable to write to %s".
class EWriteError : public EZarnError {
public:
    using EZarnError::EZarnError;
};

// The failure of every write to a named file.
inline EWriteError UnableToWrite(const std::string& fileName) {
    return EWriteError("Unable to write to " + fileName);
}

} // namespace zarn
