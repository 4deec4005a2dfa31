#include "platform/dispatch.h"

#include "platform/errors.h"

#include <new>
#include <string>

namespace chaos {

void Dispatcher::run(const std::function<void()>& handler) noexcept {
    std::string message;
    try {
        handler();
        return;
    } catch (const ProgramError& error) {
        message = error.what();
    } catch (const std::bad_alloc&) {
        message = "There is not enough memory to finish this. What was drawn so far is kept.";
    } catch (const std::exception& error) {
        message = std::string("Something went wrong: ") + error.what() + ". What was drawn so far is kept.";
    } catch (...) {
        message = "Something went wrong. What was drawn so far is kept.";
    }
    try {
        messages.show(message, MessageKind::Error);
    } catch (...) {
        // Nothing more can be told; the program goes on.
    }
}

} // namespace chaos
