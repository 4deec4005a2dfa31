#pragma once

#include "platform/interfaces.h"

#include <functional>

namespace chaos {

// Runs event handlers. An error that escapes a handler ends that handler
// where it was raised, keeping what it had done, and is shown to the user in
// a message box; the program then goes on with the next event.
class Dispatcher {
public:
    explicit Dispatcher(MessageBox& messages) : messages(messages) {}
    void run(const std::function<void()>& handler) noexcept;

private:
    MessageBox& messages;
};

} // namespace chaos
