#pragma once

#include <stdexcept>
#include <string>

namespace chaos {

// What went wrong, in the terms of the event that raised it.
enum class ErrorKind {
    Overflow,       // a count or coordinate outside the range it is kept in
    FloatingPoint,  // an arithmetic result that is not a finite number
    Subscript,      // an anchor looked up outside the stored ones
    TypeMismatch,   // a text that should be a number and is not
    ControlCall,    // a control or the surface failed to do what it was asked
};

// An error that travels out of an event handler to the dispatcher, which
// shows its message to the user. The message is written for the user.
class ProgramError : public std::runtime_error {
public:
    ProgramError(ErrorKind kind, const std::string& message)
        : std::runtime_error(message), errorKind(kind) {}
    ErrorKind kind() const noexcept { return errorKind; }

private:
    ErrorKind errorKind;
};

} // namespace chaos
