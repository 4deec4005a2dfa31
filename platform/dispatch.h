#pragma once

#include "platform/errors.h"
#include "platform/interfaces.h"

#include <functional>
#include <string>

namespace chaos {

// How the window words a failure for the user.
using Wording = std::string (*)(const Failure& failure);

// Runs event handlers. An error that escapes a handler ends that handler
// where it was raised, keeping what it had done, and is shown to the user in
// a message box, in the words `wording` gives it; the program then goes on
// with the next event.
class Dispatcher {
public:
    Dispatcher(MessageBox& messages, Wording wording) : messages(messages), wording(wording) {}
    void run(const std::function<void()>& handler) noexcept;

private:
    MessageBox& messages;
    Wording wording;
};

} // namespace chaos
