#pragma once

#include "platform/errors.h"

#include <gtest/gtest.h>

namespace chaos::testing {

// The kind of the error a call raises; a test failure when it raises none.
template <class Call>
ErrorKind errorKindOf(Call&& call) {
    try {
        call();
    } catch (const ProgramError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no error was raised";
    return ErrorKind::ControlCall;
}

} // namespace chaos::testing
