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

// Which failure it was, for the window to tell the user in its words.
enum class Problem {
    AnchorOutOfRange,  // a point outside the range an anchor is kept in
    TooManyAnchors,
    NoSuchAnchor,      // the value: the anchor's number
    CountNotANumber,   // the value: the count box's text
    CountTooLarge,     // the value: the count box's text
    AreaNotFinite,     // the drawing area's place or size
    StartTooFar,       // the start point, outside the drawing area
    OutOfMemory,
    Unexpected,        // the value: what the failing part said
    Unknown,
};

// A failure as the user is told of it: what it was, and the value it names.
struct Failure {
    Problem problem;
    std::string value;
};

// An error that travels out of an event handler to the dispatcher, which
// has the window tell the user of it.
class ProgramError : public std::runtime_error {
public:
    ProgramError(ErrorKind kind, Problem problem, const std::string& value = "")
        : std::runtime_error(value), errorKind(kind), failure{problem, value} {}
    ErrorKind kind() const noexcept { return errorKind; }
    Problem problem() const noexcept { return failure.problem; }
    const std::string& value() const noexcept { return failure.value; }
    const Failure& failed() const noexcept { return failure; }

private:
    ErrorKind errorKind;
    Failure failure;
};

} // namespace chaos
